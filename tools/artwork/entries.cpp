#include "tools/artwork/flora.h"
#include "tools/artwork/paper.h"
#include "tools/artwork/pictures.h"

#include <functional>

namespace art {

namespace {

const QSize entrySize(240, 180);
const QRectF captionBox(0, 158, 240, 20);

struct Entry {
    QString name;
    quint32 seed;
    std::function<void(QPainter&, Rng&)> draw;
};

void drawGinseng(QPainter& p, Rng& rng) {
    ginseng(p, rng, {120, 84}, 1.0, 32);
}

void drawSanqi(QPainter& p, Rng& rng) {
    sanqi(p, rng, {96, 108}, 0.92);
    sanqiTuber(p, rng, {166, 112}, -62, 0.9);
    sanqiTuber(p, rng, {178, 136}, -84, 0.8);
}

void drawLicorice(QPainter& p, Rng& rng) {
    licorice(p, rng, {78, 132}, 0.92);
    lyingRoot(p, rng, {34, 144}, {212, 150}, 10, QColor(150, 88, 58), QColor(230, 196, 110));
    rootSlice(p, rng, {178, 104}, 12, 10, 10, QColor(140, 80, 52), QColor(232, 200, 112));
    rootSlice(p, rng, {204, 120}, 10, 8.5, -20, QColor(140, 80, 52), QColor(230, 196, 108));
    rootSlice(p, rng, {176, 128}, 9, 8, 30, QColor(140, 80, 52), QColor(232, 200, 112));
}

void drawAstragalus(QPainter& p, Rng& rng) {
    astragalus(p, rng, {84, 150}, 0.95);
    const QColor bark(168, 140, 100);
    const QColor flesh(238, 224, 166);
    rootSlice(p, rng, {176, 112}, 22, 7, -24, bark, flesh);
    rootSlice(p, rng, {196, 132}, 20, 6.5, -12, bark, flesh);
    rootSlice(p, rng, {170, 146}, 21, 7, -30, bark, flesh);
}

void drawAngelica(QPainter& p, Rng& rng) {
    angelica(p, rng, {118, 116}, 0.66);
}

void drawHoneysuckle(QPainter& p, Rng& rng) {
    honeysuckle(p, rng, {16, 152}, 1.0);
}

void drawChrysanthemum(QPainter& p, Rng& rng) {
    chrysanthemum(p, rng, {126, 156}, 1.0);
}

void drawGoji(QPainter& p, Rng& rng) {
    goji(p, rng, {10, 62}, 1.0);
    driedBerries(p, rng, {190, 138}, 7);
}

const std::vector<Entry>& entries() {
    static const std::vector<Entry> all = {
        {QStringLiteral("人参"), 101, drawGinseng},
        {QStringLiteral("甘草"), 102, drawLicorice},
        {QStringLiteral("黄芪"), 103, drawAstragalus},
        {QStringLiteral("当归"), 104, drawAngelica},
        {QStringLiteral("金银花"), 105, drawHoneysuckle},
        {QStringLiteral("菊花"), 106, drawChrysanthemum},
        {QStringLiteral("枸杞子"), 107, drawGoji},
        {QStringLiteral("三七"), 108, drawSanqi},
    };
    return all;
}

} // namespace

QStringList entryNames() {
    QStringList names;
    for (const Entry& e : entries())
        names << e.name;
    return names;
}

QImage entryPicture(const QString& name) {
    for (const Entry& e : entries()) {
        if (e.name != name) continue;
        QImage paper = paperTexture(entrySize, QColor(245, 240, 228), 3.0, e.seed);
        QImage layer = transparentLayer(entrySize);
        {
            QPainter p(&layer);
            p.setRenderHint(QPainter::Antialiasing);
            Rng rng(e.seed);
            e.draw(p, rng);
        }
        multiplyOnto(paper, layer);
        QPainter p(&paper);
        p.setRenderHint(QPainter::Antialiasing);
        drawCaption(p, captionBox, e.name, 15);
        return paper;
    }
    return {};
}

} // namespace art
