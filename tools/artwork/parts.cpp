#include "tools/artwork/parts.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

namespace {

const QColor stalkGreen{96, 122, 64};

} // namespace

QColor vary(QColor colour, Rng& rng, int amount) {
    int h, s, v, a;
    colour.getHsv(&h, &s, &v, &a);
    h = (h + int(rng.jitter(amount * 0.5)) + 360) % 360;
    s = std::clamp(s + int(rng.jitter(amount)), 0, 255);
    v = std::clamp(v + int(rng.jitter(amount)), 0, 255);
    return QColor::fromHsv(h, s, v, a);
}

void palmateLeaf(QPainter& p, Rng& rng, QPointF at, double angle, double petiole, int count,
                 const LeafShape& leaflet, QColor colour, double spread) {
    const QPointF tip = polar(at, angle + rng.jitter(4), petiole);
    drawStem(p, quad(at, polar(at, angle - 6, petiole * 0.55), tip), 1.4, 0.9, stalkGreen);

    // Outer leaflets first so the larger middle ones overlap them.
    std::vector<int> order(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        order[size_t(k)] = k;
    const double middle = 0.5 * (count - 1);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return std::abs(a - middle) > std::abs(b - middle); });
    for (int k : order) {
        const double f = count == 1 ? 0.0 : (k - middle) / middle;
        LeafShape s = leaflet;
        const double shrink = 1.0 - 0.45 * std::pow(std::abs(f), 1.4);
        s.length *= shrink * rng.range(0.94, 1.04);
        s.width *= 0.75 + 0.25 * shrink;
        s.bend = leaflet.bend * f + rng.jitter(0.03);
        drawLeaf(p, tip, angle + f * spread * 0.5 + rng.jitter(4), s, vary(colour, rng, 6));
    }
}

void pinnateLeaf(QPainter& p, Rng& rng, QPointF at, double angle, double length, int pairs,
                 const LeafShape& leaflet, QColor colour, double curl, bool terminal) {
    const QPointF end = polar(at, angle + curl, length);
    const QPainterPath rachis = quad(at, polar(at, angle - curl * 0.3, length * 0.5), end);
    drawStalk(p, rachis, 0.9, stalkGreen.darker(115));
    for (int i = 0; i < pairs; ++i) {
        const double t = 0.14 + 0.78 * double(i) / std::max(1, pairs - 1);
        const Frame f = frameAt(rachis, t);
        const double scale = 1.0 - 0.18 * t;
        for (int side : {-1, 1}) {
            LeafShape s = leaflet;
            s.length *= scale * rng.range(0.92, 1.06);
            s.width *= scale;
            s.bend = side * 0.04 + rng.jitter(0.03);
            drawLeaf(p, f.pos, f.angle + side * rng.range(52, 66), s, vary(colour, rng, 6), 0.55);
        }
    }
    if (terminal) {
        LeafShape s = leaflet;
        s.length *= 0.85;
        s.width *= 0.85;
        drawLeaf(p, end, frameAt(rachis, 1.0).angle, s, vary(colour, rng, 6), 0.55);
    }
}

void berryCluster(QPainter& p, Rng& rng, QPointF stalkTop, double radius, int count,
                  double berryRadius, QColor colour) {
    struct Berry {
        QPointF pos;
        double r;
    };
    std::vector<Berry> berries;
    const QPointF centre = stalkTop + QPointF(0, -radius * 0.55);
    const double golden = 2.39996;
    for (int i = 0; i < count; ++i) {
        const double d = radius * std::sqrt((i + 0.5) / count);
        const QPointF pos = centre + QPointF(std::cos(i * golden) * d,
                                             std::sin(i * golden) * d * 0.8 + rng.jitter(0.6));
        berries.push_back({pos, berryRadius * rng.range(0.85, 1.1)});
    }
    std::sort(berries.begin(), berries.end(),
              [](const Berry& a, const Berry& b) { return a.pos.y() < b.pos.y(); });
    p.setPen(QPen(stalkGreen.darker(120), 0.5));
    for (const Berry& b : berries)
        p.drawLine(stalkTop, b.pos);
    for (const Berry& b : berries)
        drawBerry(p, b.pos, b.r, b.r, 0, vary(colour, rng, 10));
}

