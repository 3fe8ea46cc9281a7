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
    if (result.download.ok())
        result.text = ReadGbkTextFile(path).value_or(QString());
    return result;
}

QString GetNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                     const QString& bufferPath) {
    const NamedDownload download = DownloadNamedFile(itemsBaseUrl, folderId, name, bufferPath);
    if (download.ok() && download.text.isEmpty())
        qCWarning(lcCloud) << name << "in folder" << folderId << "is empty";
    return download.text;
}

} // namespace qinglan
