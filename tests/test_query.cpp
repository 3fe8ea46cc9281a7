// The query in the main window against a served cloud: caching, pictures,
// offline pages, entry links, contents and find.
#include "app/Form1.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "search/FindBar.h"
#include "search/QueryRunner.h"
#include "search/SuggestionBox.h"
#include "shell/HtmlView.h"
#include "tests/support/CloudServer.h"
#include "tests/support/MainWindow.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/RawHttpServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace qinglan;

namespace {

TestLibrary Library() {
    TestLibrary library;
    library.folders = {
        {QStringLiteral("data"),
         21,
         {{QStringLiteral("0001人参.html"), QByteArray("<h2>人参</h2><p>大补元气</p>")},
          {QStringLiteral("0002人参叶.html"), QByteArray("<p>人参叶</p>")},
          {QStringLiteral("0003甘草.html"), QByteArray("<p>甘草</p>")},
          {QStringLiteral("0004空.html"), QByteArray()}}},
        {QStringLiteral("pictures"),
         22,
         {{QStringLiteral("人参.JPG"), QByteArray("J")},
          {QStringLiteral("人参.jpg"), QByteArray("j")},
          {QStringLiteral("甘草.JPG"), QByteArray("G")},
          {QStringLiteral("暂无图片.jpg"), QByteArray("none")}}},
    };
    return library;
}

} // namespace

class TestQuery final : public QObject {
    Q_OBJECT

    CloudServer m_cloud;
    QString m_index; // ML text of the served data folder

