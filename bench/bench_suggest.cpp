// The suggestions under the query box: building their index from an entry index
// of 6022 synthetic names, and the matching per keystroke while a user types
// "renshen", "gc", "当归" and "當歸". The goal is under 2 ms per keystroke.
// Usage: bench_suggest
#include "bench/BenchSupport.h"
#include "bench/SynthNames.h"
#include "search/Suggestions.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>

using bench::Goal;

namespace {

constexpr int Entries = 6022;
constexpr int BuildRuns = 5;
constexpr int MatchRuns = 201;

// Real names the keystrokes are after, placed last in the index so that every
// name before them is examined.
const QStringList RealNames{
    QStringLiteral("人参"), QStringLiteral("红参"),   QStringLiteral("人参叶"),
    QStringLiteral("当归"), QStringLiteral("全当归"), QStringLiteral("当归尾"),
    QStringLiteral("甘草"), QStringLiteral("炙甘草"), QStringLiteral("干姜")};

QString Line(int number, const QString& name) {
    return QString::number(100000 + number) + QStringLiteral(" - ") + bench::SynthPrefix(number) +
           name + QStringLiteral(".html\r\n");
}

// The index text of `count` unique names: two to four characters, one in 120
// holding 参, as the synthetic library makes them, then the real names.
QString SyntheticIndex(int count) {
    QRandomGenerator rng(20121210);
    QSet<QString> used(RealNames.cbegin(), RealNames.cend());
    QString text = QStringLiteral("\r\n");
    const int synthetic = count - int(RealNames.size());
    for (int i = 1; i <= synthetic; ++i) {
        text += Line(i, bench::NextSynthName(rng, i, used));
    }
    for (int k = 0; k < RealNames.size(); ++k)
        text += Line(synthetic + 1 + k, RealNames[k]);
    return text;
}

QString Us(double milliseconds) {
    return QString::number(milliseconds * 1000, 'f', 1) + QStringLiteral(" us");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString indexText = SyntheticIndex(Entries);

    // The first build also loads ICU's and OpenCC's data.
    QList<double> builds;
    qinglan::SuggestionIndex index;
    for (int run = 0; run < BuildRuns; ++run)
        builds << bench::TimeMs([&] { index = qinglan::SuggestionIndex::Build(indexText); });
    if (index.NameCount() != Entries)
        bench::Fail(
            QStringLiteral("the index holds %1 names, not %2").arg(index.NameCount()).arg(Entries));
    bench::Say(QStringLiteral("%1 names").arg(index.NameCount()));
    bench::ReportRow(QStringLiteral("suggestions: first index build"), builds.front(),
                     std::nullopt);
    bench::ReportRow(QStringLiteral("suggestions: index build (median)"),
                     bench::Median(builds.mid(1)), std::nullopt);

    const QStringList keystrokes{
        QStringLiteral("r"),       QStringLiteral("re"),    QStringLiteral("ren"),
        QStringLiteral("rens"),    QStringLiteral("rensh"), QStringLiteral("renshe"),
        QStringLiteral("renshen"), QStringLiteral("g"),     QStringLiteral("gc"),
        QStringLiteral("当"),      QStringLiteral("当归"),  QStringLiteral("當歸")};
    double worstMedian = 0;
    double worstMax = 0;
    int found = 0;
    for (const QString& typed : keystrokes) {
        QList<double> times;
        for (int run = 0; run < MatchRuns; ++run)
            times << bench::TimeMs([&] { found = int(index.Match(typed).size()); });
        const double median = bench::Median(times);
        const double max = *std::max_element(times.cbegin(), times.cend());
        worstMedian = std::max(worstMedian, median);
        worstMax = std::max(worstMax, max);
        bench::Say(QStringLiteral("  %1 median %2, max %3 (%4 suggestions)")
                       .arg(typed.leftJustified(8), Us(median), Us(max))
                       .arg(found));
    }
    bench::ReportRow(QStringLiteral("suggestions: slowest keystroke (median)"), worstMedian,
                     std::nullopt, Goal{Goal::BelowMs, 2});
    bench::ReportRow(QStringLiteral("suggestions: slowest keystroke (max)"), worstMax, std::nullopt,
                     Goal{Goal::BelowMs, 2});
    return 0;
}
