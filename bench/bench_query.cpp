// The entry index build of a first start, the query from its start to the page
// file written (an exact match of a cached entry, a partial name, the contents
// listing), and the load of the contents page in the program's view against a
// bare web view.
// Usage: bench_query STORE WORKDIR   (the store is served by the benchmark itself)
#include "bench/BenchSupport.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "resources/Resources.h"
#include "search/ResultPage.h"
#include "shell/Environment.h"
#include "shell/HtmlView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

using bench::Goal;

namespace {

constexpr int IndexRuns = 5;
constexpr int QueryRuns = 101;
constexpr int LoadRuns = 10;
constexpr int LoadTimeoutMs = 30000;
constexpr short DataFolder = 1001;
constexpr short PictureFolder = 1002;

struct Paths {
    QString base;     // items base address, ending in "!"
    QString dataPath; // the Data folder, with ML
    QString pagePath; // the result page file
};

// Lines of the index text that contain text.
int LinesContaining(const QString& indexText, const QString& text) {
    int count = 0;
    for (const QStringView line : QStringView(indexText).split(u"\r\n"))
        count += line.contains(text) ? 1 : 0;
    return count;
}

// The display name of a listed entry that no other index line contains.
std::optional<qinglan::RemoteItem> UniqueEntry(const QList<qinglan::RemoteItem>& items,
                                               const QString& indexText) {
    for (qsizetype i = 0; i < items.size(); ++i) {
        const qinglan::RemoteItem& item = items[(items.size() / 2 + i) % items.size()];
        const QString name = qinglan::DisplayNameOf(item.RelationshipName).toString();
        if (qinglan::EntryFileName(item.RelationshipName) && !name.isEmpty() &&
            LinesContaining(indexText, name) == 1)
            return item;
    }
    return std::nullopt;
}

// The sources a query of the program uses, made afresh for each query: the
// entry from the data folder (downloaded when missing), the picture either at a
// fixed address or looked up in the picture folder's listing (read once per
// query), and the program's pause every 10 ms for window events.
qinglan::ResultPageSources Sources(const Paths& paths, bool realPictureLookup) {
    qinglan::ResultPageSources sources;
    sources.entryText = [paths](const qinglan::ExactMatch& match) {
        const auto path = qinglan::EntryFilePath(paths.dataPath, match.remoteName);
        if (!path)
            return QString();
        if (!QFileInfo::exists(*path))
            (void)qinglan::DownloadToFileNow(paths.base + match.resourceNumber, *path);
        return qinglan::ReadGbkTextFile(*path).value_or(QString());
    };
    if (realPictureLookup) {
        auto listing = std::make_shared<std::optional<QString>>();
        sources.pictureAddress = [paths, listing](const QString& name) {
            const QString folder = paths.base + QString::number(PictureFolder);
            if (!*listing)
                *listing = qinglan::TryHttpGetText(folder);
            for (const QString& candidate :
                 {name + QStringLiteral(".jpg"), name + QStringLiteral(".JPG"),
                  QStringLiteral("暂无图片.jpg"), QStringLiteral("暂无图片.JPG")}) {
                const QString address = qinglan::ItemUrlInListing(folder, **listing, candidate);
                if (!address.isEmpty())
                    return address;
            }
            return QString();
        };
    } else {
        sources.pictureAddress = [paths](const QString&) {
            return paths.base + QStringLiteral("100001");
        };
    }
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    sources.yield = [clock, lines = 0]() mutable {
        if (++lines % 32 == 0 && clock->elapsed() >= 10) {
            QCoreApplication::processEvents();
            clock->restart();
        }
        return true;
    };
    return sources;
}

// Median time of the query from reading ML to the page file written; *page is
// the page of the last run.
double TimeQuery(const Paths& paths, const QString& query, bool realPictureLookup, QString* page) {
    QList<double> times;
    for (int run = 0; run < QueryRuns; ++run) {
        times.append(bench::TimeMs([&] {
            const QString index =
                qinglan::ReadGbkTextFile(qinglan::IndexPath(paths.dataPath)).value_or(QString());
            *page = qinglan::BuildResultPage(index, query, Sources(paths, realPictureLookup))
                        .value_or(QString());
            if (const QString error = qinglan::WriteGbkTextFile(paths.pagePath, *page);
                !error.isEmpty())
                bench::Fail(QStringLiteral("cannot write the page file: %1").arg(error));
        }));
    }
    return bench::Median(times);
}

int EntryLinks(const QString& page) { return int(page.count(QStringLiteral("<p><A HREF=#"))); }

// Times one load of the page file: start() begins it, and the load has ended
// when done is set. Each load starts from a blank document (not timed).
template <typename Start, typename Blank>
double TimeLoad(bool& done, Start&& start, Blank&& blank) {
    done = false;
    blank();
    if (!bench::WaitFor([&] { return done; }, LoadTimeoutMs))
        bench::Fail(QStringLiteral("the blank page did not load"));
    done = false;
    const double ms = bench::TimeMs([&] {
        start();
        if (!bench::WaitFor([&] { return done; }, LoadTimeoutMs))
            bench::Fail(QStringLiteral("the page file did not load"));
    });
    return ms;
}

// Links in the document a view shows, -1 when the script gives no answer.
int LinkCount(QWebEnginePage* page) {
    int count = -1;
    bool answered = false;
    page->runJavaScript(QStringLiteral("document.getElementsByTagName('a').length"),
                        [&](const QVariant& value) {
                            count = value.toInt();
                            answered = true;
                        });
    bench::WaitFor([&] { return answered; }, LoadTimeoutMs);
    return count;
}

void BenchPageLoad(const QString& pagePath, qsizetype links) {
    const QSize size(615, 538); // the main window's page view
    qinglan::HtmlView view(qinglan::ConfigureProgramProfile(QWebEngineProfile::defaultProfile()),
                           nullptr);
    view.resize(size);
    view.show();
    bool viewDone = false;
    QObject::connect(&view, &qinglan::HtmlView::DocumentComplete, [&] { viewDone = true; });

    // The reference: a plain view in a profile of its own with default settings
    // (the program's view changes the default profile). Only the page's default
    // encoding is the program's, so that both show the same characters.
    QWebEngineProfile bareProfile;
    QWebEngineView bare;
    auto* barePage = new QWebEnginePage(&bareProfile, &bare);
    barePage->settings()->setDefaultTextEncoding(QStringLiteral("GBK"));
    bare.setPage(barePage);
    bare.resize(size);
    bare.show();
    bool bareDone = false;
    QObject::connect(barePage, &QWebEnginePage::loadFinished, [&] { bareDone = true; });

    const QUrl blank(QStringLiteral("about:blank"));
    const auto viewLoad = [&] {
        return TimeLoad(
            viewDone, [&] { view.Navigate2(pagePath); }, [&] { view.Navigate2(blank.toString()); });
    };
    const auto bareLoad = [&] {
        return TimeLoad(
            bareDone, [&] { bare.setUrl(QUrl::fromLocalFile(pagePath)); },
            [&] { bare.setUrl(blank); });
    };
    viewLoad(); // the first loads start the renderers; not counted
    bareLoad();
    QList<double> viewTimes;
    QList<double> bareTimes;
    for (int run = 0; run < LoadRuns; ++run) {
        viewTimes.append(viewLoad());
        bareTimes.append(bareLoad());
    }
    // Both must have shown the whole page, not an error page or a refusal.
    if (LinkCount(view.page()) != links || LinkCount(barePage) != links)
        bench::Fail(QStringLiteral("a view did not show the %1 links of the page").arg(links));
    bench::ReportRow(QStringLiteral("load contents page, HtmlView (vs bare view)"),
                     bench::Median(viewTimes), bench::Median(bareTimes), {Goal::RatioAtMost, 1.2});
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bench_query"));
    if (argc != 3)
        bench::Fail(QStringLiteral("usage: bench_query STORE WORKDIR"));
    bench::ServedStore cloud;
    const QString base = cloud.Serve(QString::fromLocal8Bit(argv[1]));
    const QString work = QString::fromLocal8Bit(argv[2]);
    const qinglan::Environment env{work + QStringLiteral("/app"), work + QStringLiteral("/temp")};
    const Paths paths{base, env.DataPath(), env.ResultPagePath()};
    if (!QDir().mkpath(paths.dataPath) || !QDir().mkpath(env.tempDir))
        bench::Fail(QStringLiteral("cannot create the folders in %1").arg(work));
    QFile::remove(env.TilePath());
    if (!QFile::copy(qinglan::resources::BackgroundTile(), env.TilePath()))
        bench::Fail(QStringLiteral("cannot write the background tile"));
    bench::Say(QStringLiteral("bench_query: against %1").arg(base));

    // The entry index as a first start builds it, once to warm the connection,
    // then timed.
    const QString listingUrl = base + QString::number(DataFolder);
    QList<qinglan::RemoteItem> items;
    QString indexText;
    QList<double> indexTimes;
    for (int run = 0; run <= IndexRuns; ++run) {
        const double ms = bench::TimeMs([&] {
            items = qinglan::ListItems(qinglan::TryHttpGetText(listingUrl));
            indexText = qinglan::EntryIndexText(items);
            if (const QString error = qinglan::WriteEntryIndex(paths.dataPath, indexText);
                !error.isEmpty())
                bench::Fail(error);
        });
        if (run > 0)
            indexTimes.append(ms);
    }
    if (items.isEmpty())
        bench::Fail(QStringLiteral("the listing %1 holds no entries").arg(listingUrl));
    bench::ReportRow(
        QStringLiteral("index build, %1 entries (fetch+parse+write ML)").arg(items.size()),
        bench::Median(indexTimes), std::nullopt);

    const auto unique = UniqueEntry(items, indexText);
    if (!unique)
        bench::Fail(QStringLiteral("no entry name is contained in one index line only"));
    const QString exact = qinglan::DisplayNameOf(unique->RelationshipName).toString();
    const QString entryPath = *qinglan::EntryFilePath(paths.dataPath, unique->RelationshipName);
    if (!qinglan::DownloadToFileNow(base + unique->ResourceID, entryPath).ok())
        bench::Fail(QStringLiteral("cannot download the entry %1").arg(unique->RelationshipName));
    const QString entryText = qinglan::ReadGbkTextFile(entryPath).value_or(QString());
    bench::Say(QStringLiteral("  exact query: %1 (cached as %2)").arg(exact, entryPath));

    QString page;
    const double exactMs = TimeQuery(paths, exact, false, &page);
    if (entryText.isEmpty() || !page.contains(entryText))
        bench::Fail(QStringLiteral("the exact match page does not show the cached entry"));
    bench::ReportRow(QStringLiteral("query exact, cached entry"), exactMs, std::nullopt,
                     {Goal::BelowMs, 10});
    bench::ReportRow(QStringLiteral("query exact, with picture lookup (1 fetch)"),
                     TimeQuery(paths, exact, true, &page), std::nullopt);

    const double partialMs = TimeQuery(paths, QStringLiteral("参"), false, &page);
    const int partialHits = EntryLinks(page);
    if (partialHits == 0)
        bench::Fail(QStringLiteral("the partial name found nothing"));
    bench::ReportRow(QStringLiteral("query partial name, %1 matches").arg(partialHits), partialMs,
                     std::nullopt);

    const double contentsMs = TimeQuery(paths, QStringLiteral("."), false, &page);
    if (EntryLinks(page) != items.size())
        bench::Fail(QStringLiteral("the contents page lists %1 of %2 entries")
                        .arg(EntryLinks(page))
                        .arg(items.size()));
    bench::ReportRow(QStringLiteral("query contents \".\", %1 entries").arg(items.size()),
                     contentsMs, std::nullopt, {Goal::BelowMs, 30});

    // The page file now holds the contents page.
    BenchPageLoad(paths.pagePath, items.size());
    return 0;
}
