#include "tools/artwork/flora.h"

#include <cmath>

namespace art {

namespace {

const QColor stemGreen{108, 128, 72};
const QColor woody{140, 112, 86};

// Five-petalled little flower seen face on.
void starFlower(QPainter& p, Rng& rng, QPointF centre, double radius, QColor colour) {
    LeafShape petal{radius, radius * 0.62, 0.6, 0.0};
    petal.bluntness = 1.5;
    const double turn = rng.range(0, 72);
    for (int i = 0; i < 5; ++i)
        drawLeaf(p, centre, turn + i * 72, petal, colour, 0.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(228, 210, 120));
    p.drawEllipse(centre, radius * 0.22, radius * 0.22);
}

} // namespace

void licorice(QPainter& p, Rng& rng, QPointF base, double scale) {
    Placed placed(p, base, scale);
    const QPainterPath stem = cubic({0, 0}, {-10, -40}, {12, -80}, {4, -126});
    LeafShape leaflet{12, 6.8, 0.45};
    leaflet.bluntness = 1.25;
    const QColor green(100, 136, 76);
    const QColor purple(132, 104, 176);

    drawStem(p, stem, 3.0, 1.2, stemGreen);
    for (int i = 0; i < 7; ++i) {
        const double t = 0.1 + i * 0.14;
        const Frame f = frameAt(stem, t);
        const int side = i % 2 ? 1 : -1;
        pinnateLeaf(p, rng, f.pos, f.angle + side * 58, 46 * (1.0 - 0.4 * t), 5 - i / 3, leaflet,
                    vary(green, rng, 6), side * 8, true);
    }
    for (int i : {2, 4}) {
        const Frame f = frameAt(stem, 0.1 + i * 0.14);
        raceme(p, rng, f.pos, f.angle + (i % 2 ? -1 : 1) * 30, 34, 14, 7, purple);
    }
}

void astragalus(QPainter& p, Rng& rng, QPointF base, double scale) {
    Placed placed(p, base, scale);
    const QPainterPath stem = cubic({0, 0}, {8, -40}, {-10, -80}, {-2, -124});
    LeafShape leaflet{7.5, 4.0, 0.45};
    leaflet.bluntness = 1.3;
    const QColor green(106, 142, 80);
    const QColor yellow(236, 204, 92);

    drawStem(p, stem, 2.8, 1.1, stemGreen);
    for (int i = 0; i < 6; ++i) {
        const double t = 0.1 + i * 0.155;
        const Frame f = frameAt(stem, t);
        const int side = i % 2 ? -1 : 1;
        pinnateLeaf(p, rng, f.pos, f.angle + side * 60, 52 * (1.0 - 0.3 * t), 7, leaflet,
                    vary(green, rng, 6), side * 10, true);
    }
    // Inflated pods hanging from a short stalk low on the stem.
    const Frame low = frameAt(stem, 0.255);
    const QPointF podStalk = polar(low.pos, low.angle + 50, 14);
    drawStalk(p, quad(low.pos, polar(low.pos, low.angle + 30, 8), podStalk), 0.7, stemGreen);
    for (int k = 0; k < 4; ++k)
        bladderPod(p, rng, podStalk + QPointF(rng.jitter(2), k * 1.5), 60 + k * 18, 12);
    for (int i : {3, 5}) {
        const Frame f = frameAt(stem, 0.1 + i * 0.155);
        const double angle = f.angle + (i % 2 ? 1 : -1) * 35;
        const QPointF top = polar(f.pos, angle, 12);
        drawStalk(p, quad(f.pos, polar(f.pos, angle - 8, 6), top), 0.8, stemGreen);
        raceme(p, rng, top, angle, 26, 10, 8, yellow);
    }
}

void lyingRoot(QPainter& p, Rng& rng, QPointF from, QPointF to, double width, QColor bark,
               QColor flesh) {
    const QPointF along = to - from;
    const QPointF across(-along.y() / 40.0, along.x() / 40.0);
    const QPainterPath spine =
        cubic(from, from + along * 0.3 + across * rng.range(0.1, 0.3) * width,
              from + along * 0.65 - across * rng.range(0.1, 0.3) * width, to);
    drawRoot(p, rng, spine, width, width * 0.7, bark, 10);
    // Lengthwise furrows.
    QColor furrow = ink::bark;
    furrow.setAlpha(80);
    for (double k : {-0.28, 0.04, 0.3}) {
        QPolygonF line;
        const double t0 = rng.range(0.05, 0.3);
        const double t1 = rng.range(0.6, 0.95);
        for (double t = t0; t <= t1; t += 0.02) {
            const Frame f = frameAt(spine, t);
            line << f.pos + f.normal() * k * width * (1.0 - 0.3 * t);
        }
        p.setPen(QPen(furrow, 0.45));
        p.drawPolyline(line);
    }
    for (double t : {0.35, 0.7}) {
        const Frame f = frameAt(spine, t);
        rootlet(p, rng, f.pos + f.normal() * width * 0.4, f.angle + 60, width * 0.9, 0.45);
    }
    rootSlice(p, rng, from, width * 0.22, width * 0.5, frameAt(spine, 0).angle, bark, flesh);
    rootlet(p, rng, to, frameAt(spine, 1.0).angle, width * 1.4, 0.5);
}

void honeysuckle(QPainter& p, Rng& rng, QPointF start, double scale) {
    Placed placed(p, start, scale);
    const QPainterPath vine = cubic({0, 0}, {24, -118}, {150, -128}, {206, -52});
    const QColor green(88, 126, 70);
    const QColor white(250, 249, 240);
    const QColor gold(240, 204, 100);
    LeafShape leaf{27, 13, 0.38, 0.05};
    leaf.bluntness = 1.1;

    // A younger shoot twines around the main vine.
    QPolygonF twine;
    for (double t = 0.0; t <= 0.45; t += 0.004) {
        const Frame f = frameAt(vine, t);
        twine << f.pos + f.normal() * 3.2 * std::sin(t * 60.0);
    }
    p.setPen(QPen(woody.lighter(115), 0.9));
    p.drawPolyline(twine);
    drawStem(p, vine, 2.6, 1.1, woody);

    const double nodes[] = {0.16, 0.32, 0.48, 0.64, 0.8, 0.95};
    for (double t : nodes) {
        const Frame f = frameAt(vine, t);
        for (int side : {-1, 1}) {
            LeafShape s = leaf;
            s.length *= 1.0 - 0.25 * t;
            s.width *= 1.0 - 0.25 * t;
            s.bend = side * 0.08;
            drawLeaf(p, f.pos, f.angle + side * rng.range(62, 78), s, vary(green, rng, 8));
        }
    }
    // Flowers stand upright in pairs from the leaf axils; white ones turn gold with age.
    for (int i = 0; i < 6; ++i) {
        const QPointF at = frameAt(vine, nodes[i]).pos;
        const double lean = -90 + (nodes[i] - 0.5) * 40;
        if (i % 2 == 1 || i == 4) {
            tubularFlower(p, rng, at, lean - 26, 34, i == 3 ? gold : white);
            tubularFlower(p, rng, at, lean + 24, 32, i == 3 ? white : gold);
        } else {
            tubularBud(p, at, lean - 16, 22, QColor(226, 234, 196));
            tubularBud(p, at, lean + 14, 19, QColor(234, 238, 210));
        }
    }
}

void chrysanthemum(QPainter& p, Rng& rng, QPointF base, double scale) {
    Placed placed(p, base, scale);
    const QColor green(104, 130, 84);
    const QColor petal(250, 248, 238);
    const QColor heart(228, 172, 52);
    LeafShape leaf{27, 18, 0.45, 0.0, 6, 0.14, 3, 0.5};

    const QPainterPath main = cubic({0, 0}, {-3, -40}, {5, -86}, {0, -122});
    const QPainterPath left = cubic({-1, -66}, {-14, -80}, {-30, -90}, {-42, -100});
    const QPainterPath right = cubic({1, -80}, {14, -92}, {28, -102}, {38, -114});
    for (const QPainterPath* stem : {&left, &right})
        drawStem(p, *stem, 1.8, 1.2, stemGreen);
    drawStem(p, main, 2.8, 1.6, stemGreen);
    for (int i = 0; i < 6; ++i) {
        const double t = 0.08 + i * 0.13;
        const Frame f = frameAt(main, t);
        const int side = i % 2 ? 1 : -1;
        LeafShape s = leaf;
        s.length *= 1.0 - 0.35 * t;
        s.width *= 1.0 - 0.35 * t;
        s.bend = -side * 0.06;
        drawLeaf(p, f.pos, f.angle + side * rng.range(48, 60), s, vary(green, rng, 8));
    }
    const Frame l = frameAt(left, 0.4);
    drawLeaf(p, l.pos, l.angle + 55, LeafShape{18, 12, 0.45, 0.0, 5, 0.14, 3, 0.45}, green);
    chrysanthemumBud(p, rng, {38, -114}, -50, 10);
    chrysanthemumHead(p, rng, {-44, -102}, 19, 0.72, -12, petal, heart);
    chrysanthemumHead(p, rng, {0, -124}, 24, 0.82, 6, petal, heart);
}

void goji(QPainter& p, Rng& rng, QPointF start, double scale) {
    Placed placed(p, start, scale);
    const QPainterPath branch = cubic({0, 0}, {70, -52}, {150, -42}, {218, 28});
    const QPainterPath twig = quad({84, -34}, {104, -10}, {112, 30});
    const QColor green(104, 142, 80);
    const QColor red(216, 54, 36);
    LeafShape leaf{18, 5.2, 0.45, 0.0};

    drawStem(p, twig, 1.7, 0.8, woody);
    drawStem(p, branch, 3.4, 1.2, woody);
    struct Node {
        const QPainterPath* on;
        double t;
        int berries;
    };
    const Node nodes[] = {{&branch, 0.07, 0}, {&branch, 0.16, 1}, {&branch, 0.26, 2},
                          {&branch, 0.36, 0}, {&branch, 0.47, 2}, {&branch, 0.58, 1},
                          {&branch, 0.69, 2}, {&branch, 0.8, 1},  {&branch, 0.91, 1},
                          {&twig, 0.35, 1},   {&twig, 0.7, 0},    {&twig, 1.0, 2}};
    for (const Node& n : nodes) {
        const Frame f = frameAt(*n.on, n.t);
        const int leaves = 3 + rng.below(3);
        for (int k = 0; k < leaves; ++k) {
            LeafShape s = leaf;
            s.length *= rng.range(0.7, 1.2);
            s.width *= rng.range(0.85, 1.1);
            s.bend = rng.jitter(0.12);
            const double side = k % 2 ? 1.0 : -1.0;
            drawLeaf(p, f.pos, f.angle + side * rng.range(35, 140), s, vary(green, rng, 10), 0.55);
        }
    }
    for (const Node& n : nodes) {
        const Frame f = frameAt(*n.on, n.t);
        for (int k = 0; k < n.berries; ++k) {
            const double angle = 90 + rng.jitter(30);
            const QPointF end = polar(f.pos, angle, rng.range(7, 11));
            drawStalk(p, quad(f.pos, polar(f.pos, angle - 12, 4), end), 0.55, stemGreen);
            drawBerry(p, polar(end, angle, 5.5), 6, 3.3, angle, vary(red, rng, 10));
        }
    }
    starFlower(p, rng, frameAt(branch, 0.31).pos + QPointF(-3, -8), 4.5, QColor(156, 108, 182));
    starFlower(p, rng, frameAt(branch, 0.74).pos + QPointF(4, -8), 4, QColor(150, 100, 176));
}

void driedBerries(QPainter& p, Rng& rng, QPointF centre, int count) {
    for (int i = 0; i < count; ++i) {
        const double golden = 137.5;
        const double d = 9.0 * std::sqrt(i + 0.5);
        const QPointF at = polar(centre, i * golden, d);
        const QPointF pos(at.x() + rng.jitter(2), centre.y() + (at.y() - centre.y()) * 0.5);
        const double angle = rng.range(0, 180);
        drawBerry(p, pos, 5.5, 2.6, angle, vary(QColor(176, 38, 34), rng, 10));
        p.setPen(QPen(QColor(90, 20, 16, 120), 0.4));
        p.drawLine(polar(pos, angle, -3.5), polar(pos, angle, 3.5));
    }
}

} // namespace art
