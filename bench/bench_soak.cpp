// Soak: 1,000 queries in a row and 20 bulk passes in one process of the program
// (one pass against a server that fails some downloads). Reports the resident
// memory after each pass, and compares it at rest (no content index sync under
// way) after the first 100 queries and at the end; checks that every entry file
// on disk is byte for byte the one the server holds.
//
// Both figures of the comparison are taken at rest because the first pass that
// stores the library starts a sync of the content index that runs on through
// the later passes: its working memory is given back when it ends, and is no
// growth of the session. The figures after each pass show it.
//
// Usage: bench_soak STORE WORKDIR   (the store is served by the benchmark itself)
#include "app/Form1.h"
#include "app/Program.h"
#include "bench/BenchSupport.h"
#include "cloud/Http.h"
#include "cloud/Listing.h"
#include "config/Config.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/Form2.h"
#include "search/IndexKeeper.h"
#include "search/QueryRunner.h"
#include "shell/Environment.h"
#include "shell/HtmlView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int Queries = 1000;
constexpr int Passes = 20;
constexpr int FailedInFirstPass = 100;
constexpr int TimeoutMs = 600000;

// Waits until the program has no content index sync under way.
void WaitForRest(const qinglan::Form1& main) {
    if (!bench::WaitFor([&] { return main.Keeper() && !main.Keeper()->Syncing(); }, TimeoutMs))
        bench::Fail(QStringLiteral("the content index sync did not end"));
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_soak STORE WORKDIR\n");
        return 2;
    }
    bench::ServedStore cloud;
    const QString base = cloud.Serve(args[0]);
    const QString items = args[0] + QStringLiteral("/items/");
    const qinglan::Environment env{args[1] + QStringLiteral("/app"),
                                   args[1] + QStringLiteral("/temp")};
    QDir().mkpath(env.tempDir);
    QDir().mkpath(env.DataPath());

    const QList<qinglan::RemoteItem> entries = bench::DataListing(base);
    if (!qinglan::WriteEntryIndex(env.DataPath(), qinglan::EntryIndexText(entries)).isEmpty())
        bench::Fail(QStringLiteral("cannot write the index"));

    qinglan::Config config = qinglan::Config::Compiled();
    config.itemsBaseUrl = base;
    qinglan::Program program(config, env);
    program.Splash().Timer1->setInterval(0);
    program.Splash().Timer2->setInterval(0);
    program.Start();
    qinglan::Form1& main = program.MainWindow();
    if (!bench::WaitFor([&] { return main.isVisible() && !program.Splash().isVisible(); },
                        TimeoutMs))
        bench::Fail(QStringLiteral("the program did not start"));
    main.Timer1->stop();

    // Queries: exact names (their entries are fetched and cached), partial names
    // and the contents, each page loaded by the view before the next.
    bool loaded = false;
    QObject::connect(main.WebBrowser1, &qinglan::HtmlView::DocumentComplete,
                     [&] { loaded = true; });
    double after100 = 0;
    const double queriesMs = bench::TimeMs([&] {
        for (int i = 0; i < Queries; ++i) {
            const QString name =
                qinglan::DisplayNameOf(entries[(i * 37) % entries.size()].RelationshipName)
                    .toString();
            const QString text = i % 10 == 9  ? QStringLiteral(".")
                                 : i % 3 == 2 ? name.left(1)
                                              : name;
            loaded = false;
            main.Text1->setText(text);
            main.Command1->click();
            if (!bench::WaitFor([&] { return loaded; }, TimeoutMs))
                bench::Fail(QStringLiteral("a result page did not load"));
            if (i + 1 == 100) {
                WaitForRest(main);
                after100 = bench::ProcessMemoryMiB("VmRSS");
            }
        }
    });
    const double afterQueries = bench::ProcessMemoryMiB("VmRSS");

    // Bulk passes; the first against a server that fails some downloads.
    QStringList hidden;
    for (int i = 0; i < FailedInFirstPass; ++i) {
        const QString item = items + bench::SynthOwner + u'!' + entries[i * 13].ResourceID;
        if (QFile::rename(item, item + QStringLiteral(".away")))
            hidden << item;
    }
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    answer.start(5);
    QList<double> perPass;
    const double passesMs = bench::TimeMs([&] {
        for (int pass = 0; pass < Passes; ++pass) {
            main.下载->trigger();
            if (!bench::WaitFor([&] { return main.isVisible() && !program.Splash().isVisible(); },
                                TimeoutMs))
                bench::Fail(QStringLiteral("a bulk pass did not end"));
            if (pass == 0)
                for (const QString& item : hidden)
                    QFile::rename(item + QStringLiteral(".away"), item);
            perPass << bench::ProcessMemoryMiB("VmRSS");
        }
    });
    const double afterLastPass = bench::ProcessMemoryMiB("VmRSS");
    WaitForRest(main);
    const double atEnd = bench::ProcessMemoryMiB("VmRSS");
    QStringList passes;
    for (const double mib : std::as_const(perPass))
        passes << QString::number(mib, 'f', 1);
    bench::Say(QStringLiteral("resident memory after each pass (MiB): %1").arg(passes.join(u' ')));
    const double highest = *std::max_element(perPass.cbegin(), perPass.cend());
    bench::Say(QStringLiteral("highest after a pass: %1 MiB (%2 % over after 100 queries); "
                              "right after the last pass: %3 MiB")
                   .arg(highest, 0, 'f', 1)
                   .arg((highest / after100 - 1) * 100, 0, 'f', 1)
                   .arg(afterLastPass, 0, 'f', 1));

    int files = 0;
    int differing = 0;
    for (const qinglan::RemoteItem& entry : entries) {
        const auto path = qinglan::EntryFilePath(env.DataPath(), entry.RelationshipName);
        if (!path)
            continue;
        ++files;
        if (Bytes(*path) != Bytes(items + bench::SynthOwner + u'!' + entry.ResourceID))
            ++differing;
    }
    bench::Say(QStringLiteral("%1 queries in %2; %3 bulk passes in %4")
                   .arg(Queries)
                   .arg(bench::Ms(queriesMs))
                   .arg(Passes)
                   .arg(bench::Ms(passesMs)));
    bench::Say(
        QStringLiteral(
            "resident memory at rest: %1 MiB after 100 queries, %2 MiB after %3, %4 MiB at the end "
            "(%5 %)")
            .arg(after100, 0, 'f', 1)
            .arg(afterQueries, 0, 'f', 1)
            .arg(Queries)
            .arg(atEnd, 0, 'f', 1)
            .arg((atEnd / after100 - 1) * 100, 0, 'f', 1));
    bench::Say(QStringLiteral("entry files checked: %1, differing from the server: %2")
                   .arg(files)
                   .arg(differing));
    bench::ReportAmountRow(
        QStringLiteral("soak: resident memory at rest at the end (vs after 100 queries)"), atEnd,
        after100, QStringLiteral("MiB"), {bench::Goal::RatioAtMost, 1.1});
    if (differing != 0)
        bench::Fail(QStringLiteral("entry files differ from the server's"));
    return 0;
}