    std::unique_ptr<MainWindow> Open(const QString& index, const QString& base) {
        Config config = TestConfig(base);
        config.pictureFolderId = 22;
        config.homeFolderId = 23;
        auto w = std::make_unique<MainWindow>(config);
        if (!w->WriteIndex(index) || !w->Open())
            return nullptr;
        return w;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_cloud.Publish(Library()));
        QVERIFY(m_cloud.Start());
        m_index = IndexTextOf(TryHttpGetText(m_cloud.ItemsBaseUrl() + QStringLiteral("21")));
        QCOMPARE(m_index.count(QStringLiteral(" - ")), 4);
    }

    void exactMatchIsDownloadedOnceThenReadFromTheDataFolder() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->Query(QStringLiteral("人参"));
        QVERIFY(w->form->Command1->isEnabled());
        const QString jpg =
            GetItemUrl(m_cloud.ItemsBaseUrl() + QStringLiteral("22"), QStringLiteral("人参.jpg"));
        const QString expected =
            QStringLiteral(
                "<body style=\"border:0;margin:0;background:url(QNLNBJ1.JPG)\">"
                "<input ID='Tex1' style='visibility:hidden;position:absolute'><img src='") +
            jpg +
            QStringLiteral(
                "'><br><h2>人参</h2><p>大补元气</p><hr><h2>人参相关：</h2>"
                "<p><A HREF=# onClick=Tex1.value=this.id ID=\"人参\">人参</A></p>"
                "<p><A HREF=# onClick=Tex1.value=this.id ID=\"人参叶\">人参叶</A></p>\r\n");
        QCOMPARE(w->Page(), expected);
        QCOMPARE(ReadAll(w->Data(QStringLiteral("人参.html"))),
                 ToGbk(QStringLiteral("<h2>人参</h2><p>大补元气</p>")));
        const QString number = m_index.section(QStringLiteral("\r\n"), 1, 1).section(u' ', 0, 0);
        const int requests = m_cloud.CountRequests(QStringLiteral("!") + number + u' ');
        QCOMPARE(requests, 1);
        w->Query(QStringLiteral("人参"));
        QCOMPARE(m_cloud.CountRequests(QStringLiteral("!") + number + u' '), 1);
        QCOMPARE(w->Page(), expected);
        // The view shows the page file with its tile beside it.
        const QString html =
            WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("大补元气"));
        QVERIFY(html.contains(QStringLiteral("人参叶")));
    }

    void theEntryAndThePictureFolderAreAskedForTogetherAndEitherMayFail() {
        const std::string listing =
            "<Items><ItemType>Photo</ItemType>\r\n      <ResourceID>O!77</ResourceID>"
            "\r\n      <RelationshipName>暂无图片.jpg</RelationshipName>";
        const QString head =
            QStringLiteral("<body style=\"border:0;margin:0;background:url(QNLNBJ1.JPG)\">"
                           "<input ID='Tex1' style='visibility:hidden;position:absolute'>");
        const QString index = QStringLiteral("\r\n5 - 0005黄芪.html\r\n");
        { // The picture folder fails: the entry, no picture.
            RecordingServer cloud(
                {{"/items/O!5", RawHttpServer::Response(
                                    "200 OK", ToGbk(QStringLiteral("<p>补气</p>")).toStdString())},
                 {"/items/O!22", RawHttpServer::Response("500 Internal Server Error", "no")}});
            auto w = Open(index, cloud.Url(QStringLiteral("/items/O!")));
            QVERIFY(w);
            w->Query(QStringLiteral("黄芪"));
            QCOMPARE(w->Page(), head + QStringLiteral("<p>补气</p>\r\n"));
            QVERIFY(cloud.Paths().contains(QStringLiteral("/items/O!5")));
            QVERIFY(cloud.Paths().contains(QStringLiteral("/items/O!22")));
        }
        { // The entry fails: the offline paragraph, with the placeholder picture.
            RecordingServer cloud(
                {{"/items/O!5", RawHttpServer::Response("500 Internal Server Error", "no")},
                 {"/items/O!22", RawHttpServer::Response("200 OK", listing)}});
            auto w = Open(index, cloud.Url(QStringLiteral("/items/O!")));
            QVERIFY(w);
            w->Query(QStringLiteral("黄芪"));
            QCOMPARE(w->Page(),
                     head + QStringLiteral("<img src='") +
                         cloud.Url(QStringLiteral("/items/O!77")) +
                         QStringLiteral("'><br><p>网络未连接，无法查询“黄芪”的信息。</p>\r\n"));
            QVERIFY(!QFileInfo::exists(w->Data(QStringLiteral("黄芪.html"))));
        }
    }

    void pictureLookupOrder() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        const QString folder = m_cloud.ItemsBaseUrl() + QStringLiteral("22");
        w->Query(QStringLiteral("甘草"));
        QVERIFY(w->Page().contains(QStringLiteral("<img src='") +
                                   GetItemUrl(folder, QStringLiteral("甘草.JPG")) + u'\''));
        w->Query(QStringLiteral("人参叶"));
        QVERIFY(w->Page().contains(QStringLiteral("<img src='") +
                                   GetItemUrl(folder, QStringLiteral("暂无图片.jpg")) + u'\''));
    }

    void cachedEntryOfflineHasNoPicture() {
        auto w = Open(m_index, OfflineItemsUrl());
        QVERIFY(w);
        QVERIFY(WriteFile(w->Data(QStringLiteral("甘草.html")),
                          ToGbk(QStringLiteral("<p>本地甘草</p>"))));
        w->Query(QStringLiteral("甘草"));
        QVERIFY(w->Page().endsWith(QStringLiteral("absolute'><p>本地甘草</p>\r\n")));
    }

    void failedOrEmptyEntriesLeaveNoFile() {
        // Not served (unknown number), cut off from the network, and an empty remote file.
        auto w =
            Open(QStringLiteral("\r\n999999 - 0009黄芪.html") + m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        // Only an entry that stays is announced to the content index.
        QSignalSpy stored(w->form->Query(), &QueryRunner::EntryStored);
        w->Query(QStringLiteral("黄芪"));
        QVERIFY(w->Page().contains(QStringLiteral("<p>网络未连接，无法查询“黄芪”的信息。</p>")));
        QVERIFY(!QFileInfo::exists(w->Data(QStringLiteral("黄芪.html"))));
        w->Query(QStringLiteral("空"));
        QVERIFY(w->Page().contains(QStringLiteral("无法查询“空”")));
        QVERIFY(!QFileInfo::exists(w->Data(QStringLiteral("空.html"))));
        QCOMPARE(stored.size(), 0);
        w->Query(QStringLiteral("甘草"));
        QCOMPARE(stored.size(), 1);

        auto offline = Open(m_index, OfflineItemsUrl());
        QVERIFY(offline);
        QVERIFY(WriteFile(offline->Data(QStringLiteral("甘草.html")), QByteArray()));
        offline->Query(QStringLiteral("甘草"));
        QVERIFY(offline->Page().contains(QStringLiteral("无法查询“甘草”")));
        QVERIFY(!QFileInfo::exists(offline->Data(QStringLiteral("甘草.html"))));
        QCOMPARE(QDir(offline->Data()).entryList(QDir::Files), QStringList{QStringLiteral("ML")});
    }

    void namesOutsideTheDataFolderAreNeverWritten() {
        RawHttpServer server([](const std::string&) {
            return RawHttpServer::Reply{RawHttpServer::Response("200 OK", "<p>evil</p>")};
        });
        auto w = Open(QStringLiteral("\r\n5 - 0001../../evil.html\r\n6 - 0002..\\evil.html\r\n"),
                      server.Url(QStringLiteral("/items/O!")));
        QVERIFY(w);
        w->Query(QStringLiteral("../../evil"));
        w->Query(QStringLiteral("..\\evil"));
        QVERIFY(w->Page().contains(QStringLiteral("无法查询")));
        QVERIFY(!QFileInfo::exists(w->app.filePath(QStringLiteral("evil.html"))));
        QVERIFY(!QFileInfo::exists(w->Data(QStringLiteral("..\\evil.html"))));
        // Listed all the same.
        w->Query(QStringLiteral("evil"));
        QVERIFY(w->Page().contains(QStringLiteral("ID=\"../../evil\"")));
    }

    void aClickedEntryLinkRunsOneQuery() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        HtmlView* view = w->form->WebBrowser1;
        // The address of every load of the view that ended, as it ended.
        QStringList loaded;
        QObject guard;
        connect(view, &HtmlView::DownloadComplete, &guard,
                [&] { loaded << view->url().toString(); });
        const auto shownPageHasLoaded = [&](qsizetype since) {
            return loaded.size() > since && loaded.last() == view->url().toString();
        };
        QSignalSpy pages(w->form->Query(), &QueryRunner::PageShown);
        w->Query(QStringLiteral("人参"));
        QCOMPARE(pages.size(), 1);
        WaitForDocumentContaining(*view, QStringLiteral("大补元气"));
        QTRY_VERIFY_WITH_TIMEOUT(shownPageHasLoaded(0), 15000);
        QCOMPARE(pages.size(), 1); // the fresh page's load runs nothing
        const qsizetype loadsBefore = loaded.size();
        EvaluateInView(*view, QStringLiteral("document.getElementById('人参叶').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 2, 15000);
        QCOMPARE(pages.at(1).at(0).toString(), QStringLiteral("人参叶"));
        QCOMPARE(w->form->Text1->text(), QStringLiteral("人参叶"));
        WaitForDocumentContaining(*view, QStringLiteral("<p>人参叶</p>"));
        QTRY_VERIFY_WITH_TIMEOUT(shownPageHasLoaded(loadsBefore), 15000);
        QCOMPARE(pages.size(), 2);
    }

    void aResultPageThatCannotBeWrittenIsReportedAndEveryClickStillCounts() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->Query(QStringLiteral("人参"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("大补元气"));
        // Something in the way of the page file: every later page fails to be written.
        QVERIFY(QFile::remove(w->ResultPageFile()));
        QVERIFY(QDir().mkdir(w->ResultPageFile()));
        MessageBoxAnswerer answerer;
        QSignalSpy failed(w->form->Query(), &QueryRunner::PageFailed);
        for (int click = 1; click <= 3; ++click) {
            // The same link on the same page, which stays: one query per click.
            EvaluateInView(*w->form->WebBrowser1,
                           QStringLiteral("document.getElementById('人参叶').click()"));
            QTRY_COMPARE_WITH_TIMEOUT(failed.size(), click, 15000);
            QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), click, 15000);
        }
        const auto& box = answerer.seen().last();
        QCOMPARE(box.title, QStringLiteral("Qinglan"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.text,
                 QStringLiteral("无法写入结果页“%1”：已有同名文件夹").arg(w->ResultPageFile()));
        QVERIFY(w->form->Command1->isEnabled());
        QVERIFY(EvaluateInView(*w->form->WebBrowser1, QStringLiteral("document.body.innerHTML"))
                    .contains(QStringLiteral("大补元气"))); // the previous page stays
        // The contents listing is reported the same way.
        w->form->目_录->trigger();
        QCOMPARE(answerer.seen().size(), 4);
        QVERIFY(w->form->目_录->isEnabled());
    }

    void closingTheWindowDuringAQueryStartsNothingMore() {
        // The exact match is the last line of a long index: the query pauses in
        // its scan before it gets there.
        RecordingServer cloud;
        QString big = QStringLiteral("\r\n");
        for (int i = 0; i < 200000; ++i)
            big += QStringLiteral("%1 - %2条目%3.html\r\n")
                       .arg(i + 100)
                       .arg(i % 10000, 4, 10, QLatin1Char('0'))
                       .arg(i);
        big += QStringLiteral("7 - 0007终点.html\r\n");
        auto w = Open(big, cloud.Url(QStringLiteral("/items/O!")));
        QVERIFY(w);
        QVERIFY(!QFileInfo::exists(w->ResultPageFile()));
        const QStringList atStart = cloud.Paths(); // the home page's folder
        QSignalSpy closed(w->form.get(), &Form1::Closed);
        QTimer::singleShot(0, w->form.get(), [&] { w->form->close(); });
        w->Query(QStringLiteral("终点"));
        QCOMPARE(closed.size(), 1);
        QVERIFY(!w->form->isVisible());
        QVERIFY(!QFileInfo::exists(w->ResultPageFile()));
        QVERIFY(!QFileInfo::exists(w->Data(QStringLiteral("终点.html"))));
        QCOMPARE(cloud.Paths(), atStart); // neither the entry nor the picture folder
        // And nothing runs after the close.
        w->Query(QStringLiteral("终点"));
        QVERIFY(!QFileInfo::exists(w->ResultPageFile()));
        QCOMPARE(cloud.Paths(), atStart);
    }

    void contentsListsEveryEntry() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->form->目_录->trigger();
        QCOMPARE(w->form->Text1->text(), QStringLiteral("."));
        QVERIFY(w->form->目_录->isEnabled());
        QCOMPARE(w->Page().count(QStringLiteral("<A HREF=#")), 4);
        QVERIFY(!w->Page().contains(QStringLiteral("<img")));
        const QString html =
            WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("甘草</a>"));
        QCOMPARE(html.count(QStringLiteral("<a href=\"#\"")), 4);

        auto empty = Open(QStringLiteral("\r\n"), m_cloud.ItemsBaseUrl());
        QVERIFY(empty);
        empty->form->目_录->trigger();
        QVERIFY(empty->Page().contains(QStringLiteral("<h1>未找到任何信息</h1>")));
    }

    void aQueryAskedForDuringAnotherWins() {
        const QString big = LongIndex(200000);
        auto w = Open(big, OfflineItemsUrl());
        QVERIFY(w);
        QSignalSpy pages(w->form->Query(), &QueryRunner::PageShown);
        bool asked = false;
        QTimer::singleShot(0, this, [&] {
            asked = true;
            QVERIFY(w->form->Query()->IsRunning());
            w->form->Text1->setText(QStringLiteral("条目7"));
            w->form->RunQuery(); // as a clicked link does
        });
        w->Query(QStringLiteral("."));
        QVERIFY(asked);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages.at(0).at(0).toString(), QStringLiteral("条目7"));
        QVERIFY(w->Page().contains(QStringLiteral("<p>网络未连接，无法查询“条目7”的信息。</p>")));
        QVERIFY(w->form->Command1->isEnabled());
    }

    void suggestionsWhileTyping() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->Query(QStringLiteral("人参"));
        const QString direct = w->Page();
        QVERIFY(QFile::remove(w->temp.filePath(QStringLiteral("qnln1.html"))));

        QListWidget* list = w->form->Suggestions()->list();
        w->form->Text1->clear();
        QTest::keyClicks(w->form->Text1, QStringLiteral("rs"));
        QVERIFY(list->isVisible());
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown.value(0), QStringLiteral("人参"));
        QVERIFY(shown.contains(QStringLiteral("人参叶")));
        QVERIFY(list->geometry().bottom() < w->form->Text1->geometry().top());
        // Esc closes the list and leaves the text; typing opens it again.
        QTest::keyClick(w->form->Text1, Qt::Key_Escape);
        QVERIFY(!list->isVisible());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("rs"));
        QTest::keyClick(w->form->Text1, Qt::Key_Backspace);
        QTest::keyClicks(w->form->Text1, QStringLiteral("s"));
        QVERIFY(list->isVisible());
        // Down chooses the first, Enter queries it: the same page as typed by hand.
        QTest::keyClick(w->form->Text1, Qt::Key_Down);
        QTest::keyClick(w->form->Text1, Qt::Key_Return);
        QVERIFY(w->WaitForQuery());
        QVERIFY(!list->isVisible());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("人参"));
        QCOMPARE(w->Page(), direct);

        // Enter with no suggestion chosen queries the text as it stands.
        w->form->Text1->clear();
        QTest::keyClicks(w->form->Text1, QStringLiteral("gc"));
        QVERIFY(list->isVisible());
        QTest::keyClick(w->form->Text1, Qt::Key_Return);
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("gc"));
        QVERIFY(w->Page().contains(QStringLiteral("<h1>未找到任何信息</h1>")));
    }

    void findBarFindsTextOnThePage() {
        auto w = Open(m_index, m_cloud.ItemsBaseUrl());
        QVERIFY(w);
        w->form->show();
        w->Query(QStringLiteral("人参"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("大补元气"));
        FindBar* bar = w->form->Finder();
        QCOMPARE(w->form->查找->shortcut(), QKeySequence(QKeySequence::Find));
        w->form->查找->trigger();
        QVERIFY(bar->isVisible());
        bar->input()->setText(QStringLiteral("人参"));
        QTRY_VERIFY_WITH_TIMEOUT(bar->status().endsWith(QStringLiteral("/4")), 10000);
        QTest::keyClick(bar->input(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(bar->status(), QStringLiteral("2/4"), 10000);
        QTest::keyClick(bar->input(), Qt::Key_Return, Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(bar->status(), QStringLiteral("1/4"), 10000);
        bar->input()->setText(QStringLiteral("不存在"));
        QTRY_COMPARE_WITH_TIMEOUT(bar->status(), QStringLiteral("无匹配"), 10000);
        QTest::keyClick(bar->input(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
    }
};

QINGLAN_TEST_MAIN(TestQuery)
#include "test_query.moc"
