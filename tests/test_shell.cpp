// The page builders, GBK page files and the HTML view's document writes.
#include "cloud/GbkText.h"
#include "shell/HtmlView.h"
#include "shell/Pages.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace qinglan;

class TestShell final : public QObject {
    Q_OBJECT

private slots:
    void buildersAreExact() {
        QCOMPARE(BodyOpen(QStringLiteral("border:0;margin:0;")),
                 QStringLiteral("<body style=\"border:0;margin:0;\">"));
        QCOMPARE(NewWindowLink(QStringLiteral("http://h/s?wd=甘草"), QStringLiteral("甘草")),
                 QStringLiteral("<a href=\"http://h/s?wd=甘草\" target=\"_blank\" "
                                "style=\"text-decoration:none;color:#000000\">甘草</a>"));
        QCOMPARE(
            EntryLink(QStringLiteral("人参")),
            QStringLiteral("<p><A HREF=# onClick=Tex1.value=this.id ID=\"人参\">人参</A></p>"));
        // Nothing inserted is escaped, not even quotes or markup.
        QCOMPARE(
            EntryLink(QStringLiteral("a\"<b>")),
            QStringLiteral("<p><A HREF=# onClick=Tex1.value=this.id ID=\"a\"<b>\">a\"<b></A></p>"));
    }

    void pageFileIsGbkWithCrLf() {
        QTemporaryDir dir;
        HtmlView view(TestProfile(), nullptr);
        const QString path = dir.filePath(QStringLiteral("page.html"));
        const QString html = QStringLiteral("<body><p id=t>中药 黄芪 ☃ end</p>");
        QVERIFY(ShowPageFile(view, path, html).isEmpty());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.endsWith("end</p>\r\n"));
        QVERIFY(bytes.contains("\xD6\xD0\xD2\xA9")); // 中药 in GBK
        const QString back = FromGbk(bytes);
        QVERIFY(back.contains(QStringLiteral("中药 黄芪")));
        QVERIFY(!back.contains(QStringLiteral("☃"))); // GBK cannot hold it

