#pragma once

namespace qinglan {

// Design sizes are in twips; 15 twips make one device-independent pixel.
constexpr int Px(int twips) { return twips / 15; }

} // namespace qinglan
