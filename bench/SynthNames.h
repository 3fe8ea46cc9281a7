#pragma once

#include <QRandomGenerator>
#include <QSet>
#include <QString>

namespace bench {

// The four characters before a synthetic entry's name: 0001..9999, base 36 beyond.
QString SynthPrefix(int number);

// The name of the index-th synthetic entry (from 1): two to four common herb
// characters, not in used (it is added); one in 120 holds "参", so that the query
// "参" finds about fifty of 6022.
QString NextSynthName(QRandomGenerator& rng, int index, QSet<QString>& used);

} // namespace bench
