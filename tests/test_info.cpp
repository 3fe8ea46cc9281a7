// Browsing windows, help and about, the update check, the announcement and the
// start-up timer chain, against a served cloud.
#include "app/Form1.h"
#include "browser/Form4.h"
#include "cloud/BlockingHttp.h"
#include "cloud/Listing.h"
#include "info/Form3.h"
#include "info/InfoPages.h"
#include "info/InfoWindow.h"
#include "info/Versions.h"
#include "shell/HtmlView.h"
#include "shell/Pages.h"
#include "shell/ViewActions.h"
#include "tests/support/CloudServer.h"
#include "tests/support/MainWindow.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qinglan;

namespace {

QList<Form4*> BrowsingWindows() {
    QList<Form4*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<Form4*>(w); f && f->isVisible())
            windows << f;
    return windows;
}

void CloseBrowsingWindows() {
    for (Form4* w : BrowsingWindows())
        w->close();
    QTest::qWait(50);
}

const QByteArray Executable("\x7f"
                            "ELF fake executable",
                            20);

TestLibrary Library(const QByteArray& versionFile, const QByteArray& notice = {}) {
    TestLibrary library;
    library.folders = {
        {QStringLiteral("home"),
         13,
         {{QStringLiteral("主页.html"), QByteArray("<body><p>云端主页</p>")}}},
        {QStringLiteral("help"), 14, {}},
        {QStringLiteral("about"),
         15,
         {{QStringLiteral("关于.html"), QByteArray("<html><body><p id=a>远程关于</p>")}}},
        {QStringLiteral("notice"), 16, {}},
        {QStringLiteral("update"), 17, {{ExecutableName(QStringLiteral("2.0.0.9")), Executable}}},
    };
    if (!versionFile.isNull())
        library.folders[4].files.insert(QStringLiteral("最新版本.txt"), versionFile);
    if (!notice.isNull())
        library.folders[3].files.insert(QStringLiteral("公告.txt"), notice);
    return library;
}

} // namespace

class TestInfo final : public QObject {
    Q_OBJECT

    CloudServer m_cloud;

    // A main window whose program-level requests are recorded, not carried out.
    struct Window : MainWindow {
        int terminated = 0;
        QList<QUrl> opened;
        int checks = 0;
        explicit Window(const Config& config) : MainWindow(config) {
            QObject::connect(form.get(), &Form1::TerminateRequested, [this] { ++terminated; });
            QObject::connect(form.get(), &Form1::OpenExternally,
                             [this](const QUrl& url) { opened << url; });
            QObject::connect(form.get(), &Form1::UpdateCheckEnded, [this] { ++checks; });
        }
        // The update check from the menu, waited for to its end.
        void Update() {
            const int before = checks;
            form->更新->trigger();
            QVERIFY(QTest::qWaitFor([&] { return checks > before; }, 60000));
        }
    };

    static Config InfoConfig(const QString& base) {
        Config config = TestConfig(base);
        config.homeFolderId = 13;
        config.helpFolderId = 14;
        config.aboutFolderId = 15;
        config.noticeFolderId = 16;
        config.updateFolderId = 17;
        config.webSearchUrl = QStringLiteral("http://127.0.0.1:9/s?wd=");
        return config;
    }

    std::unique_ptr<Window> Open(const QString& base, bool startTimers = false) {
        auto w = std::make_unique<Window>(InfoConfig(base));
        w->form->Timer1->setInterval(startTimers ? 100 : 3600000);
        w->form->Timer2->setInterval(startTimers ? 100 : 3600000);
        return w->Open() ? std::move(w) : nullptr;
    }

    QString Offline() const { return OfflineItemsUrl(); }

    bool Serve(const QByteArray& versionFile, const QByteArray& notice = {}) {
        return m_cloud.Publish(Library(versionFile, notice));
    }

private slots:
    void initTestCase() {
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
        QVERIFY(m_cloud.Start());
    }

    void cleanup() { CloseBrowsingWindows(); }