void chrysanthemumHead(QPainter& p, Rng& rng, QPointF centre, double radius, double tilt,
                       double facing, QColor petal, QColor heart) {
    p.save();
    p.translate(centre);
    p.rotate(facing);
    p.scale(1.0, tilt);
    for (int layer = 0; layer < 4; ++layer) {
        const int count = 26 - 5 * layer;
        const double length = radius * (1.0 - 0.19 * layer);
        const double offset = rng.range(0, 360);
        const QColor tone = petal.darker(100 + 4 * layer);
        for (int i = 0; i < count; ++i) {
            LeafShape s;
            s.length = length * rng.range(0.82, 1.04);
            s.width = radius * (0.2 - 0.025 * layer);
            s.widestAt = 0.68;
            s.bluntness = 1.6;
            s.bend = rng.jitter(0.07);
            const QPainterPath shape = leafPath(s);
            p.save();
            p.rotate(offset + i * 360.0 / count + rng.jitter(5));
            p.translate(radius * 0.1, 0);
            QLinearGradient g(0, 0, s.length, 0);
            g.setColorAt(0.0, QColor(200, 192, 120));
            g.setColorAt(0.4, tone.darker(104));
            g.setColorAt(1.0, tone.lighter(104));
            p.fillPath(shape, g);
            QColor edge = ink::petal;
            edge.setAlpha(150);
            outline(p, shape, edge, 0.4);
            p.restore();
        }
    }
    QRadialGradient disc(QPointF(-radius * 0.05, -radius * 0.06), radius * 0.24);
    disc.setColorAt(0.0, heart.lighter(130));
    disc.setColorAt(1.0, heart.darker(125));
    p.setPen(QPen(heart.darker(170), 0.5));
    p.setBrush(disc);
    p.drawEllipse(QPointF(0, 0), radius * 0.22, radius * 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(heart.darker(150));
    for (int i = 0; i < 14; ++i) {
        const double d = radius * 0.17 * std::sqrt(rng.range(0, 1));
        const double a = rng.range(0, 360);
        p.drawEllipse(polar(QPointF(0, 0), a, d), 0.5, 0.5);
    }
    p.restore();
}

void chrysanthemumBud(QPainter& p, Rng& rng, QPointF base, double angle, double size) {
    const QColor green(118, 140, 80);
    for (int i = -2; i <= 2; ++i) {
        LeafShape s{size * 0.9, size * 0.35, 0.4, 0.0};
        drawLeaf(p, base, angle + i * 24 + rng.jitter(4), s, green, 0.5);
    }
    p.save();
    p.translate(polar(base, angle, size * 0.75));
    p.rotate(angle);
    QRadialGradient g(QPointF(0, 0), size * 0.55);
    g.setColorAt(0.0, QColor(240, 236, 210));
    g.setColorAt(1.0, QColor(170, 180, 120));
    p.setPen(QPen(ink::leaf, 0.5));
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), size * 0.5, size * 0.42);
    p.restore();
}

void peaFlower(QPainter& p, QPointF at, double angle, double size, QColor colour) {
    p.save();
    p.translate(at);
    p.rotate(angle);
    const QPen pen(colour.darker(200), 0.45);
    p.setPen(pen);
    // Standard petal, behind.
    p.setBrush(colour.lighter(118));
    p.drawEllipse(QPointF(size * 0.32, -size * 0.26), size * 0.22, size * 0.34);
    // Keel and wings.
    QPainterPath keel(QPointF(size * 0.2, -size * 0.12));
    keel.cubicTo(QPointF(size * 0.55, -size * 0.22), QPointF(size * 0.95, -size * 0.05),
                 QPointF(size, size * 0.12));
    keel.cubicTo(QPointF(size * 0.7, size * 0.25), QPointF(size * 0.35, size * 0.2),
                 QPointF(size * 0.2, size * 0.1));
    keel.closeSubpath();
    p.setBrush(colour);
    p.drawPath(keel);
    // Calyx.
    p.setBrush(stalkGreen.lighter(115));
    p.drawEllipse(QPointF(size * 0.12, 0), size * 0.16, size * 0.1);
    p.restore();
}

