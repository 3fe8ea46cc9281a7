#pragma once

#include <functional>

class QObject;

namespace qinglan {

// Ends the process at once, without closing windows or running their handlers,
// after flushing what the C library still buffers.
void TerminateNow();

// From now on SIGTERM, SIGINT and SIGHUP run end on context's thread (in its
// event loop) instead of killing the process where it stands, so that the
// program ends as a close of its main window ends it. Once per process.
void EndOnTerminationSignals(QObject* context, std::function<void()> end);

} // namespace qinglan
