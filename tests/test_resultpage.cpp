// The query's matching and page text, as a plain function over index text.
#include "search/ResultPage.h"

#include <QTest>

using namespace qinglan;

namespace {

const QString Head =
    QStringLiteral("<body style=\"border:0;margin:0;background:url(QNLNBJ1.JPG)\">"
                   "<input ID='Tex1' style='visibility:hidden;position:absolute'>");

QString Link(const QString& name) {
    return QStringLiteral("<p><A HREF=# onClick=Tex1.value=this.id ID=\"") + name +
           QStringLiteral("\">") + name + QStringLiteral("</A></p>");
}

// Sources that answer from fixed tables and record what was asked.
struct Fake {
    QMap<QString, QString> texts;    // resource number -> entry text
    QMap<QString, QString> pictures; // display name -> address
    QStringList asked;

    ResultPageSources Sources() {
        ResultPageSources s;
        s.entryText = [this](const ExactMatch& m) {
            asked << m.resourceNumber + u'|' + m.remoteName + u'|' + m.displayName;
            return texts.value(m.resourceNumber);
        };
        s.pictureAddress = [this](const QString& name) { return pictures.value(name); };
        return s;
    }
    QString Page(const QString& index, const QString& query) {
        return BuildResultPage(index, query, Sources()).value_or(QStringLiteral("<abandoned>"));
    }
};

const QString WorkedIndex =
    QStringLiteral("\r\n11 - 0001Alpha.text\r\n12 - 0002AlphaRoot.text\r\n13 - 0003Beta.text\r\n");

} // namespace

class TestResultPage final : public QObject {
    Q_OBJECT

    Fake m_fake;

private slots:
    void init() {
        m_fake = Fake();
        m_fake.texts = {{QStringLiteral("11"), QStringLiteral("<p>text of Alpha</p>")},
                        {QStringLiteral("12"), QStringLiteral("<p>text of AlphaRoot</p>")},
                        {QStringLiteral("13"), QStringLiteral("<p>text of Beta</p>")}};
        m_fake.pictures = {{QStringLiteral("Alpha"), QStringLiteral("http://p/1")},
                           {QStringLiteral("Beta"), QStringLiteral("http://p/3")}};
    }