void raceme(QPainter& p, Rng& rng, QPointF base, double angle, double length, int count,
            double size, QColor colour) {
    const QPainterPath axis =
        quad(base, polar(base, angle - 8, length * 0.5), polar(base, angle + 6, length));
    drawStalk(p, axis, 0.8, stalkGreen);
    for (int i = count - 1; i >= 0; --i) {
        const double t = 0.18 + 0.8 * double(i) / count;
        const Frame f = frameAt(axis, t);
        const int side = (i % 2) ? 1 : -1;
        const double droop = f.angle + side * 70;
        const double flowerAngle = droop + 0.35 * std::remainder(90 - droop, 360.0);
        const double s = size * (1.0 - 0.5 * t) * rng.range(0.9, 1.05);
        if (t > 0.85)
            drawBerry(p, polar(f.pos, flowerAngle, s * 0.3), s * 0.3, s * 0.18, flowerAngle,
                      colour);
        else
            peaFlower(p, f.pos, flowerAngle, s, vary(colour, rng, 8));
    }
}

void bladderPod(QPainter& p, Rng& rng, QPointF at, double angle, double length) {
    LeafShape s{length, length * 0.55, 0.55, rng.jitter(0.08)};
    s.bluntness = 1.8;
    drawLeaf(p, at, angle, s, QColor(178, 190, 120), 0.5);
}

void umbel(QPainter& p, Rng& rng, QPointF apex, double radius, int rays, QColor floret) {
    const QColor ray = stalkGreen.darker(110);
    for (int i = 0; i < rays; ++i) {
        const double u = -1.0 + 2.0 * (i + rng.range(0.2, 0.8)) / rays;
        const double depth = rng.range(-0.15, 0.15);
        const QPointF end = apex + QPointF(radius * u, -radius * (0.62 - 0.22 * u * u + depth));
        drawStalk(p, quad(apex, QPointF(end.x() * 0.5 + apex.x() * 0.5, end.y()), end), 0.55, ray);
        const double small = radius * 0.24;
        for (int j = 0; j < 9; ++j) {
            const double v = -1.0 + 2.0 * (j + 0.5) / 9;
            const QPointF tip =
                end + QPointF(small * v, -small * (0.55 - 0.25 * v * v) + rng.jitter(0.8));
            p.setPen(QPen(ray, 0.35));
            p.drawLine(end, tip);
            p.setPen(QPen(floret.darker(160), 0.35));
            p.setBrush(vary(floret, rng, 6));
            p.drawEllipse(tip, 1.25, 1.1);
        }
    }
}

void tubularFlower(QPainter& p, Rng& rng, QPointF base, double angle, double length,
                   QColor colour) {
    p.save();
    p.translate(base);
    p.rotate(angle);
    const double k = length / 20.0;
    const QPointF mouth(length * 0.62, -length * 0.05);
    // Stamens reach beyond the lips.
    p.setPen(QPen(QColor(150, 130, 70), 0.4));
    for (int i = 0; i < 5; ++i) {
        const QPointF tip =
            mouth + QPointF(length * rng.range(0.38, 0.5), rng.jitter(length * 0.1));
        p.drawLine(mouth, tip);
        p.save();
        p.setBrush(QColor(170, 130, 50));
        p.drawEllipse(tip, 0.8 * k, 0.5 * k);
        p.restore();
    }
    const QPainterPath tube = taperedPath(
        quad(QPointF(0, 0), QPointF(length * 0.35, -length * 0.01), mouth), 1.3 * k, 3.0 * k);
    wash(p, tube, colour, colour.darker(125), 0.6);
    outline(p, tube, ink::petal, 0.45);
    LeafShape upper{length * 0.42, length * 0.26, 0.6, -0.1, 4, 0.22};
    upper.bluntness = 1.5;
    LeafShape lower{length * 0.36, length * 0.09, 0.5, 0.3};
    for (const auto& [shape, turn] : {std::pair{upper, -28.0}, std::pair{lower, 42.0}}) {
        const QPainterPath lip = leafPath(shape);
        p.save();
        p.translate(mouth);
        p.rotate(turn);
        wash(p, lip, colour.lighter(104), colour.darker(120), 0.8);
        outline(p, lip, ink::petal, 0.45);
        p.restore();
    }
    p.restore();
}

