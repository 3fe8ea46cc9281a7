#include "cloud/NamedFile.h"

#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "cloud/Log.h"

namespace qinglan {

NamedDownload DownloadNamedFile(const QString& itemsBaseUrl, int folderId, const QString& name,
                                const QString& path) {
    NamedDownload result;
    const QString folder = itemsBaseUrl + QString::number(folderId);
    const auto item = FindListedItem(TryHttpGetText(folder), name);
    if (!item) {
        qCWarning(lcCloud) << name << "is not listed in" << folder;
        return result;
    }
    result.listed = true;
    result.download = DownloadToFile(itemsBaseUrl + item->ResourceID, path);
    return result;
}

QString GetNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                     const QString& bufferPath) {
    if (!DownloadNamedFile(itemsBaseUrl, folderId, name, bufferPath).ok())
        return {};
    const QString text = ReadGbkTextFile(bufferPath).value_or(QString());
    if (text.isEmpty())
        qCWarning(lcCloud) << name << "in folder" << folderId << "is empty";
    return text;
}

} // namespace qinglan
