#include "tools/artwork/brush.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr double pi = std::numbers::pi;

double radians(double degrees) {
    return degrees * pi / 180.0;
}

// Edges and midrib of a leaf, sampled from base to tip.
struct LeafSamples {
    QPolygonF upper;
    QPolygonF lower;
    QPolygonF midrib;
};

double leafProfile(double t, const LeafShape& s) {
    const double exponent = std::log(0.5) / std::log(std::clamp(s.widestAt, 0.05, 0.95));
    double w = std::pow(std::sin(pi * std::pow(t, exponent)), 0.85);
    if (s.bluntness != 1.0) w = std::pow(w, 1.0 / s.bluntness);
    if (s.lobes > 0) {
        const double c = std::cos(pi * t * s.lobes);
        w *= 1.0 - s.lobeDepth * std::pow(c * c, 8.0);
    }
    if (s.teeth > 0 && t > 0.12 && t < 0.97) {
        const double phase = t * s.teeth - std::floor(t * s.teeth);
        w *= 1.0 + s.toothDepth * (2.0 * phase - 1.0);
    }
    return w;
}

LeafSamples sampleLeaf(const LeafShape& s) {
    LeafSamples out;
    const int n = std::max(60, s.teeth * 8 + s.lobes * 20);
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        const double x = t * s.length;
        const double mid = s.bend * s.length * t * t;
        const double half = 0.5 * s.width * leafProfile(t, s);
        out.upper << QPointF(x, mid - half);
        out.lower << QPointF(x, mid + half * 0.94);
        out.midrib << QPointF(x, mid);
    }
    return out;
}

} // namespace

