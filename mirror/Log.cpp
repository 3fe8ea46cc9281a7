#include "mirror/Log.h"

namespace qinglan {

Q_LOGGING_CATEGORY(lcMirror, "qinglan.mirror", QtCriticalMsg)

} // namespace qinglan
