// Start-up end to end against a served cloud: the splash, the entry index and
// the home page.
#include "app/Form1.h"
#include "app/Program.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "entries/EntryIndex.h"
#include "mirror/Form2.h"
#include "shell/HtmlView.h"
#include "tests/support/CloudServer.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qinglan;

namespace {

TestLibrary Library(bool withHome) {
    TestLibrary library;
    library.folders = {
        {QStringLiteral("data"),
         11,
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
struct Start : Sandbox {
    Config config;
    std::unique_ptr<Program> program;

    explicit Start(const QString& itemsBaseUrl, short dataFolder = 11)
        : config(TestConfig(itemsBaseUrl)) {
        config.dataFolderId = dataFolder;
        config.homeFolderId = 13;
    }
    bool Run() {
        program = std::make_unique<Program>(config, Env());
        program->Splash().Timer1->setInterval(0);
        program->Start();
        return QTest::qWaitFor(
            [&] { return !program->Splash().isVisible() && !program->Splash().Timer1->isActive(); },
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
        const QList<RemoteItem> items =
            ListItems(TryHttpGetText(m_cloud.ItemsBaseUrl() + QStringLiteral("11")));
        QCOMPARE(items.size(), 4);
        // Written out here rather than by the program's own function.
        QString expected;
        for (const RemoteItem& item : items)
            expected += QStringLiteral("\r\n") + item.ResourceID + QStringLiteral(" - ") +
                        item.RelationshipName;
        expected += QStringLiteral("\r\n");
        QCOMPARE(ReadAll(start.IndexFile()), ToGbk(expected));
        QVERIFY(expected.contains(QStringLiteral(" - 0002a - b.html\r\n")));
        QCOMPARE(FromGbk(ReadAll(start.IndexFile())).split(QStringLiteral("\r\n")).size(), 4 + 2);
        QVERIFY(start.program->MainWindow().isVisible());
        // Nothing but the index is written to the data folder.
        QCOMPARE(QDir(start.Data()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("ML")});
    }

    void anEmptyListingGivesAnEmptyIndexAndAnErrorPageNone() {
        Start empty(m_cloud.ItemsBaseUrl(), 14);
        QVERIFY(empty.Run());
        QCOMPARE(ReadAll(empty.IndexFile()), QByteArray("\r\n"));
        // No such folder: a 404 page is no listing. An empty index written from it
        // would stay for ever; the failure is told and the next start tries again.
        MessageBoxAnswerer answerer;
        Start error(m_cloud.ItemsBaseUrl(), 999);
        QVERIFY(error.Run());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].text, QStringLiteral("获取信息失败，请检测网络连接"));
        QVERIFY(!QFileInfo::exists(error.IndexFile()));
    }

    void anExistingIndexMeansNoListingRequest() {
        Start start(m_cloud.ItemsBaseUrl());
        QVERIFY(QDir().mkpath(start.Data()));
        QFile(start.IndexFile()).open(QIODevice::WriteOnly); // empty, still present
        const int before = m_cloud.CountRequests(QStringLiteral("!11 "));
        QVERIFY(start.Run());
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
        QVERIFY(QFileInfo(start.Data()).isDir());
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
        const QString html =
            WaitForDocumentContaining(*main.WebBrowser1, QStringLiteral("云端主页"));
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
        QVERIFY(WaitForDocumentContaining(*start.program->MainWindow().WebBrowser1,
                                          QStringLiteral("2012-12-10"))
                    .contains(QStringLiteral("《Qinglan》")));
    }

    void splashWindowDesign() {
        Sandbox box;
        Form2 splash(TestConfig(OfflineItemsUrl()), box.Env());
        QCOMPARE(splash.windowTitle(), QStringLiteral("请稍等"));
        QCOMPARE(splash.size(), QSize(586, 238));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.windowFlags() & Qt::WindowType_Mask, Qt::Tool); // no taskbar button
        QCOMPARE(splash.Timer1->interval(), 1000);
        QVERIFY(splash.Timer1->isActive());
        QCOMPARE(splash.Timer2->interval(), 1000);
        QVERIFY(!splash.Timer2->isActive());
        struct Control {
            QWidget* widget;
            QRect geometry;
        };
        for (const Control& c : {Control{splash.Label2, QRect(0, 113, 585, 20)},
                                 Control{splash.Label1, QRect(0, 113, 1, 20)},
                                 Control{splash.Label3, QRect(80, 116, 409, 17)},
                                 Control{splash.Command1, QRect(496, 8, 81, 33)}}) {
            QVERIFY(c.widget->isHidden());
            QCOMPARE(c.widget->geometry(), c.geometry);
        }
        QCOMPARE(splash.Label2->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(splash.Label1->palette().color(QPalette::Window), QColor(255, 128, 0));
        QVERIFY(splash.Label1->autoFillBackground() && splash.Label2->autoFillBackground());
        QCOMPARE(splash.Label3->text(),
                 QStringLiteral("正在下载文件到本地 下载成功后您可以离线使用本软件"));
        QCOMPARE(splash.Label3->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!splash.Label3->autoFillBackground());
        QCOMPARE(splash.Label3->font().pointSizeF(), 10.5);
        QVERIFY(splash.Label3->font().bold());
        QCOMPARE(splash.Command1->text(), QStringLiteral("取  消"));
        // The drawing order: track, fill, notice on top.
        const QObjectList order = splash.children();
        QVERIFY(order.indexOf(splash.Label2) < order.indexOf(splash.Label1));
        QVERIFY(order.indexOf(splash.Label1) < order.indexOf(splash.Label3));
    }

    void aStartThatCannotLoadTheMainWindowReportsAndEndsWithStatusOne() {
        Sandbox box;
        QVERIFY(WriteFile(box.Data(), "a file where the data folder belongs"));
        Config config = TestConfig(OfflineItemsUrl());
        MessageBoxAnswerer answerer;
        const int status = RunProgram(config, box.Env());
        QCOMPARE(status, 1);
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(answerer.seen()[0].text,
                 QStringLiteral("无法创建数据文件夹“%1”：已有同名文件").arg(box.Data()));
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible() || qobject_cast<QMessageBox*>(window),
                     window->metaObject()->className());
    }

    void indexWriteFailureLeavesNothing() {
        QTemporaryDir dir;
        QVERIFY(!WriteEntryIndex(dir.filePath(QStringLiteral("missing")), QStringLiteral("\r\n"))
                     .isEmpty());
        // Something in the way of ML: the write fails and leaves no temporary file.
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("ML/sub"))));
        QVERIFY(!WriteEntryIndex(dir.path(), QStringLiteral("\r\n1 - 0001x.html\r\n")).isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void entryFileNames_data() {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("file"); // empty: none, the entry is never stored
        QTest::newRow("plain") << "0001甘草.html"
                               << "甘草.html";
        QTest::newRow("separator inside") << "9999a - b.html"
                                          << "a - b.html";
        QTest::newRow("prefix only") << "0001"
                                     << "";
        QTest::newRow("short") << "abc"
                               << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("dot") << "0001."
                             << "";
        QTest::newRow("dot dot") << "0001.."
                                 << "";
        QTest::newRow("up and down") << "0001../x"
                                     << "";
        QTest::newRow("backslash") << "0001a\\b"
                                   << "";
        QTest::newRow("absolute") << "0001/etc/passwd"
                                  << "";
    }

    void entryFileNames() {
        QFETCH(QString, listed);
        QFETCH(QString, file);
        QCOMPARE(EntryFileName(listed).value_or(QString()), file);
        QCOMPARE(EntryFilePath(QStringLiteral("/d"), listed).value_or(QString()),
                 file.isEmpty() ? QString() : QStringLiteral("/d/") + file);
    }
};

QINGLAN_TEST_MAIN(TestStartup)
#include "test_startup.moc"
