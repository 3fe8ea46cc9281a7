#pragma once

#include <QString>

#include <optional>

namespace qinglan {

// The local data folder (where it lies: Environment::DataPath) holds the entry
// index ML and one file per entry.
// This is the one place that knows how that folder is laid out.
QString IndexPath(const QString& dataPath);

// The name under which an entry is stored: the listed name without its first
// four characters. Names that would not name a plain file inside the data folder
// (four characters or fewer, a path separator, ".", "..") have none.
std::optional<QString> EntryFileName(const QString& listedName);

// DataPath + "/" + EntryFileName(listedName), when there is one.
std::optional<QString> EntryFilePath(const QString& dataPath, const QString& listedName);

} // namespace qinglan
