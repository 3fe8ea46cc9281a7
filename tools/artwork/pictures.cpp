#include "tools/artwork/pictures.h"

#include "tools/artwork/flora.h"
#include "tools/artwork/paper.h"

#include <QLinearGradient>

namespace art {

namespace {

const QColor parchment{239, 230, 210};

// The icon is drawn on a 256 x 256 grid; `small` thickens lines that must survive 32 px.
void iconTile(QPainter& p, bool small) {
    const double margin = small ? 8.0 : 10.0;
    const QRectF tile(margin, margin, 256 - 2 * margin, 256 - 2 * margin);
    QLinearGradient sea(tile.topLeft(), tile.bottomRight());
    sea.setColorAt(0.0, QColor(62, 146, 122));
    sea.setColorAt(1.0, QColor(20, 84, 72));
    p.setPen(QPen(QColor(12, 56, 48), small ? 8.0 : 4.0));
    p.setBrush(sea);
    p.drawRoundedRect(tile, 50, 50);
}

void iconLeaf(QPainter& p, bool small) {
    const QPointF base(74, 186);
    const QColor pale(234, 244, 214);
    p.setPen(Qt::NoPen);
    p.setBrush(pale);
    p.drawPath(taperedPath(quad(base, {62, 206}, {46, 222}), 16, 9));
    p.setPen(QPen(pale, 5.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(quad({96, 168}, {140, 178}, {168, 184}));
    p.drawPath(quad({140, 178}, {170, 170}, {196, 158}));

    LeafShape shape{176, 96, 0.46, 0.04};
    shape.bluntness = 1.1;
    p.save();
    p.translate(base);
    p.rotate(-47);
    QLinearGradient jade(0, 0, 176, 0);
    jade.setColorAt(0.0, QColor(150, 214, 120));
    jade.setColorAt(1.0, QColor(226, 246, 184));
    p.fillPath(leafPath(shape), jade);

    // Midrib and veins cut into the leaf in the tile colour.
    const QColor vein(34, 110, 90);
    auto rib = [&](double t) { return QPointF(176 * t, shape.bend * 176 * t * t); };
    p.setPen(QPen(vein, small ? 14.0 : 7.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(quad(rib(0.02), rib(0.45) + QPointF(0, -2), rib(0.86)));
    if (!small) {
        p.setPen(QPen(vein, 5.0, Qt::SolidLine, Qt::RoundCap));
        for (double t : {0.22, 0.42, 0.62}) {
            const double reach = 36 * (1.0 - 0.5 * t);
            for (int side : {-1, 1}) {
                const QPointF from = rib(t);
                p.drawPath(quad(from, from + QPointF(reach * 0.4, side * reach * 0.6),
                                from + QPointF(reach * 1.1, side * reach * 0.8)));
            }
        }
    }
    p.restore();
}

void iconBerries(QPainter& p, bool small) {
    const QColor red(222, 50, 38);
    for (const auto& [c, r] :
         {std::pair{QPointF(170, 186), 20.0}, std::pair{QPointF(198, 158), 16.0}}) {
        QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.3);
        g.setColorAt(0.0, red.lighter(140));
        g.setColorAt(1.0, red.darker(120));
        p.setPen(QPen(QColor(110, 20, 14), small ? 6.0 : 3.0));
        p.setBrush(g);
        p.drawEllipse(c, r, r);
        if (!small) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 170));
            p.drawEllipse(c - QPointF(r * 0.4, r * 0.4), r * 0.25, r * 0.2);
        }
    }
}

void paintIcon(QPainter& p, int size) {
    p.scale(size / 256.0, size / 256.0);
    const bool small = size <= 32;
    iconTile(p, small);
    iconLeaf(p, small);
    iconBerries(p, small);
}

} // namespace

QImage transparentLayer(QSize size) {
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

void multiplyOnto(QImage& paper, const QImage& layer) {
    QPainter p(&paper);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.drawImage(0, 0, layer);
}

QImage appIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    paintIcon(p, size);
    p.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

QImage backgroundTile() {
    return paperTexture(QSize(66, 39), parchment, 10.0, 1301);
}

QImage splashPicture() {
    const QSize size(585, 237);
    QImage paper = paperTexture(size, QColor(241, 233, 214), 5.0, 2201);
    ageEdges(paper, 0.16);

    QImage layer = transparentLayer(size);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        Rng rng(2202);
        ginseng(p, rng, {96, 146}, 1.28, 44);
        chrysanthemum(p, rng, {266, 246}, 1.5);
        goji(p, rng, {340, 54}, 0.76);
        const QColor bark(168, 140, 100);
        const QColor flesh(238, 224, 166);
        rootSlice(p, rng, {366, 196}, 21, 7, -18, bark, flesh);
        rootSlice(p, rng, {398, 188}, 20, 6.5, -6, bark, flesh);
        rootSlice(p, rng, {384, 214}, 21, 7, 8, bark, flesh);
        const QColor licoriceBark(140, 80, 52);
        const QColor licoriceFlesh(232, 200, 112);
        rootSlice(p, rng, {426, 214}, 10, 8.5, 12, licoriceBark, licoriceFlesh);
        rootSlice(p, rng, {432, 194}, 8.5, 7.5, -20, licoriceBark, licoriceFlesh);
        driedBerries(p, rng, {340, 222}, 4);
    }
    multiplyOnto(paper, layer);

    QPainter p(&paper);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(serifFont(30));
    p.setPen(ink::text);
    p.drawText(QRectF(380, 188, 188, 40), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("请稍等\u2026"));
    return paper;
}

QImage infoPicture() {
    const QSize size(585, 237);
    QImage paper = paperTexture(size, QColor(242, 234, 216), 4.0, 3301);

    QImage layer = transparentLayer(size);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        Rng rng(3302);
        drawSage(p, rng, {33, 203}, 0.96);
    }
    multiplyOnto(paper, layer);

    // The window shows the top-left 578 x 211 pixels; the frame sits inside that.
    QPainter p(&paper);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(122, 84, 50), 1.2));
    p.drawRect(QRectF(3.5, 3.5, 571, 204));
    p.setPen(QPen(QColor(122, 84, 50, 150), 0.6));
    p.drawRect(QRectF(6.5, 6.5, 565, 198));
    return paper;
}

QImage placeholderPicture() {
    QImage image(240, 180, QImage::Format_RGB32);
    image.fill(QColor(244, 242, 237));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(196, 190, 178), 1.0));
    p.drawRect(QRectF(8.5, 8.5, 223, 163));
    p.setPen(QPen(QColor(214, 208, 196), 1.0));
    p.drawRect(QRectF(12.5, 12.5, 215, 155));
    p.setFont(serifFont(20));
    p.setPen(QColor(128, 120, 108));
    p.drawText(QRectF(0, 0, 240, 180), Qt::AlignCenter, QStringLiteral("暂无图片"));
    return image;
}

} // namespace art