    void newWindowRequestsOpenBrowsingWindows() {
        RawHttpServer site([](const std::string& head) {
            const bool second = head.find("/two") != std::string::npos;
            return RawHttpServer::Reply{RawHttpServer::Response(
                "200 OK",
                std::string("<html><head><title>") + (second ? "Two" : "One") +
                    "</title></head><body><a id=l href='/two' target=_blank>next</a></body></html>",
                "Content-Type: text/html\r\n")};
        });
        auto w = Open(Offline());
        QVERIFY(w);
        // From the main window's view.
        WritePage(*w->form->WebBrowser1, QStringLiteral("<a id=m href='") +
                                             site.Url(QStringLiteral("/one")) +
                                             QStringLiteral("' target=_blank>x</a>"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("id=\"m\""));
        EvaluateInView(*w->form->WebBrowser1,
                       QStringLiteral("document.getElementById('m').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(BrowsingWindows().size(), 1, 10000);
        Form4* first = BrowsingWindows().at(0);
        QTRY_COMPARE_WITH_TIMEOUT(first->windowTitle(), QStringLiteral("One - Vorin网页浏览"),
                                  10000);
        QTRY_COMPARE_WITH_TIMEOUT(first->Text1->text(), site.Url(QStringLiteral("/one")), 10000);
        QCOMPARE(first->windowIcon().cacheKey() != 0, true);

        // From a browsing window's own view: a further window, the first unchanged.
        WaitForDocumentContaining(*first->WebBrowser1, QStringLiteral("id=\"l\""));
        EvaluateInView(*first->WebBrowser1, QStringLiteral("document.getElementById('l').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(BrowsingWindows().size(), 2, 10000);
        QCOMPARE(first->Text1->text(), site.Url(QStringLiteral("/one")));

        // From the information window's view: the about page's name link.
        w->form->关于->trigger();
        HtmlView* about = w->form->Info()->Current()->WebBrowser1;
        WaitForDocumentContaining(*about, QStringLiteral("《Qinglan》"));
        EvaluateInView(*about, QStringLiteral("document.querySelector('a[target]').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(BrowsingWindows().size(), 3, 10000);
    }

    void browsingWindowLayoutAndGo() {
        Form4* w = RouteNewWindow(QUrl(QStringLiteral("about:blank")), QIcon(), TestProfile());
        QCOMPARE(w->windowTitle(), QStringLiteral("Form4"));
        QCOMPARE(w->size(), QSize(528, 355));
        QCOMPARE(w->Text1->geometry(), QRect(0, 0, 508, 20));
        QCOMPARE(w->Command1->geometry(), QRect(508, 0, 20, 20));
        QCOMPARE(w->WebBrowser1->geometry(), QRect(0, 20, 528, 335));
        QCOMPARE(w->Command1->text(), QStringLiteral("→"));
        // Narrower than the button and lower than the bar: those placements are skipped.
        w->resize(10, 10);
        QTRY_COMPARE(w->Command1->geometry(), QRect(-10, 0, 20, 20));
        QCOMPARE(w->Text1->geometry(), QRect(0, 0, 508, 20));
        QCOMPARE(w->WebBrowser1->geometry(), QRect(0, 20, 528, 335));
        w->resize(300, 200);
        QTRY_COMPARE(w->WebBrowser1->geometry(), QRect(0, 20, 300, 180));

        RawHttpServer site([](const std::string&) {
            return RawHttpServer::Reply{RawHttpServer::Response("200 OK", "<title>Go</title>",
                                                                "Content-Type: text/html\r\n")};
        });
        w->Text1->setText(site.Url(QStringLiteral("/go")));
        w->Command1->click();
        QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), QStringLiteral("Go - Vorin网页浏览"), 10000);
        // The reader's keys hold in a browsing window too, with the keyboard in its bar.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->Text1, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(w->WebBrowser1->zoomFactor(), 1.1);
    }

    void builtInAndRemoteInfoPages() {
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        // No help page in the cloud: the built-in page of seven writes.
        w->form->帮助->trigger();
        QPointer<Form3> help = w->form->Info()->Current();
        QCOMPARE(help->windowTitle(), QStringLiteral("帮助"));
        QCOMPARE(help->size(), QSize(578, 211));
        QCOMPARE(help->WebBrowser1->geometry(), QRect(64, 16, 489, 153));
        // The seven writes as the view holds them, compared with the texts themselves.
        const QString helpBody =
            QStringLiteral("<h3>【帮-助】</h3>"
                           "<p>①.该软件可查询六千多种中药材，性能、别名、适应症等。</p>"
                           "<p>②.首次使用该软件需大约1-3分钟更新时间（视网速而定）。</p>"
                           "<p>④.在输入框内输入要查询的完整或部分中药名后单击“查询”按钮。</p>"
                           "<p>⑤."
                           "发现BUG请尝试更新软件至最新版。仍无法解决问题，请联系作者，软件仍在不断"
                           "完善中（联系方式见“关于”）。</p>"
                           "<p><b>由于未联网或其他原因以上内容不是最新请以联网时为准</b></p>");
        QCOMPARE(
            BuiltInHelpPage(),
            (QStringList{
                QStringLiteral("<body style=\"border:0;margin:0;\">"),
                QStringLiteral("<h3>【帮-助】</h3>"),
                QStringLiteral("<p>①.该软件可查询六千多种中药材，性能、别名、适应症等。</p>"),
                QStringLiteral("<p>②.首次使用该软件需大约1-3分钟更新时间（视网速而定）。</p>"),
                QStringLiteral("<p>④.在输入框内输入要查询的完整或部分中药名后单击“查询”按钮。</p>"),
                QStringLiteral("<p>⑤."
                               "发现BUG请尝试更新软件至最新版。仍无法解决问题，请联系作者，软件仍在"
                               "不断完善中（联系方式见“关于”）。</p>"),
                QStringLiteral(
                    "<p><b>由于未联网或其他原因以上内容不是最新请以联网时为准</b></p>")}));
        WaitForDocumentContaining(*help->WebBrowser1, QStringLiteral("以上内容不是最新"));
        QCOMPARE(EvaluateInView(*help->WebBrowser1, QStringLiteral("document.body.innerHTML")),
                 helpBody);
        QCOMPARE(EvaluateInView(*help->WebBrowser1,
                                QStringLiteral("document.body.getAttribute('style')")),
                 QStringLiteral("border:0;margin:0;"));

        // About is in the cloud: written unchanged, in one piece; the help window is gone.
        w->form->关于->trigger();
        QTRY_VERIFY(!help);
        Form3* about = w->form->Info()->Current();
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        const QString html =
            WaitForDocumentContaining(*about->WebBrowser1, QStringLiteral("远程关于"));
        QVERIFY(!html.contains(QStringLiteral("以上内容不是最新")));
        QVERIFY(!html.contains(QStringLiteral("font-size:17px")));
    }

    void aFailedPdfSaveNamesTheFileInEveryWindowThatOffersIt() {
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->form->帮助->trigger();
        Form3* help = w->form->Info()->Current();
        QVERIFY(help);
        WaitForDocumentContaining(*help->WebBrowser1, QStringLiteral("以上内容不是最新"));
        Form4* browsing =
            RouteNewWindow(QUrl(QStringLiteral("about:blank")), QIcon(), TestProfile());
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(*browsing->WebBrowser1, QStringLiteral("document.readyState")),
            QStringLiteral("complete"), 10000);
        QTemporaryDir dir;
        for (QWidget* window : {static_cast<QWidget*>(help), static_cast<QWidget*>(browsing)}) {
            auto* reading = window->findChild<ViewActions*>();
            QVERIFY(reading);
            MessageBoxAnswerer answerer;
            const QString nowhere = dir.filePath(QStringLiteral("missing/帮助.pdf"));
            reading->SavePdfTo(nowhere);
            QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), 1, 30000);
            QCOMPARE(answerer.seen()[0].text,
                     QStringLiteral("无法保存 PDF “%1”：文件夹不存在").arg(nowhere));
            QCOMPARE(answerer.seen()[0].title, QStringLiteral("Qinglan"));
        }
    }

    void builtInAboutPageRows() {
        Config config = Config::Compiled();
        config.webSearchUrl = QStringLiteral("http://s/s?wd=");
        config.authorName = QStringLiteral("Vorin");
        config.authorNote = QStringLiteral("等");
        config.authorEmail = QStringLiteral("v@e.org");
        config.authorQQ = QStringLiteral("123");
        config.authorPhone = QStringLiteral("456");
        const QStringList rows = BuiltInAboutPage(config);
        QCOMPARE(
            rows,
            (QStringList{
                QStringLiteral("<body style=\"border:0;margin:0;font-size:17px;\">"),
                QStringLiteral("<p>【关-于】</p>"),
                QStringLiteral("<p>名称：<a href=\"http://s/s?wd=《Qinglan》\" target=\"_blank\" "
                               "style=\"text-decoration:none;color:#000000\">《Qinglan》</a></p>"),
                QStringLiteral("<p>作者：<a href=\"http://s/s?wd=Vorin\" target=\"_blank\" "
                               "style=\"text-decoration:none;color:#000000\">Vorin</a>等</p>"),
                QStringLiteral("<p>邮箱：<a href=\"mailto:v@e.org\" "
                               "style=\"text-decoration:none;color:#000000\">"
                               "v@e.org</a></p>"),
                QStringLiteral("<p>Q Q ：123</p>"), QStringLiteral("<p>电话：456</p>"),
                QStringLiteral(
                    "<p><b>由于未联网或其他原因以上内容不是最新请以联网时为准</b></p>")}));
    }

    void versionText() {
        const VersionFile v =
            ParseVersionFile(QStringLiteral("最新版本：2.0.0.9\r\n更新内容：修正"));
        QCOMPARE(v.latest, QStringLiteral("2.0.0.9"));
        QCOMPARE(v.notes, QStringLiteral("修正"));
        QCOMPARE(ParseVersionFile(QStringLiteral("12345")).latest, QString());
        QCOMPARE(ParseVersionFile(QStringLiteral("最新版本：2.0")).latest, QStringLiteral("2.0"));
        QVERIFY(VersionBefore(QStringLiteral("2.0.0.8"), QStringLiteral("2.0.0.9")));
        QVERIFY(!VersionBefore(QStringLiteral("2.0.0.8"), QStringLiteral("2.0.0.8")));
        QVERIFY(!VersionBefore(QStringLiteral("2.0.0.8"), QStringLiteral("2.0.0.7")));
        QVERIFY(!VersionBefore(QStringLiteral("2.0.0.8"), QString()));
        QVERIFY(VersionBefore(QStringLiteral("2.0"), QStringLiteral("2.0.0.8")));
        QVERIFY(!IsPlainVersion(QStringLiteral("../../x")));
        QVERIFY(!IsPlainVersion(QStringLiteral("a/b")));
        QVERIFY(!IsPlainVersion(QStringLiteral("a\\b")));
        QVERIFY(IsPlainVersion(QStringLiteral("2.0.0.9")));
    }

    void newerVersionAsksAndSaves() {
        QVERIFY(Serve("最新版本：2.0.0.9\r\n更新内容：修正若干问题"));
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        const QString saved = w->app.filePath(ExecutableName(QStringLiteral("2.0.0.9")));
        { // No: nothing changes.
            MessageBoxAnswerer answerer({QMessageBox::No});
            w->Update();
            QCOMPARE(answerer.seen().size(), 1);
            const auto& box = answerer.seen()[0];
            QCOMPARE(box.text,
                     QStringLiteral(
                         "\r\n当前版本：2.0.0.8\r\n最新版本：2.0.0.9\r\n更新内容：修正若干问题"
                         "\r\n\r\n是否下载最新版？"));
            QCOMPARE(box.title, QStringLiteral("更新提示"));
            QCOMPARE(box.icon, QMessageBox::Question);
            QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.defaultButton, QMessageBox::Yes);
            QVERIFY(!QFileInfo::exists(saved));
            QCOMPARE(w->terminated, 0);
        }
        { // Yes: the executable is saved beside the program, runnable, and the program ends.
            MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
            w->Update();
            QCOMPARE(answerer.seen().size(), 2);
            QCOMPARE(answerer.seen()[1].text,
                     QStringLiteral("更新成功！\r\n最新版被保存至") + saved +
                         QStringLiteral("请退出当前版并删除再运行最新版。"));
            QCOMPARE(answerer.seen()[1].icon, QMessageBox::NoIcon);
            QCOMPARE(ReadAll(saved), Executable);
            QVERIFY(QFileInfo(saved).isExecutable());
            QCOMPARE(w->terminated, 1);
        }
        { // A file already there is taken as the update: no download.
            QFile file(saved);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.close();
            const QString exe = GetItemUrl(m_cloud.ItemsBaseUrl() + QStringLiteral("17"),
                                           ExecutableName(QStringLiteral("2.0.0.9")));
            const QString exeRequest =
                QStringLiteral("GET /items/TESTOWNER!") + exe.section(u'!', 1) + u' ';
            const int downloads = m_cloud.CountRequests(exeRequest);
            QCOMPARE(downloads, 1);
            MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
            w->Update();
            QCOMPARE(answerer.seen().size(), 2);
            QCOMPARE(ReadAll(saved), QByteArray());
            QCOMPARE(w->terminated, 2);
            QCOMPARE(m_cloud.CountRequests(exeRequest), downloads);
        }
    }

    void aSignedUpdateIsSavedAndAnyOtherIsRefused() {
        QTemporaryDir keys;
        const auto keygen = [&](const QString& name) {
            QProcess tool;
            tool.start(CloudToolPath(), {QStringLiteral("keygen"), keys.filePath(name)});
            tool.waitForFinished(30000);
            return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
        };
        const QString publicKey = keygen(QStringLiteral("ours.key"));
        const QString otherKey = keygen(QStringLiteral("theirs.key"));
        QVERIFY(!publicKey.isEmpty() && !otherKey.isEmpty());
        const QByteArray versionFile("最新版本：2.0.0.9\r\n更新内容：修正");
        QVERIFY(m_cloud.Publish(Library(versionFile), nullptr,
                                keys.filePath(QStringLiteral("ours.key"))));
        Config config = InfoConfig(m_cloud.ItemsBaseUrl());
        config.updatePublicKey = publicKey;
        const QString name = ExecutableName(QStringLiteral("2.0.0.9"));

        // Signed by our key: saved, as without a key. What lay at the save path (an
        // empty file a browser left there, a link) is never taken for the update:
        // the checked bytes replace it, and a link's target stays as it was.
        for (const bool link : {false, true}) {
            Window w(config);
            QVERIFY(w.Open());
            const QString saved = w.app.filePath(name);
            const QString victim = w.temp.filePath(QStringLiteral("victim"));
            QVERIFY(WriteFile(victim, "victim"));
            if (link)
                QVERIFY(QFile::link(victim, saved));
            else
                QVERIFY(WriteFile(saved, QByteArray()));
            MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
            w.Update();
            QCOMPARE(answerer.seen().size(), 2);
            QVERIFY(answerer.seen()[1].text.startsWith(QStringLiteral("更新成功！")));
            QVERIFY(!QFileInfo(saved).isSymLink());
            QCOMPARE(ReadAll(saved), Executable);
            QVERIFY(QFileInfo(saved).isExecutable());
            QCOMPARE(ReadAll(victim), QByteArray("victim"));
            QCOMPARE(w.terminated, 1);
        }
        // Each forgery gives the failure box and leaves no file.
        const QString folder = m_cloud.ItemsBaseUrl() + QStringLiteral("17");
        const QString stored = m_cloud.storePath() + QStringLiteral("/items/TESTOWNER!") +
                               FindListedItem(TryHttpGetText(folder), name)->ResourceID;
        const auto refused = [&](const Config& settings, const char* why) {
            Window w(settings);
            QVERIFY(w.Open());
            // A file already at the save path does not make a refused update a success.
            QVERIFY(WriteFile(w.app.filePath(name), "left by a browser"));
            MessageBoxAnswerer answerer({QMessageBox::Yes});
            w.Update();
            QVERIFY2(answerer.seen().size() == 2, why);
            QCOMPARE(answerer.seen()[1].title, QStringLiteral("更新失败"));
            QCOMPARE(answerer.seen()[1].text, QStringLiteral("获取更新信息失败，请检测网络连接。"));
            QCOMPARE(QDir(w.app.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
            QCOMPARE(ReadAll(w.app.filePath(name)), QByteArray("left by a browser"));
            QCOMPARE(w.terminated, 0);
            // That version is not offered again in this run.
            w.Update();
            QCOMPARE(answerer.seen().size(), 3);
            QCOMPARE(answerer.seen()[2].title, QStringLiteral("更新失败"));
        };
        Config other = config;
        other.updatePublicKey = otherKey;
        refused(other, "a key of another publisher");
        QByteArray bytes = ReadAll(stored);
        bytes[3] = char(bytes[3] ^ 0x20);
        QVERIFY(WriteFile(stored, bytes));
        refused(config, "a flipped byte");
        QVERIFY(m_cloud.Publish(Library(versionFile))); // published without signatures
        refused(config, "no .sig");
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }

    void anInstalledProgramSavesTheUpdateToTheDownloadFolder() {
        QVERIFY(Serve("最新版本：2.0.0.9\r\n更新内容：修正"));
        QTemporaryDir app, temp, home;
        const Config config = InfoConfig(m_cloud.ItemsBaseUrl());
        const QString share = home.filePath(QStringLiteral("share"));
        int terminated = 0;
        const auto check = [&](const QString& downloads, const QString& expectedBox) {
            Form1 form(config, Environment::For(app.path(), temp.path(), false, share, downloads),
                       TestProfile());
            connect(&form, &Form1::TerminateRequested, [&] { ++terminated; });
            form.Timer1->setInterval(3600000);
            QVERIFY(form.Open());
            QTRY_VERIFY(form.isVisible());
            MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
            QSignalSpy ended(&form, &Form1::UpdateCheckEnded);
            form.更新->trigger();
            QTRY_VERIFY(ended.size() == 1);
            QCOMPARE(answerer.seen().size(), 2);
            QCOMPARE(answerer.seen()[1].text, expectedBox);
        };
        // The download folder is made when missing.
        const QString downloads = home.filePath(QStringLiteral("Downloads"));
        const QString saved = downloads + u'/' + ExecutableName(QStringLiteral("2.0.0.9"));
        check(downloads, QStringLiteral("更新成功！\r\n最新版被保存至") + saved +
                             QStringLiteral("请退出当前版并删除再运行最新版。"));
        QCOMPARE(ReadAll(saved), Executable);
        QCOMPARE(QDir(app.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(terminated, 1);

        // A download folder that cannot be made is named; the network is not blamed.
        QVERIFY(WriteFile(home.filePath(QStringLiteral("blocked")), "a file in the way"));
        const QString blocked = home.filePath(QStringLiteral("blocked/Downloads"));
        check(blocked, QStringLiteral("无法将最新版保存至“%1”：路径中有同名文件").arg(blocked));
        QCOMPARE(terminated, 1);
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }

    void sameOlderShortAndUnusableVersions_data() {
        QTest::addColumn<QByteArray>("versionFile");
        QTest::addColumn<QString>("box");
        QTest::newRow("same") << QByteArray("最新版本：2.0.0.8\r\n更新内容：") << "已经是最新版";
        QTest::newRow("older") << QByteArray("最新版本：2.0.0.7\r\n更新内容：") << "已经是最新版";
        QTest::newRow("short") << QByteArray("12345") << "已经是最新版";
        QTest::newRow("leaves its folder") << QByteArray("最新版本：../../x\r\n更新内容：")
                                           << "获取更新信息失败，请检测网络连接。";
    }

    void sameOlderShortAndUnusableVersions() {
        QFETCH(QByteArray, versionFile);
        QFETCH(QString, box);
        QVERIFY(Serve(versionFile));
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        MessageBoxAnswerer answerer;
        w->Update();
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].text, box);
        QCOMPARE(w->terminated, 0);
        QCOMPARE(QDir(w->app.path()).entryList(QDir::Files), QStringList());
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }

    void anUnreachableUpdateFolderFailsAlsoWhenAsked() {
        auto offline = Open(Offline());
        QVERIFY(offline);
        MessageBoxAnswerer answerer;
        offline->Update();
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].title, QStringLiteral("更新失败"));
        QCOMPARE(answerer.seen()[0].icon, QMessageBox::Information);
        QCOMPARE(answerer.seen()[0].text, QStringLiteral("获取更新信息失败，请检测网络连接。"));
    }

    void silentFlagAcrossChecks() {
        // The automatic check finds nothing new: silent, and the flag is cleared.
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
        MessageBoxAnswerer answerer;
        auto same = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(same);
        same->form->OnTimer1();
        QTRY_VERIFY(same->checks == 1);
        QCOMPARE(answerer.seen().size(), 0);
        QCOMPARE(same->form->Timer1Tag(), QString());
        same->Update(); // from the menu it speaks
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].text, QStringLiteral("已经是最新版"));

