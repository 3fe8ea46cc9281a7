#pragma once

#include "tools/artwork/parts.h"

namespace art {

// Whole plants. Each is drawn around its own anchor point at the given scale;
// the comments give the approximate extent at scale 1.

// Anchor: the root neck. Leaves and berries above (about 120 wide, up to
// stemHeight + 45), forked root below (about 70 down).
void ginseng(QPainter& p, Rng& rng, QPointF neck, double scale, double stemHeight = 48);
// Anchor: the root neck. Like ginseng, with a taller stem and a stubby knobbed root.
void sanqi(QPainter& p, Rng& rng, QPointF neck, double scale);
// Harvested notoginseng root; `top` is its cut end, `angle` turns it from hanging straight down.
void sanqiTuber(QPainter& p, Rng& rng, QPointF top, double angle, double scale);
// Anchor: the root head. Umbels about 150 above, branching root about 50 below.
void angelica(QPainter& p, Rng& rng, QPointF head, double scale);

// Anchor: stem base. About 130 tall and 110 wide.
void licorice(QPainter& p, Rng& rng, QPointF base, double scale);
void astragalus(QPainter& p, Rng& rng, QPointF base, double scale);
// Harvested root lying from `from` to `to`.
void lyingRoot(QPainter& p, Rng& rng, QPointF from, QPointF to, double width, QColor bark,
               QColor flesh);

// Anchor: lower end of the vine; spreads about 200 to the right and 140 up.
void honeysuckle(QPainter& p, Rng& rng, QPointF start, double scale);
// Anchor: stem base; about 130 tall, 120 wide.
void chrysanthemum(QPainter& p, Rng& rng, QPointF base, double scale);
// Anchor: the woody end of the branch; arches about 210 to the right.
void goji(QPainter& p, Rng& rng, QPointF start, double scale);
// Small heap of dried berries centred on `centre`.
void driedBerries(QPainter& p, Rng& rng, QPointF centre, int count);

} // namespace art
