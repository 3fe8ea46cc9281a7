#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

namespace art {

class Rng;

QImage appIcon(int size);
QImage backgroundTile();
QImage splashPicture();
QImage infoPicture();

// Picture for a library entry; `name` selects the plant and is written below it.
// Returns a null image for a name without a drawing.
QImage entryPicture(const QString& name);
QImage placeholderPicture();
QStringList entryNames();

// Drawings are painted on a transparent layer that is then multiplied onto the paper,
// so the grain of the paper shows through the pigment.
QImage transparentLayer(QSize size);
void multiplyOnto(QImage& paper, const QImage& layer);

// Old sage standing with a staff; `feet` is the point between his feet.
void drawSage(QPainter& p, Rng& rng, QPointF feet, double scale);

} // namespace art
