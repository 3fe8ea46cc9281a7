// The main window: start-up, the built-in home page, its files, layout, the
// query row, and the end of the program.
#include "app/HomePage.h"
#include "app/Program.h"
#include "browser/Form4.h"
#include "info/Form3.h"
#include "info/InfoWindow.h"
#include "mirror/Form2.h"
#include "search/QueryRunner.h"
#include "shell/HtmlView.h"
#include "tests/support/MainWindow.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using namespace qinglan;

namespace {

Config OfflineConfig() { return TestConfig(OfflineItemsUrl()); }

QByteArray TileResource() {
    QFile resource(QStringLiteral(":/qinglan/QNLNBJ1.JPG"));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

struct ProbeRun {
    int exitCode = -1;
    QString tempDir;
    QString output;
};

// Runs the environment probe with a clean environment (no TEMP, no
// XDG_RUNTIME_DIR) and the given home, as root or, with nobody, as that user.
ProbeRun RunProbe(const QString& probe, const QString& home, bool asNobody) {
    QProcess process;
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (asNobody)
        process.start(QStringLiteral("setpriv"),
                      {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                       QStringLiteral("--clear-groups"), probe});
    else
        process.start(probe, {});
    ProbeRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.output = QString::fromLocal8Bit(process.readAll());
    run.tempDir = run.output.section(u'\n', 0, 0);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

} // namespace

class TestForm1 final : public QObject {
    Q_OBJECT

private slots:
    void startupCreatesDataAndTileAndShowsHomePage() {
        const Config config = OfflineConfig();
        MainWindow w(config);
        QVERIFY(w.Open());
        QCOMPARE(w.form->DataPath(), w.app.path() + QStringLiteral("/Data"));
        QCOMPARE(w.form->ItemsBaseUrl(), config.itemsBaseUrl);
        QVERIFY(QFileInfo(w.Data()).isDir());
        QCOMPARE(ReadAll(w.Env().TilePath()), TileResource());
        QVERIFY(w.form->isVisible());
        QVERIFY(!w.form->HomePageFromCloud());
        QVERIFY(!w.form->Timer1->isActive());

        const QString html =
            WaitForDocumentContaining(*w.form->WebBrowser1, QStringLiteral("2012-12-10"));
        QVERIFY(html.contains(QStringLiteral("《Qinglan》")));
        QVERIFY(html.contains(QStringLiteral("该软件由<a href=\"")));
    }

    void builtInHomePageRows() {
        Config config = Config::Compiled();
        config.webSearchUrl = QStringLiteral("http://s/s?wd=");
        config.authorName = QStringLiteral("张 三");
        config.authorNote = QStringLiteral("等");
        const QStringList rows = BuiltInHomePage(config);
        QCOMPARE(
            rows,
            (QStringList{
                QStringLiteral(
                    "<body style=\"border:0;margin:0;font-size:17px;background:#E0D2B5\">"),
                QStringLiteral("<br><center><h1>《Qinglan》</h1></center>"),
                QStringLiteral("<li>该软件由<a href=\"http://s/s?wd=张 三\" target=\"_blank\" "
                               "style=\"text-decoration:none;color:#000000\">张 三</a>等制作</li>"),
                QStringLiteral(
                    "<li>该软件可查询六千多种中药材别名、异名、性味、形态、制法、炮制、归经、宜忌、"
                    "功用主治、用法与用量、药理作用、临床应用、化学成分、名家论述等。</li>"),
                QStringLiteral("<li>首次使用该软件需大约1-3分钟更新时间（视网速而定）。</li>"),
                QStringLiteral("<li>在输入框内输入要查询的完整或部分中药名后单击“查询”按钮。</li>"),
                QStringLiteral("<br><br><br><br><br><br><br>"),
                QStringLiteral("<p align=\"right\">2012-12-10</p>")}));
    }

    void dataFolderOfAnInstalledProgram() {
        const QString share = QStringLiteral("/home/u/.local/share");
        const QString downloads = QStringLiteral("/home/u/Downloads");
        // A portable copy: everything stays beside the executable.
        Environment portable = Environment::For(QStringLiteral("/home/u/q"), QStringLiteral("/t"),
                                                true, share, downloads);
        QCOMPARE(portable.DataPath(), QStringLiteral("/home/u/q/Data"));
        QCOMPARE(portable.UpdateDir(), QStringLiteral("/home/u/q"));
        // Installed, or not writable: the user's data folder and download folder.
        Environment installed = Environment::For(QStringLiteral("/usr/bin"), QStringLiteral("/t"),
                                                 false, share, downloads);
        QCOMPARE(installed.DataPath(), QStringLiteral("/home/u/.local/share/Qinglan/Data"));
        QCOMPARE(installed.UpdateDir(), downloads);
        // Under a system prefix the folder counts as installed even when its user
        // (root) may write there; a copy anywhere else is portable.
        for (const char* dir : {"/usr/bin", "/usr/local/bin", "/usr/bin/", "/opt/qinglan/bin"})
            QVERIFY2(Environment::InstalledUnderSystemPrefix(QString::fromLatin1(dir)), dir);
        for (const char* dir : {"/home/u/q", "/usr/binx", "/tmp/usr/bin", "/optional"})
            QVERIFY2(!Environment::InstalledUnderSystemPrefix(QString::fromLatin1(dir)), dir);

        Sandbox box;
        QTemporaryDir home;
        Environment env = Environment::For(box.app.path(), box.temp.path(), false,
                                           home.filePath(QStringLiteral("share")),
                                           home.filePath(QStringLiteral("Downloads")));
        Form1 form(OfflineConfig(), env, TestProfile());
        QVERIFY(form.Open());
        QCOMPARE(form.DataPath(), home.filePath(QStringLiteral("share/Qinglan/Data")));
        QVERIFY(QFileInfo(form.DataPath()).isDir());
        QVERIFY(!QFileInfo::exists(box.app.filePath(QStringLiteral("Data"))));
    }

    void existingTileIsKeptAndAPlantedLinkIsReplaced() {
        MainWindow kept(OfflineConfig());
        QVERIFY(WriteFile(kept.Env().TilePath(), "not the resource"));
        QVERIFY(kept.Open());
        QCOMPARE(ReadAll(kept.Env().TilePath()), QByteArray("not the resource"));

        // A link at the tile's name, dangling or not, is never written through.
        for (const bool dangling : {true, false}) {
            MainWindow w(OfflineConfig());
            const QString target = w.temp.filePath(QStringLiteral("target"));
            if (!dangling)
                QVERIFY(WriteFile(target, "precious"));
            QVERIFY(QFile::link(target, w.Env().TilePath()));
            QVERIFY(w.Open());
            QVERIFY(!QFileInfo(w.Env().TilePath()).isSymLink());
            QCOMPARE(ReadAll(w.Env().TilePath()), TileResource());
            QCOMPARE(ReadAll(target), dangling ? QByteArray("<missing>") : QByteArray("precious"));
        }
    }

    void eachUserHasAPrivateTemporaryFolder() {
        if (::geteuid() != 0)
            QSKIP("needs root to run the probe as a second user");
        // Homes a second user can enter: the test's own temporary folders are private.
        const QString root = QDir::tempPath() + QStringLiteral("/qinglan-users-%1").arg(::getpid());
        QDir(root).removeRecursively();
        QVERIFY(QDir().mkpath(root + QStringLiteral("/root-home")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/nobody-home")));
        ::chmod(QFile::encodeName(root).constData(), 0755);
        QVERIFY(::chown(QFile::encodeName(root + QStringLiteral("/nobody-home")).constData(), 65534,
                        65534) == 0);
        const QString probe = root + QStringLiteral("/envprobe");
        QVERIFY(QFile::copy(QStringLiteral(QINGLAN_ENVPROBE), probe));
        ::chmod(QFile::encodeName(probe).constData(), 0755);

        const ProbeRun first = RunProbe(probe, root + QStringLiteral("/root-home"), false);
        const ProbeRun second = RunProbe(probe, root + QStringLiteral("/nobody-home"), true);
        QDir(root).removeRecursively();
        QVERIFY2(first.exitCode == 0, qPrintable(first.output));
        QVERIFY2(second.exitCode == 0, qPrintable(second.output));
        QVERIFY(first.tempDir != second.tempDir);
        QCOMPARE(first.tempDir, root + QStringLiteral("/root-home/.cache/qinglan"));
        QCOMPARE(second.tempDir, root + QStringLiteral("/nobody-home/.cache/qinglan"));
    }

    void privateFoldersAreMadePrivateAndForeignOnesRefused() {
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("a/b/qinglan"));
        QVERIFY(Environment::EnsurePrivateFolder(fresh));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(fresh).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0700);
        const QString open = dir.filePath(QStringLiteral("open"));
        QVERIFY(QDir().mkdir(open));
        ::chmod(QFile::encodeName(open).constData(), 0777);
        QVERIFY(Environment::EnsurePrivateFolder(open));
        QCOMPARE(::stat(QFile::encodeName(open).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0700);
        // A link, or a file, in the way is no private folder.
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(open, link));
        QVERIFY(!Environment::EnsurePrivateFolder(link));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("file")), "x"));
        QVERIFY(!Environment::EnsurePrivateFolder(dir.filePath(QStringLiteral("file"))));
        if (::geteuid() == 0) {
            const QString foreign = dir.filePath(QStringLiteral("foreign"));
            QVERIFY(QDir().mkdir(foreign));
            QVERIFY(::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0);
            QVERIFY(!Environment::EnsurePrivateFolder(foreign));
        }
    }

    void startupFailsWhenDataCannotBeCreated() {
        MainWindow w(OfflineConfig());
        QVERIFY(WriteFile(w.Data(), "a file in the way"));
        MessageBoxAnswerer answerer;
        QVERIFY(!w.Open());
        QVERIFY(!w.form->isVisible());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen().at(0).icon, QMessageBox::Critical);
        QCOMPARE(answerer.seen().at(0).title, QStringLiteral("Qinglan"));
        QCOMPARE(answerer.seen().at(0).text,
                 QStringLiteral("无法创建数据文件夹“%1”：已有同名文件").arg(w.Data()));
    }

    void startupFailsWhenTileCannotBeWritten() {
        Sandbox box;
        Environment env = box.Env();
        env.tempDir = box.temp.filePath(QStringLiteral("missing/deeper"));
        MessageBoxAnswerer answerer;
        Form1 form(OfflineConfig(), env, TestProfile());
        QVERIFY(!form.Open());
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen().at(0).text,
                 QStringLiteral("无法写入背景图片“%1”：文件夹不存在").arg(env.TilePath()));
        QVERIFY(!QFileInfo::exists(env.TilePath()));
    }

    void controlsAndMenu() {
        MainWindow w(OfflineConfig());
        Form1& form = *w.form;
        QVERIFY(w.Open());
        QCOMPARE(form.windowTitle(), QStringLiteral("Qinglan 2.0.0.8"));
        QCOMPARE(form.Text1->text(), QStringLiteral("请输入中药名"));
        QCOMPARE(form.Command1->text(), QStringLiteral("查 询"));
        QVERIFY(form.Command1->isDefault());
        // The design places the row at 536, two pixels above the bottom; the layout
        // rule, run when the window is shown, puts it at the bottom edge.
        QCOMPARE(form.centralWidget()->size(), QSize(615, 581));
        QCOMPARE(form.Text1->geometry(), QRect(0, 538, 401, 43));
        QCOMPARE(form.Command1->geometry(), QRect(400, 538, 217, 43));
        QCOMPARE(form.WebBrowser1->geometry(), QRect(0, 0, 615, 538));
        QCOMPARE(form.Text1->font().pointSizeF(), 26.25);
        QCOMPARE(Form1(OfflineConfig(), w.Env(), TestProfile()).Timer1->interval(), 3000);
        QCOMPARE(Form1(OfflineConfig(), w.Env(), TestProfile()).Timer2->interval(), 10000);
        QVERIFY(form.公告->text().isEmpty());
        QVERIFY(!form.公告->isEnabled());
        QStringList captions;
        for (const QAction* action : form.menuBar()->actions())
            captions << action->text();
        QCOMPARE(
            captions,
            (QStringList{QStringLiteral("目录"), QStringLiteral("查找"), QStringLiteral("检索"),
                         QStringLiteral("配伍"), QStringLiteral("帮助"), QStringLiteral("关于"),
                         QStringLiteral("更新"), QStringLiteral("下载"), QString()}));
    }

    void enterPressesTheQueryButtonOnceFromTheBoxAndTheButton() {
        MainWindow w(OfflineConfig());
        QVERIFY(w.WriteIndex(QStringLiteral("\r\n1 - 0001甘草.html\r\n")));
        QVERIFY(w.Open());
        QSignalSpy clicks(w.form->Command1, &QPushButton::clicked);
        QSignalSpy pages(w.form->Query(), &QueryRunner::PageShown);
        w.form->Text1->setText(QStringLiteral("甘"));
        QTest::keyClick(w.form->Text1, Qt::Key_Return);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(pages.size(), 1);
        w.form->Command1->setFocus();
        QTest::keyClick(w.form->Command1, Qt::Key_Return);
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(pages.size(), 2);
        QTest::keyClick(w.form->Command1, Qt::Key_Enter);
        QCOMPARE(clicks.size(), 3);
        QCOMPARE(pages.size(), 3);
    }

    void layoutFollowsTheWindow() {
        MainWindow w(OfflineConfig());
        Form1& form = *w.form;
        QVERIFY(w.Open());
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

    // Last: the program's end makes every event loop of this process return.
    void closingTheMainWindowEndsTheProgramWithItsWindowsAndTimers() {
        Sandbox box;
        QVERIFY(box.WriteIndex(QStringLiteral("\r\n")));
        Program program(OfflineConfig(), box.Env());
        int terminated = 0;
        program.SetTerminate([&] { ++terminated; });
        program.Splash().Timer1->setInterval(0);
        program.Start();
        Form1& main = program.MainWindow();
        QTRY_VERIFY_WITH_TIMEOUT(main.isVisible() && !program.Splash().isVisible(), 20000);
        main.帮助->trigger();
        QPointer<Form3> info = main.Info()->Current();
        QVERIFY(info && info->isVisible());
        QPointer<Form4> browser =
            RouteNewWindow(QUrl(QStringLiteral("about:blank")), main.windowIcon(), TestProfile());
        QVERIFY(browser->isVisible());
        main.Timer1->start();
        main.Timer2->start();
        program.Splash().Timer2->start();

        QSignalSpy ended(&program, &Program::Ended);
        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(99); });
        guard.start(60000);
        QTimer::singleShot(0, &main, [&] { main.close(); });
        QCOMPARE(loop.exec(), 0); // the program told every event loop to end
        QCOMPARE(ended.size(), 1);
        QVERIFY(!main.isVisible());
        QVERIFY(!info || !info->isVisible());
        QVERIFY(!browser || !browser->isVisible());
        QVERIFY(!main.Timer1->isActive());
        QVERIFY(!main.Timer2->isActive());
        QVERIFY(!program.Splash().Timer1->isActive());
        QVERIFY(!program.Splash().Timer2->isActive());
        QCOMPARE(terminated, 0);
    }
};

QINGLAN_TEST_MAIN(TestForm1)
#include "test_form1.moc"