    void workedExample() {
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("Alpha")),
                 Head +
                     QStringLiteral(
                         "<img src='http://p/1'><br><p>text of Alpha</p><hr><h2>Alpha相关：</h2>") +
                     Link(QStringLiteral("Alpha")) + Link(QStringLiteral("AlphaRoot")));
        QCOMPARE(m_fake.asked, QStringList{QStringLiteral("11|0001Alpha.text|Alpha")});
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("Beta")),
                 Head + QStringLiteral("<img src='http://p/3'><br><p>text of Beta</p>"));
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("Root")),
                 Head + QStringLiteral("<hr><h2>Root相关：</h2>") +
                     Link(QStringLiteral("AlphaRoot")));
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("0")),
                 Head + QStringLiteral("<hr><h2>0相关：</h2>") + Link(QStringLiteral("Alpha")) +
                     Link(QStringLiteral("AlphaRoot")) + Link(QStringLiteral("Beta")));
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("alpha")),
                 Head + QStringLiteral("<h1>未找到任何信息</h1>"));
        QCOMPARE(m_fake.asked.size(), 2); // only the exact matches asked for their text
    }

    void everyLineQueries() {
        const QString all = Link(QStringLiteral("Alpha")) + Link(QStringLiteral("AlphaRoot")) +
                            Link(QStringLiteral("Beta"));
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral(".")),
                 Head + QStringLiteral("<hr><h2>.相关：</h2>") + all);
        QCOMPARE(m_fake.Page(WorkedIndex, QString()),
                 Head + QStringLiteral("<hr><h2>相关：</h2>") + all);
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("13")),
                 Head + QStringLiteral("<hr><h2>13相关：</h2>") + Link(QStringLiteral("Beta")));
        QVERIFY(m_fake.asked.isEmpty());
    }

    void markupGoesInUnchanged() {
        const QString index = QStringLiteral("\r\n7 - 0001<b>\"x\".html\r\n");
        m_fake.texts.insert(QStringLiteral("7"), QStringLiteral("<script>t</script>"));
        QCOMPARE(m_fake.Page(index, QStringLiteral("<b>")),
                 Head + QStringLiteral("<hr><h2><b>相关：</h2>") +
                     Link(QStringLiteral("<b>\"x\"")));
        QCOMPARE(m_fake.Page(index, QStringLiteral("<b>\"x\"")),
                 Head + QStringLiteral("<script>t</script>"));
    }

    void offlineParagraphAndNoPicture() {
        m_fake.texts.clear();
        m_fake.pictures.clear();
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("Beta")),
                 Head + QStringLiteral("<p>网络未连接，无法查询“Beta”的信息。</p>"));
        QCOMPARE(m_fake.Page(WorkedIndex, QStringLiteral("Alpha")),
                 Head +
                     QStringLiteral(
                         "<p>网络未连接，无法查询“Alpha”的信息。</p><hr><h2>Alpha相关：</h2>") +
                     Link(QStringLiteral("Alpha")) + Link(QStringLiteral("AlphaRoot")));
    }

    void duplicateDisplayNames() {
        const QString index = QStringLiteral("\r\n1 - 0001Gan.html\r\n2 - 0002Gan.html\r\n");
        m_fake.texts = {{QStringLiteral("1"), QStringLiteral("first")},
                        {QStringLiteral("2"), QStringLiteral("second")}};
        m_fake.pictures = {{QStringLiteral("Gan"), QStringLiteral("pic")}};
        QCOMPARE(m_fake.Page(index, QStringLiteral("Gan")),
                 Head + QStringLiteral("<img src='pic'><br>second<hr><h2>Gan相关：</h2>") +
                     Link(QStringLiteral("Gan")) + Link(QStringLiteral("Gan")));
        QCOMPARE(m_fake.asked.size(), 2);
        // The last one's empty text gives the offline paragraph, not the first one's text.
        m_fake.texts.remove(QStringLiteral("2"));
        QVERIFY(
            m_fake.Page(index, QStringLiteral("Gan")).contains(QStringLiteral("无法查询“Gan”")));
    }

    void firstAndLastLinesAreNeverExamined() {
        const QString index =
            QStringLiteral("1 - 0001First.html\r\n2 - 0002Middle.html\r\n3 - 0003Last.html");
        QCOMPARE(m_fake.Page(index, QStringLiteral(".")),
                 Head + QStringLiteral("<hr><h2>.相关：</h2>") + Link(QStringLiteral("Middle")));
        QCOMPARE(m_fake.Page(QStringLiteral("1 - 0001Only.html"), QStringLiteral(".")),
                 Head + QStringLiteral("<h1>未找到任何信息</h1>"));
        QCOMPARE(m_fake.Page(QString(), QString()),
                 Head + QStringLiteral("<h1>未找到任何信息</h1>"));
    }

    void linesTheQueryCannotUseAreSkipped() {
        // No separator; a remote name too short; a name holding the separator
        // (only the piece before it is the remote name).
        const QString index = QStringLiteral(
            "\r\nno separator.html\r\n5 - 0001.htm\r\n6 - 0006a - b.html\r\n7 - 0007Good.html\r\n");
        QCOMPARE(m_fake.Page(index, QStringLiteral(".")),
                 Head + QStringLiteral("<hr><h2>.相关：</h2>") + Link(QStringLiteral("Good")));
        QCOMPARE(m_fake.Page(index, QStringLiteral("a")),
                 Head + QStringLiteral("<h1>未找到任何信息</h1>"));
    }

    void abandonedQuery() {
        ResultPageSources sources = m_fake.Sources();
        int pauses = 0;
        sources.yield = [&] { return ++pauses < 2; };
        QVERIFY(!BuildResultPage(WorkedIndex, QStringLiteral("."), sources));
        QCOMPARE(pauses, 2);
        pauses = -100;
        QVERIFY(BuildResultPage(WorkedIndex, QStringLiteral("."), sources));
        QCOMPARE(pauses, -97); // one pause after every examined line
    }
};

QTEST_GUILESS_MAIN(TestResultPage)
#include "test_resultpage.moc"