void tubularBud(QPainter& p, QPointF base, double angle, double length, QColor colour) {
    p.save();
    p.translate(base);
    p.rotate(angle);
    const double k = length / 20.0;
    QPainterPath bud = taperedPath(quad(QPointF(0, 0), QPointF(length * 0.5, -length * 0.04),
                                        QPointF(length * 0.9, -length * 0.02)),
                                   1.0 * k, 3.0 * k);
    bud.addEllipse(QPointF(length * 0.9, -length * 0.02), 1.5 * k, 1.5 * k);
    bud = bud.simplified();
    QLinearGradient g(0, 0, length, 0);
    g.setColorAt(0.0, QColor(150, 170, 100));
    g.setColorAt(0.6, colour);
    wash(p, bud, g, colour.darker(125), 0.6);
    outline(p, bud, ink::petal, 0.45);
    p.restore();
}

void drawRoot(QPainter& p, Rng& rng, const QPainterPath& spine, double w0, double w1, QColor colour,
              int wrinkles, double roundStart) {
    const QPainterPath body = taperedPath(spine, w0, w1, roundStart);
    QColor rim = colour.darker(150);
    rim.setAlpha(140);
    wash(p, body, colour, rim, std::max(1.0, std::min(w0, w1) * 0.3));

    p.save();
    p.setClipPath(body, Qt::IntersectClip);
    QPainterPath light = spine;
    light.translate(-w0 * 0.15, -w0 * 0.12);
    QColor glow = colour.lighter(125);
    glow.setAlpha(120);
    p.strokePath(light, QPen(glow, std::max(w0, w1) * 0.3, Qt::SolidLine, Qt::RoundCap));
    QColor crease = ink::bark;
    for (int i = 0; i < wrinkles; ++i) {
        const double t = rng.range(0.04, 0.92);
        const Frame f = frameAt(spine, t);
        const double half = 0.5 * (w0 + (w1 - w0) * t);
        const QPointF a = f.pos - f.normal() * half * rng.range(0.5, 1.0);
        const QPointF b = f.pos + f.normal() * half * rng.range(0.5, 1.0);
        crease.setAlpha(rng.below(60) + 60);
        p.strokePath(quad(a, f.pos + f.dir() * half * 0.35, b), QPen(crease, 0.45));
    }
    p.restore();
    outline(p, body, ink::bark, 0.6);
}

void rootlet(QPainter& p, Rng& rng, QPointF from, double angle, double length, double width) {
    const QPointF end = polar(from, angle + rng.jitter(10), length);
    const QPointF c1 = polar(from, angle + rng.jitter(30), length * 0.35);
    const QPointF c2 = polar(from, angle + rng.jitter(25), length * 0.7);
    QColor colour = ink::bark;
    colour.setAlpha(190);
    drawStalk(p, cubic(from, c1, c2, end), width, colour);
}

void rootSlice(QPainter& p, Rng& rng, QPointF centre, double rx, double ry, double angle,
               QColor bark, QColor flesh) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.setPen(QPen(ink::bark, 0.55));
    p.setBrush(bark);
    p.drawEllipse(QPointF(0, 0), rx, ry);
    QRadialGradient g(QPointF(0, 0), std::max(rx, ry));
    g.setColorAt(0.0, flesh.lighter(108));
    g.setColorAt(1.0, flesh.darker(108));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), rx * 0.86, ry * 0.86);
    QColor ray = flesh.darker(140);
    ray.setAlpha(140);
    p.setPen(QPen(ray, 0.4));
    for (int i = 0; i < 22; ++i) {
        const double a = i * 360.0 / 22 + rng.jitter(6);
        const QPointF inner = polar(QPointF(0, 0), a, 0.12);
        const QPointF outer = polar(QPointF(0, 0), a, 0.82);
        p.drawLine(QPointF(inner.x() * rx, inner.y() * ry),
                   QPointF(outer.x() * rx, outer.y() * ry));
    }
    p.setPen(QPen(QColor(150, 110, 60, 150), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), rx * 0.55, ry * 0.55);
    p.restore();
}

void groundWash(QPainter& p, Rng& rng, QPointF centre, double width) {
    for (int i = 0; i < 3; ++i) {
        const QPointF c = centre + QPointF(rng.jitter(width * 0.15), rng.jitter(1.5));
        QRadialGradient g(c, width * 0.5);
        g.setColorAt(0.0, QColor(150, 130, 90, 40));
        g.setColorAt(1.0, QColor(150, 130, 90, 0));
        p.save();
        p.translate(c);
        p.scale(1.0, 0.16);
        p.translate(-c);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, width * 0.5, width * 0.5);
        p.restore();
    }
}

} // namespace art
