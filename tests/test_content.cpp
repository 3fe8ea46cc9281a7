// Search by what herbs do: the entry section reader, the facets of 性味 and 归经,
// the content index and its ranking, and the search page in the main window.
#include "check/CheckController.h"
#include "cloud/GbkText.h"
#include "entries/EntrySections.h"
#include "entries/Facets.h"
#include "search/ContentIndex.h"
#include "search/ContentSearch.h"
#include "search/IndexKeeper.h"
#include "search/QueryRunner.h"
#include "search/SearchController.h"
#include "shell/HtmlView.h"
#include "tests/support/MainWindow.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/ViewProbe.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>

#include <memory>
#include <thread>
#include <vector>

using namespace qinglan;

namespace {

struct LibraryEntry {
    QString listed;  // "0014黄连.html"
    QString display; // "黄连"
    QString html;    // the UTF-8 source
};

// The sample library's entries, in the order the cloud tool lists them.
QList<LibraryEntry> SampleEntries() {
    QDir dir(QStringLiteral(QINGLAN_LIBRARY_DIR "/data"));
    QStringList names = dir.entryList(QDir::Files);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; });
    QList<LibraryEntry> entries;
    for (const QString& name : names)
        entries.append(
            {name, name.mid(4).chopped(5), QString::fromUtf8(ReadAll(dir.filePath(name)))});
    return entries;
}

// A data folder holding the whole sample library as a bulk pass leaves it.
QString WriteSampleData(const Sandbox& box, const QList<LibraryEntry>& entries) {
    QString index = QStringLiteral("\r\n");
    int number = 100001;
    for (const LibraryEntry& entry : entries) {
        index += QString::number(number++) + QStringLiteral(" - ") + entry.listed +
                 QStringLiteral("\r\n");
        WriteFile(box.Data(entry.listed.mid(4)), ToGbk(entry.html));
    }
    return index;
}

QStringList Names(const SearchResults& results) {
    QStringList names;
    for (const SearchHit& hit : results.hits)
        names << hit.display;
    return names;
}

} // namespace

class TestContent final : public QObject {
    Q_OBJECT

    QList<LibraryEntry> m_library = SampleEntries();

    // The content index of the whole sample library in box's data folder.
    std::unique_ptr<ContentIndex> SampleIndex(const Sandbox& box) const {
        if (!QDir().mkpath(box.Data()))
            return nullptr;
        const QString indexText = WriteSampleData(box, m_library);
        auto index = ContentIndex::Open(box.Data(), true);
        if (!index || index->Sync(indexText) != int(m_library.size()))
            return nullptr;
        return index;
    }

    static SearchRequest Typed(const char* text) {
        return SearchRequest::FromJson(QJsonObject{{QStringLiteral("q"), QString::fromUtf8(text)}});
    }

