#pragma once

#include <QRandomGenerator>

namespace art {

// Seeded random source; every picture creates its own so output is reproducible.
class Rng {
public:
    explicit Rng(quint32 seed) : m_gen(seed) {}

    double range(double lo, double hi) { return lo + (hi - lo) * m_gen.generateDouble(); }
    double jitter(double amount) { return range(-amount, amount); }
    int below(int n) { return int(m_gen.bounded(n)); }
    quint32 next() { return m_gen.generate(); }

private:
    QRandomGenerator m_gen;
};

} // namespace art