QFont serifFont(double pixelSize, int weight) {
    const QStringList installed = QFontDatabase::families();
    QString family = QStringLiteral("Noto Sans CJK SC");
    if (installed.contains(QStringLiteral("Noto Serif CJK SC")))
        family = QStringLiteral("Noto Serif CJK SC");
    QFont font(family);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setWeight(QFont::Weight(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPainterPath cubic(QPointF a, QPointF c1, QPointF c2, QPointF b) {
    QPainterPath path(a);
    path.cubicTo(c1, c2, b);
    return path;
}

QPainterPath quad(QPointF a, QPointF c, QPointF b) {
    QPainterPath path(a);
    path.quadTo(c, b);
    return path;
}

QPointF Frame::dir() const {
    return {std::cos(radians(angle)), std::sin(radians(angle))};
}

QPointF Frame::normal() const {
    return {-std::sin(radians(angle)), std::cos(radians(angle))};
}

Frame frameAt(const QPainterPath& spine, double t) {
    t = std::clamp(t, 0.0, 1.0);
    const QPointF a = spine.pointAtPercent(std::max(0.0, t - 0.01));
    const QPointF b = spine.pointAtPercent(std::min(1.0, t + 0.01));
    return {spine.pointAtPercent(t), std::atan2(b.y() - a.y(), b.x() - a.x()) * 180.0 / pi};
}

QPointF polar(QPointF from, double angle, double distance) {
    return from + QPointF(std::cos(radians(angle)), std::sin(radians(angle))) * distance;
}

QPainterPath taperedPath(const QPainterPath& spine, double w0, double w1, double roundStart) {
    const int n = 48;
    QPolygonF left;
    QPolygonF right;
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        const Frame f = frameAt(spine, t);
        double half = 0.5 * (w0 + (w1 - w0) * t);
        if (roundStart > 0.0 && t < roundStart)
            half *= 0.3 + 0.7 * std::sin(0.5 * pi * std::sqrt(t / roundStart));
        left << f.pos - f.normal() * half;
        right.prepend(f.pos + f.normal() * half);
    }
    QPainterPath path;
    path.addPolygon(left + right);
    path.closeSubpath();
    return path;
}

void wash(QPainter& p, const QPainterPath& shape, const QBrush& body, QColor rim, double rimWidth) {
    p.fillPath(shape, body);
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    p.strokePath(shape, QPen(rim, 2.0 * rimWidth));
    p.restore();
}

void outline(QPainter& p, const QPainterPath& shape, QColor colour, double width) {
    p.strokePath(shape, QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void drawStem(QPainter& p, const QPainterPath& spine, double w0, double w1, QColor colour) {
    const QPainterPath body = taperedPath(spine, w0, w1);
    QColor rim = colour.darker(140);
    rim.setAlpha(120);
    wash(p, body, colour, rim, std::min(w0, w1) * 0.35 + 0.3);
    outline(p, body, ink::leaf, 0.55);
}

void drawStalk(QPainter& p, const QPainterPath& spine, double width, QColor colour) {
    p.strokePath(spine, QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

QPainterPath leafPath(const LeafShape& s) {
    const LeafSamples samples = sampleLeaf(s);
    QPolygonF ring = samples.upper;
    for (qsizetype i = samples.lower.size() - 2; i > 0; --i)
        ring << samples.lower[i];
    QPainterPath path;
    path.addPolygon(ring);
    path.closeSubpath();
    return path;
}

void drawLeaf(QPainter& p, QPointF base, double angle, const LeafShape& s, QColor colour,
              double inkWidth) {
    const LeafSamples samples = sampleLeaf(s);
    const QPainterPath shape = leafPath(s);

    p.save();
    p.translate(base);
    p.rotate(angle);

    QLinearGradient body(0, 0, s.length, 0);
    body.setColorAt(0.0, colour.darker(118));
    body.setColorAt(1.0, colour.lighter(112));
    QColor rim = colour.darker(150);
    rim.setAlpha(85);
    wash(p, shape, body, rim, std::min(2.0, s.width * 0.12));

    // The half towards the viewer's upper side sits a little in shade.
    QPolygonF half = samples.upper;
    for (qsizetype i = samples.midrib.size() - 1; i >= 0; --i)
        half << samples.midrib[i];
    QPainterPath shade;
    shade.addPolygon(half);
    p.fillPath(shade, QColor(20, 34, 8, 24));

    if (s.length > 9) {
        QColor vein = ink::leaf;
        vein.setAlpha(110);
        QPolygonF rib = samples.midrib;
        rib.resize(rib.size() * 9 / 10);
        p.setPen(QPen(vein, std::min(0.7, inkWidth)));
        p.drawPolyline(rib);
        vein.setAlpha(60);
        p.setPen(QPen(vein, 0.4));
        const qsizetype n = samples.midrib.size() - 1;
        for (double t = 0.22; t < 0.8; t += 0.16) {
            const qsizetype i = qsizetype(t * n);
            const qsizetype j = std::min(n, qsizetype((t + 0.14) * n));
            const QPointF from = samples.midrib[i];
            p.drawLine(from, samples.midrib[j] * 0.25 + samples.upper[j] * 0.75);
            p.drawLine(from, samples.midrib[j] * 0.25 + samples.lower[j] * 0.75);
        }
    }
    outline(p, shape, ink::leaf, inkWidth);
    p.restore();
}

void drawBerry(QPainter& p, QPointF centre, double rx, double ry, double angle, QColor colour) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    const QRectF box(-rx, -ry, 2 * rx, 2 * ry);
    QRadialGradient g(QPointF(0, 0), std::max(rx, ry), QPointF(-rx * 0.35, -ry * 0.4));
    g.setColorAt(0.0, colour.lighter(150));
    g.setColorAt(0.5, colour);
    g.setColorAt(1.0, colour.darker(150));
    p.setPen(QPen(colour.darker(230), 0.5));
    p.setBrush(g);
    p.drawEllipse(box);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(QPointF(-rx * 0.38, -ry * 0.42), rx * 0.22, ry * 0.16);
    p.restore();
}

void drawCaption(QPainter& p, const QRectF& box, const QString& text, double pixelSize) {
    p.save();
    p.setFont(serifFont(pixelSize));
    p.setPen(ink::text);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

} // namespace art
