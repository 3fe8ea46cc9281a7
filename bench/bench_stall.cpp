// How long the window's thread stops taking events while it waits for a distant
// cloud: the worst lateness of a 5 ms timer on that thread, while the cloud
// answers every request after 2 s, during an uncached query, the start-up (its
// home page) and an update check (its version file). The window should go on
// painting and taking input meanwhile: goal at most 50 ms each.
// Usage: bench_stall STORE WORKDIR
#include "app/Form1.h"
#include "app/Program.h"
#include "bench/BenchSupport.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/Form2.h"
#include "search/QueryRunner.h"
#include "shell/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineProfile>

#include <algorithm>

namespace {

constexpr int TimeoutMs = 120000;
constexpr int LatencyMs = 2000;
constexpr double GoalMs = 50;

// The worst lateness of a 5 ms timer on this thread while it runs.
class StallMeter final {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const double now = double(m_clock.nsecsElapsed()) / 1e6;
            m_worst = std::max(m_worst, now - m_last - 5.0);
            m_last = now;
        });
    }
    void Start() {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double Stop() {
        m_timer.stop();
        // The time since the last tick counts too: a stall at the very end.
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        return std::max(m_worst, now - m_last - 5.0);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_worst = 0;
};

// Answers every message box as soon as it shows.
void AnswerBoxes(QTimer& answer) {
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::No);
    });
    answer.start();
}

qinglan::Environment FreshEnvironment(const QString& dir) {
    QDir(dir).removeRecursively();
    const qinglan::Environment env{dir + QStringLiteral("/app"), dir + QStringLiteral("/temp")};
    QDir().mkpath(env.DataPath());
    QDir().mkpath(env.tempDir);
    return env;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bench_stall"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2)
        bench::Fail(QStringLiteral("usage: bench_stall STORE WORKDIR"));
    const QString work = args[1];
    bench::ServedStore near;
    const QList<qinglan::RemoteItem> items = bench::DataListing(near.Serve(args[0]));
    bench::ServedStore far;
    const QString farBase =
        far.Serve(args[0], {QStringLiteral("--latency"), QString::number(LatencyMs)});
    qinglan::Config config = qinglan::Config::Compiled();
    config.itemsBaseUrl = farBase;
    config.updatePublicKey.clear();
    QWebEngineProfile* profile =
        qinglan::ConfigureProgramProfile(QWebEngineProfile::defaultProfile());
    QTimer answer;
    AnswerBoxes(answer);
    StallMeter meter;

    // Start-up: the splash opens the main window, which waits for its home page.
    double startup = 0;
    {
        const qinglan::Environment env = FreshEnvironment(work + QStringLiteral("/startup"));
        if (!qinglan::WriteEntryIndex(env.DataPath(), qinglan::EntryIndexText(items)).isEmpty())
            bench::Fail(QStringLiteral("cannot write the index"));
        qinglan::Program program(config, env);
        qinglan::Form1& main = program.MainWindow();
        main.Timer1->setInterval(3600000);
        program.Start();
        // From the splash's tick, when the main window asks for its home page.
        if (!bench::WaitFor([&] { return !program.Splash().Timer1->isActive(); }, TimeoutMs))
            bench::Fail(QStringLiteral("the splash did not tick"));
        meter.Start();
        if (!bench::WaitFor([&] { return main.isVisible(); }, TimeoutMs))
            bench::Fail(QStringLiteral("the main window did not open"));
        startup = meter.Stop();
        main.Timer1->stop();
        main.Timer2->stop();
    }

    // An uncached query and an update check in an open main window.
    const qinglan::Environment env = FreshEnvironment(work + QStringLiteral("/window"));
    if (!qinglan::WriteEntryIndex(env.DataPath(), qinglan::EntryIndexText(items)).isEmpty())
        bench::Fail(QStringLiteral("cannot write the index"));
    qinglan::Form1 form(config, env, profile);
    form.Timer1->setInterval(3600000);
    if (!form.Open() || !bench::WaitFor([&] { return form.isVisible(); }, TimeoutMs))
        bench::Fail(QStringLiteral("the main window did not open"));
    form.Timer1->stop();

    int pages = 0;
    QObject::connect(form.Query(), &qinglan::QueryRunner::PageShown, [&] { ++pages; });
    const qinglan::RemoteItem& item = items[items.size() / 2];
    form.Text1->setText(qinglan::DisplayNameOf(item.RelationshipName).toString());
    meter.Start();
    form.Command1->click();
    if (!bench::WaitFor([&] { return pages == 1; }, TimeoutMs))
        bench::Fail(QStringLiteral("the query showed no page"));
    const double query = meter.Stop();

    bool ended = false;
    QObject::connect(&form, &qinglan::Form1::UpdateCheckEnded, [&] { ended = true; });
    QElapsedTimer checking;
    checking.start();
    meter.Start();
    form.CheckForUpdate();
    if (!bench::WaitFor([&] { return ended; }, TimeoutMs))
        bench::Fail(QStringLiteral("the update check did not end"));
    const double update = meter.Stop();
    // Two round trips to the distant cloud (listing, version file): the wait is real.
    bench::Say(QStringLiteral("the update check took %1").arg(bench::Ms(checking.elapsed())));

    bench::Say(QStringLiteral("worst stall: start-up %1, query %2, update check %3")
                   .arg(bench::Ms(startup), bench::Ms(query), bench::Ms(update)));
    bench::ReportRow(QStringLiteral("window stall, start-up, home page after 2 s"), startup, {},
                     {bench::Goal::BelowMs, GoalMs});
    bench::ReportRow(QStringLiteral("window stall, uncached query, entry after 2 s"), query, {},
                     {bench::Goal::BelowMs, GoalMs});
    bench::ReportRow(QStringLiteral("window stall, update check, version file after 2 s"), update,
                     {}, {bench::Goal::BelowMs, GoalMs});
    return 0;
}
