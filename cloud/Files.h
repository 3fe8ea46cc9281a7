#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace qinglan {

// How a file is put in place: flushed to the disk before it gets its name (and
// its folder after), so that after a power cut it is whole or missing, never a
// named but empty file (for the data folder and a saved update); or just
// renamed, for scratch files that nothing relies on after a restart.
enum class Durability { Flushed, Renamed };

// Replaces the file at path with bytes: they are written to a new file beside it,
// which is then renamed over path. A reader never sees half a file, a failed
// write leaves the old file as it was, and a symbolic link at path is replaced
// rather than followed. The new file gets mode (set on the file itself, never
// through a name). Returns an error description, “path”：reason, naming the file
// and the system's error; empty on success.
[[nodiscard]] QString ReplaceFile(const QString& path, const QByteArray& bytes,
                                  Durability durability = Durability::Renamed,
                                  unsigned mode = 0644);

// Flushes the folder that holds path, so that a rename into it survives a power cut.
void SyncFolderOf(const QString& path);

// Creates path and its missing parents. Returns 0, or the system's error number
// of the step that failed.
int MakeFolders(const QString& path);

// Writes size bytes to fd, going on after interruptions and short writes.
// Returns 0, or the system's error number (EIO when nothing could be written).
int WriteAll(int fd, const char* data, size_t size);

// The system's error number as a short Chinese text ("磁盘空间不足").
QString SystemErrorText(int error);

// True when error means that the folder cannot take more files (full disk,
// quota, read-only or vanished folder), as opposed to a failure of one file.
bool IsFolderFailure(int error);

} // namespace qinglan
