#pragma once

#include "cloud/Listing.h"

#include <QString>

#include <functional>

namespace qinglan {

// How a bulk pass ended.
struct BulkPassResult final {
    int listed = 0;  // entries listed (each entry file once)
    int missing = 0; // of them, not in the data folder at the end
    // Set when writing an entry failed because the folder cannot take it (full,
    // over quota, read-only, gone): the pass stopped there. The system's error.
    int folderError = 0;
};

// The number of transfers a pass runs at once by default, as a browser does.
inline constexpr int BulkConnections = 6;

// Downloads every listed entry whose file is not in the data folder yet, with up
// to connections transfers at once, each started in listing order. An entry
// file that exists or is being downloaded counts as present, so two listed
// names with one entry file make one request; entries without a file name of
// their own are skipped. Part files left by an earlier pass that was cancelled
// or killed are removed first. progress(done) is called on the calling thread
// at least every few milliseconds while the pass runs, with the number of items
// handled (downloaded, present, failed or skipped), and may process the
// window's events. When a write fails because the folder cannot take it, no
// further transfer starts.
BulkPassResult DownloadMissingEntries(const QList<RemoteItem>& items, const QString& dataPath,
                                      const QString& itemsBaseUrl, int connections,
                                      const std::function<void(qint64 done)>& progress);

} // namespace qinglan
