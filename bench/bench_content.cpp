// The content search and the prescription check over the synthetic library of
// 6022 entries, as a bulk pass leaves them in the data folder: building the
// whole index, its size against the entry texts, adding one entry, a two-word
// search with a filter to its written results, a listing by filters alone, and
// the check of a 20-herb prescription.
// Usage: bench_content SOURCE WORKDIR
#include "bench/BenchSupport.h"
#include "check/Prescription.h"
#include "cloud/GbkText.h"
#include "search/ContentIndex.h"
#include "search/ContentSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

constexpr int Runs = 15;

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 IndexBytes(const QString& data) {
    qint64 bytes = 0;
    for (const QFileInfo& file :
         QDir(QFileInfo(qinglan::ContentIndex::FilePath(data)).absolutePath())
             .entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_content"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2)
        bench::Fail(QStringLiteral("usage: bench_content SOURCE WORKDIR"));
    const QString data = args[1] + QStringLiteral("/Data");
    QDir(data).removeRecursively();
    if (!QDir().mkpath(data))
        bench::Fail(QStringLiteral("cannot create %1").arg(data));

    // The data folder as a bulk pass leaves it: every entry in GBK.
    QDir source(args[0] + QStringLiteral("/data"));
    QStringList names = source.entryList(QDir::Files);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; });
    QString indexText = QStringLiteral("\r\n");
    qint64 textBytes = 0;
    int number = 100001;
    for (const QString& name : names) {
        const QByteArray gbk = qinglan::ToGbk(QString::fromUtf8(Read(source.filePath(name))));
        textBytes += gbk.size();
        QFile file(data + u'/' + name.mid(4));
        if (!file.open(QIODevice::WriteOnly) || file.write(gbk) != gbk.size())
            bench::Fail(QStringLiteral("cannot write %1").arg(file.fileName()));
        indexText +=
            QString::number(number++) + QStringLiteral(" - ") + name + QStringLiteral("\r\n");
    }
    // What was written is on disk before anything is timed.
    ::sync();
    // One entry arrives later, as a query downloads it.
    const QString late = names.value(names.size() / 2);
    const QByteArray lateBytes = Read(data + u'/' + late.mid(4));
    QFile::remove(data + u'/' + late.mid(4));
    bench::Say(QStringLiteral("bench_content: %1 entries, %2 MiB of entry text")
                   .arg(names.size())
                   .arg(double(textBytes) / 1048576.0, 0, 'f', 1));

    std::unique_ptr<qinglan::ContentIndex> index;
    const double buildMs = bench::TimeMs([&] {
        index = qinglan::ContentIndex::Open(data, true);
        if (!index || index->Sync(indexText) != names.size() - 1)
            bench::Fail(QStringLiteral("the index could not be built"));
    });

    QFile file(data + u'/' + late.mid(4));
    if (!file.open(QIODevice::WriteOnly) || file.write(lateBytes) != lateBytes.size())
        bench::Fail(QStringLiteral("cannot write %1").arg(file.fileName()));
    file.close();
    const double addMs = bench::TimeMs([&] {
        if (!index->Add(late))
            bench::Fail(QStringLiteral("the entry could not be added"));
    });
    if (index->SearchableCount() != names.size())
        bench::Fail(QStringLiteral("the added entry is not searchable"));

    const auto entryText = [&](const QString& name) {
        return qinglan::ReadGbkTextFile(data + u'/' + name).value_or(QString());
    };
    const auto timeSearch = [&](const qinglan::SearchRequest& request, int* hits) {
        QList<double> times;
        for (int run = 0; run < Runs; ++run) {
            times << bench::TimeMs([&] {
                const qinglan::SearchResults results = qinglan::RunSearch(*index, request);
                const QString html = qinglan::SearchResultsHtml(results, request, entryText);
                *hits = int(results.hits.size());
                if (html.isEmpty())
                    bench::Fail(QStringLiteral("no results page"));
            });
        }
        return bench::Median(times);
    };
    qinglan::SearchRequest twoWords;
    twoWords.words = {QStringLiteral("清热"), QStringLiteral("头痛")};
    twoWords.meridians = {QStringLiteral("肺")};
    int twoWordHits = 0;
    const double searchMs = timeSearch(twoWords, &twoWordHits);
    qinglan::SearchRequest filters;
    filters.natures = {QStringLiteral("寒")};
    filters.meridians = {QStringLiteral("肺")};
    int filterHits = 0;
    const double filterMs = timeSearch(filters, &filterHits);
    double searchOnlyMs = 0;
    {
        QList<double> times;
        for (int run = 0; run < Runs; ++run)
            times << bench::TimeMs([&] { (void)qinglan::RunSearch(*index, twoWords); });
        searchOnlyMs = bench::Median(times);
    }
    bench::Say(QStringLiteral("two words: the search itself %1").arg(bench::Ms(searchOnlyMs)));
    bench::Say(QStringLiteral("清热 头痛 with 归经 肺: %1 entries; 寒 with 肺: %2 entries")
                   .arg(twoWordHits)
                   .arg(filterHits));

    // A prescription of 20 of the library's names, with doses, checked and shown.
    const qinglan::NameTable table = qinglan::NameTable::Of(*index);
    QString prescription;
    for (int i = 0; i < 20; ++i)
        prescription += index->Entries()[(i * 293) % index->Entries().size()].display +
                        QStringLiteral("%1g ").arg(3 + i % 10);
    QList<double> checkTimes;
    int findings = 0;
    for (int run = 0; run < Runs; ++run) {
        checkTimes << bench::TimeMs([&] {
            const qinglan::CheckReport report =
                qinglan::CheckPrescription(qinglan::ParsePrescription(prescription), table,
                                           qinglan::CompatibilityRules::Compiled(), entryText);
            findings = int(report.findings.size());
            if (qinglan::CheckReportHtml(report).isEmpty())
                bench::Fail(QStringLiteral("no check page"));
        });
    }
    bench::Say(QStringLiteral("20-herb prescription: %1 findings").arg(findings));

    index.reset();
    const double indexMiB = double(IndexBytes(data)) / 1048576.0;
    bench::ReportRow(QStringLiteral("content index, build of 6022 entries (worker thread)"),
                     buildMs, std::nullopt, {bench::Goal::BelowMs, 3000});
    bench::ReportRow(QStringLiteral("content index, add one entry"), addMs, std::nullopt,
                     {bench::Goal::BelowMs, 5});
    bench::ReportRow(QStringLiteral("content search, two words + one filter, to written results"),
                     searchMs, std::nullopt, {bench::Goal::BelowMs, 20});
    bench::ReportRow(QStringLiteral("content search, filters only, to written results"), filterMs,
                     std::nullopt, {bench::Goal::BelowMs, 10});
    bench::ReportRow(QStringLiteral("prescription check, 20 herbs, to written results"),
                     bench::Median(checkTimes), std::nullopt, {bench::Goal::BelowMs, 5});
    bench::ReportAmountRow(QStringLiteral("content index size (vs entry texts)"), indexMiB,
                           double(textBytes) / 1048576.0, QStringLiteral("MiB"),
                           {bench::Goal::RatioAtMost, 3});
    return 0;
}
