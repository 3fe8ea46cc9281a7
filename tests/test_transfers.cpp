// The window never waits on the network, and every transfer is bounded: a
// window keeps its events while a transfer waits, a newer action overtakes a
// waiting query, the program ends at once during any transfer, and a trickling
// or endless answer is refused by every kind of transfer.
#include "app/Form1.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "cloud/ListingLayout.h"
#include "cloud/TransferLimits.h"
#include "search/QueryRunner.h"
#include "tests/support/MainWindow.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QAction>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <mutex>
#include <set>

#include <signal.h>

using namespace qinglan;

namespace {

// A cloud that answers the paths it is given, hangs on the ones it is told to,
// and records every path asked for.
class ScriptedCloud final {
public:
    ScriptedCloud()
        : m_server([this](const std::string& head) {
              const std::string path = head.substr(4, head.find(' ', 4) - 4);
              std::lock_guard lock(m_mutex);
              m_paths << QString::fromStdString(path);
              if (m_hanging.count(path))
                  return RawHttpServer::Reply{{}, true};
              if (const auto it = m_trickling.find(path); it != m_trickling.end()) {
                  RawHttpServer::Reply reply{it->second};
                  reply.trickleMs = 50;
                  reply.trickleBytes = 200;
                  return reply;
              }
              const auto it = m_replies.find(path);
              return RawHttpServer::Reply{it != m_replies.end()
                                              ? it->second
                                              : RawHttpServer::Response("404 Not Found", "none")};
          }) {}

    QString Base() const { return m_server.Url(QStringLiteral("/items/O!")); }
    static std::string Path(int number) { return "/items/O!" + std::to_string(number); }

    void Serve(int number, const QByteArray& body) {
        std::lock_guard lock(m_mutex);
        m_replies[Path(number)] = RawHttpServer::Response("200 OK", body.toStdString());
    }
    // A listing of one file, numbered file, in folder.
    void ServeListing(int folder, const QString& name, int file) {
        Serve(
            folder,
            ListingText({{QStringLiteral("Document"), QStringLiteral("O"), file, name}}).toUtf8());
    }
    void Hang(int number) {
        std::lock_guard lock(m_mutex);
        m_hanging.insert(Path(number));
    }
    void Trickle(int number, const QByteArray& body) {
        std::lock_guard lock(m_mutex);
        m_trickling[Path(number)] = RawHttpServer::Response("200 OK", body.toStdString());
    }
    QStringList Paths() const {
        std::lock_guard lock(m_mutex);
        return m_paths;
    }
    bool Asked(int number) const { return Paths().contains(QString::fromStdString(Path(number))); }

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_replies;
    std::map<std::string, std::string> m_trickling;
    std::set<std::string> m_hanging;
    QStringList m_paths;
    RawHttpServer m_server;
};

QStringList PartFilesUnder(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QStringLiteral(".part-")) || path.contains(QStringLiteral(".new-")))
            found << path;
    }
    return found;
}

constexpr int EntryNumber = 5;
const QString IndexText = QStringLiteral("\r\n5 - 0005甘草.html\r\n");

} // namespace

class TestTransfers final : public QObject {
    Q_OBJECT

private slots:
    void theWindowTakesItsEventsWhileAnEntryDownloadWaitsOnASilentServer() {
        ScriptedCloud cloud;
        const Config config = TestConfig(cloud.Base());
        cloud.Hang(EntryNumber);
        cloud.Hang(config.pictureFolderId);
        MainWindow w(config);
        QVERIFY(w.WriteIndex(IndexText));
        QVERIFY(w.Open());
        w.form->Text1->setText(QStringLiteral("甘草"));
        bool posted = false;
        QTimer::singleShot(0, w.form.get(), [&] { posted = true; });
        w.form->Command1->click();
        // The click has returned with the download still waiting: the posted
        // event runs, and the query is still under way with its button disabled.
        QTRY_VERIFY(cloud.Asked(EntryNumber));
        QTRY_VERIFY(posted);
        QVERIFY(w.form->Query()->IsRunning());
        QVERIFY(!w.form->Command1->isEnabled());
        QVERIFY(w.Page().isEmpty() || !w.Page().contains(QStringLiteral("甘草")));
    }

