#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include <vector>

namespace art {

class Rng;

// Smooth value noise on a wrapping lattice: at(u, v) repeats every 1.0 in u and v.
class PeriodicNoise {
public:
    PeriodicNoise(int cellsX, int cellsY, Rng& rng);
    double at(double u, double v) const;

private:
    double lattice(int i, int j) const;

    int m_cellsX;
    int m_cellsY;
    std::vector<double> m_values;
};

// Paper-like texture with average colour `base`; repeats seamlessly when tiled.
// `strength` is the amplitude of the grain in 8-bit colour steps.
QImage paperTexture(QSize size, QColor base, double strength, quint32 seed);

// Darkens the rim of an image slightly, like the aged edge of a sheet.
void ageEdges(QImage& image, double amount);

} // namespace art
