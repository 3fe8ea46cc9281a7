// Browsing windows, help and about, the update check, the announcement and the
// start-up timer chain, against a served cloud.
#include "CloudServer.h"
#include "Form1.h"
#include "Form3.h"
#include "Form4.h"
#include "HtmlView.h"
#include "InfoPages.h"
#include "InfoWindow.h"
#include "Listing.h"
#include "MessageBoxAnswerer.h"
#include "Pages.h"
#include "RawHttpServer.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "Versions.h"
#include "ViewProbe.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
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

const QByteArray Executable("\x7f" "ELF fake executable", 20);

TestLibrary Library(const QByteArray& versionFile, const QByteArray& notice = {}) {
    TestLibrary library;
    library.folders = {
        {QStringLiteral("home"), 13, {{QStringLiteral("主页.html"), QByteArray("<body><p>云端主页</p>")}}},
        {QStringLiteral("help"), 14, {}},
        {QStringLiteral("about"), 15, {{QStringLiteral("关于.html"), QByteArray("<html><body><p id=a>远程关于</p>")}}},
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

    struct Window {
        QTemporaryDir app, temp;
        std::unique_ptr<Form1> form;
        int terminated = 0;
        QList<QUrl> opened;
    };

    std::unique_ptr<Window> Open(const QString& base, bool startTimers = false) {
        auto w = std::make_unique<Window>();
        Config config = Config::Compiled();
        config.itemsBaseUrl = base;
        config.homeFolderId = 13;
        config.helpFolderId = 14;
        config.aboutFolderId = 15;
        config.noticeFolderId = 16;
        config.updateFolderId = 17;
        config.webSearchUrl = QStringLiteral("http://127.0.0.1:9/s?wd=");
        w->form = std::make_unique<Form1>(config, Environment{w->app.path(), w->temp.path()});
        w->form->TerminateProgram = [raw = w.get()] { ++raw->terminated; };
        w->form->OpenExternally = [raw = w.get()](const QUrl& url) { raw->opened << url; };
        w->form->Timer1->setInterval(startTimers ? 100 : 3600000);
        w->form->Timer2->setInterval(startTimers ? 100 : 3600000);
        return w->form->Open() ? std::move(w) : nullptr;
    }

    QString Offline() const { return QStringLiteral("http://127.0.0.1:%1/items/TESTOWNER!").arg(UnusedPort()); }

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
        WritePage(*w->form->WebBrowser1, QStringLiteral("<a id=m href='") + site.Url(QStringLiteral("/one")) +
                                             QStringLiteral("' target=_blank>x</a>"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("id=\"m\""));
        EvaluateInView(*w->form->WebBrowser1, QStringLiteral("document.getElementById('m').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(BrowsingWindows().size(), 1, 10000);
        Form4* first = BrowsingWindows().at(0);
        QTRY_COMPARE_WITH_TIMEOUT(first->windowTitle(), QStringLiteral("One - Vorin网页浏览"), 10000);
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
        Form4* w = RouteNewWindow(QUrl(QStringLiteral("about:blank")), QIcon());
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
            return RawHttpServer::Reply{RawHttpServer::Response(
                "200 OK", "<title>Go</title>", "Content-Type: text/html\r\n")};
        });
        w->Text1->setText(site.Url(QStringLiteral("/go")));
        w->Command1->click();
        QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), QStringLiteral("Go - Vorin网页浏览"), 10000);
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
        const QStringList rows = BuiltInHelpPage();
        QCOMPARE(rows.size(), 7);
        HtmlView reference;
        reference.Navigate2(QStringLiteral("about:blank"));
        WritePage(reference, rows.join(QString()));
        QCOMPARE(WaitForDocumentContaining(*help->WebBrowser1, QStringLiteral("以上内容不是最新")),
                 WaitForDocumentContaining(reference, QStringLiteral("以上内容不是最新")));

        // About is in the cloud: written unchanged, in one piece; the help window is gone.
        w->form->关于->trigger();
        QTRY_VERIFY(!help);
        Form3* about = w->form->Info()->Current();
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        const QString html = WaitForDocumentContaining(*about->WebBrowser1, QStringLiteral("远程关于"));
        QVERIFY(!html.contains(QStringLiteral("以上内容不是最新")));
        QVERIFY(!html.contains(QStringLiteral("font-size:17px")));
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
        QCOMPARE(rows, (QStringList{
            QStringLiteral("<body style=\"border:0;margin:0;font-size:17px;\">"),
            QStringLiteral("<p>【关-于】</p>"),
            QStringLiteral("<p>名称：<a href=\"http://s/s?wd=《Qinglan》\" target=\"_blank\" "
                           "style=\"text-decoration:none;color:#000000\">《Qinglan》</a></p>"),
            QStringLiteral("<p>作者：<a href=\"http://s/s?wd=Vorin\" target=\"_blank\" "
                           "style=\"text-decoration:none;color:#000000\">Vorin</a>等</p>"),
            QStringLiteral("<p>邮箱：<a href=\"mailto:v@e.org\" style=\"text-decoration:none;color:#000000\">"
                           "v@e.org</a></p>"),
            QStringLiteral("<p>Q Q ：123</p>"),
            QStringLiteral("<p>电话：456</p>"),
            QStringLiteral("<p><b>由于未联网或其他原因以上内容不是最新请以联网时为准</b></p>")}));
    }

    void versionText() {
        const VersionFile v = ParseVersionFile(QStringLiteral("最新版本：2.0.0.9\r\n更新内容：修正"));
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
        {   // No: nothing changes.
            MessageBoxAnswerer answerer({QMessageBox::No});
            w->form->更新->trigger();
            QCOMPARE(answerer.seen().size(), 1);
            const auto& box = answerer.seen()[0];
            QCOMPARE(box.text, QStringLiteral("\r\n当前版本：2.0.0.8\r\n最新版本：2.0.0.9\r\n更新内容：修正若干问题"
                                              "\r\n\r\n是否下载最新版？"));
            QCOMPARE(box.title, QStringLiteral("更新提示"));
            QCOMPARE(box.icon, QMessageBox::Question);
            QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.defaultButton, QMessageBox::Yes);
            QVERIFY(!QFileInfo::exists(saved));
            QCOMPARE(w->terminated, 0);
        }
        {   // Yes: the executable is saved beside the program, runnable, and the program ends.
            MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
            w->form->更新->trigger();
            QCOMPARE(answerer.seen().size(), 2);
            QCOMPARE(answerer.seen()[1].text, QStringLiteral("更新成功！\r\n最新版被保存至") + saved +
                                                  QStringLiteral("请退出当前版并删除再运行最新版。"));
            QCOMPARE(answerer.seen()[1].icon, QMessageBox::NoIcon);
            QCOMPARE(ReadAll(saved), Executable);
            QVERIFY(QFileInfo(saved).isExecutable());
            QCOMPARE(w->terminated, 1);
        }
        {   // A file already there is taken as the update: no download.
            QFile file(saved);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.close();
            const QString exe = GetItemUrl(m_cloud.ItemsBaseUrl() + QStringLiteral("17"),
                                           ExecutableName(QStringLiteral("2.0.0.9")));
            const QString exeRequest = QStringLiteral("GET /items/TESTOWNER!") + exe.section(u'!', 1) + u' ';
            QTest::qWait(200);
            const int downloads = m_cloud.CountRequests(exeRequest);
            QCOMPARE(downloads, 1);
            MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
            w->form->更新->trigger();
            QTest::qWait(200);
            QCOMPARE(answerer.seen().size(), 2);
            QCOMPARE(ReadAll(saved), QByteArray());
            QCOMPARE(w->terminated, 2);
            QCOMPARE(m_cloud.CountRequests(exeRequest), downloads);
        }
    }

    void anInstalledProgramSavesTheUpdateToTheDownloadFolder() {
        QVERIFY(Serve("最新版本：2.0.0.9\r\n更新内容：修正"));
        QTemporaryDir app, temp, home;
        Config config = Config::Compiled();
        config.itemsBaseUrl = m_cloud.ItemsBaseUrl();
        config.homeFolderId = 13;
        config.updateFolderId = 17;
        const QString downloads = home.filePath(QStringLiteral("Downloads"));
        QVERIFY(QDir().mkpath(downloads));
        Form1 form(config, Environment::For(app.path(), temp.path(), false, home.filePath(QStringLiteral("share")),
                                            downloads));
        int terminated = 0;
        form.TerminateProgram = [&] { ++terminated; };
        form.Timer1->setInterval(3600000);
        QVERIFY(form.Open());
        MessageBoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
        form.更新->trigger();
        const QString saved = downloads + u'/' + ExecutableName(QStringLiteral("2.0.0.9"));
        QCOMPARE(answerer.seen().size(), 2);
        QVERIFY(answerer.seen()[1].text.contains(QStringLiteral("最新版被保存至") + saved));
        QCOMPARE(ReadAll(saved), Executable);
        QCOMPARE(QDir(app.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(terminated, 1);
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }

    void sameOlderShortAndUnusableVersions() {
        struct Case { QByteArray file; QString expectedBox; };
        const QList<Case> cases = {
            {"最新版本：2.0.0.8\r\n更新内容：", QStringLiteral("已经是最新版")},
            {"最新版本：2.0.0.7\r\n更新内容：", QStringLiteral("已经是最新版")},
            {"12345", QStringLiteral("已经是最新版")},
            {"最新版本：../../x\r\n更新内容：", QStringLiteral("获取更新信息失败，请检测网络连接。")},
        };
        for (const Case& c : cases) {
            QVERIFY(Serve(c.file));
            auto w = Open(m_cloud.ItemsBaseUrl());
            QVERIFY(w);
            MessageBoxAnswerer answerer;
            w->form->更新->trigger();
            QCOMPARE(answerer.seen().size(), 1);
            QCOMPARE(answerer.seen()[0].text, c.expectedBox);
            QCOMPARE(w->terminated, 0);
            QCOMPARE(QDir(w->app.path()).entryList(QDir::Files), QStringList());
        }
        auto offline = Open(Offline());
        QVERIFY(offline);
        MessageBoxAnswerer answerer;
        offline->form->更新->trigger();
        QCOMPARE(answerer.seen().size(), 1);
        QCOMPARE(answerer.seen()[0].title, QStringLiteral("更新失败"));
        QCOMPARE(answerer.seen()[0].icon, QMessageBox::Information);
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
    }

    void silentFlagAcrossChecks() {
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无"));
        auto w = Open(m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        MessageBoxAnswerer answerer;
        w->form->Timer1Tag = QStringLiteral("1");
        w->form->CheckForUpdate(); // automatic, same version: silent
        QCOMPARE(answerer.seen().size(), 0);
        QCOMPARE(w->form->Timer1Tag, QString());

        // An automatic check that failed leaves the flag: the next menu check that
        // finds nothing new stays silent once, then speaks again.
        auto offline = Open(Offline());
        QVERIFY(offline);
        offline->form->Timer1Tag = QStringLiteral("1");
        offline->form->CheckForUpdate();
        QCOMPARE(answerer.seen().size(), 1); // "更新失败", also when automatic
        QCOMPARE(offline->form->Timer1Tag, QStringLiteral("1"));
    }

    void announcementLines() {
        Announcement a = ParseAnnouncement(QStringLiteral("公告：新版发布\r\n网址：http://x/y\r\n第三行"));
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

    void timerChainRunsTheCheckThenTheAnnouncement() {
        QVERIFY(Serve("最新版本：2.0.0.8\r\n更新内容：无", "公告：示例 & 更新\r\n网址：http://127.0.0.1:9/n\r\n"));
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
        early->form->更新->trigger();
        QCOMPARE(answerer.seen().size(), 1);
        QTest::qWait(500);
        QCOMPARE(answerer.seen().size(), 1);
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
