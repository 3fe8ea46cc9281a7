#pragma once

#include "tools/artwork/brush.h"
#include "tools/artwork/rng.h"

namespace art {

// Slight random variation of hue, saturation and value.
QColor vary(QColor colour, Rng& rng, int amount = 8);

// Leaflets radiating from the tip of a petiole, like the hand-shaped leaves of ginseng.
void palmateLeaf(QPainter& p, Rng& rng, QPointF at, double angle, double petiole, int count,
                 const LeafShape& leaflet, QColor colour, double spread = 150);

// Leaflets in pairs along a rachis, with an optional terminal leaflet.
void pinnateLeaf(QPainter& p, Rng& rng, QPointF at, double angle, double length, int pairs,
                 const LeafShape& leaflet, QColor colour, double curl = 8, bool terminal = true);

// Globe of berries on short pedicels, centred above `stalkTop`.
void berryCluster(QPainter& p, Rng& rng, QPointF stalkTop, double radius, int count,
                  double berryRadius, QColor colour);

// Composite flower head seen at an angle; tilt squashes it vertically (1 = face on).
void chrysanthemumHead(QPainter& p, Rng& rng, QPointF centre, double radius, double tilt,
                       double facing, QColor petal, QColor heart);
void chrysanthemumBud(QPainter& p, Rng& rng, QPointF base, double angle, double size);

// Pea-like flowers along a stalk (licorice, milkvetch).
void peaFlower(QPainter& p, QPointF at, double angle, double size, QColor colour);
void raceme(QPainter& p, Rng& rng, QPointF base, double angle, double length, int count,
            double size, QColor colour);
// Inflated seed pod hanging from `at`.
void bladderPod(QPainter& p, Rng& rng, QPointF at, double angle, double length);

// Flat-topped compound umbel of tiny flowers (angelica).
void umbel(QPainter& p, Rng& rng, QPointF apex, double radius, int rays, QColor floret);

// Two-lipped tubular flower and its club-shaped bud (honeysuckle).
void tubularFlower(QPainter& p, Rng& rng, QPointF base, double angle, double length, QColor colour);
void tubularBud(QPainter& p, QPointF base, double angle, double length, QColor colour);

// Root body along `spine` with wrinkles and shading.
void drawRoot(QPainter& p, Rng& rng, const QPainterPath& spine, double w0, double w1, QColor colour,
              int wrinkles, double roundStart = 0.0);
// Thin wavy rootlet.
void rootlet(QPainter& p, Rng& rng, QPointF from, double angle, double length, double width);
// Cut slice of a root showing bark, radial rays and core.
void rootSlice(QPainter& p, Rng& rng, QPointF centre, double rx, double ry, double angle,
               QColor bark, QColor flesh);

// Soft patch of ground wash under a plant.
void groundWash(QPainter& p, Rng& rng, QPointF centre, double width);

} // namespace art
