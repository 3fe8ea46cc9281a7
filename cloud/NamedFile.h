#pragma once

#include "cloud/Http.h"

#include <QString>

namespace qinglan {

// A file of a remote folder fetched by name: the folder's listing is read, the
// item found by its exact name and downloaded. The empty string stands for every
// kind of unavailability, and nothing is shown to the user; each failure is
// logged in qinglan.cloud.

// Downloads into bufferPath (replacing it) and returns the content as GBK text.
// When the name is not listed or the download fails, bufferPath is not touched
// and the result is empty.
[[nodiscard]] QString GetNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                                   const QString& bufferPath);

struct [[nodiscard]] NamedDownload final {
    bool listed = false;      // the folder's listing named the file
    DownloadOutcome download; // the download's outcome, when listed

    bool ok() const { return listed && download.ok(); }
};

// Downloads the named file to path. When the name is not listed or the download
// fails, nothing is created at path and an existing file stays as it was.
NamedDownload DownloadNamedFile(const QString& itemsBaseUrl, int folderId, const QString& name,
                                const QString& path);

} // namespace qinglan
