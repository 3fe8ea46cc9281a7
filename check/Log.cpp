#include "check/Log.h"

namespace qinglan {

Q_LOGGING_CATEGORY(lcCheck, "qinglan.check", QtCriticalMsg)

} // namespace qinglan
