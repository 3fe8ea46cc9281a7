#include "search/Log.h"

namespace qinglan {

Q_LOGGING_CATEGORY(lcSearch, "qinglan.search", QtCriticalMsg)

} // namespace qinglan