    void aQueryOvertakenBySearchStoresItsEntryButNeverShowsItsPage() {
        ScriptedCloud cloud;
        const Config config = TestConfig(cloud.Base());
        // About four seconds for a 2000-byte entry.
        cloud.Trickle(EntryNumber, ToGbk(QStringLiteral("<p>甘草</p>")) + QByteArray(2000, ' '));
        MainWindow w(config);
        QVERIFY(w.WriteIndex(IndexText));
        QVERIFY(w.Open());
        QSignalSpy pages(w.form->Query(), &QueryRunner::PageShown);
        QSignalSpy stored(w.form->Query(), &QueryRunner::EntryStored);
        w.form->Text1->setText(QStringLiteral("甘草"));
        w.form->Command1->click();
        QTRY_VERIFY(cloud.Asked(EntryNumber));
        w.form->检索->trigger();
        QVERIFY(!w.form->Query()->IsRunning());
        QVERIFY(w.form->Command1->isEnabled());
        // The entry arrives and is kept; the query's page never comes.
        QTRY_VERIFY_WITH_TIMEOUT(stored.size() == 1, 60000);
        QVERIFY(QFileInfo::exists(w.Data(QStringLiteral("甘草.html"))));
        QCoreApplication::processEvents();
        QCOMPARE(pages.size(), 0);
        QVERIFY(!QFileInfo::exists(w.temp.filePath(QStringLiteral("qnln1.html"))));
        const auto step = w.form->PageHistory().Current();
        QVERIFY(step && step->kind == HistoryStep::Kind::Search);
    }

