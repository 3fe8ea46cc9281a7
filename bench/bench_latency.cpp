// The bulk download and the query over a distant cloud: the store served with
// every response 20 ms late (qinglan-cloud serve --latency 20).
//   - a bulk pass of 6022 entries with the program's 6 connections, against
//     curl --parallel --parallel-max 6 over the same addresses, and against the
//     program's pass on one connection (as every pass was before);
//   - the same pass without latency, against curl on one connection;
//   - Enter to a written page for an exact match whose entry is not cached,
//     against one round trip and a half plus the same query once cached.
// Usage: bench_latency STORE WORKDIR
#include "app/Form1.h"
#include "bench/BenchSupport.h"
#include "cloud/BlockingHttp.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/BulkDownload.h"
#include "search/QueryRunner.h"
#include "shell/Environment.h"
#include "shell/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineProfile>

namespace {

constexpr int TimeoutMs = 900000;
constexpr int Queries = 12;

double Pass(const QList<qinglan::RemoteItem>& items, const QString& base, const QString& dir,
            int connections) {
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    qinglan::BulkPassResult result;
    const double ms = bench::TimeMs([&] {
        // Run as the window runs it: the pass goes on from its transfers' answers.
        qinglan::BulkPass pass(items, dir, base, connections);
        QEventLoop loop;
        QObject::connect(&pass, &qinglan::BulkPass::Finished,
                         [&](const qinglan::BulkPassResult& end) {
                             result = end;
                             loop.quit();
                         });
        pass.Start();
        loop.exec();
    });
    if (result.missing != 0)
        bench::Fail(QStringLiteral("the pass left %1 entries missing").arg(result.missing));
    return ms;
}

// curl over the same entries into an emptied dir, on one connection or six.
double Curl(const QList<qinglan::RemoteItem>& items, const QString& base, const QString& dir,
            bool parallel) {
    QDir(dir).removeRecursively();
    return bench::TimeCurl(items, base, dir,
                           parallel
                               ? QStringList{QStringLiteral("--parallel"),
                                             QStringLiteral("--parallel-max"), QStringLiteral("6")}
                               : QStringList());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bench_latency"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2)
        bench::Fail(QStringLiteral("usage: bench_latency STORE WORKDIR"));
    const QString work = args[1];
    bench::ServedStore near;
    const QString nearBase = near.Serve(args[0]);
    bench::ServedStore far;
    const QString farBase = far.Serve(args[0], {QStringLiteral("--latency"), QStringLiteral("20")});
    const QList<qinglan::RemoteItem> items = bench::DataListing(nearBase);
    bench::Say(QStringLiteral("bench_latency: %1 entries").arg(items.size()));

    // One round trip to the distant cloud: a small listing, on a warm connection.
    (void)qinglan::HttpGetText(farBase + QStringLiteral("1003"));
    QList<double> trips;
    for (int i = 0; i < 5; ++i)
        trips << bench::TimeMs(
            [&] { (void)qinglan::HttpGetText(farBase + QStringLiteral("1003")); });
    const double roundTrip = bench::Median(trips);

    const double farOurs =
        Pass(items, farBase, work + QStringLiteral("/far-ours"), qinglan::BulkConnections);
    const double farCurl = Curl(items, farBase, work + QStringLiteral("/far-curl"), true);
    const double farOne = Pass(items, farBase, work + QStringLiteral("/far-one"), 1);
    const double nearOurs =
        Pass(items, nearBase, work + QStringLiteral("/near-ours"), qinglan::BulkConnections);
    const double nearCurl = Curl(items, nearBase, work + QStringLiteral("/near-curl"), false);
    // Our pass flushes each entry to the disk before naming it; curl does not.
    const double nearCurlSync = bench::TimeMs([&] {
        QProcess sync;
        sync.start(QStringLiteral("sync"),
                   {QStringLiteral("-f"), work + QStringLiteral("/near-curl")});
        sync.waitForFinished(-1);
    });

    // The query, in the main window, against the distant cloud.
    qinglan::Config config = qinglan::Config::Compiled();
    config.itemsBaseUrl = farBase;
    const qinglan::Environment env{work + QStringLiteral("/app"), work + QStringLiteral("/temp")};
    QDir().mkpath(env.DataPath());
    QDir().mkpath(env.tempDir);
    if (!qinglan::WriteEntryIndex(env.DataPath(), qinglan::EntryIndexText(items)).isEmpty())
        bench::Fail(QStringLiteral("cannot write the index"));
    qinglan::Form1 form(config, env,
                        qinglan::ConfigureProgramProfile(QWebEngineProfile::defaultProfile()));
    form.Timer1->setInterval(3600000);
    if (!form.Open() || !bench::WaitFor([&] { return form.isVisible(); }, TimeoutMs))
        bench::Fail(QStringLiteral("the main window did not open"));
    int pages = 0;
    QObject::connect(form.Query(), &qinglan::QueryRunner::PageShown, [&] { ++pages; });
    const auto query = [&](const QString& name) {
        form.Text1->setText(name);
        const int before = pages;
        // From the click to the page shown: the window goes on meanwhile.
        const double ms = bench::TimeMs([&] {
            form.Command1->click();
            bench::WaitFor([&] { return pages == before + 1; }, TimeoutMs);
        });
        if (pages != before + 1)
            bench::Fail(QStringLiteral("no page for %1").arg(name));
        return ms;
    };
    QList<double> uncached, cached;
    for (int i = 0; i < Queries; ++i) {
        // A name that no other index line contains, not downloaded yet.
        const qinglan::RemoteItem& item = items[(i * 487 + 11) % items.size()];
        const QString name = qinglan::DisplayNameOf(item.RelationshipName).toString();
        uncached << query(name);
        cached << query(name);
    }
    const double uncachedMs = bench::Median(uncached);
    const double cachedMs = bench::Median(cached);
    bench::Say(QStringLiteral("round trip %1; uncached query %2; cached %3")
                   .arg(bench::Ms(roundTrip), bench::Ms(uncachedMs), bench::Ms(cachedMs)));

    bench::ReportRow(QStringLiteral("bulk pass at 20 ms, 6 connections (vs curl --parallel-max 6)"),
                     farOurs, farCurl, {bench::Goal::RatioAtMost, 1.2});
    bench::ReportRow(QStringLiteral("bulk pass at 20 ms, 6 connections (vs our pass on one)"),
                     farOurs, farOne, {bench::Goal::RatioAtMost, 0.2});
    bench::ReportRow(QStringLiteral("bulk pass at 0 ms, 6 connections (vs curl, one connection)"),
                     nearOurs, nearCurl, {bench::Goal::RatioAtMost, 1.1});
    bench::ReportRow(
        QStringLiteral("bulk pass at 0 ms, 6 connections (vs curl, one connection, then sync)"),
        nearOurs, nearCurl + nearCurlSync, {bench::Goal::RatioAtMost, 1.1});
    bench::ReportRow(QStringLiteral("query, uncached entry at 20 ms (vs 1.5 round trips + cached)"),
                     uncachedMs, 1.5 * roundTrip + cachedMs, {bench::Goal::RatioAtMost, 1.0});
    return 0;
}
