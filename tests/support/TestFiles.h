#pragma once

#include <QByteArray>
#include <QString>

// A whole file's bytes, or "<missing>" when it cannot be read.
QByteArray ReadAll(const QString& path);

// Creates or replaces a file with these bytes; false when that failed.
bool WriteFile(const QString& path, const QByteArray& bytes);

// An entry index of this many lines ("N - 0000条目N.html"), long enough for a
// query over it to yield to the event loop while it reads.
QString LongIndex(int lines);

// The text of a section in an entry's source as the library writes it
// ("<p><b>【name】</b>…</p>"), found without the program's section reader; tags
// inside it are kept. Empty when the entry has no such section.
QString RawSection(const QString& html, const QString& name);
