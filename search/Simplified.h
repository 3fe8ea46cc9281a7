#pragma once

#include <QString>

namespace qinglan {

// Chinese text in simplified characters: OpenCC's phrase-aware traditional to
// simplified conversion (當歸 is 当归, 清熱 is 清热). Text of ASCII only, and any
// text when OpenCC cannot be opened or fails on it (a warning in qinglan.search),
// comes back as it is. OpenCC is opened once per process, on first use; calls
// may come from any thread.
QString SimplifiedChinese(const QString& text);

} // namespace qinglan
