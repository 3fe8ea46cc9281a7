#include "info/Log.h"

namespace qinglan {

Q_LOGGING_CATEGORY(lcInfo, "qinglan.info", QtCriticalMsg)

} // namespace qinglan
