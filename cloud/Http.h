#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace qinglan {

// Blocking HTTP on libcurl. All requests of a thread share one connection cache,
// so consecutive requests to the same host reuse one connection. Requests may be
// made from several threads at once; each thread has its own connection cache.

// Bounds that keep a dead, stalled or endless server from blocking the caller
// for ever.
struct HttpLimits final {
    std::chrono::milliseconds connect{10000};
    // A transfer fails when, for this long, less arrives per second than its
    // kind's rate below.
    std::chrono::seconds stall{30};
    qint64 textStallBytesPerSecond = 1;
    qint64 downloadStallBytesPerSecond = 1024;
    // A text fetch (listing, named file, version file) also fails when it takes
    // longer than this or its body grows beyond this size.
    std::chrono::seconds textTotal{60};
    qint64 maxTextBytes = qint64(64) << 20;
};
void SetHttpLimits(const HttpLimits& limits);

// A file of certificate authorities trusted besides the system's store, for a
// cloud served with a certificate of a test authority; empty for none.
void SetExtraCertificateAuthorities(const QString& pemFile);

// From now on every transfer of the process fails at once, and one in flight is
// abandoned at its next progress report (no file is left by a download). Called
// when the program ends.
void AbandonTransfers();

// GET: the body decoded by the charset the response declares, UTF-8 when it
// declares none. The status is not examined: an error page is returned as text.
// nullopt when the request failed (no connection, broken transfer, a limit of
// HttpLimits reached); the failure is logged with the address.
[[nodiscard]] std::optional<QString> HttpGetText(const QString& url);

// The same, with every failure turned into the empty string.
[[nodiscard]] QString TryHttpGetText(const QString& url);

enum class DownloadResult {
    Ok,
    TransferFailed, // no connection, broken or cut short, too slow, abandoned
    HttpStatus,     // the server answered with a status other than 2xx
    FileFailed,     // the local file could not be written or put in place
};

struct [[nodiscard]] DownloadOutcome final {
    DownloadResult result = DownloadResult::Ok;
    // For FileFailed: the system's error number (ENOSPC, EACCES, ...), else 0.
    int fileError = 0;

    bool ok() const { return result == DownloadResult::Ok; }
};

// Whether a transfer may reuse the thread's open connection (the normal case) or
// must open and close one of its own (the reference the benchmarks compare with).
enum class Connection { Reuse, Fresh };

// Downloads url into path. The file appears at path only when a complete 2xx
// response has been written; otherwise nothing is left there and a file that
// was there stays as it was. The part file is written beside the target, named
// after it and the writing process. Failures are logged with the address and
// the reason.
DownloadOutcome DownloadToFile(const QString& url, const QString& path,
                               Connection connection = Connection::Reuse);

// Removes the part files that downloads into folder left behind and that no
// transfer can still be writing: the writing process has ended, or nothing was
// written for longer than a transfer may stall. Part files of transfers that
// may be running (another instance on the same folder) stay. Returns how many
// were removed.
int RemoveStalePartFiles(const QString& folder);

} // namespace qinglan
