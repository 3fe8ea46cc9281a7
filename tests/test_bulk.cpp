// The bulk download into the data folder, against a scripted cloud.
#include "app/Form1.h"
#include "app/Program.h"
#include "cloud/BlockingHttp.h"
#include "entries/DataLayout.h"
#include "mirror/BulkDownload.h"
#include "mirror/Form2.h"
#include "search/IndexKeeper.h"
#include "tests/support/CloudServer.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace qinglan;

namespace {

// One bulk pass over items, waited for as the window waits: by its signals.
BulkPassResult RunPass(const QList<RemoteItem>& items, const QString& data, const QString& base,
                       const std::function<void(qint64)>& progress) {
    BulkPass pass(items, data, base, BulkConnections);
    std::optional<BulkPassResult> result;
    QObject::connect(&pass, &BulkPass::Progress, [&](qint64 done) {
        if (progress)
            progress(done);
    });
    QObject::connect(&pass, &BulkPass::Finished, [&](const BulkPassResult& end) { result = end; });
    pass.Start();
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 120000))
        qWarning("the bulk pass did not end");
    return result.value_or(BulkPassResult{-1, -1, -1, -1});
}

// A data folder (number 1) of listed names served from memory; entries whose
// number is in failing answer 500. Counts the requests for every path.
class Cloud {
public:
    struct Entry {
        int number;
        QString name;
        QByteArray bytes;
    };

    explicit Cloud(QList<Entry> entries)
        : m_entries(std::move(entries)),
          m_server([this](const std::string& head) { return Answer(head); }) {}

    QString Base() const { return m_server.Url(QStringLiteral("/items/O!")); }
    void SetFailing(QSet<int> numbers) {
        QMutexLocker lock(&m_mutex);
        m_failing = std::move(numbers);
    }
    // The data folder's listing is answered with these bytes instead; empty: the listing.
    void SetListingReply(std::string reply) {
        QMutexLocker lock(&m_mutex);
        m_listingReply = std::move(reply);
    }
    // After this many entries the server dies in the middle of every response.
    void SetDyingAfter(int entries) {
        QMutexLocker lock(&m_mutex);
        m_dyingAfter = entries;
    }
    int Requests(const QString& path) const {
        QMutexLocker lock(&m_mutex);
        return m_counts.value(path);
    }

private:
    RawHttpServer::Reply Answer(const std::string& head) {
        QMutexLocker lock(&m_mutex);
        const QString path = QString::fromStdString(head.substr(4, head.find(' ', 4) - 4));
        ++m_counts[path];
        if (path == u"/items/O!1") {
            if (!m_listingReply.empty())
                return {m_listingReply};
            QString listing = QStringLiteral("<Items>");
            for (const Entry& e : m_entries)
                listing +=
                    QStringLiteral(
                        "<ItemType>Document</ItemType>\r\n      <ResourceID>O!%1</ResourceID>"
                        "\r\n      <RelationshipName>%2</RelationshipName>")
                        .arg(e.number)
                        .arg(e.name);
            return {RawHttpServer::Response("200 OK", listing.toStdString())};
        }
        for (const Entry& e : m_entries) {
            if (path == QStringLiteral("/items/O!%1").arg(e.number)) {
                if (m_failing.contains(e.number))
                    return {RawHttpServer::Response("500 Internal Server Error", "fail")};
                if (m_dyingAfter >= 0 && m_served++ >= m_dyingAfter)
                    return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(e.bytes.size()) +
                            "\r\n\r\n" + e.bytes.left(e.bytes.size() / 2).toStdString()};
                return {RawHttpServer::Response("200 OK", e.bytes.toStdString())};
            }
        }
        return {RawHttpServer::Response("404 Not Found", "<h1>404</h1>")};
    }

    QList<Entry> m_entries;
    mutable QMutex m_mutex;
    QSet<int> m_failing;
    std::string m_listingReply;
    int m_dyingAfter = -1;
    int m_served = 0;
    QMap<QString, int> m_counts;
    RawHttpServer m_server;
};

