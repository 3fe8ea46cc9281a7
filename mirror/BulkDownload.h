#pragma once

#include "cloud/Listing.h"

#include <QString>

#include <functional>

namespace qinglan {

// Downloads, in listing order, every entry whose file is not in the data folder
// yet; entries without a file name of their own are skipped. Every item counts,
// downloaded, present, failed or skipped; afterItem gets the count after each.
// Returns the number of items handled.
qint64 DownloadMissingEntries(const QList<RemoteItem>& items, const QString& dataPath,
                              const QString& itemsBaseUrl,
                              const std::function<void(qint64 count)>& afterItem);

} // namespace qinglan
