#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qinglan {

// Text files of the program are in code page 936 (GBK). Characters that GBK
// cannot hold do not survive a round trip.
QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);

// Writes text followed by CR LF, creating or replacing the file.
// Returns an error description, empty on success.
QString WriteGbkTextFile(const QString& path, const QString& text);

// Reads a whole file as GBK text; nullopt when it cannot be opened or read.
std::optional<QString> ReadGbkTextFile(const QString& path);

} // namespace qinglan
