#pragma once

#include <QLoggingCategory>

namespace qinglan {

// Failures of this library that end in a fallback rather than a message. Quiet
// unless switched on: QT_LOGGING_RULES="qinglan.check=true" (or "qinglan.*=true").
Q_DECLARE_LOGGING_CATEGORY(lcCheck)

} // namespace qinglan
