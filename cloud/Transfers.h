#pragma once

#include "cloud/Files.h"
#include "cloud/TransferLimits.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace qinglan {

enum class DownloadResult {
    Ok,
    TransferFailed, // no connection, broken or cut short, a limit reached, abandoned
    HttpStatus,     // the server answered with a status other than 2xx
    FileFailed,     // the local file could not be written or put in place
};

// Whether a transfer may reuse an open connection (the normal case) or must open
// and close one of its own (the reference the benchmarks compare with).
enum class Connection { Reuse, Fresh };

struct TransferRequest final {
    QString url;
    TransferKind kind = TransferKind::NamedText;
    // Empty: the body is kept in memory. Otherwise the body is written beside
    // this path and renamed to it only when the whole of a 2xx response has
    // arrived; a failed transfer leaves nothing there, and a file that was
    // there stays as it was.
    QString path;
    Durability durability = Durability::Flushed;
    Connection connection = Connection::Reuse;
};

struct TransferReply final {
    DownloadResult result = DownloadResult::TransferFailed;
    // For FileFailed: the system's error number (ENOSPC, EACCES, ...), else 0.
    int fileError = 0;
    long status = 0; // the HTTP status, 0 when none arrived
    // For a transfer into memory: the whole body (whatever the status), and the
    // Content-Type the response declared.
    QByteArray body;
    QByteArray contentType;

    // A transfer into memory: the response arrived whole, whatever its status.
    // A transfer into a file: a 2xx response is in place at its path.
    bool ok() const { return result == DownloadResult::Ok; }
    bool success2xx() const { return ok() && status >= 200 && status <= 299; }
};

using TransferId = quint64;

// The most connections the program opens to one host at once.
inline constexpr int MaxHostConnections = 6;

// The one owner of the program's transfers. Every HTTP(S) request runs on a
// thread of its own (libcurl's multi interface: many transfers at once, open
// connections kept for the next request), never on the thread that asks for it.
// The answer comes back to the asker's thread as a queued call on its context
// object; when that object is gone by then, the answer is dropped.
class Transfers final {
public:
    using Done = std::function<void(const TransferReply&)>;

    static Transfers& Instance();

    // Starts a transfer; done(reply) runs later on context's thread, exactly
    // once, unless the transfer is cancelled or the program ends first. With a
    // null context, done runs on the transfer thread (for tools and tests that
    // wait for the answer themselves).
    TransferId Start(TransferRequest request, QObject* context, Done done);

    // The transfer stops; its done never runs and a download leaves no file.
    void Cancel(TransferId id);

    // The program is ending: every transfer in flight stops at once and leaves
    // no part file, no answer is delivered any more, and nothing starts from now
    // on. Returns when the transfer thread has let go of every file.
    void AbandonAll();

    // Whether this process is writing the part file at partPath now.
    bool Writing(const QString& partPath) const;

    ~Transfers();
    Transfers(const Transfers&) = delete;
    Transfers& operator=(const Transfers&) = delete;

    // A file of certificate authorities trusted besides the system's store, for a
    // cloud served with a certificate of a test authority; empty for none.
    static void SetExtraCertificateAuthorities(const QString& pemFile);

private:
    Transfers();
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

// Removes the part files that downloads into folder left behind and that no
// transfer can still be writing: the writing process has ended (or is this one,
// which no longer writes it). Part files of another running program on the same
// folder stay, however long they were quiet. Returns how many
// were removed.
int RemoveStalePartFiles(const QString& folder);

} // namespace qinglan