        // An automatic check that failed keeps the flag: the next menu check that
        // finds nothing new stays silent once and clears it; the one after speaks.
        QVERIFY(Serve(QByteArray())); // no version file in the folder
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->form->OnTimer1();
        QTRY_VERIFY(w->checks == 1);
        QCOMPARE(answerer.seen().size(), 2);
        QCOMPARE(answerer.seen()[1].title, QStringLiteral("更新失败")); // also when automatic
        QCOMPARE(w->form->Timer1Tag(), QStringLiteral("1"));
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
        w->Update();
        QCOMPARE(answerer.seen().size(), 2);
        QCOMPARE(w->form->Timer1Tag(), QString());
        w->Update();
        QCOMPARE(answerer.seen().size(), 3);
        QCOMPARE(answerer.seen()[2].text, QStringLiteral("已经是最新版"));
    }

    void announcementLines() {
        Announcement a =
            ParseAnnouncement(QStringLiteral("公告：新版发布\r\n网址：http://x/y\r\n第三行"));
        QCOMPARE(a.caption, QStringLiteral("新版发布"));
        QCOMPARE(a.url, QStringLiteral("http://x/y"));
        a = ParseAnnouncement(QStringLiteral("公告：标题\r\n网址："));
        QCOMPARE(a.caption, QStringLiteral("标题"));
        QCOMPARE(a.url, QString());
        a = ParseAnnouncement(QStringLiteral("公告：\r\n网址：http://x"));
        QCOMPARE(a.caption, QString());
        QCOMPARE(a.url, QStringLiteral("http://x"));
        QCOMPARE(ParseAnnouncement(QStringLiteral("公告：仅一行")).url, QString());
    }

    void announcementAddresses_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("opened"); // empty: never handed to a browser
        QTest::newRow("http") << "http://example.org/a?b=1"
                              << "http://example.org/a?b=1";
        QTest::newRow("https, any case") << "HTTPS://Example.org/x"
                                         << "https://example.org/x";
        QTest::newRow("no scheme") << "www.example.org/x"
                                   << "http://www.example.org/x";
        QTest::newRow("host and port") << "example.org:8080/x"
                                       << "http://example.org:8080/x";
        QTest::newRow("spaces around") << " http://example.org/ "
                                       << "http://example.org/";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "";
        QTest::newRow("script") << "javascript:alert(1)"
                                << "";
        QTest::newRow("mail") << "mailto:a@example.org"
                              << "";
        QTest::newRow("other scheme") << "ftp://example.org/"
                                      << "";
        QTest::newRow("no host") << "http:///x"
                                 << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void announcementAddresses() {
        QFETCH(QString, written);
        QFETCH(QString, opened);
        QCOMPARE(AnnouncementAddress(written).toString(), opened);
    }

    void anAnnouncementThatIsNoWebAddressOpensNothing() {
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无",
                      "公告：本地文件\r\n网址：file:///etc/passwd\r\n"));
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        MessageBoxAnswerer answerer;
        w->form->OnTimer1();
        w->form->Timer2->setInterval(0);
        w->form->Timer2->start();
        QTRY_COMPARE_WITH_TIMEOUT(w->form->公告->text(), QStringLiteral("本地文件"), 10000);
        QVERIFY(w->form->公告->isEnabled()); // shown as the file says
        w->form->公告->trigger();
        QCOMPARE(w->opened, QList<QUrl>());
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }

    void timerChainRunsTheCheckThenTheAnnouncement() {
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无",
                      "公告：示例 & 更新\r\n网址：http://127.0.0.1:9/n\r\n"));
        MessageBoxAnswerer answerer;
        auto w = Open(m_cloud.ItemsBaseUrl(), true);
        QVERIFY(w);
        QVERIFY(w->form->HomePageFromCloud());
        QVERIFY(w->form->Timer1->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(w->form->公告->isEnabled(), 10000);
        QCOMPARE(w->form->公告->text(), QStringLiteral("示例 && 更新"));
        QCOMPARE(answerer.seen().size(), 0); // the automatic check found nothing new
        QVERIFY(!w->form->Timer1->isActive());
        QVERIFY(!w->form->Timer2->isActive());
        w->form->公告->trigger();
        QCOMPARE(w->opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:9/n"))});

        // 更新 before the first tick cancels the automatic check and the announcement.
        auto early = Open(m_cloud.ItemsBaseUrl(), true);
        QVERIFY(early);
        early->Update();
        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY(!early->form->Timer1->isActive());
        QVERIFY(!early->form->Timer2->isActive());
        QVERIFY(!early->form->公告->isEnabled());
        QVERIFY(early->form->公告->text().isEmpty());

        // Without the home page neither timer runs.
        auto offline = Open(Offline(), true);
        QVERIFY(offline);
        QVERIFY(!offline->form->Timer1->isActive());
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }
};

QINGLAN_TEST_MAIN(TestInfo)
#include "test_info.moc"
