#pragma once

#include <QLoggingCategory>

namespace qinglan {

// Failures of the cloud layer that callers turn into an empty result (a fetch
// that failed, a download that was refused). Quiet unless switched on:
// QT_LOGGING_RULES="qinglan.cloud=true".
Q_DECLARE_LOGGING_CATEGORY(lcCloud)

} // namespace qinglan
