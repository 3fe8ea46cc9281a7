// Bulk download and memory.
//
// A whole pass of the program's bulk download (the menu command, the progress
// window, every entry of the 6022-entry library into an empty data folder),
// against curl downloading the same files in one process over one connection;
// then a second pass with every file present. Then the peak resident memory of
// the program's process after a contents listing, against a bare web view
// showing the same page. Each memory figure comes from a fresh process.
//
// Usage: bench_bulk STORE WORKDIR   (the store is served by the benchmark itself)
//   (inner) bench_bulk --program-memory ITEMS_BASE_URL APPDIR TEMPDIR
//   (inner) bench_bulk --bare-memory PAGEFILE
#include "app/Form1.h"
#include "app/Program.h"
#include "bench/BenchSupport.h"
#include "cloud/Http.h"
#include "cloud/Listing.h"
#include "config/Config.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/Form2.h"
#include "search/QueryRunner.h"
#include "shell/Environment.h"
#include "shell/HtmlView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

constexpr int TimeoutMs = 600000;

qinglan::Config ConfigFor(const QString& base) {
    qinglan::Config config = qinglan::Config::Compiled();
    config.itemsBaseUrl = base;
    return config;
}

// A folder for the program with the index of the served data folder in it.
QList<qinglan::RemoteItem> PrepareApp(const QString& base, const QString& appDir) {
    const QList<qinglan::RemoteItem> items = bench::DataListing(base);
    const QString data = qinglan::Environment{appDir, {}}.DataPath();
    QDir().mkpath(data);
    if (!qinglan::WriteEntryIndex(data, qinglan::EntryIndexText(items)).isEmpty())
        bench::Fail(QStringLiteral("cannot write the index"));
    return items;
}

// Runs the program's bulk download once; milliseconds until its completion box.
double TimePass(qinglan::Program& program) {
    double shownAt = -1;
    QElapsedTimer timer;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (shownAt < 0)
                shownAt = double(timer.nsecsElapsed()) / 1e6;
            box->accept();
        }
    });
    answer.start(1);
    timer.start();
    program.MainWindow().下载->trigger();
    if (!bench::WaitFor([&] { return shownAt >= 0 && program.MainWindow().isVisible(); },
                        TimeoutMs))
        bench::Fail(QStringLiteral("the bulk download did not end"));
    return shownAt;
}

int CompareFolders(const QString& ours, const QString& theirs) {
    int differing = 0;
    for (const QString& name : QDir(theirs).entryList(QDir::Files)) {
        QFile a(ours + u'/' + name), b(theirs + u'/' + name);
        if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) ||
            a.readAll() != b.readAll())
            ++differing;
    }
    return differing;
}

double ChildFigure(const QStringList& args) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(TimeoutMs) || child.exitCode() != 0)
        bench::Fail(QStringLiteral("a measuring process failed: %1").arg(args.value(0)));
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed().section(u'\n', -1).toDouble();
}

int RunProgramMemory(const QStringList& args) {
    const QString appDir = args[2];
    qinglan::Program program(ConfigFor(args[1]), qinglan::Environment{appDir, args[3]});
    program.Splash().Timer1->setInterval(0);
    program.Start();
    if (!bench::WaitFor(
            [&] { return program.MainWindow().isVisible() && !program.Splash().isVisible(); },
            TimeoutMs))
        return 1;
    bool loaded = false;
    QObject::connect(program.MainWindow().Query(), &qinglan::QueryRunner::PageShown, [&] {
        QObject::connect(program.MainWindow().WebBrowser1, &qinglan::HtmlView::DocumentComplete,
                         [&] { loaded = true; });
    });
    program.MainWindow().目_录->trigger();
    if (!bench::WaitFor([&] { return loaded; }, TimeoutMs))
        return 1;
    std::printf("%.1f\n", bench::ProcessMemoryMiB("VmHWM"));
    return 0;
}

int RunBareMemory(const QStringList& args) {
    QWebEngineProfile profile;
    QWebEnginePage page(&profile);
    page.settings()->setDefaultTextEncoding(QStringLiteral("GBK"));
    QWebEngineView view;
    view.setPage(&page);
    view.resize(615, 538);
    view.show();
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    view.setUrl(QUrl::fromLocalFile(args[1]));
    if (!bench::WaitFor([&] { return loaded; }, TimeoutMs))
        return 1;
    std::printf("%.1f\n", bench::ProcessMemoryMiB("VmHWM"));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == u"--program-memory" && args.size() == 4)
        return RunProgramMemory(args);
    if (args.value(0) == u"--bare-memory" && args.size() == 2)
        return RunBareMemory(args);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_bulk STORE WORKDIR\n");
        return 2;
    }
    bench::ServedStore cloud;
    const QString base = cloud.Serve(args[0]);
    const QString work = args[1];
    const QString appDir = work + QStringLiteral("/app");
    const QString tempDir = work + QStringLiteral("/temp");
    QDir().mkpath(tempDir);
    const QList<qinglan::RemoteItem> items = PrepareApp(base, appDir);

    const double curlMs = bench::TimeCurl(items, base, work + QStringLiteral("/curl"));
    // Our pass leaves every entry on the disk before it is named; curl leaves them
    // in the page cache. The like-for-like reference flushes curl's files too.
    const double curlSyncMs = bench::TimeMs([&] {
        QProcess sync;
        sync.start(QStringLiteral("sync"), {QStringLiteral("-f"), work + QStringLiteral("/curl")});
        sync.waitForFinished(-1);
    });
    double firstMs = 0;
    double secondMs = 0;
    {
        qinglan::Program program(ConfigFor(base), qinglan::Environment{appDir, tempDir});
        program.Splash().Timer1->setInterval(0);
        program.Splash().Timer2->setInterval(0);
        program.Start();
        if (!bench::WaitFor(
                [&] { return program.MainWindow().isVisible() && !program.Splash().isVisible(); },
                TimeoutMs))
            bench::Fail(QStringLiteral("the program did not start"));
        firstMs = TimePass(program);
        secondMs = TimePass(program);
    }
    const QString data = qinglan::Environment{appDir, {}}.DataPath();
    const int files = int(QDir(data).entryList(QDir::Files).size()) - 1; // less ML
    const int differing = CompareFolders(data, work + QStringLiteral("/curl"));
    bench::Say(QStringLiteral("pass wrote %1 entry files; %2 differ from curl's")
                   .arg(files)
                   .arg(differing));
    if (differing != 0)
        bench::Fail(QStringLiteral("the pass wrote files that differ from the server's"));

    bench::ReportRow(QStringLiteral("bulk download, 6022 entries (vs curl, one connection)"),
                     firstMs, curlMs, {bench::Goal::RatioAtMost, 1.2});
    bench::ReportRow(
        QStringLiteral("bulk download, 6022 entries (vs curl, one connection, then sync)"), firstMs,
        curlMs + curlSyncMs, {bench::Goal::RatioAtMost, 1.2});
    bench::ReportRow(QStringLiteral("bulk download, second pass, all present"), secondMs,
                     std::nullopt);

    const double ours = ChildFigure({QStringLiteral("--program-memory"), base, appDir, tempDir});
    const double bare =
        ChildFigure({QStringLiteral("--bare-memory"), tempDir + QStringLiteral("/qnln1.html")});
    bench::Say(QStringLiteral("peak RSS after contents: program %1 MiB, bare view %2 MiB")
                   .arg(ours)
                   .arg(bare));
    bench::ReportAmountRow(
        QStringLiteral("peak RSS of the main process after contents (vs bare view)"), ours, bare,
        QStringLiteral("MiB"));
    return 0;
}
