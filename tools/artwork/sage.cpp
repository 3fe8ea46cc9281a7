#include "tools/artwork/parts.h"
#include "tools/artwork/pictures.h"

#include <QLinearGradient>
#include <array>

namespace art {

namespace {

const QColor robeWash{88, 102, 112};
const QColor skin{232, 204, 168};
const QColor silver{248, 247, 242};
const QColor figureInk{44, 38, 34};
const QColor woodBrown{118, 84, 52};

QPainterPath closedCurve(QPointF start, std::initializer_list<std::array<QPointF, 3>> segments) {
    QPainterPath path(start);
    for (const auto& s : segments)
        path.cubicTo(s[0], s[1], s[2]);
    path.closeSubpath();
    return path;
}

// Brush line that starts full and thins out.
void brushLine(QPainter& p, const QPainterPath& spine, double width, QColor colour) {
    p.fillPath(taperedPath(spine, width, width * 0.15), colour);
}

void paintShape(QPainter& p, const QPainterPath& shape, const QBrush& body, QColor rim) {
    wash(p, shape, body, rim, 1.6);
    outline(p, shape, figureInk, 0.7);
}

void staffAndGourd(QPainter& p, Rng& rng) {
    const QPainterPath staff = cubic({24, 2}, {22, -40}, {20, -92}, {20, -134});
    drawRoot(p, rng, staff, 3.0, 2.4, woodBrown, 6);
    p.setPen(QPen(figureInk, 0.6));
    p.setBrush(woodBrown.darker(110));
    p.drawEllipse(QPointF(20, -135), 3.0, 2.6);

    p.setPen(QPen(figureInk, 0.5));
    p.drawLine(QPointF(21, -126), QPointF(25, -117));
    QLinearGradient g(20, -118, 33, -98);
    g.setColorAt(0.0, QColor(222, 172, 90));
    g.setColorAt(1.0, QColor(176, 120, 52));
    p.setPen(QPen(figureInk, 0.6));
    p.setBrush(g);
    p.drawEllipse(QPointF(27.5, -102.5), 5.5, 6.0);
    p.drawEllipse(QPointF(26.2, -112.5), 3.6, 3.8);
    p.setPen(QPen(QColor(170, 40, 30), 1.4));
    p.drawLine(QPointF(24.0, -108.5), QPointF(29.5, -108.0));
}

void robe(QPainter& p) {
    const QPainterPath backSleeve = closedCurve({-8, -92}, {{{{-16, -86}, {-22, -70}, {-24, -54}}},
                                                            {{{-20, -50}, {-15, -50}, {-12, -52}}},
                                                            {{{-8, -64}, {-6, -78}, {-8, -92}}}});
    paintShape(p, backSleeve, robeWash.lighter(108), robeWash.darker(130));

    const QPainterPath body = closedCurve({-6, -99}, {{{{-14, -95}, {-17, -70}, {-18, -42}}},
                                                      {{{-19, -20}, {-23, -8}, {-27, -1}}},
                                                      {{{-10, 3}, {4, 2}, {17, -1}}},
                                                      {{{13, -20}, {12, -45}, {12, -62}}},
                                                      {{{11, -80}, {9, -92}, {5, -99}}}});
    QLinearGradient shade(-20, 0, 14, 0);
    shade.setColorAt(0.0, robeWash.darker(115));
    shade.setColorAt(1.0, robeWash.lighter(150));
    paintShape(p, body, shade, robeWash.darker(140));

    // Pale under-robe at the hem, the crossed collar and the sash.
    p.save();
    p.setClipPath(body);
    p.strokePath(quad({-30, 0}, {-6, -5}, {20, -2}), QPen(QColor(226, 220, 204), 3.2));
    p.restore();
    p.strokePath(quad({-24, -2}, {-6, -6}, {16, -3}), QPen(figureInk, 0.5));
    p.strokePath(quad({-4, -99}, {0, -92}, {7, -84}), QPen(QColor(230, 224, 210), 2.4));
    p.strokePath(quad({-17, -66}, {-2, -63}, {12, -65}), QPen(QColor(64, 56, 48), 2.2));
    p.strokePath(cubic({4, -64}, {7, -56}, {3, -48}, {6, -38}), QPen(QColor(64, 56, 48), 1.1));

    QColor fold = figureInk;
    fold.setAlpha(170);
    brushLine(p, cubic({-9, -58}, {-11, -40}, {-13, -20}, {-17, -4}), 1.3, fold);
    brushLine(p, cubic({1, -58}, {0, -40}, {-1, -22}, {-3, -4}), 1.1, fold);
    brushLine(p, cubic({8, -56}, {9, -40}, {9, -24}, {9, -6}), 1.0, fold);
}

void frontSleeve(QPainter& p) {
    const QPainterPath sleeve = closedCurve({-2, -95}, {{{{8, -93}, {14, -87}, {18, -81}}},
                                                        {{{19, -79}, {20, -77}, {21, -76}}},
                                                        {{{20, -72}, {18, -68}, {16, -66}}},
                                                        {{{14, -56}, {8, -48}, {0, -50}}},
                                                        {{{-6, -54}, {-6, -76}, {-2, -95}}}});
    QLinearGradient shade(-4, -90, 16, -55);
    shade.setColorAt(0.0, robeWash.lighter(125));
    shade.setColorAt(1.0, robeWash.lighter(105));
    paintShape(p, sleeve, shade, robeWash.darker(135));
    QColor fold = figureInk;
    fold.setAlpha(160);
    brushLine(p, cubic({2, -86}, {6, -76}, {8, -64}, {6, -54}), 0.9, fold);
    p.setPen(QPen(figureInk, 0.6));
    p.setBrush(skin);
    p.drawEllipse(QPointF(21.2, -78.5), 2.6, 2.3);
}

void head(QPainter& p) {
    p.setPen(QPen(figureInk, 0.7));
    p.setBrush(skin);
    p.drawEllipse(QPointF(3, -108), 6.2, 6.8);
    QPainterPath nose(QPointF(8.8, -109));
    nose.lineTo(10.8, -105.8);
    nose.lineTo(8.6, -105.2);
    p.drawPath(nose);

    // White hair swept back into a topknot.
    const QPainterPath hair = closedCurve({6, -114}, {{{{2, -117}, {-4, -116}, {-4, -110}}},
                                                      {{{-4, -106}, {-3, -103}, {-1, -101}}},
                                                      {{{-2, -106}, {0, -111}, {6, -114}}}});
    paintShape(p, hair, silver, QColor(170, 168, 160));
    p.setBrush(silver);
    p.drawEllipse(QPointF(-1.5, -116.8), 3.0, 2.7);
    p.setPen(QPen(woodBrown, 0.7));
    p.drawLine(QPointF(-5.5, -117.6), QPointF(2.2, -116.6));
    p.setPen(QPen(figureInk, 0.8));
    p.drawLine(QPointF(5.6, -109.6), QPointF(7.6, -109.4));
    p.setPen(QPen(QColor(200, 198, 190), 1.0));
    p.drawLine(QPointF(4.5, -112), QPointF(9.0, -111.2));
}

void beard(QPainter& p) {
    const QPainterPath shape = closedCurve({3, -104}, {{{{9, -105}, {11, -102}, {10.5, -98}}},
                                                       {{{10, -90}, {13, -82}, {9, -72}}},
                                                       {{{6, -80}, {2, -88}, {-0.5, -96}}},
                                                       {{{-1, -100}, {1, -103}, {3, -104}}}});
    QLinearGradient g(0, -104, 10, -74);
    g.setColorAt(0.0, silver);
    g.setColorAt(1.0, QColor(226, 224, 216));
    wash(p, shape, g, QColor(200, 198, 190), 1.0);
    outline(p, shape, QColor(130, 126, 118), 0.6);
    p.setPen(QPen(QColor(170, 166, 158), 0.4));
    for (double dx : {2.5, 5.0, 7.0})
        p.drawPath(cubic({dx, -100}, {dx + 1, -92}, {dx + 2.5, -86}, {dx + 1.5, -78 - dx * 0.5}));
    p.strokePath(quad({7.5, -104}, {10, -104.5}, {11.5, -101.5}), QPen(silver.darker(108), 1.4));
}

} // namespace

void drawSage(QPainter& p, Rng& rng, QPointF feet, double scale) {
    Placed placed(p, feet, scale);
    groundWash(p, rng, {0, 1}, 76);
    QColor grass = figureInk;
    grass.setAlpha(150);
    for (const auto& [x, lean] : {std::pair{-30.0, -10.0}, std::pair{-27.0, 8.0},
                                  std::pair{32.0, 6.0}, std::pair{35.0, 20.0}})
        brushLine(p, quad({x, 2}, {x + lean * 0.2, -3}, {x + lean * 0.4, -7}), 1.0, grass);

    p.setPen(QPen(figureInk, 0.6));
    p.setBrush(QColor(52, 46, 42));
    p.drawEllipse(QPointF(15.5, -0.6), 4.2, 1.8);
    robe(p);
    staffAndGourd(p, rng);
    frontSleeve(p);
    head(p);
    beard(p);
}

} // namespace art
