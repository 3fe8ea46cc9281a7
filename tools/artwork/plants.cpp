#include "tools/artwork/flora.h"

namespace art {

namespace {

const QColor ginsengLeaf{98, 138, 68};
const QColor berryRed{204, 42, 30};
const QColor stemGreen{108, 124, 70};
const QColor freshRoot{226, 202, 156};

// Forked, wrinkled ginseng root hanging below the origin.
void ginsengRoot(QPainter& p, Rng& rng) {
    const QColor colour = freshRoot;
    drawRoot(p, rng, cubic({-2, 30}, {-6, 40}, {-12, 48}, {-19, 60}), 8, 1.4, colour, 4);
    drawRoot(p, rng, cubic({3, 30}, {8, 40}, {12, 49}, {14, 63}), 7, 1.2, colour, 4);
    drawRoot(p, rng, quad({0, -7}, {-1, 0}, {0, 6}), 4.5, 6.5, colour.darker(108), 7);
    drawRoot(p, rng, cubic({0, 1}, {-2, 14}, {2, 24}, {0, 34}), 16, 9, colour, 12, 0.3);
    for (const auto& [from, angle, length] :
         {std::tuple{QPointF(-19, 59), 115.0, 11.0}, std::tuple{QPointF(14, 62), 80.0, 9.0},
          std::tuple{QPointF(-9, 47), 160.0, 12.0}, std::tuple{QPointF(10, 46), 30.0, 11.0},
          std::tuple{QPointF(-6, 20), 200.0, 9.0}, std::tuple{QPointF(6, 24), -10.0, 10.0},
          std::tuple{QPointF(-15, 56), 135.0, 14.0}, std::tuple{QPointF(13, 58), 55.0, 12.0}})
        rootlet(p, rng, from, angle, length, 0.45);
}

// Stubby notoginseng root with rounded knobs, below the origin.
void sanqiRoot(QPainter& p, Rng& rng) {
    const QColor colour(158, 140, 104);
    const QPainterPath spine = cubic({0, 0}, {-1, 12}, {1, 24}, {1, 38});
    for (double t : {0.15, 0.3, 0.45, 0.62}) {
        for (int side : {-1, 1}) {
            if (rng.below(4) == 0) continue;
            const Frame f = frameAt(spine, t);
            const double half = 0.5 * (17 + (3 - 17) * t);
            const QPointF at = f.pos + f.normal() * side * half * rng.range(0.75, 0.95);
            const double r = rng.range(2.6, 3.8) * (1.0 - 0.4 * t);
            QPainterPath knob;
            knob.addEllipse(at, r, r * 0.9);
            wash(p, knob, colour.lighter(104), colour.darker(140), 0.8);
            outline(p, knob, ink::bark, 0.55);
        }
    }
    drawRoot(p, rng, quad({0, -6}, {0, -2}, {0, 2}), 5, 7, colour.darker(110), 3);
    drawRoot(p, rng, spine, 18, 3, colour, 10, 0.2);
    for (const auto& [from, angle, length] :
         {std::tuple{QPointF(1, 37), 95.0, 10.0}, std::tuple{QPointF(-5, 28), 130.0, 12.0},
          std::tuple{QPointF(5, 27), 50.0, 13.0}})
        rootlet(p, rng, from, angle, length, 0.45);
}

} // namespace

void ginseng(QPainter& p, Rng& rng, QPointF neck, double scale, double stemHeight) {
    Placed placed(p, neck, scale);
    const QPointF whorl(2, -stemHeight);
    const QPointF top(-1, -stemHeight - 34);
    LeafShape leaflet{30, 13, 0.64, 0.06, 13, 0.07};

    palmateLeaf(p, rng, whorl, -145, 16, 5, leaflet, ginsengLeaf.darker(108), 150);
    palmateLeaf(p, rng, whorl, -35, 16, 5, leaflet, ginsengLeaf.darker(108), 150);
    drawStem(p, cubic({0, -6}, {-2, -stemHeight * 0.4}, {3, -stemHeight * 0.75}, whorl), 2.6, 1.8,
             stemGreen);
    drawStem(p, quad(whorl, {3, -stemHeight - 18}, top), 1.3, 0.9, stemGreen);
    palmateLeaf(p, rng, whorl, 172, 18, 5, leaflet, ginsengLeaf, 150);
    palmateLeaf(p, rng, whorl, 8, 18, 5, leaflet, ginsengLeaf, 150);
    berryCluster(p, rng, top, 7.5, 15, 2.7, berryRed);
    ginsengRoot(p, rng);
}

void sanqiTuber(QPainter& p, Rng& rng, QPointF top, double angle, double scale) {
    Placed placed(p, top, scale);
    p.rotate(angle);
    sanqiRoot(p, rng);
}

void sanqi(QPainter& p, Rng& rng, QPointF neck, double scale) {
    Placed placed(p, neck, scale);
    const QPointF whorl(1, -56);
    const QPointF top(2, -96);
    LeafShape leaflet{28, 8.5, 0.55, 0.05, 16, 0.06};
    const QColor green(84, 126, 66);
    const QColor stem(120, 96, 84);

    palmateLeaf(p, rng, whorl, -150, 14, 7, leaflet, green.darker(110), 165);
    drawStem(p, cubic({0, -6}, {-2, -24}, {3, -42}, whorl), 2.8, 2.0, stem);
    drawStem(p, quad(whorl, {-2, -76}, top), 1.3, 0.9, stem);
    palmateLeaf(p, rng, whorl, -30, 15, 7, leaflet, green.darker(104), 165);
    palmateLeaf(p, rng, whorl, 150, 16, 7, leaflet, green, 165);
    berryCluster(p, rng, top, 9, 22, 2.2, berryRed.lighter(105));
    sanqiRoot(p, rng);
}

void angelica(QPainter& p, Rng& rng, QPointF head, double scale) {
    Placed placed(p, head, scale);
    const QColor stem(134, 82, 90);
    const QColor green(96, 134, 74);
    LeafShape segment{13, 6.5, 0.4, 0.0, 6, 0.18, 2, 0.35};

    // Basal leaves: twice-divided, spreading left and right.
    for (const auto& [angle, length] : {std::pair{-152.0, 70.0}, std::pair{-32.0, 66.0}}) {
        const QPointF from(0, -8);
        const QPainterPath rachis =
            quad(from, polar(from, angle - 15, length * 0.5), polar(from, angle + 12, length));
        drawStem(p, rachis, 2.0, 0.8, stem.lighter(115));
        for (double t : {0.35, 0.6, 0.82}) {
            const Frame f = frameAt(rachis, t);
            for (int side : {-1, 1})
                pinnateLeaf(p, rng, f.pos, f.angle + side * 55, 22 * (1.2 - t), 2, segment, green,
                            6, true);
        }
        pinnateLeaf(p, rng, frameAt(rachis, 1.0).pos, frameAt(rachis, 1.0).angle, 16, 1, segment,
                    green, 4, true);
    }
    const QPainterPath mainStem = cubic({0, -6}, {-4, -50}, {6, -100}, {2, -140});
    const QPainterPath sideStem = cubic({1, -60}, {14, -80}, {30, -95}, {40, -108});
    drawStem(p, sideStem, 2.0, 1.4, stem);
    drawStem(p, mainStem, 3.6, 2.2, stem);
    for (double t : {0.45, 0.7}) {
        const Frame f = frameAt(mainStem, t);
        const int side = t < 0.6 ? -1 : 1;
        pinnateLeaf(p, rng, f.pos, f.angle + side * 50, 26, 2, segment, green.lighter(105), 6,
                    true);
    }
    umbel(p, rng, {40, -108}, 22, 9, QColor(238, 236, 222));
    umbel(p, rng, {2, -140}, 32, 12, QColor(244, 242, 230));

    // Root: a thick head with many tails.
    const QColor root(162, 120, 84);
    for (const auto& [dx, angle, length] :
         {std::tuple{-7.0, 115.0, 36.0}, std::tuple{-3.0, 100.0, 42.0}, std::tuple{2.0, 84.0, 44.0},
          std::tuple{6.0, 68.0, 38.0}, std::tuple{-9.0, 135.0, 26.0},
          std::tuple{9.0, 50.0, 28.0}}) {
        const QPointF from(dx, 14);
        const QPointF to = polar(from, angle + rng.jitter(6), length);
        drawRoot(p, rng, quad(from, polar(from, angle - 12, length * 0.5), to), 5, 1.2, root, 3);
        rootlet(p, rng, to, angle, 10, 0.4);
    }
    drawRoot(p, rng, cubic({0, -8}, {-1, 0}, {1, 8}, {0, 18}), 16, 15, root.lighter(108), 9, 0.3);
}

} // namespace art
