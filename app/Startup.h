#pragma once

#include <QString>

namespace qinglan {

// Creates the data folder when it is missing (one level). Returns an error
// description naming the failure, empty on success.
QString EnsureDataFolder(const QString& dataPath);

// Writes the background tile to tilePath unless a file is already there; an
// existing file is used as it is. Returns an error description, empty on success.
QString EnsureBackgroundTile(const QString& tilePath);

} // namespace qinglan
