// Start-up end to end against a served cloud: the splash, the entry index and
// the home page.
#include "CloudServer.h"
#include "DataLayout.h"
#include "EntryIndex.h"
#include "Form1.h"
#include "Form2.h"
#include "GbkText.h"
#include "Http.h"
#include "HtmlView.h"
#include "Listing.h"
#include "MessageBoxAnswerer.h"
#include "Program.h"
#include "RawHttpServer.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "ViewProbe.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qinglan;

namespace {

TestLibrary Library(bool withHome) {
    TestLibrary library;
    library.folders = {
        {QStringLiteral("data"), 11,
         {{QStringLiteral("0001甘草.html"), QByteArray("<p>甘草</p>")},
          {QStringLiteral("0002a - b.html"), QByteArray("<p>sep</p>")},
          {QStringLiteral("0003图.jpg"), QByteArray("jpg")},
          {QStringLiteral("0004.."), QByteArray("x")}}},
        {QStringLiteral("home"), 13, {}},
        {QStringLiteral("emptydata"), 14, {}},
    };
    if (withHome)
        library.folders[1].files.insert(QStringLiteral("主页.html"),
                                        QByteArray("<body><p id=home>云端主页</p>"));
    return library;
}

// One start of the program in a fresh folder, run until the splash has closed.
struct Start {
    QTemporaryDir app;
    QTemporaryDir temp;
    Config config = Config::Compiled();
    std::unique_ptr<Program> program;

    explicit Start(const QString& itemsBaseUrl, short dataFolder = 11) {
        config.itemsBaseUrl = itemsBaseUrl;
        config.dataFolderId = dataFolder;
        config.homeFolderId = 13;
    }
    QString DataPath() const { return app.filePath(QStringLiteral("Data")); }
    QString IndexFile() const { return IndexPath(DataPath()); }
    bool Run() {
        program = std::make_unique<Program>(config, Environment{app.path(), temp.path()});
        program->Splash().Timer1->setInterval(0);
        program->Start();
        return QTest::qWaitFor([&] { return !program->Splash().isVisible() &&
                                            !program->Splash().Timer1->isActive(); },
                               30000);
    }
};

} // namespace

class TestStartup final : public QObject {
    Q_OBJECT

    CloudServer m_cloud;

private slots:
    void initTestCase() {
        QVERIFY(m_cloud.Publish(Library(true)));
        QVERIFY(m_cloud.Start());
    }

    void firstStartWritesTheIndex() {
        Start start(m_cloud.ItemsBaseUrl());
        QVERIFY(start.Run());
        const QList<RemoteItem> items = ListItems(TryHttpGetText(m_cloud.ItemsBaseUrl() + QStringLiteral("11")));
        QCOMPARE(items.size(), 4);
        QString expected;
        for (const RemoteItem& item : items)
            expected += QStringLiteral("\r\n") + item.ResourceID + QStringLiteral(" - ") + item.RelationshipName;
        expected += QStringLiteral("\r\n");
        QCOMPARE(ReadAll(start.IndexFile()), ToGbk(expected));
        QVERIFY(expected.contains(QStringLiteral(" - 0002a - b.html\r\n")));
        QCOMPARE(FromGbk(ReadAll(start.IndexFile())).split(QStringLiteral("\r\n")).size(), 4 + 2);
        QVERIFY(start.program->MainWindow().isVisible());
        // Nothing but the index is written to the data folder.
        QCOMPARE(QDir(start.DataPath()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("ML")});
    }

    void emptyListingAndErrorPageGiveAnEmptyIndex() {
        Start empty(m_cloud.ItemsBaseUrl(), 14);
        QVERIFY(empty.Run());
        QCOMPARE(ReadAll(empty.IndexFile()), QByteArray("\r\n"));
        Start error(m_cloud.ItemsBaseUrl(), 999); // no such folder: a 404 page
        QVERIFY(error.Run());
        QCOMPARE(ReadAll(error.IndexFile()), QByteArray("\r\n"));
    }