QList<Cloud::Entry> Entries() {
    return {{11, QStringLiteral("0001甘草.html"), QByteArray("<p>\xb8\xca\xb2\xdd</p>")},
            {12, QStringLiteral("0002黄芪.html"), QByteArray(3000, 'x')},
            {13, QStringLiteral("9999黄芪.html"), QByteArray("second of the same file")},
            {14, QStringLiteral("0004"), QByteArray("no file name")},
            {15, QStringLiteral("0005.."), QByteArray("outside")},
            {16, QStringLiteral("0006当归.html"), QByteArray("<p>dg</p>")}};
}

// The program in a sandbox whose index exists, so that start-up builds none.
struct Run : Sandbox {
    std::unique_ptr<Program> program;
    int terminated = 0;

    explicit Run(const QString& base) {
        Config config = TestConfig(base);
        config.dataFolderId = 1;
        config.homeFolderId = 2;
        WriteIndexBytes({});
        program = std::make_unique<Program>(config, Env());
        program->Splash().Timer1->setInterval(0);
        program->Splash().Timer2->setInterval(0);
        program->SetTerminate([this] { ++terminated; });
        program->Start();
    }
    bool Started() {
        return QTest::qWaitFor(
            [&] { return program->MainWindow().isVisible() && !program->Splash().isVisible(); },
            20000);
    }
    // One pass from the menu; true when it ended with the main window back.
    bool Pass() {
        program->MainWindow().下载->trigger();
        if (program->MainWindow().isVisible() || !program->Splash().isVisible())
            return false;
        return QTest::qWaitFor(
            [&] { return program->MainWindow().isVisible() && !program->Splash().isVisible(); },
            60000);
    }
};

} // namespace

