#pragma once

#include <QString>

namespace qinglan {

// A file of a remote folder fetched by name: the folder's listing is read, the
// item found by its exact name and downloaded. The empty string stands for every
// kind of unavailability, and nothing is shown to the user.

// Downloads into bufferPath (replacing it) and returns the content as GBK text.
QString GetNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                     const QString& bufferPath);

// Downloads to path and returns the content as GBK text. When the name is not
// listed or the download fails, nothing is created at path.
QString DownloadNamedFile(const QString& itemsBaseUrl, int folderId, const QString& name,
                          const QString& path);

} // namespace qinglan