    void aTrickleAndAnEndlessBodyAreRefusedByEveryKindOfTransfer_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("listing") << int(TransferKind::Listing);
        QTest::newRow("named text") << int(TransferKind::NamedText);
        QTest::newRow("entry") << int(TransferKind::Entry);
        QTest::newRow("executable") << int(TransferKind::Executable);
        QTest::newRow("signature") << int(TransferKind::Signature);
    }

    void aTrickleAndAnEndlessBodyAreRefusedByEveryKindOfTransfer() {
        QFETCH(int, kind);
        const auto transferKind = TransferKind(kind);
        const TransferLimits saved = CurrentTransferLimits();
        TransferLimits limits;
        // The stall rule stays out of the way: the overall limits are what is tried.
        limits.fileStallBytesPerSecond = 1;
        const KindLimit bound{std::chrono::seconds(2), 4096};
        limits.listing = limits.namedText = limits.entry = limits.executable = limits.signature =
            bound;
        SetTransferLimits(limits);
        RawHttpServer server([](const std::string& head) {
            if (head.find("/endless") != std::string::npos)
                return RawHttpServer::Reply{"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                                            std::string(1 << 20, 'z')};
            // 200 bytes a second for a minute: under the size limit for two seconds.
            RawHttpServer::Reply reply{RawHttpServer::Response("200 OK", std::string(12000, 'x'))};
            reply.trickleMs = 100;
            reply.trickleBytes = 20;
            return reply;
        });
        QTemporaryDir dir;
        const bool toFile =
            transferKind == TransferKind::Entry || transferKind == TransferKind::Executable;
        for (const QString& path : {QStringLiteral("/trickle"), QStringLiteral("/endless")}) {
            const QString url = server.Url(path);
            if (toFile) {
                const QString target = dir.filePath(QStringLiteral("file"));
                const DownloadOutcome outcome =
                    DownloadToFileNow(url, target, Connection::Reuse, transferKind);
                QCOMPARE(outcome.result, DownloadResult::TransferFailed);
                QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
            } else {
                QVERIFY2(!HttpGetReply(url, transferKind).text, qPrintable(path));
            }
        }
        SetTransferLimits(saved);
    }

    void aStoredEntryAndTheIndexAreOnTheDiskBeforeTheyGetTheirNames() {
        RawHttpServer server([](const std::string&) {
            return RawHttpServer::Reply{RawHttpServer::Response("200 OK", "<p>entry</p>")};
        });
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("trace"));
        const QString data = dir.filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(data));
        QProcess strace;
        strace.start(QStringLiteral("strace"),
                     {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"), log,
                      QStringLiteral("-e"),
                      QStringLiteral("trace=fsync,fdatasync,syncfs,rename,renameat,renameat2"),
                      QStringLiteral(QINGLAN_FLUSHPROBE), server.Url(QStringLiteral("/e")), data});
        QVERIFY2(strace.waitForFinished(60000), "strace is installed by the Makefile");
        QCOMPARE(strace.exitCode(), 0);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList calls = QString::fromUtf8(file.readAll()).split(u'\n');
        const auto isSync = [](const QString& call) {
            return call.contains(QStringLiteral("fsync(")) ||
                   call.contains(QStringLiteral("fdatasync(")) ||
                   call.contains(QStringLiteral("syncfs("));
        };
        // The entry is stored first, then the index: each is flushed after the
        // one before it was named, and before it is named itself.
        qsizetype previous = -1;
        for (const QString& name : {QStringLiteral("/entry.html\""), QStringLiteral("/ML\"")}) {
            qsizetype renamed = -1;
            for (qsizetype i = 0; i < calls.size(); ++i) {
                if (calls[i].contains(QStringLiteral("rename")) && calls[i].contains(name))
                    renamed = i;
            }
            QVERIFY2(renamed >= 0, qPrintable(name));
            // Flushed before the rename (the file), and after it (the folder).
            QVERIFY2(renamed > previous, qPrintable(name));
            const auto before =
                std::find_if(calls.cbegin() + previous + 1, calls.cbegin() + renamed, isSync);
            QVERIFY2(before != calls.cbegin() + renamed, qPrintable(name));
            previous = renamed;
            QVERIFY2(std::find_if(calls.cbegin() + renamed + 1, calls.cend(), isSync) !=
                         calls.cend(),
                     qPrintable(name));
        }
    }

    void closingDuringEachKindOfTransferEndsTheProgramAtOnceAndLeavesNothing_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("home page at start") << QStringLiteral("start");
        QTest::newRow("query") << QStringLiteral("query:甘草");
        QTest::newRow("help page") << QStringLiteral("help");
        QTest::newRow("bulk listing") << QStringLiteral("bulk");
        QTest::newRow("update check") << QStringLiteral("update");
    }

    void closingDuringEachKindOfTransferEndsTheProgramAtOnceAndLeavesNothing() {
        QFETCH(QString, action);
        ScriptedCloud cloud;
        const Config config = TestConfig(cloud.Base());
        // Every folder answers but the one this action waits for.
        cloud.ServeListing(config.homeFolderId, QStringLiteral("主页.html"), 901);
        cloud.Serve(901, ToGbk(QStringLiteral("<p>主页</p>")));
        int waitsFor = 0;
        if (action == u"start")
            waitsFor = config.homeFolderId;
        else if (action.startsWith(u"query"))
            waitsFor = EntryNumber;
        else if (action == u"help")
            waitsFor = config.helpFolderId;
        else if (action == u"bulk")
            waitsFor = config.dataFolderId;
        else
            waitsFor = config.updateFolderId;
        cloud.Hang(waitsFor);
        cloud.Hang(config.pictureFolderId);

        QTemporaryDir app;
        QTemporaryDir temp;
        QVERIFY(QDir().mkpath(app.filePath(QStringLiteral("Data"))));
        QVERIFY(WriteFile(app.filePath(QStringLiteral("Data/ML")), ToGbk(IndexText)));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TEMP"), temp.path());
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(QINGLAN_PROGRAMPROBE), {app.path(), cloud.Base(), action});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(cloud.Asked(waitsFor), 60000);

        const qsizetype asked = cloud.Paths().size();
        QElapsedTimer ended;
        ended.start();
        ::kill(pid_t(program.processId()), SIGTERM);
        // The transfer hangs for ever: only the program's own ending stops it.
        QVERIFY(program.waitForFinished(20000));
        qInfo("%s: the program ended %lld ms after it was told to", qPrintable(action),
              ended.elapsed());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(cloud.Paths().size(), asked); // no request after the end
        QCOMPARE(PartFilesUnder(app.path()), QStringList());
        QCOMPARE(PartFilesUnder(temp.path()), QStringList());
    }
};

QINGLAN_TEST_MAIN(TestTransfers)
#include "test_transfers.moc"
