// The main window: start-up, the built-in home page, layout and the query row.
#include "Config.h"
#include "Environment.h"
#include "Form1.h"
#include "HomePage.h"
#include "HtmlView.h"
#include "MessageBoxAnswerer.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "ViewProbe.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qinglan;

namespace {

// A folder for the executable and one for TEMP, both fresh.
struct Sandbox {
    QTemporaryDir app;
    QTemporaryDir temp;
    Environment Env() const { return {app.path(), temp.path()}; }
};

Config OfflineConfig() {
    Config config = Config::Compiled();
    config.itemsBaseUrl = QStringLiteral("http://127.0.0.1:9/items/OWNER!"); // nothing listens
    return config;
}

} // namespace

class TestForm1 final : public QObject {
    Q_OBJECT

private slots:
    void startupCreatesDataAndTileAndShowsHomePage() {
        Sandbox box;
        Form1 form(OfflineConfig(), box.Env());
        QVERIFY(form.Open());
        QCOMPARE(form.DataPath, box.app.path() + QStringLiteral("/Data"));
        QCOMPARE(form.ItemsBaseUrl, OfflineConfig().itemsBaseUrl);
        QVERIFY(QFileInfo(form.DataPath).isDir());
        QFile resource(QStringLiteral(":/qinglan/QNLNBJ1.JPG"));
        QVERIFY(resource.open(QIODevice::ReadOnly));
        QCOMPARE(ReadAll(box.temp.filePath(QStringLiteral("QNLNBJ1.JPG"))), resource.readAll());
        QVERIFY(form.isVisible());
        QVERIFY(!form.HomePageFromCloud());
        QVERIFY(!form.Timer1->isActive());

        const QString html =
            WaitForDocumentContaining(*form.WebBrowser1, QStringLiteral("2012-12-10"));
        QVERIFY(html.contains(QStringLiteral("《Qinglan》")));
        QVERIFY(html.contains(QStringLiteral("该软件由<a href=\"")));
    }

    void builtInHomePageRows() {
        Config config = Config::Compiled();
        config.webSearchUrl = QStringLiteral("http://s/s?wd=");
        config.authorName = QStringLiteral("张 三");
        config.authorNote = QStringLiteral("等");
        const QStringList rows = BuiltInHomePage(config);
        QCOMPARE(rows.size(), 8);
        QCOMPARE(rows.at(0), QStringLiteral("<body style=\"border:0;margin:0;font-size:17px;"
                                            "background:#E0D2B5\">"));
        QCOMPARE(rows.at(2),
                 QStringLiteral("<li>该软件由<a href=\"http://s/s?wd=张 三\" target=\"_blank\" "
                                "style=\"text-decoration:none;color:#000000\">张 三</a>等制作</li>"));
        QCOMPARE(rows.at(6), QStringLiteral("<br><br><br><br><br><br><br>"));
        QCOMPARE(rows.at(7), QStringLiteral("<p align=\"right\">2012-12-10</p>"));
    }

    void dataFolderOfAnInstalledProgram() {
        // Beside a writable executable: everything stays there.
        Environment portable = Environment::For(QStringLiteral("/opt/q"), QStringLiteral("/t"), true,
                                                QStringLiteral("/home/u/.local/share"), QStringLiteral("/home/u/Downloads"));
        QCOMPARE(portable.DataPath(), QStringLiteral("/opt/q/Data"));
        QCOMPARE(portable.UpdateDir(), QStringLiteral("/opt/q"));
        // Not writable: the user's data folder and download folder.
        Environment installed = Environment::For(QStringLiteral("/usr/bin"), QStringLiteral("/t"), false,
                                                 QStringLiteral("/home/u/.local/share"), QStringLiteral("/home/u/Downloads"));
        QCOMPARE(installed.DataPath(), QStringLiteral("/home/u/.local/share/Qinglan/Data"));
        QCOMPARE(installed.UpdateDir(), QStringLiteral("/home/u/Downloads"));

        Sandbox box;
        QTemporaryDir home;
        Environment env = Environment::For(box.app.path(), box.temp.path(), false, home.filePath(QStringLiteral("share")),
                                           home.filePath(QStringLiteral("Downloads")));
        Form1 form(OfflineConfig(), env);
        QVERIFY(form.Open());
        QCOMPARE(form.DataPath, home.filePath(QStringLiteral("share/Qinglan/Data")));
        QVERIFY(QFileInfo(form.DataPath).isDir());
        QVERIFY(!QFileInfo::exists(box.app.filePath(QStringLiteral("Data"))));
    }

