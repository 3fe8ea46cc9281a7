#include "mirror/BulkDownload.h"

#include "cloud/Http.h"
#include "entries/DataLayout.h"

#include <QFileInfo>

namespace qinglan {

qint64 DownloadMissingEntries(const QList<RemoteItem>& items, const QString& dataPath,
                              const QString& itemsBaseUrl,
                              const std::function<void(qint64 count)>& afterItem) {
    qint64 count = 0;
    for (const RemoteItem& item : items) {
        const auto path = EntryFilePath(dataPath, item.RelationshipName);
        // A failed download is not looked at: the file stays missing, and the
        // next pass or a query fetches it.
        if (path && !QFileInfo::exists(*path))
            (void)DownloadToFile(itemsBaseUrl + item.ResourceID, *path);
        ++count;
        if (afterItem)
            afterItem(count);
    }
    return count;
}

} // namespace qinglan
