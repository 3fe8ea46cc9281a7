#include "cloud/Log.h"

namespace qinglan {

// Critical as the default threshold keeps warnings off until a rule enables them.
Q_LOGGING_CATEGORY(lcCloud, "qinglan.cloud", QtCriticalMsg)

} // namespace qinglan