    static QStringList Found(const ContentIndex& index, const char* text) {
        return Names(RunSearch(index, Typed(text)));
    }

private slots:
    void facetsOfEntriesCheckedByHand_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("nature");
        QTest::addColumn<QStringList>("tastes");
        QTest::addColumn<QString>("toxicity");
        QTest::addColumn<QStringList>("meridians");
        const auto list = [](const char* text) { return QString::fromUtf8(text).split(u' '); };
        QTest::newRow("黄连") << "黄连"
                              << "寒" << list("苦") << "无毒" << list("心 脾 胃 肝 胆 大肠");
        QTest::newRow("附子") << "附子"
                              << "热" << list("辛 甘") << "有毒" << list("心 肾 脾");
        QTest::newRow("半夏") << "半夏"
                              << "温" << list("辛") << "有毒" << list("脾 胃 肺");
        QTest::newRow("甘草") << "甘草"
                              << "平" << list("甘") << "无毒" << list("心 肺 脾 胃");
        QTest::newRow("人参") << "人参"
                              << "温" << list("甘 苦") << "无毒" << list("脾 肺 心 肾");
        QTest::newRow("石膏") << "石膏"
                              << "寒" << list("甘 辛") << "无毒" << list("肺 胃");
        QTest::newRow("细辛") << "细辛"
                              << "温" << list("辛") << "无毒" << list("心 肺 肾");
        QTest::newRow("巴豆") << "巴豆"
                              << "热" << list("辛") << "大毒" << list("胃 大肠");
        QTest::newRow("川乌") << "川乌"
                              << "热" << list("辛 苦") << "大毒" << list("心 肝 肾 脾");
        QTest::newRow("金银花") << "金银花"
                                << "寒" << list("甘") << "无毒" << list("肺 心 胃");
        QTest::newRow("银柴胡") << "银柴胡"
                                << "寒" << list("甘") << "无毒" << list("肝 胃");
        QTest::newRow("常山") << "常山"
                              << "寒" << list("苦 辛") << "有毒" << list("肺 肝 心");
    }

    void facetsOfEntriesCheckedByHand() {
        QFETCH(QString, display);
        QFETCH(QString, nature);
        QFETCH(QStringList, tastes);
        QFETCH(QString, toxicity);
        QFETCH(QStringList, meridians);
        const auto entry =
            std::find_if(m_library.cbegin(), m_library.cend(),
                         [&](const LibraryEntry& e) { return e.display == display; });
        QVERIFY(entry != m_library.cend());
        const Facets facets = FacetsOf(ReadEntrySections(entry->html));
        QVERIFY(facets.natureTaste && facets.meridians);
        QCOMPARE(facets.natureTaste->nature, nature);
        QCOMPARE(facets.natureTaste->tastes, tastes);
        QCOMPARE(ToxicityName(facets.natureTaste->toxicity), toxicity);
        QCOMPARE(*facets.meridians, meridians);
    }

    void natureTasteAndMeridianTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // "nature|tastes|toxicity" or "meridians"; empty: none
        QTest::newRow("plain") << "甘，平。"
                               << "平|甘|无毒";
        QTest::newRow("slight words folded") << "甘、微苦，微温。"
                                             << "温|甘,苦|无毒";
        QTest::newRow("great cold") << "甘、辛，大寒。"
                                    << "寒|甘,辛|无毒";
        QTest::newRow("slightly toxic") << "苦，寒；有小毒。"
                                        << "寒|苦|小毒";
        QTest::newRow("very toxic") << "辛，热；有大毒。"
                                    << "热|辛|大毒";
        QTest::newRow("remark passed over") << "甘，平（蜜炙后偏温）。"
                                            << "平|甘|无毒";
        QTest::newRow("no nature") << "甘、苦。"
                                   << "";
        QTest::newRow("unknown taste") << "香，温。"
                                       << "";
        QTest::newRow("unknown toxicity") << "辛，温；毒性未明。"
                                          << "";
        QTest::newRow("prose") << "味甘性平，无毒"
                               << "";
        QTest::newRow("meridians") << "归肺、胃经。"
                                   << "肺,胃";
        QTest::newRow("入 and a count") << "入心、肝二经"
                                        << "心,肝";
        QTest::newRow("pericardium and triple burner") << "归心包、三焦经。"
                                                       << "心包,三焦";
        QTest::newRow("经 after each") << "归肝经、胆经。"
                                       << "肝,胆";
        QTest::newRow("unknown meridian") << "归肺、脑经。"
                                          << "";
        QTest::newRow("no 经") << "归肺、胃。"
                               << "";
    }

    void natureTasteAndMeridianTexts() {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        if (text.startsWith(u'归') || text.startsWith(u'入')) {
            const auto meridians = ParseMeridians(text);
            QCOMPARE(meridians ? meridians->join(u',') : QString(), parsed);
            return;
        }
        const auto nt = ParseNatureTaste(text);
        QCOMPARE(nt ? nt->nature + u'|' + nt->tastes.join(u',') + u'|' + ToxicityName(nt->toxicity)
                    : QString(),
                 parsed);
    }

    void textsWithoutSectionsAreOneSectionOfPlainText() {
        const EntryText text = ReadEntrySections(QStringLiteral(
            "<div>清热&amp;解毒<br>用于<b>咽痛</b>&#x3002;<script>x()</script>&lt;i&gt;</div>"));
        QCOMPARE(text.heading, QString());
        QCOMPARE(text.sections.size(), 1);
        QCOMPARE(text.sections[0].name, QString());
        QCOMPARE(text.sections[0].text, QStringLiteral("清热&解毒\n用于咽痛。<i>"));
        QVERIFY(ReadEntrySections(QString()).sections.isEmpty());
    }

    void searchesMatchSetsComputedFromTheLibrary_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("meridian");
        QTest::newRow("清热 in 功用主治, 归经 肺") << "清热"
                                                   << "功用主治"
                                                   << "肺";
        QTest::newRow("头痛 anywhere") << "头痛"
                                       << ""
                                       << "";
        QTest::newRow("one character") << "痰"
                                       << "功用主治"
                                       << "";
        QTest::newRow("four characters") << "清热解毒"
                                         << ""
                                         << "胃";
        QTest::newRow("孕妇禁用 in 宜忌") << "孕妇禁用"
                                          << "宜忌"
                                          << "";
        QTest::newRow("Latin") << "Rg1"
                               << "化学成分"
                               << "";
    }

    void searchesMatchSetsComputedFromTheLibrary() {
        QFETCH(QString, word);
        QFETCH(QString, section);
        QFETCH(QString, meridian);
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        const QString indexText = WriteSampleData(box, m_library);
        auto index = ContentIndex::Open(box.Data(), true);
        QVERIFY(index);
        QCOMPARE(index->Sync(indexText), int(m_library.size()));
        QCOMPARE(index->SearchableCount(), int(m_library.size()));

        QStringList expected;
        for (const LibraryEntry& entry : std::as_const(m_library)) {
            bool holds = false;
            for (const QString& name : KnownSectionNames()) {
                if (!section.isEmpty() && name != section)
                    continue;
                // The raw text, with <br> gone: words do not run across a line break.
                holds = holds || RawSection(entry.html, name).contains(word, Qt::CaseInsensitive);
            }
            if (holds && (meridian.isEmpty() ||
                          RawSection(entry.html, QStringLiteral("归经")).contains(meridian)))
                expected << entry.display;
        }
        QVERIFY2(!expected.isEmpty(), "the library has matches for every row");
        SearchRequest request;
        request.words = {word};
        request.section = section;
        if (!meridian.isEmpty())
            request.meridians = {meridian};
        QStringList found = Names(RunSearch(*index, request));
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(found, expected);
    }

    void traditionalAndFullWidthWordsFindWhatTheirPlainFormsFind() {
        Sandbox box;
        const auto index = SampleIndex(box);
        QVERIFY(index);
        const QList<std::pair<const char*, const char*>> forms = {
            {"清熱", "清热"}, {"當歸", "当归"}, {"Ｒｇ１", "Rg1"}, {"清熱　解毒", "清热 解毒"}};
        for (const auto& [typed, plain] : forms) {
            QVERIFY2(!Found(*index, plain).isEmpty(), plain);
            QCOMPARE(Found(*index, typed), Found(*index, plain));
        }
    }

    void wordsWithNothingSearchableAreDroppedAndWordsPastTheEighthNamed() {
        Sandbox box;
        const auto index = SampleIndex(box);
        QVERIFY(index);
        QVERIFY(!Found(*index, "清热 解毒").isEmpty());
        QCOMPARE(Found(*index, "清热 ， 解毒"), Found(*index, "清热 解毒"));
        QCOMPARE(Typed("* ( - 清热 清热").words, QStringList{QStringLiteral("清热")});
        const SearchRequest many = Typed("一 二 三 四 五 六 七 八 九 十");
        QCOMPARE(many.words.size(), 8);
        const QString html = SearchResultsHtml(RunSearch(*index, many), many, {});
        QVERIFY2(html.contains(QStringLiteral("只用了前 8 个词检索，未用：九 十")),
                 qPrintable(html));
    }

    void rankingAndFilters() {
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        const auto entry = [](const char* name, const char* nature, const char* function,
                              const char* pharmacology) {
            return LibraryEntry{
                QStringLiteral("0000%1.html").arg(QString::fromUtf8(name)), QString::fromUtf8(name),
                QStringLiteral(
                    "<h2>%1</h2>\n<p><b>【性味】</b>%2</p>\n<p><b>【归经】</b>归肺经。</p>\n"
                    "<p><b>【功用主治】</b>%3</p>\n<p><b>【药理作用】</b>%4</p>\n")
                    .arg(QString::fromUtf8(name), QString::fromUtf8(nature),
                         QString::fromUtf8(function), QString::fromUtf8(pharmacology))};
        };
        const QList<LibraryEntry> entries = {
            entry("甲药", "苦，寒。", "止咳。", "有清热与止痛作用。"),
            entry("乙药", "苦，寒；有毒。", "清热。", "无。"),
            entry("丙药", "辛，温。", "清热止痛。", "无。"),
            entry("丁药", "甘，热。", "补气。", "无。"),
        };
        QString indexText = QStringLiteral("\r\n");
        for (int i = 0; i < entries.size(); ++i) {
            indexText += QStringLiteral("%1 - %2%3\r\n")
                             .arg(i + 1)
                             .arg(i, 4, 10, QLatin1Char('0'))
                             .arg(entries[i].listed.mid(4));
            WriteFile(box.Data(entries[i].listed.mid(4)), ToGbk(entries[i].html));
        }
        auto index = ContentIndex::Open(box.Data(), true);
        QVERIFY(index && index->Sync(indexText) == 4);
        SearchRequest request;
        request.words = {QStringLiteral("清热")};
        // 功用主治 before 药理作用; index order among equals.
        QCOMPARE(
            Names(RunSearch(*index, request)),
            (QStringList{QStringLiteral("乙药"), QStringLiteral("丙药"), QStringLiteral("甲药")}));
        // More of the words in the best section first.
        request.words = {QStringLiteral("清热"), QStringLiteral("止痛")};
        QCOMPARE(Names(RunSearch(*index, request)),
                 (QStringList{QStringLiteral("丙药"), QStringLiteral("甲药")}));
        // Filters: AND across groups, OR within one; filters alone list in index order.
        request.words.clear();
        request.natures = {QStringLiteral("寒"), QStringLiteral("温")};
        QCOMPARE(
            Names(RunSearch(*index, request)),
            (QStringList{QStringLiteral("甲药"), QStringLiteral("乙药"), QStringLiteral("丙药")}));
        request.toxicities = {QStringLiteral("有毒")};
        QCOMPARE(Names(RunSearch(*index, request)), QStringList{QStringLiteral("乙药")});
        request.toxicities = {QStringLiteral("无毒")};
        request.tastes = {QStringLiteral("辛")};
        QCOMPARE(Names(RunSearch(*index, request)), QStringList{QStringLiteral("丙药")});
        // Nothing asked, nothing listed.
        QVERIFY(RunSearch(*index, SearchRequest()).hits.isEmpty());
    }

    void hostileEntryTextIsEscapedInTheResults() {
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        const QString hostile =
            QStringLiteral("<h2>坏</h2><p><b>【功用主治】</b>清热&lt;script&gt;alert(1)&lt;/"
                           "script&gt;\"'<img src=x onerror=alert(2)></p>");
        QVERIFY(WriteFile(box.Data(QStringLiteral("坏\"<x>.html")), ToGbk(hostile)));
        auto index = ContentIndex::Open(box.Data(), true);
        QVERIFY(index && index->Sync(QStringLiteral("\r\n1 - 0001坏\"<x>.html\r\n")) == 1);
        SearchRequest request;
        request.words = {QStringLiteral("清热")};
        const SearchResults results = RunSearch(*index, request);
        QCOMPARE(Names(results), QStringList{QStringLiteral("坏\"<x>")});
        const QString html = SearchResultsHtml(results, request, [&](const QString& file) {
            return FromGbk(ReadAll(box.Data(file)));
        });
        QVERIFY(html.contains(QStringLiteral("ID=\"坏&quot;&lt;x&gt;\">坏&quot;&lt;x&gt;</A>")));
        QVERIFY(html.contains(
            QStringLiteral("<mark>清热</mark>&lt;script&gt;alert(1)&lt;/script&gt;&quot;&#39;")));
        QVERIFY(!html.contains(QStringLiteral("<script")));
        QVERIFY(!html.contains(QStringLiteral("<img")));
    }

    void aChangedEntryIsFoundByItsNewWordsOnly() {
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        const QList<LibraryEntry> entries = m_library.mid(0, 5);
        const QString indexText = WriteSampleData(box, entries);
        auto index = ContentIndex::Open(box.Data(), true);
        QVERIFY(index && index->Sync(indexText) == 5);
        SearchRequest old;
        old.words = {QStringLiteral("旧词甲乙")};
        SearchRequest fresh;
        fresh.words = {QStringLiteral("新词丙丁")};
        const LibraryEntry& changed = entries[2];
        QVERIFY(WriteFile(box.Data(changed.listed.mid(4)),
                          ToGbk(QStringLiteral("<h2>%1</h2><p><b>【功用主治】</b>旧词甲乙。</p>")
                                    .arg(changed.display))));
        QVERIFY(index->Sync(indexText) >= 0);
        QCOMPARE(Names(RunSearch(*index, old)), QStringList{changed.display});
        // Rewritten again (a longer text, so its size differs): the old word is gone.
        QVERIFY(
            WriteFile(box.Data(changed.listed.mid(4)),
                      ToGbk(QStringLiteral("<h2>%1</h2><p><b>【功用主治】</b>新词丙丁，另述。</p>")
                                .arg(changed.display))));
        QVERIFY(index->Sync(indexText) >= 0);
        QCOMPARE(index->SearchableCount(), 5);
        QCOMPARE(Names(RunSearch(*index, fresh)), QStringList{changed.display});
        QCOMPARE(Names(RunSearch(*index, old)), QStringList());
    }

    void aStoppedSyncKeepsWhatItStoredAndTheNextOneCompletesIt() {
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        const QString indexText = WriteSampleData(box, m_library.mid(0, 30));
        auto index = ContentIndex::Open(box.Data(), true);
        QVERIFY(index);
        // Asked before each entry is stored: yes ten times, then no.
        int asked = 0;
        QVERIFY(index->Sync(indexText, [&asked] { return ++asked <= 10; }) >= 0);
        QCOMPARE(index->SearchableCount(), 10);
        QVERIFY(index->Sync(indexText) >= 0);
        QCOMPARE(index->SearchableCount(), 30);
    }

    void syncsOfSeveralFoldersAtOnceAllFinish() {
        // More syncs at once than there are threads preparing entries for them.
        constexpr int Folders = 5;
        std::vector<std::unique_ptr<Sandbox>> boxes;
        QStringList indexTexts;
        for (int i = 0; i < Folders; ++i) {
            boxes.push_back(std::make_unique<Sandbox>());
            QVERIFY(QDir().mkpath(boxes.back()->Data()));
            indexTexts << WriteSampleData(*boxes.back(), m_library.mid(i * 20, 20));
        }
        std::vector<int> searchable(Folders, -1);
        std::vector<std::thread> syncs;
        for (int i = 0; i < Folders; ++i)
            syncs.emplace_back([&, i] {
                auto index = ContentIndex::Open(boxes[size_t(i)]->Data(), true);
                if (index && index->Sync(indexTexts[i]) >= 0)
                    searchable[size_t(i)] = index->SearchableCount();
            });
        for (std::thread& sync : syncs)
            sync.join();
        QCOMPARE(searchable, std::vector<int>(Folders, 20));
    }

    void aDamagedOrForeignIndexIsBuiltAnew_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a database") << QByteArray("this is no SQLite file at all", 29);
        QTest::newRow("cut short") << QByteArray();
        QTest::newRow("another version") << QByteArray("version");
    }

    void aDamagedOrForeignIndexIsBuiltAnew() {
        QFETCH(QByteArray, bytes);
        Sandbox box;
        QVERIFY(QDir().mkpath(box.Data()));
        const QString indexText = WriteSampleData(box, m_library.mid(0, 20));
        const QString file = ContentIndex::FilePath(box.Data());
        {
            auto index = ContentIndex::Open(box.Data(), true);
            QVERIFY(index && index->Sync(indexText) == 20);
        }
        if (bytes == "version") {
            // A sound database written by another version of the program.
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db,
                                  "UPDATE meta SET value='0/0.0.0.1' WHERE key='format';"
                                  "DELETE FROM entries;",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        } else if (bytes.isEmpty()) {
            QByteArray whole = ReadAll(file);
            QVERIFY(WriteFile(file, whole.left(whole.size() / 3)));
            QFile::remove(file + QStringLiteral("-wal"));
        } else {
            QVERIFY(WriteFile(file, bytes));
            QFile::remove(file + QStringLiteral("-wal"));
        }
        QFile::remove(file + QStringLiteral("-shm"));
        auto index = ContentIndex::Open(box.Data(), true);
        QVERIFY(index);
        QVERIFY(index->Sync(indexText) >= 0);
        QCOMPARE(index->SearchableCount(), 20);
        SearchRequest request;
        request.words = {QStringLiteral("用于")};
        QVERIFY(!RunSearch(*index, request).hits.isEmpty());
    }

    void theSearchPageListsFollowsLinksAndLearnsNewEntries() {
        // The whole library is listed; a few entries are on disk.
        MainWindow w(TestConfig(OfflineItemsUrl()));
        QVERIFY(QDir().mkpath(w.Data()));
        const QString indexText = WriteSampleData(w, m_library);
        QVERIFY(w.WriteIndex(indexText));
        for (const LibraryEntry& entry : m_library.mid(3))
            QVERIFY(QFile::remove(w.Data(entry.listed.mid(4))));
        QVERIFY(w.Open());
        SearchController* search = w.form->Search();
        QSignalSpy updated(w.form->Keeper(), &IndexKeeper::IndexUpdated);
        QSignalSpy shown(search, &SearchController::ResultsShown);
        w.form->检索->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(updated.size() >= 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 30000);
        QVERIFY(shown.last().at(0).toString().contains(
            QStringLiteral("可离线检索 3 / %1 个条目").arg(m_library.size())));
        QVERIFY(shown.last().at(0).toString().contains(QStringLiteral("下载全部条目")));

        // Typing in the page's box updates the results; no button.
        const int before = int(shown.size());
        EvaluateInView(*w.form->WebBrowser1,
                       QStringLiteral("var q=document.getElementById('q');q.value='补';"
                                      "q.dispatchEvent(new Event('input',{bubbles:true}));'ok'"));
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() > before, 15000);
        const QString html = shown.last().at(0).toString();
        QVERIFY(html.contains(QStringLiteral("ID=\"人参\">人参</A>")));
        QVERIFY(html.contains(QStringLiteral("<mark>补</mark>")));

        // A click on a result is the ordinary query.
        QSignalSpy pages(w.form->Query(), &QueryRunner::PageShown);
        QTRY_VERIFY_WITH_TIMEOUT(
            EvaluateInView(*w.form->WebBrowser1,
                           QStringLiteral("String(!!document.getElementById('人参'))")) == u"true",
            15000);
        EvaluateInView(*w.form->WebBrowser1,
                       QStringLiteral("document.getElementById('人参').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 1, 15000);
        QCOMPARE(pages.at(0).at(0).toString(), QStringLiteral("人参"));
        QCOMPARE(w.form->Text1->text(), QStringLiteral("人参"));

        // An entry written by a query is searchable without a restart.
        const LibraryEntry& later = m_library[10];
        QVERIFY(WriteFile(w.Data(later.listed.mid(4)), ToGbk(later.html)));
        emit w.form->Query()->EntryStored(later.listed);
        QCOMPARE(w.form->Keeper()->Index()->SearchableCount(), 4);
        SearchRequest request;
        request.words = {
            ReadEntrySections(later.html).Find(QStringLiteral("功用主治"))->text.left(2)};
        QVERIFY(Names(RunSearch(*w.form->Keeper()->Index(), request)).contains(later.display));
    }

    void theCheckPageAnswersAsThePrescriptionIsTyped() {
        MainWindow w(TestConfig(OfflineItemsUrl()));
        QVERIFY(QDir().mkpath(w.Data()));
        QVERIFY(w.WriteIndex(WriteSampleData(w, m_library)));
        QVERIFY(w.Open());
        QSignalSpy shown(w.form->Check(), &CheckController::ResultsShown);
        w.form->配伍->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 30000);
        QVERIFY(shown.last().at(0).toString().contains(QStringLiteral("仅供参考，用药请遵医嘱")));
        const int before = int(shown.size());
        EvaluateInView(
            *w.form->WebBrowser1,
            QStringLiteral(
                "var r=document.getElementById('rx');r.value='法半夏、制川乌 人参 五灵脂';"
                "r.dispatchEvent(new Event('input',{bubbles:true}));'ok'"));
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() > before && shown.last().at(0).toString().contains(
                                                              QStringLiteral("五灵脂，不宜同用")),
                                 15000);
        const QString html = shown.last().at(0).toString();
        QVERIFY2(html.contains(QStringLiteral("法半夏（半夏） 与 制川乌，不宜同用（十八反")),
                 qPrintable(html));
        QVERIFY(html.contains(QStringLiteral("人参 与 五灵脂，不宜同用（十九畏")));
        // A name in the page is the ordinary query.
        QSignalSpy pages(w.form->Query(), &QueryRunner::PageShown);
        EvaluateInView(*w.form->WebBrowser1,
                       QStringLiteral("document.getElementById('制川乌').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 1, 15000);
        QCOMPARE(pages.at(0).at(0).toString(), QStringLiteral("制川乌"));
    }
};

QINGLAN_TEST_MAIN(TestContent)
#include "test_content.moc"
