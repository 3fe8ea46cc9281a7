#include "tools/artwork/paper.h"

#include "tools/artwork/rng.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace art {

namespace {

double smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

int wrap(int i, int n) {
    return ((i % n) + n) % n;
}

struct Octave {
    double featureX; // feature size in pixels along x
    double featureY; // feature size in pixels along y
    double weight;
};

int cellsFor(int pixels, double feature) {
    return std::max(1, int(std::lround(pixels / feature)));
}

// Features broader than a third of the image would show as a blotch repeating with every
// tile, so small images leave them out.
bool fits(QSize size, double featureX, double featureY) {
    return size.width() >= 3 * featureX && size.height() >= 3 * featureY;
}

} // namespace

PeriodicNoise::PeriodicNoise(int cellsX, int cellsY, Rng& rng)
    : m_cellsX(std::max(1, cellsX)), m_cellsY(std::max(1, cellsY)) {
    m_values.resize(size_t(m_cellsX) * size_t(m_cellsY));
    for (double& v : m_values)
        v = rng.range(-1.0, 1.0);
}

double PeriodicNoise::lattice(int i, int j) const {
    return m_values[size_t(wrap(j, m_cellsY)) * size_t(m_cellsX) + size_t(wrap(i, m_cellsX))];
}

double PeriodicNoise::at(double u, double v) const {
    const double x = u * m_cellsX;
    const double y = v * m_cellsY;
    const int i = int(std::floor(x));
    const int j = int(std::floor(y));
    const double fx = smooth(x - i);
    const double fy = smooth(y - j);
    const double top = lattice(i, j) + (lattice(i + 1, j) - lattice(i, j)) * fx;
    const double bottom = lattice(i, j + 1) + (lattice(i + 1, j + 1) - lattice(i, j + 1)) * fx;
    return top + (bottom - top) * fy;
}

QImage paperTexture(QSize size, QColor base, double strength, quint32 seed) {
    Rng rng(seed);
    const int w = size.width();
    const int h = size.height();

    // Cloudy unevenness, finer mottling and faint horizontal fibres.
    const Octave octaves[] = {{36, 30, 0.30}, {12, 10, 0.30}, {5, 4, 0.20}, {18, 2.5, 0.24}};
    std::vector<PeriodicNoise> layers;
    std::vector<double> weights;
    for (const Octave& o : octaves) {
        layers.emplace_back(cellsFor(w, o.featureX), cellsFor(h, o.featureY), rng);
        weights.push_back(fits(size, o.featureX, o.featureY) ? o.weight : 0.0);
    }
    PeriodicNoise tint(cellsFor(w, 40), cellsFor(h, 40), rng);
    const double tintWeight = fits(size, 40, 40) ? 0.4 : 0.0;

    std::vector<double> shade(size_t(w) * size_t(h));
    std::vector<double> warm(shade.size());
    double mean = 0.0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double u = (x + 0.5) / w;
            const double v = (y + 0.5) / h;
            double n = rng.jitter(0.06); // per-pixel grain
            for (size_t k = 0; k < layers.size(); ++k)
                n += weights[k] * layers[k].at(u, v);
            const size_t idx = size_t(y) * size_t(w) + size_t(x);
            shade[idx] = n * strength;
            warm[idx] = tint.at(u, v) * strength * tintWeight;
            mean += shade[idx];
        }
    }
    mean /= double(shade.size());

    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t idx = size_t(y) * size_t(w) + size_t(x);
            const double d = shade[idx] - mean;
            const double t = warm[idx];
            auto channel = [](double c) { return std::clamp(int(std::lround(c)), 0, 255); };
            line[x] = qRgb(channel(base.red() + d + t * 0.3), channel(base.green() + d),
                           channel(base.blue() + d * 1.15 - t));
        }
    }
    return image;
}

void ageEdges(QImage& image, double amount) {
    QPainter p(&image);
    const QRectF r = image.rect();
    const double cx = r.center().x();
    const double cy = r.center().y();
    QRadialGradient g(QPointF(cx, cy), std::hypot(cx, cy));
    g.setColorAt(0.0, QColor(120, 90, 50, 0));
    g.setColorAt(0.7, QColor(120, 90, 50, 0));
    g.setColorAt(1.0, QColor(120, 90, 50, int(255 * amount)));
    p.setTransform(
        QTransform::fromTranslate(cx, cy).scale(1.0, r.height() / r.width()).translate(-cx, -cy));
    p.fillRect(QRectF(cx - r.width(), cy - r.width(), 2 * r.width(), 2 * r.width()), g);
}

} // namespace art
