// The suggestions under the query box over the 6022-entry synthetic library:
// building their index from its entry index, reading every entry's names in
// Latin letters (拉丁名, 英文名, the binomial in 形态) as the suggestion box's
// worker does, and the matching per keystroke while a user types "renshen",
// "gc", "当归", "當歸", "ginseng", "radix ginseng", "panax" and "licorice". The
// goal is under 2 ms per keystroke.
// Usage: bench_suggest SOURCE   (a library written by qinglan-synth-library)
#include "bench/BenchSupport.h"
#include "entries/EntrySections.h"
#include "search/Suggestions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>

using bench::Goal;

namespace {

constexpr int BuildRuns = 5;
constexpr int MatchRuns = 201;

// Real names the keystrokes are after, with their Latin and English names from
// the Pharmacopoeia, placed last in the index so that every name before them is
// examined.
const QList<std::pair<QString, QStringList>> RealNames{
    {QStringLiteral("人参"),
     {QStringLiteral("Ginseng Radix et Rhizoma"), QStringLiteral("Ginseng"),
      QStringLiteral("Panax ginseng")}},
    {QStringLiteral("红参"),
     {QStringLiteral("Ginseng Radix et Rhizoma Rubra"), QStringLiteral("Red ginseng"),
      QStringLiteral("Panax ginseng")}},
    {QStringLiteral("人参叶"),
     {QStringLiteral("Ginseng Folium"), QStringLiteral("Ginseng leaf"),
      QStringLiteral("Panax ginseng")}},
    {QStringLiteral("当归"),
     {QStringLiteral("Angelicae Sinensis Radix"), QStringLiteral("Chinese angelica"),
      QStringLiteral("Angelica sinensis")}},
    {QStringLiteral("全当归"), {}},
    {QStringLiteral("当归尾"), {}},
    {QStringLiteral("甘草"),
     {QStringLiteral("Glycyrrhizae Radix et Rhizoma"), QStringLiteral("Licorice root"),
      QStringLiteral("Glycyrrhiza uralensis")}},
    {QStringLiteral("炙甘草"),
     {QStringLiteral("Glycyrrhizae Radix et Rhizoma Praeparata cum Melle"),
      QStringLiteral("Honey-fried licorice root")}},
    {QStringLiteral("干姜"),
     {QStringLiteral("Zingiberis Rhizoma"), QStringLiteral("Dried ginger"),
      QStringLiteral("Zingiber officinale")}}};

QString Line(int number, const QString& listedName) {
    return QString::number(100000 + number) + QStringLiteral(" - ") + listedName +
           QStringLiteral("\r\n");
}

QString Us(double milliseconds) {
    return QString::number(milliseconds * 1000, 'f', 1) + QStringLiteral(" us");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_suggest SOURCE\n");
        return 2;
    }
    const QDir data(args[1] + QStringLiteral("/data"));
    const QStringList files = data.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    if (files.size() <= RealNames.size())
        bench::Fail(QStringLiteral("no entries in %1").arg(data.path()));
    // The synthetic entries, less as many as there are real names, then those.
    const int synthetic = int(files.size() - RealNames.size());
    QString indexText = QStringLiteral("\r\n");
    for (int i = 0; i < synthetic; ++i)
        indexText += Line(i + 1, files[i]);
    for (int k = 0; k < RealNames.size(); ++k)
        indexText += Line(synthetic + 1 + k, QStringLiteral("9%1").arg(k, 3, 10, QLatin1Char('0')) +
                                                 RealNames[k].first + QStringLiteral(".html"));
    const int entries = int(files.size());

    // The first build also loads ICU's and OpenCC's data.
    QList<double> builds;
    qinglan::SuggestionIndex index;
    for (int run = 0; run < BuildRuns; ++run)
        builds << bench::TimeMs([&] { index = qinglan::SuggestionIndex::Build(indexText); });
    if (index.NameCount() != entries)
        bench::Fail(
            QStringLiteral("the index holds %1 names, not %2").arg(index.NameCount()).arg(entries));
    bench::Say(QStringLiteral("%1 names").arg(index.NameCount()));
    bench::ReportRow(QStringLiteral("suggestions: first index build"), builds.front(),
                     std::nullopt);
    bench::ReportRow(QStringLiteral("suggestions: index build (median)"),
                     bench::Median(builds.mid(1)), std::nullopt);

    // The entries' Latin names, read and taken apart as the box's worker does
    // (there from GBK files of the data folder, here from the UTF-8 source).
    int latinNames = 0;
    const double readMs = bench::TimeMs([&] {
        for (int i = 0; i < synthetic; ++i) {
            QFile file(data.filePath(files[i]));
            if (!file.open(QIODevice::ReadOnly))
                bench::Fail(QStringLiteral("cannot read %1").arg(file.fileName()));
            const QStringList names = qinglan::SuggestionIndex::LatinNamesOf(
                qinglan::ReadEntrySections(QString::fromUtf8(file.readAll())));
            latinNames += int(names.size());
            index.AddLatinNames(files[i].mid(4).chopped(5), names);
        }
    });
    for (const auto& [name, latin] : RealNames)
        index.AddLatinNames(name, latin);
    if (latinNames < 3 * synthetic)
        bench::Fail(QStringLiteral("only %1 Latin names in %2 entries: an old synthetic library?")
                        .arg(latinNames)
                        .arg(synthetic));
    bench::Say(QStringLiteral("%1 names in Latin letters").arg(latinNames));
    bench::ReportRow(QStringLiteral("suggestions: reading the Latin names (worker)"), readMs,
                     std::nullopt);

    const QStringList keystrokes{QStringLiteral("r"),
                                 QStringLiteral("re"),
                                 QStringLiteral("ren"),
                                 QStringLiteral("rens"),
                                 QStringLiteral("rensh"),
                                 QStringLiteral("renshe"),
                                 QStringLiteral("renshen"),
                                 QStringLiteral("g"),
                                 QStringLiteral("gc"),
                                 QStringLiteral("当"),
                                 QStringLiteral("当归"),
                                 QStringLiteral("當歸"),
                                 QStringLiteral("g"),
                                 QStringLiteral("gi"),
                                 QStringLiteral("gin"),
                                 QStringLiteral("ginseng"),
                                 QStringLiteral("radix ginseng"),
                                 QStringLiteral("panax"),
                                 QStringLiteral("licorice"),
                                 QStringLiteral("zingiber o")};
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
                       .arg(typed.leftJustified(14), Us(median), Us(max))
                       .arg(found));
    }
    bench::ReportRow(QStringLiteral("suggestions: slowest keystroke (median)"), worstMedian,
                     std::nullopt, Goal{Goal::BelowMs, 2});
    bench::ReportRow(QStringLiteral("suggestions: slowest keystroke (max)"), worstMax, std::nullopt,
                     Goal{Goal::BelowMs, 2});
    return 0;
}