class TestBulk final : public QObject {
    Q_OBJECT

private slots:
    void aPassMirrorsEveryEntry() {
        Cloud cloud(Entries());
        Run run(cloud.Base());
        QVERIFY(run.Started());
        MessageBoxAnswerer answerer;
        QVERIFY(run.Pass());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].text, QStringLiteral("下载完成，您可以离线使用本软件了！"));
        QCOMPARE(answerer.seen()[0].icon, QMessageBox::NoIcon);
        QCOMPARE(ReadAll(run.Data(QStringLiteral("甘草.html"))), Entries()[0].bytes);
        QCOMPARE(ReadAll(run.Data(QStringLiteral("黄芪.html"))), Entries()[1].bytes);
        QCOMPARE(ReadAll(run.Data(QStringLiteral("当归.html"))), Entries()[5].bytes);
        // Two names for one file: downloaded once; names without a file name: skipped.
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!13")), 0);
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!14")), 0);
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!15")), 0);
        QVERIFY(!QFileInfo::exists(run.app.filePath(QStringLiteral("0005.."))));
        QCOMPARE(QDir(run.Data()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("ML"), QStringLiteral("当归.html"),
                              QStringLiteral("甘草.html"), QStringLiteral("黄芪.html")}));
        QCOMPARE(ReadAll(run.Data(QStringLiteral("ML"))), QByteArray()); // the index is not touched
        // The progress controls were shown; the track spans the window.
        QCOMPARE(run.program->Splash().Label2->width(), 586);
        QCOMPARE(run.program->Splash().Command1->text(), QStringLiteral("取  消"));
    }

    void presentFilesAreNotFetchedAgain() {
        Cloud cloud(Entries());
        Run run(cloud.Base());
        QVERIFY(run.Started());
        QFile(run.Data(QStringLiteral("甘草.html")))
            .open(QIODevice::WriteOnly); // zero-length counts as present
        QVERIFY(QFile(run.Data(QStringLiteral("黄芪.html"))).open(QIODevice::WriteOnly));
        MessageBoxAnswerer answerer;
        QVERIFY(run.Pass());
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!11")), 0);
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!12")), 0);
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!16")), 1);
        QCOMPARE(ReadAll(run.Data(QStringLiteral("甘草.html"))), QByteArray());
    }

    void failedDownloadsAreCompletedByTheNextPass() {
        Cloud cloud(Entries());
        cloud.SetFailing({12, 13, 16});
        Run run(cloud.Base());
        QVERIFY(run.Started());
        MessageBoxAnswerer answerer;
        QVERIFY(run.Pass());
        QVERIFY(QFileInfo::exists(run.Data(QStringLiteral("甘草.html"))));
        QVERIFY(!QFileInfo::exists(run.Data(QStringLiteral("黄芪.html"))));
        QVERIFY(!QFileInfo::exists(run.Data(QStringLiteral("当归.html"))));
        cloud.SetFailing({});
        QVERIFY(run.Pass());
        QCOMPARE(ReadAll(run.Data(QStringLiteral("黄芪.html"))), Entries()[1].bytes);
        QCOMPARE(ReadAll(run.Data(QStringLiteral("当归.html"))), Entries()[5].bytes);
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!11")), 1);
        QCOMPARE(answerer.seen().size(), 2);
    }

    void aServerDyingInThePassLosesNothing() {
        QList<Cloud::Entry> entries;
        for (int i = 0; i < 20; ++i)
            entries.append({200 + i,
                            QStringLiteral("%1条目%2.html").arg(i, 4, 10, QLatin1Char('0')).arg(i),
                            QByteArray(3000 + i, char('a' + i))});
        Cloud cloud(entries);
        cloud.SetDyingAfter(8);
        Run run(cloud.Base());
        QVERIFY(run.Started());
        MessageBoxAnswerer answerer;
        QVERIFY(run.Pass());
        for (int i = 0; i < 20; ++i) {
            const QString file = run.Data(QStringLiteral("条目%1.html").arg(i));
            if (i < 8)
                QCOMPARE(ReadAll(file), entries[i].bytes); // whole
            else
                QVERIFY2(!QFileInfo::exists(file), qPrintable(file)); // missing, not partial
        }
        cloud.SetDyingAfter(-1);
        QVERIFY(run.Pass());
        for (int i = 0; i < 20; ++i)
            QCOMPARE(ReadAll(run.Data(QStringLiteral("条目%1.html").arg(i))), entries[i].bytes);
        QCOMPARE(cloud.Requests(QStringLiteral("/items/O!200")), 1);
    }

    void aFailedListingBringsTheMainWindowBack() {
        Run run(QStringLiteral("http://127.0.0.1:%1/items/O!").arg(UnusedPort()));
        MessageBoxAnswerer answerer;
        QVERIFY(run.Started());
        QCOMPARE(answerer.seen().size(), 0); // ML exists: no listing at start-up
        QVERIFY(run.Pass());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].text, QStringLiteral("获取信息失败，请检测网络连接"));
        // An error page, or a body that is no listing, is a failed listing too: the
        // pass never claims that the mirror is complete.
        Cloud cloud(Entries());
        Run broken(cloud.Base());
        QVERIFY(broken.Started());
        const std::string notListings[] = {
            RawHttpServer::Response("500 Internal Server Error", "<html>error</html>"),
            RawHttpServer::Response("404 Not Found", "<Items></Items>"),
            RawHttpServer::Response("200 OK", ""),
            RawHttpServer::Response("200 OK", "<html>maintenance</html>"),
        };
        for (const std::string& reply : notListings) {
            cloud.SetListingReply(reply);
            const qsizetype before = answerer.seen().size();
            QVERIFY(broken.Pass());
            QCOMPARE(answerer.seen().size(), before + 1);
            QCOMPARE(answerer.seen().last().text, QStringLiteral("获取信息失败，请检测网络连接"));
            QCOMPARE(QDir(broken.Data()).entryList(QDir::Files), QStringList{QStringLiteral("ML")});
        }
    }

    void progressFillGrowsWithTheCount() {
        for (const int count : {3011, 6022}) {
            QList<Cloud::Entry> many;
            for (int i = 0; i < count; ++i)
                many.append(
                    {100 + i,
                     QStringLiteral("%1条目%2.html").arg(i % 10000, 4, 10, QLatin1Char('0')).arg(i),
                     {}});
            Cloud cloud(many);
            Run run(cloud.Base());
            QVERIFY(run.Started());
            for (int i = 0; i < count; ++i) // all present: the pass only counts
                QFile(run.Data(QStringLiteral("条目%1.html").arg(i))).open(QIODevice::WriteOnly);
            MessageBoxAnswerer answerer;
            QVERIFY(run.Pass());
            QCOMPARE(run.program->Splash().Label1->width(), count == 3011 ? 293 : 586);
            // The next pass starts again from an empty fill, one pixel wide.
            run.program->Splash().Timer2->setInterval(3600000);
            run.program->MainWindow().下载->trigger();
            QVERIFY(run.program->Splash().Label1->isVisible());
            QCOMPARE(run.program->Splash().Label1->width(), 1);
            run.program->Splash().RunBulkDownload();
            QTRY_COMPARE(run.program->Splash().Label1->width(), count == 3011 ? 293 : 586);
            QTRY_VERIFY(run.program->MainWindow().isVisible());
        }
    }

    void theEndOfAPassTellsHowManyEntriesAreMissing() {
        Cloud cloud(Entries());
        cloud.SetFailing({12, 16}); // 黄芪 answers 500, 当归 too; 9999黄芪 is the same file
        Run run(cloud.Base());
        QVERIFY(run.Started());
        MessageBoxAnswerer answerer;
        QVERIFY(run.Pass());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(
            answerer.seen()[0].text,
            QStringLiteral(
                "下载结束：共 3 个条目，其中 2 个未能下载。请检查网络连接或磁盘空间后再次下载。"));
        QCOMPARE(answerer.seen()[0].title, QStringLiteral("Qinglan"));
        QCOMPARE(answerer.seen()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // Cut short counts as missing too; the next pass with a sound server is complete.
        cloud.SetFailing({});
        cloud.SetDyingAfter(0);
        QVERIFY(run.Pass());
        QCOMPARE(
            answerer.seen().last().text,
            QStringLiteral(
                "下载结束：共 3 个条目，其中 2 个未能下载。请检查网络连接或磁盘空间后再次下载。"));
        cloud.SetDyingAfter(-1);
        QVERIFY(run.Pass());
        QCOMPARE(answerer.seen().last().text, QStringLiteral("下载完成，您可以离线使用本软件了！"));
    }

    void aFullDiskEndsThePassAndLosesNothing() {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QList<Cloud::Entry> entries;
        for (int i = 0; i < 40; ++i)
            entries.append({300 + i,
                            QStringLiteral("%1条目%2.html").arg(i, 4, 10, QLatin1Char('0')).arg(i),
                            QByteArray(8192, char('a' + i % 26))});
        Cloud cloud(entries);
        Sandbox box;
        // The data folder on a file system of 160 KiB.
        QVERIFY(QDir().mkpath(box.Data()));
        if (QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=160k"), QStringLiteral("tmpfs"), box.Data()}) !=
            0)
            QSKIP("this machine cannot mount a tmpfs");
        struct Unmount {
            QString path;
            ~Unmount() { QProcess::execute(QStringLiteral("umount"), {path}); }
        } unmount{box.Data()};
        QVERIFY(box.WriteIndexBytes({}));
        Config config = TestConfig(cloud.Base());
        config.dataFolderId = 1;
        config.homeFolderId = 2;
        Program program(config, box.Env());
        program.Splash().Timer1->setInterval(0);
        program.Splash().Timer2->setInterval(0);
        program.Start();
        QVERIFY(QTest::qWaitFor([&] { return program.MainWindow().isVisible(); }, 20000));
        MessageBoxAnswerer answerer;
        program.MainWindow().下载->trigger();
        QVERIFY(QTest::qWaitFor(
            [&] { return program.MainWindow().isVisible() && !program.Splash().isVisible(); },
            60000));
        QCOMPARE(answerer.seen().size(), 1);
        const QString text = answerer.seen()[0].text;
        QVERIFY2(text.startsWith(
                     QStringLiteral(
                         "下载中止：无法写入数据文件夹“%1”（磁盘空间不足）。共 40 个条目，其中 ")
                         .arg(box.Data())),
                 qPrintable(text));
        // Whole files only, no part file, and not every remaining entry was asked for.
        int whole = 0;
        int requested = 0;
        for (int i = 0; i < 40; ++i) {
            const QString file = box.Data(QStringLiteral("条目%1.html").arg(i));
            requested += cloud.Requests(QStringLiteral("/items/O!%1").arg(300 + i));
            if (QFileInfo::exists(file)) {
                QCOMPARE(ReadAll(file), entries[i].bytes);
                ++whole;
            }
        }
        QVERIFY(whole > 0 && whole < 40);
        QVERIFY2(requested <= whole + BulkConnections, qPrintable(QString::number(requested)));
        QVERIFY(text.contains(QStringLiteral("其中 %1 个未能下载").arg(40 - whole)));
        QCOMPARE(
            QDir(box.Data()).entryList({QStringLiteral("*.part-*")}, QDir::Files | QDir::Hidden),
            QStringList());
        // With room again, the next pass completes the mirror.
        QCOMPARE(QProcess::execute(
                     QStringLiteral("mount"),
                     {QStringLiteral("-o"), QStringLiteral("remount,size=2m"), box.Data()}),
                 0);
        program.MainWindow().下载->trigger();
        QVERIFY(QTest::qWaitFor(
            [&] { return program.MainWindow().isVisible() && !program.Splash().isVisible(); },
            60000));
        QCOMPARE(answerer.seen().last().text, QStringLiteral("下载完成，您可以离线使用本软件了！"));
        for (int i = 0; i < 40; ++i)
            QCOMPARE(ReadAll(box.Data(QStringLiteral("条目%1.html").arg(i))), entries[i].bytes);
    }

    void aParallelPassAtLatencyStartsInOrderAndLeavesOnlyWholeFiles() {
        TestLibrary library;
        library.folders = {{QStringLiteral("data"), 1, {}}, {QStringLiteral("home"), 2, {}}};
        for (int i = 0; i < 30; ++i)
            library.folders[0].files.insert(
                QStringLiteral("%1条目%2.html").arg(i, 4, 10, QLatin1Char('0')).arg(i),
                QByteArray(4000 + i, char('a' + i % 26)));
        CloudServer cloud;
        cloud.SetLatencyMs(40);
        QVERIFY(cloud.Publish(library));
        QVERIFY(cloud.Start());
        const QList<RemoteItem> items =
            ListItems(TryHttpGetText(cloud.ItemsBaseUrl() + QStringLiteral("1")));
        QCOMPARE(items.size(), 30);
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        // Leftovers of a program that was cancelled or killed (no process has their
        // numbers, which lie beyond the largest process number), and the
        // part file of a transfer that may still run (its process is alive).
        const QDateTime earlier = QDateTime::currentDateTime().addSecs(-3600);
        for (const QString& name : {QStringLiteral("条目3.html.part-4194998-0"),
                                    QStringLiteral("条目9.html.part-4194999-12")}) {
            QFile leftover(box.Data(name));
            QVERIFY(leftover.open(QIODevice::WriteOnly) && leftover.write("half") == 4 &&
                    leftover.flush());
            QVERIFY(leftover.setFileTime(earlier, QFileDevice::FileModificationTime));
        }
        // Another program's transfer on the same folder (its process, 1, is alive)
        // stays, however long it was quiet: its program may still write it.
        const QString live = QStringLiteral("条目5.html.part-1-0");
        QVERIFY(WriteFile(box.Data(live), "being written"));
        {
            QFile quiet(box.Data(live));
            QVERIFY(quiet.open(QIODevice::Append) &&
                    quiet.setFileTime(earlier, QFileDevice::FileModificationTime));
        }
        // One of this process's own that no transfer writes any more goes.
        QVERIFY(
            WriteFile(box.Data(QStringLiteral("条目6.html.part-%1-999999").arg(getpid())), "half"));

        // The server stops answering part way: what was written is whole.
        int stoppedAt = -1;
        const BulkPassResult first =
            RunPass(items, box.Data(), cloud.ItemsBaseUrl(), [&](qint64 done) {
                if (stoppedAt < 0 && done >= 10) {
                    stoppedAt = int(done);
                    cloud.Stop();
                }
            });
        QVERIFY(stoppedAt >= 10);
        QVERIFY(first.missing > 0);
        QCOMPARE(first.listed, 30);
        const QStringList afterFirst = QDir(box.Data()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(afterFirst.filter(QStringLiteral(".part-")),
                 QStringList{live}); // the leftovers are gone
        for (const RemoteItem& item : items) {
            const QString file = box.Data(item.RelationshipName.mid(4));
            if (QFileInfo::exists(file))
                QCOMPARE(ReadAll(file), library.folders[0].files.value(item.RelationshipName));
        }
        // The next pass completes the mirror; the entries start in listing order.
        QVERIFY(cloud.Start());
        const int before = int(cloud.RequestLog().size());
        const BulkPassResult second = RunPass(items, box.Data(), cloud.ItemsBaseUrl(), {});
        QCOMPARE(second.missing, 0);
        QStringList requested;
        for (const QString& line : cloud.RequestLog().mid(before))
            requested << line.section(u'!', 1).section(u' ', 0, 0);
        QStringList missingBefore;
        for (const RemoteItem& item : items) {
            if (!afterFirst.contains(item.RelationshipName.mid(4)))
                missingBefore << item.ResourceID;
        }
        QCOMPARE(QSet<QString>(requested.cbegin(), requested.cend()),
                 QSet<QString>(missingBefore.cbegin(), missingBefore.cend()));
        // The first connections' worth of requests are the first missing entries.
        const int wave = std::min<int>(BulkConnections, int(missingBefore.size()));
        QCOMPARE(QSet<QString>(requested.cbegin(), requested.cbegin() + wave),
                 QSet<QString>(missingBefore.cbegin(), missingBefore.cbegin() + wave));
    }

    void aPassThatStoresEntriesUpdatesTheContentIndexAndOneThatStoresNoneLeavesIt() {
        Cloud cloud(Entries());
        Run run(cloud.Base());
        QVERIFY(run.Started());
        MessageBoxAnswerer answerer;
        IndexKeeper* keeper = run.program->MainWindow().Keeper();
        QSignalSpy updated(keeper, &IndexKeeper::IndexUpdated);
        QVERIFY(run.Pass());
        QTRY_VERIFY_WITH_TIMEOUT(updated.size() >= 1 && !keeper->Syncing(), 30000);
        QVERIFY(keeper->Index());
        // Every entry is on disk now: the next pass writes nothing, and the index
        // is not read through again for it.
        const qsizetype before = updated.size();
        QVERIFY(run.Pass());
        QVERIFY(!keeper->Syncing());
        QCOMPARE(updated.size(), before);
    }

    void cancelEndsTheProgram() {
        Cloud cloud(Entries());
        Run run(cloud.Base());
        QVERIFY(run.Started());
        MessageBoxAnswerer answerer;
        run.program->Splash().Timer2->setInterval(3600000); // stay in the waiting state
        run.program->MainWindow().下载->trigger();
        QVERIFY(run.program->Splash().Command1->isVisible());
        QVERIFY(!run.program->MainWindow().isVisible());
        run.program->Splash().Command1->click();
        QCOMPARE(run.terminated, 1);
        QCOMPARE(answerer.seen().size(), 0);
    }
};

QINGLAN_TEST_MAIN(TestBulk)
#include "test_bulk.moc"
