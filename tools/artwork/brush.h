#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

namespace art {

// Ink colours used for outlines and lettering.
namespace ink {
inline const QColor leaf{48, 60, 34};
inline const QColor bark{70, 48, 32};
inline const QColor petal{112, 96, 82};
inline const QColor text{66, 44, 28};
} // namespace ink

// Noto Serif CJK SC when installed, otherwise Noto Sans CJK SC.
QFont serifFont(double pixelSize, int weight = QFont::Normal);

QPainterPath cubic(QPointF a, QPointF c1, QPointF c2, QPointF b);
QPainterPath quad(QPointF a, QPointF c, QPointF b);

// Position and direction (degrees, screen orientation) at fraction t of a path's length.
struct Frame {
    QPointF pos;
    double angle;
    QPointF dir() const;
    QPointF normal() const; // dir() turned 90 degrees clockwise on screen
};
Frame frameAt(const QPainterPath& spine, double t);

// Point at `distance` from `from` in direction `angle` (degrees, screen orientation).
QPointF polar(QPointF from, double angle, double distance);

// Closed outline around `spine` whose width changes linearly from w0 to w1. A non-zero
// `roundStart` swells the width in from a rounded start over that fraction of the length.
QPainterPath taperedPath(const QPainterPath& spine, double w0, double w1, double roundStart = 0.0);

// Watercolour fill: translucent body with a darker rim where the pigment pools.
void wash(QPainter& p, const QPainterPath& shape, const QBrush& body, QColor rim,
          double rimWidth = 2.5);
void outline(QPainter& p, const QPainterPath& shape, QColor colour, double width);

// Tapered stem with an ink contour.
void drawStem(QPainter& p, const QPainterPath& spine, double w0, double w1, QColor colour);
// Hair-thin stalk drawn as a single ink line.
void drawStalk(QPainter& p, const QPainterPath& spine, double width, QColor colour);

struct LeafShape {
    double length = 30;
    double width = 12;
    double widestAt = 0.4; // position of the widest point, 0..1 from the base
    double bend = 0.0;     // sideways drift of the tip, as a fraction of the length
    int teeth = 0;         // serration along each edge
    double toothDepth = 0.08;
    int lobes = 0; // deep cuts along each edge
    double lobeDepth = 0.0;
    double bluntness = 1.0; // above 1 gives a rounder tip
};

// Leaf outline with its base at the origin and its tip towards +x.
QPainterPath leafPath(const LeafShape& s);
// Leaf attached at `base`, pointing along `angle` (degrees).
void drawLeaf(QPainter& p, QPointF base, double angle, const LeafShape& s, QColor colour,
              double inkWidth = 0.7);

void drawBerry(QPainter& p, QPointF centre, double rx, double ry, double angle, QColor colour);

// Small lettering centred in `box`.
void drawCaption(QPainter& p, const QRectF& box, const QString& text, double pixelSize);

// Moves and scales the painter for the lifetime of the object.
class Placed {
public:
    Placed(QPainter& p, QPointF origin, double scale) : m_p(p) {
        m_p.save();
        m_p.translate(origin);
        m_p.scale(scale, scale);
    }
    ~Placed() { m_p.restore(); }
    Placed(const Placed&) = delete;
    Placed& operator=(const Placed&) = delete;

private:
    QPainter& m_p;
};

} // namespace art
