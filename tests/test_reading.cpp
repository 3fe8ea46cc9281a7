// Reading comfort in the main window: the pages of a run as history, zoom kept
// across pages, a PDF of the entry, and a right-click menu of only what works.
#include "app/History.h"
#include "cloud/BlockingHttp.h"
#include "cloud/GbkText.h"
#include "search/QueryRunner.h"
#include "shell/HtmlView.h"
#include "shell/ViewActions.h"
#include "tests/support/CloudServer.h"
#include "tests/support/MainWindow.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
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
          {QStringLiteral("0002人参叶.html"), QByteArray("<h2>人参叶</h2><p>补气，益肺</p>")},
          {QStringLiteral("0003甘草.html"), QByteArray("<h2>甘草</h2><p>补脾益气</p>")}}},
        {QStringLiteral("pictures"), 22, {}},
    };
    return library;
}

QStringList Texts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

} // namespace

class TestReading final : public QObject {
    Q_OBJECT

    CloudServer m_cloud;

    std::unique_ptr<MainWindow> Open() {
        Config config = TestConfig(m_cloud.ItemsBaseUrl());
        config.pictureFolderId = 22;
        auto w = std::make_unique<MainWindow>(config);
        if (!w->WriteIndex(
                IndexTextOf(TryHttpGetText(m_cloud.ItemsBaseUrl() + QStringLiteral("21")))) ||
            !w->Open())
            return nullptr;
        return w;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_cloud.Publish(Library()));
        QVERIFY(m_cloud.Start());
    }

    void historyPushBackForwardDropsWhatWasAhead() {
        History history;
        QVERIFY(!history.Back());
        history.Push({HistoryStep::Kind::Query, QStringLiteral("a")});
        history.Push(
            {HistoryStep::Kind::Query, QStringLiteral("a")}); // the same again adds nothing
        history.Push({HistoryStep::Kind::Search, {}});
        history.Push({HistoryStep::Kind::Query, QStringLiteral("b")});
        QCOMPARE(history.Size(), 3);
        QCOMPARE(history.Back()->kind, HistoryStep::Kind::Search);
        QCOMPARE(history.Back()->text, QStringLiteral("a"));
        QVERIFY(!history.Back());
        QCOMPARE(history.Forward()->kind, HistoryStep::Kind::Search);
        history.Push({HistoryStep::Kind::Check, {}});
        QVERIFY(!history.CanGoForward());
        QCOMPARE(history.Size(), 3);
    }

    void backAndForwardRunTheStepsAgainByteForByte() {
        auto w = Open();
        QVERIFY(w);
        QSignalSpy pages(w->form->Query(), &QueryRunner::PageShown);
        // A query, a followed link, the contents: three pages, each kept as written.
        w->Query(QStringLiteral("人参"));
        const QString ginseng = w->Page();
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("大补元气"));
        EvaluateInView(*w->form->WebBrowser1,
                       QStringLiteral("document.getElementById('人参叶').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 2, 15000);
        const QString leaf = w->Page();
        w->form->目_录->trigger();
        QVERIFY(w->WaitForQuery());
        const QString contents = w->Page();
        QCOMPARE(w->form->PageHistory().Size(), 3);

        w->form->GoBack();
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("人参叶"));
        QCOMPARE(w->Page(), leaf);
        // The mouse's back button over the view does the same.
        QWidget* target = w->form->WebBrowser1->focusProxy() ? w->form->WebBrowser1->focusProxy()
                                                             : w->form->WebBrowser1;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10),
                          Qt::BackButton, Qt::BackButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("人参"));
        QCOMPARE(w->Page(), ginseng);
        w->form->GoBack(); // nothing before the first step
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->Page(), ginseng);
        w->form->GoForward();
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->Page(), leaf);
        QCOMPARE(w->form->PageHistory().Size(), 3);
        // A new query after going back drops the step ahead.
        w->Query(QStringLiteral("甘草"));
        QVERIFY(!w->form->PageHistory().CanGoForward());
        QCOMPARE(w->form->PageHistory().Size(), 3);
        w->form->GoBack();
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->Page(), leaf);
        w->form->GoForward();
        QVERIFY(w->WaitForQuery());
        QVERIFY(w->Page().contains(QStringLiteral("补脾益气")));
        QVERIFY(contents.contains(QStringLiteral("<hr><h2>.相关：</h2>")));
        // Alt+Left and Alt+Right, with the keyboard in the view or in the query box.
        w->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->form.get()));
        QTest::keyClick(w->form->Text1, Qt::Key_Left, Qt::AltModifier);
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("人参叶"));
        QWidget* view = w->form->WebBrowser1->focusProxy() ? w->form->WebBrowser1->focusProxy()
                                                           : w->form->WebBrowser1;
        QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier);
        QVERIFY(w->WaitForQuery());
        QCOMPARE(w->form->Text1->text(), QStringLiteral("甘草"));
    }

    void aQueryStartedWhileAStepIsRunAgainIsRecorded() {
        const QString big = LongIndex(200000);
        MainWindow w(TestConfig(OfflineItemsUrl()));
        QVERIFY(w.WriteIndex(big) && w.Open());
        w.Query(QStringLiteral("条目1"));
        w.Query(QStringLiteral("条目2"));
        bool asked = false;
        QTimer::singleShot(0, this, [&] {
            asked = true;
            QVERIFY(w.form->Query()->IsRunning());
            w.form->Text1->setText(QStringLiteral("条目7"));
            w.form->RunQuery(); // a clicked link while 条目1 is run again
        });
        w.form->GoBack();
        QVERIFY(w.WaitForQuery());
        QVERIFY(asked);
        const History& history = w.form->PageHistory();
        QCOMPARE(history.Size(), 2);
        QCOMPARE(history.Current()->text, QStringLiteral("条目7"));
        QVERIFY(!history.CanGoForward());
    }

    void zoomStaysInBoundsAndAcrossPages() {
        auto w = Open();
        QVERIFY(w);
        ViewActions* reading = w->form->Reading();
        for (int i = 0; i < 20; ++i)
            reading->ZoomIn();
        QCOMPARE(reading->ZoomPercent(), 300);
        for (int i = 0; i < 20; ++i)
            reading->ZoomOut();
        QCOMPARE(reading->ZoomPercent(), 50);
        reading->ZoomReset();
        reading->ZoomIn();
        reading->ZoomIn();
        QCOMPARE(reading->ZoomPercent(), 125);
        w->Query(QStringLiteral("人参"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("大补元气"));
        QTRY_COMPARE_WITH_TIMEOUT(w->form->WebBrowser1->zoomFactor(), 1.25, 10000);
        w->Query(QStringLiteral("甘草"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("补脾益气"));
        QTRY_COMPARE_WITH_TIMEOUT(w->form->WebBrowser1->zoomFactor(), 1.25, 10000);
        // Ctrl+wheel over the view zooms too, and the engine does nothing of its own.
        QWidget* target = w->form->WebBrowser1->focusProxy() ? w->form->WebBrowser1->focusProxy()
                                                             : w->form->WebBrowser1;
        QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        QCOMPARE(reading->ZoomPercent(), 150);
    }

    void anEntrySavesAsAPdfAndAFailureNamesTheFile() {
        auto w = Open();
        QVERIFY(w);
        w->Query(QStringLiteral("人参"));
        WaitForDocumentContaining(*w->form->WebBrowser1, QStringLiteral("大补元气"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("人参.pdf"));
        QSignalSpy saved(w->form->Reading(), &ViewActions::PdfSaved);
        w->form->Reading()->SavePdfTo(path);
        QTRY_COMPARE_WITH_TIMEOUT(saved.size(), 1, 30000);
        QVERIFY(ReadAll(path).startsWith("%PDF-"));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString words = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(words.contains(QStringLiteral("人参")) &&
                     words.contains(QStringLiteral("大补元气")),
                 qPrintable(words));

        MessageBoxAnswerer answerer;
        const QString nowhere = dir.filePath(QStringLiteral("missing/人参.pdf"));
        w->form->Reading()->SavePdfTo(nowhere);
        QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), 1, 30000);
        QCOMPARE(answerer.seen()[0].text,
                 QStringLiteral("无法保存 PDF “%1”：文件夹不存在").arg(nowhere));
        QCOMPARE(answerer.seen()[0].title, QStringLiteral("Qinglan"));
    }

    void theMenuOffersOnlyWhatWorks() {
        auto w = Open();
        QVERIFY(w);
        w->Query(QStringLiteral("人参"));
        std::unique_ptr<QMenu> plain(w->form->Reading()->BuildMenu({}, false, nullptr));
        QCOMPARE(
            Texts(plain.get()),
            (QStringList{QStringLiteral("后退"), QStringLiteral("前进"), QStringLiteral("|"),
                         QStringLiteral("复制"), QStringLiteral("全选"), QStringLiteral("查找…"),
                         QStringLiteral("|"), QStringLiteral("放大"), QStringLiteral("缩小"),
                         QStringLiteral("实际大小"), QStringLiteral("|"), QStringLiteral("打印…"),
                         QStringLiteral("另存为 PDF…")}));
        QVERIFY(!plain->actions()[0]->isEnabled()); // nothing to go back to yet
        QVERIFY(!plain->actions()[3]->isEnabled()); // nothing selected to copy
        std::unique_ptr<QMenu> onLink(w->form->Reading()->BuildMenu(
            QUrl(QStringLiteral("http://example.org/x")), true, nullptr));
        QVERIFY(Texts(onLink.get()).contains(QStringLiteral("在新窗口中打开")));
        QVERIFY(
            onLink->actions()[Texts(onLink.get()).indexOf(QStringLiteral("复制"))]->isEnabled());
        // An entry link leads to this page itself: no new window for it.
        std::unique_ptr<QMenu> onEntry(
            w->form->Reading()->BuildMenu(w->form->WebBrowser1->url(), false, nullptr));
        QVERIFY(!Texts(onEntry.get()).contains(QStringLiteral("在新窗口中打开")));
    }
};

QINGLAN_TEST_MAIN(TestReading)
#include "test_reading.moc"
