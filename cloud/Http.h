#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace qinglan {

// Blocking HTTP on libcurl. All requests of a thread share one connection cache,
// so consecutive requests to the same host reuse one connection.

// Bounds that keep a dead or stalled server from blocking the caller for ever.
struct HttpTimeouts final {
    std::chrono::milliseconds connect{10000};
    // Abort when less than one byte per second arrives for this long.
    std::chrono::seconds stall{30};
};
HttpTimeouts CurrentHttpTimeouts();
void SetHttpTimeouts(HttpTimeouts timeouts);

// GET: the body decoded by the charset the response declares, UTF-8 when it
// declares none. The status is not examined: an error page is returned as text.
// nullopt when the request failed (no connection, broken transfer).
std::optional<QString> HttpGetText(const QString& url);

// The same, with every failure turned into the empty string.
QString TryHttpGetText(const QString& url);

// Result of a download: 0 on success, otherwise a code naming the failure.
enum DownloadCode : int {
    DownloadOk = 0,
    DownloadTransferFailed = 1, // no connection, broken or cut short, time-out
    DownloadHttpStatus = 2,     // the server answered with a status other than 2xx
    DownloadFileFailed = 3,     // the local file could not be written or put in place
};

// Downloads url into path. The file appears at path only when a complete 2xx
// response has been written; otherwise nothing is left there and a file that
// was there stays as it was.
int DownloadToFile(const QString& url, const QString& path);

} // namespace qinglan