    void existingTileIsKept() {
        Sandbox box;
        const QString tile = box.temp.filePath(QStringLiteral("QNLNBJ1.JPG"));
        {
            QFile file(tile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not the resource");
        }
        QVERIFY(QDir().mkdir(box.app.filePath(QStringLiteral("Data"))));
        Form1 form(OfflineConfig(), box.Env());
        QVERIFY(form.Open());
        QCOMPARE(ReadAll(tile), QByteArray("not the resource"));
    }

    void startupFailsWhenDataCannotBeCreated() {
        Sandbox box;
        {
            QFile inTheWay(box.app.filePath(QStringLiteral("Data")));
            QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        }
        MessageBoxAnswerer answerer;
        Form1 form(OfflineConfig(), box.Env());
        QVERIFY(!form.Open());
        QVERIFY(!form.isVisible());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen().at(0).icon, QMessageBox::Critical);
        QCOMPARE(answerer.seen().at(0).title, QStringLiteral("Qinglan"));
        QVERIFY(answerer.seen().at(0).text.contains(box.app.filePath(QStringLiteral("Data"))));
        QVERIFY(answerer.seen().at(0).text.contains(QStringLiteral("无法创建")));
    }

    void startupFailsWhenTileCannotBeWritten() {
        Sandbox box;
        Environment env = box.Env();
        env.tempDir = box.temp.filePath(QStringLiteral("missing/deeper"));
        MessageBoxAnswerer answerer;
        Form1 form(OfflineConfig(), env);
        QVERIFY(!form.Open());
        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY(answerer.seen().at(0).text.contains(QStringLiteral("QNLNBJ1.JPG")));
        QVERIFY(!QFileInfo::exists(env.TilePath()));
    }

    void controlsAndMenu() {
        Sandbox box;
        Form1 form(OfflineConfig(), box.Env());
        QVERIFY(form.Open());
        QCOMPARE(form.windowTitle(), QStringLiteral("Qinglan 2.0.0.8"));
        QCOMPARE(form.Text1->text(), QStringLiteral("请输入中药名"));
        QCOMPARE(form.Command1->text(), QStringLiteral("查 询"));
        // The design places the row at 536, two pixels above the bottom; the layout
        // rule, run when the window is shown, puts it at the bottom edge.
        QCOMPARE(form.centralWidget()->size(), QSize(615, 581));
        QCOMPARE(form.Text1->geometry(), QRect(0, 538, 401, 43));
        QCOMPARE(form.Command1->geometry(), QRect(400, 538, 217, 43));
        QCOMPARE(form.WebBrowser1->geometry(), QRect(0, 0, 615, 538));
        QCOMPARE(form.Text1->font().pointSizeF(), 26.25);
        QCOMPARE(form.Timer1->interval(), 3000);
        QCOMPARE(form.Timer2->interval(), 10000);
        QVERIFY(form.公告->text().isEmpty());
        QVERIFY(!form.公告->isEnabled());
        QCOMPARE(form.menuBar()->actions().last(), form.公告);

        // Enter in the query box presses the query button.
        QSignalSpy clicks(form.Command1, &QPushButton::clicked);
        QTest::keyClick(form.Text1, Qt::Key_Return);
        QCOMPARE(clicks.size(), 1);
    }

    void layoutFollowsTheWindow() {
        Sandbox box;
        Form1 form(OfflineConfig(), box.Env());
        QVERIFY(form.Open());
        QWidget* client = form.centralWidget();
        const int menu = form.height() - client->height();

        form.resize(800, 500 + menu);
        QTRY_COMPARE(client->size(), QSize(800, 500));
        QCOMPARE(form.WebBrowser1->geometry(), QRect(0, 0, 800, 457));
        QCOMPARE(form.Text1->geometry(), QRect(0, 457, 401, 43));
        QCOMPARE(form.Command1->geometry(), QRect(400, 457, 217, 43));

        // Lower than the query row: the view keeps its last height, the row moves up.
        form.resize(300, 20 + menu);
        QTRY_COMPARE(client->size(), QSize(300, 20));
        QCOMPARE(form.WebBrowser1->size(), QSize(300, 457));
        QCOMPARE(form.Text1->geometry(), QRect(0, -23, 401, 43));
        QCOMPARE(form.Command1->geometry(), QRect(400, -23, 217, 43));
    }

    void closingTheMainWindowClosesTheOthers() {
        Sandbox box;
        Form1 form(OfflineConfig(), box.Env());
        QVERIFY(form.Open());
        QWidget other;
        other.show();
        QVERIFY(other.isVisible());
        form.close();
        QVERIFY(!other.isVisible());
    }
};

QINGLAN_TEST_MAIN(TestForm1)
#include "test_form1.moc"
