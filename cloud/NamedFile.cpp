#include "NamedFile.h"

#include "GbkText.h"
#include "Http.h"
#include "Listing.h"

namespace qinglan {

QString DownloadNamedFile(const QString& itemsBaseUrl, int folderId, const QString& name,
                          const QString& path) {
    const QString listing = TryHttpGetText(itemsBaseUrl + QString::number(folderId));
    const auto item = FindListedItem(listing, name);
    if (!item)
        return {};
    if (DownloadToFile(itemsBaseUrl + item->ResourceID, path) != DownloadOk)
        return {};
    return ReadGbkTextFile(path).value_or(QString());
}

QString GetNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                     const QString& bufferPath) {
    return DownloadNamedFile(itemsBaseUrl, folderId, name, bufferPath);
}

} // namespace qinglan
