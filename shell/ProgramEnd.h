#pragma once

namespace qinglan {

// Ends the process at once, without closing windows or running their handlers,
// after flushing what the C library still buffers.
void TerminateNow();

} // namespace qinglan