        // The view reads the file (which declares no charset) as GBK.
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(view, QStringLiteral("(document.getElementById('t')||{}).textContent")),
            FromGbk(ToGbk(QStringLiteral("中药 黄芪 ☃ end"))), 15000);

        // A second page replaces the first in the same file, and the view shows it.
        QVERIFY(ShowPageFile(view, path, QStringLiteral("<body><p id=t>第二页</p>")).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(view, QStringLiteral("(document.getElementById('t')||{}).textContent")),
            QStringLiteral("第二页"), 15000);
    }

    void pageFileThatCannotBeWrittenIsReportedAndKeepsTheOldPage() {
        HtmlView view(TestProfile(), nullptr);
        const QString error = ShowPageFile(view, QStringLiteral("/nonexistent-dir/x/page.html"),
                                           QStringLiteral("<body>"));
        QCOMPARE(error, QStringLiteral("“/nonexistent-dir/x/page.html”：文件夹不存在"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.html"));
        QVERIFY(WriteFile(path, "old page"));
        // A folder that takes no new file (immutable, which holds for root too).
        if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), dir.path()}) != 0)
            QSKIP("this file system cannot make a folder immutable");
        const QString failed = ShowPageFile(view, path, QStringLiteral("<body>new"));
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir.path()});
        QCOMPARE(failed, QStringLiteral("“%1”：没有写入权限").arg(path));
        QCOMPARE(ReadAll(path), QByteArray("old page"));
    }

    void aLinkPlantedAtThePageFileIsReplacedNotFollowed() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("victim.txt"));
        QVERIFY(WriteFile(target, "precious"));
        const QString page = dir.filePath(QStringLiteral("qnln1.html"));
        QVERIFY(QFile::link(target, page));
        HtmlView view(TestProfile(), nullptr);
        QVERIFY(ShowPageFile(view, page, QStringLiteral("<body>页")).isEmpty());
        QCOMPARE(ReadAll(target), QByteArray("precious"));
        QVERIFY(!QFileInfo(page).isSymLink());
        QCOMPARE(ReadAll(page), ToGbk(QStringLiteral("<body>页\r\n")));
        // A dangling link creates nothing at its target either.
        const QString nowhere = dir.filePath(QStringLiteral("created-through-link"));
        QVERIFY(QFile::remove(page));
        QVERIFY(QFile::link(nowhere, page));
        QVERIFY(ShowPageFile(view, page, QStringLiteral("<body>")).isEmpty());
        QVERIFY(!QFileInfo::exists(nowhere));
        // Nothing but the page and the victim stays in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("qnln1.html"), QStringLiteral("victim.txt")}));
    }

    void everyClickOnALinkToHashIsReported() {
        QTemporaryDir dir;
        HtmlView view(TestProfile(), nullptr);
        QSignalSpy completed(&view, &HtmlView::DocumentComplete);
        QVERIFY(ShowPageFile(view, dir.filePath(QStringLiteral("p.html")),
                             QStringLiteral("<body><A HREF=# id=a>a</A><A HREF=# id=b>b</A>"))
                    .isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 1, 15000); // the load
        for (int click = 1; click <= 4; ++click) {
            // The same link again, then the other: each click is one notification.
            EvaluateInView(view, click == 4
                                     ? QStringLiteral("document.getElementById('b').click()")
                                     : QStringLiteral("document.getElementById('a').click()"));
            QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 1 + click, 15000);
        }
        // A round trip through the page: whatever the clicks raised has arrived.
        QCOMPARE(EvaluateInView(view, QStringLiteral("'done'")), QStringLiteral("done"));
        QCOMPARE(completed.size(), 5);
    }

    void writesAppendAndSurviveTheBlankLoad() {
        const QStringList rows = {
            BodyOpen(QStringLiteral("border:0;margin:0;font-size:17px;background:#E0D2B5")),
            QStringLiteral("<br><center><h1>《Qinglan》</h1></center>"),
            QStringLiteral("<li>行一</li>"),
            QStringLiteral("<p align=\"right\">2012-12-10</p>"),
        };
        // Written row by row right after asking for the blank page...
        HtmlView rowByRow(TestProfile(), nullptr);
        rowByRow.Navigate2(QStringLiteral("about:blank"));
        for (const QString& row : rows)
            WritePage(rowByRow, row);
        // ...and all at once.
        HtmlView atOnce(TestProfile(), nullptr);
        atOnce.Navigate2(QStringLiteral("about:blank"));
        WritePage(atOnce, rows.join(QString()));

        const QString a = WaitForDocumentContaining(rowByRow, QStringLiteral("2012-12-10"));
        const QString b = WaitForDocumentContaining(atOnce, QStringLiteral("2012-12-10"));
        QVERIFY(a.contains(QStringLiteral("2012-12-10")));
        QCOMPARE(a, b);
        QVERIFY(a.contains(QStringLiteral("<body style=\"border:0;margin:0;font-size:17px;"
                                          "background:#E0D2B5\">")));
        // A later write appends to the same document.
        WritePage(atOnce, QStringLiteral("<p>追加</p>"));
        const QString c = WaitForDocumentContaining(atOnce, QStringLiteral("追加"));
        QVERIFY(c.indexOf(QStringLiteral("2012-12-10")) < c.indexOf(QStringLiteral("追加")));
    }

    void elementValueAndMissingElement() {
        HtmlView view(TestProfile(), nullptr);
        view.Navigate2(QStringLiteral("about:blank"));
        WritePage(view, QStringLiteral("<body><input ID='Tex1' value='当归'>"));
        WaitForDocumentContaining(view, QStringLiteral("Tex1"));
        QString value = QStringLiteral("unset");
        view.ElementValue(QStringLiteral("Tex1"), [&](const QString& v) { value = v; });
        QTRY_COMPARE(value, QStringLiteral("当归"));
        value = QStringLiteral("unset");
        view.ElementValue(QStringLiteral("Nope"), [&](const QString& v) { value = v; });
        QTRY_COMPARE(value, QString());
    }

    void pageFilesSeeTheirTileAndNoOtherLocalFile() {
        QTemporaryDir dir;
        QFile tile(QStringLiteral(":/qinglan/QNLNBJ1.JPG"));
        QVERIFY(tile.open(QIODevice::ReadOnly));
        const QByteArray jpeg = tile.readAll();
        for (const char* name : {"QNLNBJ1.JPG", "other.jpg"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(jpeg);
        }
        QFile secret(dir.filePath(QStringLiteral("secret.txt")));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("secret");
        secret.close();

        HtmlView view(TestProfile(), nullptr);
        const QString page = QStringLiteral(
            "<body><img id=tile src=QNLNBJ1.JPG><img id=other src=other.jpg><p id=r>wait</p>"
            "<script>var x=new XMLHttpRequest();x.open('GET','secret.txt');"
            "x.onload=()=>{r.textContent='read:'+x.responseText};"
            "x.onerror=()=>{r.textContent='refused'};x.send();</script>");
        QVERIFY(ShowPageFile(view, dir.filePath(QStringLiteral("page.html")), page).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(view, QStringLiteral("document.getElementById('r').textContent")),
            QStringLiteral("refused"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(
            EvaluateInView(view,
                           QStringLiteral("String(document.getElementById('tile').naturalWidth)")),
            QStringLiteral("66"), 15000);
        QCOMPARE(EvaluateInView(
                     view, QStringLiteral("String(document.getElementById('other').naturalWidth)")),
                 QStringLiteral("0"));
    }

    void newWindowIsReportedAndNothingOpens() {
        HtmlView view(TestProfile(), nullptr);
        view.resize(400, 300);
        view.show();
        QSignalSpy spy(&view, &HtmlView::NewWindow);
        view.Navigate2(QStringLiteral("about:blank"));
        WritePage(view, QStringLiteral("<body>") +
                            NewWindowLink(QStringLiteral("http://127.0.0.1:9/x?wd=甘草"),
                                          QStringLiteral("link"))
                                .replace(QStringLiteral("<a "), QStringLiteral("<a id=l ")));
        WaitForDocumentContaining(view, QStringLiteral("id=\"l\""));
        const int windowsBefore = QApplication::topLevelWidgets().size();
        EvaluateInView(view, QStringLiteral("document.getElementById('l').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 10000);
        QCOMPARE(spy.at(0).at(0).toUrl().host(), QStringLiteral("127.0.0.1"));
        // A round trip through the page: the click has been handled in full.
        QCOMPARE(EvaluateInView(view, QStringLiteral("location.href")),
                 QStringLiteral("about:blank"));
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
        QCOMPARE(view.url().toString(), QStringLiteral("about:blank"));
    }
};

QINGLAN_TEST_MAIN(TestShell)
#include "test_shell.moc"
