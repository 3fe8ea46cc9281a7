#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qinglan {

// Text files of the program are in code page 936 (GBK). Characters that GBK
// cannot hold do not survive a round trip.
QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);

// Writes text followed by CR LF, creating or replacing the file as ReplaceFile
// does (whole or not at all, never through a link at path). Returns an error
// description naming the file and the system's error, empty on success.
[[nodiscard]] QString WriteGbkTextFile(const QString& path, const QString& text);

// Reads a whole file as GBK text; nullopt (and a warning in qinglan.cloud) when
// it cannot be opened or read.
[[nodiscard]] std::optional<QString> ReadGbkTextFile(const QString& path);

} // namespace qinglan