    void anExistingIndexMeansNoListingRequest() {
        Start start(m_cloud.ItemsBaseUrl());
        QVERIFY(QDir().mkpath(start.DataPath()));
        QFile(start.IndexFile()).open(QIODevice::WriteOnly); // empty, still present
        const int before = m_cloud.CountRequests(QStringLiteral("!11 "));
        QVERIFY(start.Run());
        QTest::qWait(200); // the server logs after it has answered
        QCOMPARE(m_cloud.CountRequests(QStringLiteral("!11 ")), before);
        QCOMPARE(ReadAll(start.IndexFile()), QByteArray());
    }

    void startWithTheServerDown() {
        MessageBoxAnswerer answerer;
        Start start(QStringLiteral("http://127.0.0.1:%1/items/TESTOWNER!").arg(UnusedPort()));
        QVERIFY(start.Run());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].text, QStringLiteral("获取信息失败，请检测网络连接"));
        QVERIFY(!QFileInfo::exists(start.IndexFile()));
        QVERIFY(QFileInfo(start.DataPath()).isDir());
        Form1& main = start.program->MainWindow();
        QVERIFY(main.isVisible());
        QVERIFY(!main.HomePageFromCloud());
        QVERIFY(WaitForDocumentContaining(*main.WebBrowser1, QStringLiteral("2012-12-10"))
                    .contains(QStringLiteral("《Qinglan》")));
    }

    void homePageFromTheCloud() {
        Start start(m_cloud.ItemsBaseUrl());
        QVERIFY(start.Run());
        Form1& main = start.program->MainWindow();
        QVERIFY(main.HomePageFromCloud());
        const QString html = WaitForDocumentContaining(*main.WebBrowser1, QStringLiteral("云端主页"));
        QVERIFY(html.contains(QStringLiteral("<p id=\"home\">云端主页</p>")));
        QVERIFY(!html.contains(QStringLiteral("2012-12-10")));
        // The buffer holds what was fetched, in GBK.
        QCOMPARE(ReadAll(start.temp.filePath(QStringLiteral("qnln2.html"))),
                 ToGbk(QStringLiteral("<body><p id=home>云端主页</p>")));
    }

    void homePageMissingFromTheFolder() {
        CloudServer bare;
        QVERIFY(bare.Publish(Library(false)));
        QVERIFY(bare.Start());
        Start start(bare.ItemsBaseUrl());
        QVERIFY(start.Run());
        QVERIFY(!start.program->MainWindow().HomePageFromCloud());
        QVERIFY(WaitForDocumentContaining(*start.program->MainWindow().WebBrowser1, QStringLiteral("2012-12-10"))
                    .contains(QStringLiteral("《Qinglan》")));
    }

    void indexWriteFailureLeavesNothing() {
        QTemporaryDir dir;
        QVERIFY(!WriteEntryIndex(dir.filePath(QStringLiteral("missing")), QStringLiteral("\r\n")).isEmpty());
        // Something in the way of ML: the write fails and leaves no temporary file.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("ML/sub"))));
        QVERIFY(!WriteEntryIndex(dir.path(), QStringLiteral("\r\n1 - 0001x.html\r\n")).isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void entryFileNames() {
        QCOMPARE(EntryFileName(QStringLiteral("0001甘草.html")), std::optional<QString>(QStringLiteral("甘草.html")));
        QCOMPARE(EntryFileName(QStringLiteral("9999a - b.html")), std::optional<QString>(QStringLiteral("a - b.html")));
        // Names that would leave the data folder, or name no file, have none.
        for (const QString& name : {QStringLiteral("0001"), QStringLiteral("abc"), QStringLiteral(""),
                                    QStringLiteral("0001."), QStringLiteral("0001.."), QStringLiteral("0001../x"),
                                    QStringLiteral("0001a\\b"), QStringLiteral("0001/etc/passwd")})
            QVERIFY2(!EntryFileName(name), qPrintable(name));
        QCOMPARE(EntryFilePath(QStringLiteral("/d"), QStringLiteral("0001x.html")),
                 std::optional<QString>(QStringLiteral("/d/x.html")));
        QVERIFY(!EntryFilePath(QStringLiteral("/d"), QStringLiteral("0001..")));
    }
};

QINGLAN_TEST_MAIN(TestStartup)
#include "test_startup.moc"
