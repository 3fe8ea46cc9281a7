#pragma once

#include "cloud/Transfers.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace qinglan {

// The program's HTTP requests, made through the one transfer owner (Transfers):
// each call returns at once, and its answer comes later on context's thread.

struct [[nodiscard]] DownloadOutcome final {
    DownloadResult result = DownloadResult::Ok;
    // For FileFailed: the system's error number (ENOSPC, EACCES, ...), else 0.
    int fileError = 0;

    bool ok() const { return result == DownloadResult::Ok; }
};

// A response body decoded by the charset its Content-Type declares, UTF-8 when
// it declares none.
QString DecodeBody(const QByteArray& body, const QByteArray& contentType);

struct TextReply final {
    std::optional<QString> text; // nullopt when the transfer failed
    long status = 0;             // the HTTP status of a text that arrived
};

// GET url as text. done gets the body decoded, whatever the status (an error
// page is text like any other), or nullopt when the request failed (no
// connection, broken transfer, a limit of its kind reached); the failure is
// logged with the address.
TransferId FetchText(const QString& url, TransferKind kind, QObject* context,
                     std::function<void(const TextReply&)> done);

// Downloads url into path: the file appears at path only when a complete 2xx
// response has been written (and, Flushed, is on the disk); otherwise nothing
// is left there and a file that was there stays as it was.
TransferId StartDownload(const QString& url, const QString& path, TransferKind kind,
                         QObject* context, std::function<void(DownloadOutcome)> done,
                         Durability durability = Durability::Flushed,
                         Connection connection = Connection::Reuse);

} // namespace qinglan
