// Start-up: from process start to the home page shown in the main window, for
// the program (its splash, main window and home page from the cloud, with an
// entry index already present) against a bare program that shows the same home
// page in a plain web view. Each start is a fresh process of this executable.
//
// A process shows no sign of having drawn a page to the outside, so the program
// is started here through qinglan::Program, as main.cpp does, with the splash's
// one-second wait taken out and the cloud address given at run time. A start
// ends when the view's document holds the home page's last words; both kinds
// poll for them the same way.
//
// Usage: bench_startup STORE WORKDIR   (the store is served by the benchmark itself)
//   (inner) bench_startup --program ITEMS_BASE_URL APPDIR TEMPDIR MARKER
//   (inner) bench_startup --bare HOMEFILE MARKER
#include "app/Form1.h"
#include "app/Program.h"
#include "bench/BenchSupport.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "cloud/NamedFile.h"
#include "config/Config.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/Form2.h"
#include "shell/Environment.h"
#include "shell/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

namespace {

constexpr int Runs = 5;
constexpr int StartTimeoutMs = 60000;
constexpr short DataFolder = 1001;
constexpr short HomeFolder = 1003;

// Since main() was entered.
QElapsedTimer g_sinceMain;

// Polls the page's document until it holds marker, then reports the time since
// main() on standard output and ends the process. Polling starts at the first
// call; later calls do nothing.
void ExitWhenShown(QWebEnginePage* page, const QString& marker) {
    static bool polling = false;
    if (polling)
        return;
    polling = true;
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [page, marker, poll] {
        page->runJavaScript(QStringLiteral("document.documentElement.outerHTML"),
                            [marker, poll](const QVariant& html) {
                                if (!html.toString().contains(marker)) {
                                    QTimer::singleShot(2, *poll);
                                    return;
                                }
                                bench::Say(
                                    QStringLiteral("shown %1")
                                        .arg(double(g_sinceMain.nsecsElapsed()) / 1e6, 0, 'f', 3));
                                QCoreApplication::exit(0);
                            });
    };
    (*poll)();
}

int RunInner(int& argc, char** argv, const QStringList& args) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer::singleShot(StartTimeoutMs, [] { QCoreApplication::exit(3); });

    if (args.value(0) == u"--program" && args.size() == 5) {
        QApplication::setApplicationName(QStringLiteral("Qinglan"));
        qinglan::Config config = qinglan::Config::Compiled();
        config.itemsBaseUrl = args[1];
        qinglan::Program program(config, qinglan::Environment{args[2], args[3]});
        QObject::connect(&program, &qinglan::Program::StartFailed,
                         [] { QCoreApplication::exit(2); });
        program.Splash().Timer1->setInterval(0);
        qinglan::HtmlView* view = program.MainWindow().WebBrowser1;
        const QString marker = args[4];
        QObject::connect(view, &qinglan::HtmlView::DocumentComplete,
                         [view, marker] { ExitWhenShown(view->page(), marker); });
        program.Start();
        return QApplication::exec();
    }
    if (args.value(0) == u"--bare" && args.size() == 3) {
        const std::optional<QString> home = qinglan::ReadGbkTextFile(args[1]);
        if (!home)
            return 2;
        QWebEngineView view;
        view.resize(615, 538); // the main window's page view
        view.show();
        const QString marker = args[2];
        QObject::connect(view.page(), &QWebEnginePage::loadFinished,
                         [&view, marker] { ExitWhenShown(view.page(), marker); });
        view.setHtml(*home);
        return QApplication::exec();
    }
    return 2;
}

struct Start {
    double fromProcessStart = 0;
    double fromMain = 0;
};

// Runs one inner start and times it from before the process is started to the
// line that says the page is shown.
Start TimeStart(const QStringList& args) {
    static const QRegularExpression shown(QStringLiteral("^shown ([0-9.]+)$"),
                                          QRegularExpression::MultilineOption);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), args);
    QString out;
    QRegularExpressionMatch match;
    while (!match.hasMatch() && process.waitForReadyRead(StartTimeoutMs)) {
        out += QString::fromLocal8Bit(process.readAll());
        match = shown.match(out);
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(5000);
    if (!match.hasMatch())
        bench::Fail(QStringLiteral("%1 did not show the home page (exit %2):\n%3")
                        .arg(args.value(0))
                        .arg(process.exitCode())
                        .arg(out.right(2000)));
    return {elapsed, match.captured(1).toDouble()};
}

// The home page's last words, as they stand in its document.
QString LastWords(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.replace(tag, QStringLiteral(" "));
    return text.simplified().right(8).trimmed();
}

} // namespace

int main(int argc, char* argv[]) {
    g_sinceMain.start();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.value(0).startsWith(u"--"))
        return RunInner(argc, argv, args);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_startup"));
    if (args.size() != 2)
        bench::Fail(QStringLiteral("usage: bench_startup STORE WORKDIR"));
    bench::ServedStore cloud;
    const QString base = cloud.Serve(args[0]);
    const QDir work(args[1]);
    const qinglan::Environment env{work.filePath(QStringLiteral("app")),
                                   work.filePath(QStringLiteral("temp"))};
    const QString dataPath = env.DataPath();
    if (!QDir().mkpath(dataPath) || !QDir().mkpath(env.tempDir))
        bench::Fail(QStringLiteral("cannot create the folders in %1").arg(work.path()));

    // An entry index is present, so that no start builds one.
    const QList<qinglan::RemoteItem> items =
        qinglan::ListItems(qinglan::TryHttpGetText(base + QString::number(DataFolder)));
    if (const QString error = qinglan::WriteEntryIndex(dataPath, qinglan::EntryIndexText(items));
        !error.isEmpty())
        bench::Fail(error);
    const QString homeFile = work.filePath(QStringLiteral("home.html"));
    const QString home =
        qinglan::GetNamedTextNow(base, HomeFolder, QStringLiteral("主页.html"), homeFile);
    const QString marker = LastWords(home);
    if (marker.isEmpty())
        bench::Fail(QStringLiteral("the cloud at %1 has no home page with text").arg(base));
    bench::Say(QStringLiteral("bench_startup: %1 starts of each, home page ends in \"%2\"")
                   .arg(Runs)
                   .arg(marker));

    const QStringList program{QStringLiteral("--program"), base, env.appDir, env.tempDir, marker};
    const QStringList bare{QStringLiteral("--bare"), homeFile, marker};
    // One of each first: it fills the disk cache and writes the background tile.
    TimeStart(program);
    TimeStart(bare);
    QList<double> programTimes, bareTimes, programFromMain, bareFromMain;
    for (int run = 0; run < Runs; ++run) {
        const Start p = TimeStart(program);
        const Start b = TimeStart(bare);
        programTimes.append(p.fromProcessStart);
        programFromMain.append(p.fromMain);
        bareTimes.append(b.fromProcessStart);
        bareFromMain.append(b.fromMain);
        bench::Say(QStringLiteral("  run %1: program %2, bare %3")
                       .arg(run + 1)
                       .arg(bench::Ms(p.fromProcessStart), bench::Ms(b.fromProcessStart)));
    }
    const bench::Goal goal{bench::Goal::RatioAtMost, 1.3};
    bench::ReportRow(QStringLiteral("startup to home page, process start (vs bare)"),
                     bench::Median(programTimes), bench::Median(bareTimes), goal);
    bench::ReportRow(QStringLiteral("startup to home page, main() entry (vs bare)"),
                     bench::Median(programFromMain), bench::Median(bareFromMain), goal);
    return 0;
}
