#pragma once

#include "cloud/Http.h"

#include <QObject>
#include <QString>

#include <functional>

namespace qinglan {

// A file of a remote folder fetched by name: the folder's listing is read, the
// item found by its exact name and fetched. The empty result stands for every
// kind of unavailability, and nothing is shown to the user; each failure is
// logged in qinglan.cloud. Each call returns at once; done runs later on
// context's thread (never when context is gone by then).

// Downloads into bufferPath (replacing it) and gives the content as GBK text.
// When the name is not listed or the download fails, bufferPath is not touched
// and the text is empty.
void FetchNamedText(const QString& itemsBaseUrl, int folderId, const QString& name,
                    const QString& bufferPath, QObject* context,
                    std::function<void(const QString& text)> done);

struct NamedDownload final {
    bool listed = false;      // the folder's listing named the file
    DownloadOutcome download; // the download's outcome, when listed

    bool ok() const { return listed && download.ok(); }
};

// Downloads the named file to path. When the name is not listed or the download
// fails, nothing is created at path and an existing file stays as it was.
void StartNamedDownload(const QString& itemsBaseUrl, int folderId, const QString& name,
                        const QString& path, TransferKind kind, QObject* context,
                        std::function<void(const NamedDownload&)> done);

struct NamedBytes final {
    bool listed = false; // the folder's listing named the file
    TransferReply reply; // the transfer's reply, when listed

    // Listed, and the whole body of a 2xx response arrived.
    bool ok() const { return listed && reply.success2xx(); }
};

// The named file's bytes, kept in memory (bounded by its kind's size limit).
void FetchNamedBytes(const QString& itemsBaseUrl, int folderId, const QString& name,
                     TransferKind kind, QObject* context,
                     std::function<void(const NamedBytes&)> done);

} // namespace qinglan
