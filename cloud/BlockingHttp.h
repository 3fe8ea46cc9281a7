#pragma once

#include "cloud/Http.h"
#include "cloud/NamedFile.h"

#include <QString>

#include <optional>

namespace qinglan {

// Waiting forms of the requests, for the cloud tool, tests and benchmarks, which
// have no window to keep alive. The program's windows never use them: they ask
// through cloud/Http.h and continue from the answer.

// GET: the decoded body whatever the status, nullopt when the request failed.
[[nodiscard]] std::optional<QString> HttpGetText(const QString& url,
                                                 TransferKind kind = TransferKind::Listing);
// The same, with every failure turned into the empty string.
[[nodiscard]] QString TryHttpGetText(const QString& url);
// GET as text with the status.
[[nodiscard]] TextReply HttpGetReply(const QString& url, TransferKind kind = TransferKind::Listing);

// Fetches the listing at address and looks name up in it (ItemUrlInListing).
[[nodiscard]] QString GetItemUrl(const QString& address, const QString& name);

// Downloads url into path, as StartDownload of cloud/Http.h does, and waits.
DownloadOutcome DownloadToFileNow(const QString& url, const QString& path,
                                  Connection connection = Connection::Reuse,
                                  TransferKind kind = TransferKind::Entry,
                                  Durability durability = Durability::Flushed);

// The named file fetches of cloud/NamedFile.h, waited for.
[[nodiscard]] QString GetNamedTextNow(const QString& itemsBaseUrl, int folderId,
                                      const QString& name, const QString& bufferPath);
NamedDownload DownloadNamedFileNow(const QString& itemsBaseUrl, int folderId, const QString& name,
                                   const QString& path);

} // namespace qinglan
