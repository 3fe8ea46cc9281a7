// The suggestions' matching: by characters, full pinyin, initials, traditional
// characters and names in Latin letters, and its ranking; the suggestion box
// reading the Latin names from the entry files.
#include "cloud/GbkText.h"
#include "entries/EntrySections.h"
#include "search/SuggestionBox.h"
#include "search/Suggestions.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace qinglan;

namespace {

// Index text as the program stores it, one line per name.
QString Index(const QStringList& names) {
    QString text = QStringLiteral("\r\n");
    int number = 100001;
    for (const QString& name : names) {
        text += QString::number(number) + QStringLiteral(" - ") +
                QStringLiteral("%1").arg(number % 10000, 4, 10, QLatin1Char('0')) + name +
                QStringLiteral(".html\r\n");
        ++number;
    }
    return text;
}

SuggestionIndex Build(const QStringList& names) { return SuggestionIndex::Build(Index(names)); }

// Names whose reading in medicinal use is known, with that reading.
const QList<std::pair<QString, QString>> Readings = {
    {QStringLiteral("藁本"), QStringLiteral("gao ben")},
    {QStringLiteral("贝母"), QStringLiteral("bei mu")},
    {QStringLiteral("芍药"), QStringLiteral("shao yao")},
    {QStringLiteral("厚朴"), QStringLiteral("hou po")},
    {QStringLiteral("大黄"), QStringLiteral("da huang")},
    {QStringLiteral("重楼"), QStringLiteral("chong lou")},
    {QStringLiteral("地黄"), QStringLiteral("di huang")},
    {QStringLiteral("当归"), QStringLiteral("dang gui")},
    {QStringLiteral("白术"), QStringLiteral("bai zhu")},
    {QStringLiteral("苍术"), QStringLiteral("cang zhu")},
    {QStringLiteral("莪术"), QStringLiteral("e zhu")},
    {QStringLiteral("柴胡"), QStringLiteral("chai hu")},
    {QStringLiteral("川芎"), QStringLiteral("chuan xiong")},
    {QStringLiteral("葛根"), QStringLiteral("ge gen")},
    {QStringLiteral("蚤休"), QStringLiteral("zao xiu")},
    {QStringLiteral("薄荷"), QStringLiteral("bo he")},
    {QStringLiteral("枸杞"), QStringLiteral("gou qi")},
    {QStringLiteral("大枣"), QStringLiteral("da zao")},
    {QStringLiteral("阿胶"), QStringLiteral("e jiao")},
    {QStringLiteral("南沙参"), QStringLiteral("nan sha shen")},
    {QStringLiteral("北沙参"), QStringLiteral("bei sha shen")},
    {QStringLiteral("人参"), QStringLiteral("ren shen")},
    {QStringLiteral("党参"), QStringLiteral("dang shen")},
    {QStringLiteral("丹参"), QStringLiteral("dan shen")},
    {QStringLiteral("附子"), QStringLiteral("fu zi")},
    {QStringLiteral("半夏"), QStringLiteral("ban xia")},
    {QStringLiteral("杜仲"), QStringLiteral("du zhong")},
    {QStringLiteral("茜草"), QStringLiteral("qian cao")},
    {QStringLiteral("牛膝"), QStringLiteral("niu xi")},
    {QStringLiteral("红花"), QStringLiteral("hong hua")},
    {QStringLiteral("乌药"), QStringLiteral("wu yao")},
    {QStringLiteral("龙胆"), QStringLiteral("long dan")},
    {QStringLiteral("茯苓"), QStringLiteral("fu ling")},
    {QStringLiteral("麦冬"), QStringLiteral("mai dong")},
    {QStringLiteral("天冬"), QStringLiteral("tian dong")},
    {QStringLiteral("地骨皮"), QStringLiteral("di gu pi")},
    {QStringLiteral("黄柏"), QStringLiteral("huang bo")},
    {QStringLiteral("侧柏叶"), QStringLiteral("ce bai ye")},
    {QStringLiteral("泽泻"), QStringLiteral("ze xie")},
    {QStringLiteral("车前子"), QStringLiteral("che qian zi")},
    {QStringLiteral("石斛"), QStringLiteral("shi hu")},
    {QStringLiteral("桔梗"), QStringLiteral("jie geng")},
    {QStringLiteral("山楂"), QStringLiteral("shan zha")},
    {QStringLiteral("蛤蚧"), QStringLiteral("ge jie")},
    {QStringLiteral("薏苡仁"), QStringLiteral("yi yi ren")},
    {QStringLiteral("女贞子"), QStringLiteral("nv zhen zi")},
    {QStringLiteral("瓜蒌"), QStringLiteral("gua lou")},
};

// Entries of the library, with their 拉丁名 and 英文名.
const QString Fixtures = QStringLiteral(QINGLAN_LIBRARY_DIR "/data");

QStringList FixtureFiles() {
    return {QStringLiteral("0001人参.html"), QStringLiteral("0002人参叶.html"),
            QStringLiteral("0003党参.html"), QStringLiteral("0004西洋参.html"),
            QStringLiteral("0010甘草.html"), QStringLiteral("0012黄芪.html"),
            QStringLiteral("0019当归.html"), QStringLiteral("0067三七.html")};
}

QString FixtureText(const QString& file) {
    return QString::fromUtf8(ReadAll(Fixtures + u'/' + file));
}

// The index of the fixture entries, with every entry's Latin names added.
SuggestionIndex FixtureIndex() {
    QStringList names;
    for (const QString& file : FixtureFiles())
        names << file.mid(4).chopped(5);
    SuggestionIndex index = Build(names);
    for (const QString& file : FixtureFiles())
        index.AddLatinNames(file.mid(4).chopped(5),
                            SuggestionIndex::LatinNamesOf(ReadEntrySections(FixtureText(file))));
    return index;
}

QString Initials(const QString& spaced) {
    QString initials;
    for (const QString& syllable : spaced.split(u' '))
        initials += syllable.front();
    return initials;
}

} // namespace

class TestSuggest final : public QObject {
    Q_OBJECT

private slots:
    void characters() {
        // Index order deliberately differs from the ranking.
        const SuggestionIndex index =
            Build({QStringLiteral("全当归"), QStringLiteral("当归尾"), QStringLiteral("归脾丸"),
                   QStringLiteral("当归"), QStringLiteral("酒当归"), QStringLiteral("当归片")});
        QCOMPARE(
            index.Match(QStringLiteral("当归")),
            (QStringList{QStringLiteral("当归"), QStringLiteral("当归尾"), QStringLiteral("当归片"),
                         QStringLiteral("全当归"), QStringLiteral("酒当归")}));
        QCOMPARE(index.Match(QStringLiteral("  当归\t")), index.Match(QStringLiteral("当归")));
        QCOMPARE(index.Match(QStringLiteral("归")),
                 (QStringList{QStringLiteral("归脾丸"), QStringLiteral("全当归"),
                              QStringLiteral("当归尾"), QStringLiteral("当归"),
                              QStringLiteral("酒当归"), QStringLiteral("当归片")}));
        QCOMPARE(index.Match(QStringLiteral("尾")), QStringList{QStringLiteral("当归尾")});
    }

    void latinLettersInNamesIgnoreCase() {
        const SuggestionIndex index =
            Build({QStringLiteral("维生素B1片"), QStringLiteral("b族维生素")});
        QCOMPARE(index.Match(QStringLiteral("b")),
                 (QStringList{QStringLiteral("b族维生素"), QStringLiteral("维生素B1片")}));
        QCOMPARE(index.Match(QStringLiteral("B1")), QStringList{QStringLiteral("维生素B1片")});
        QCOMPARE(index.Match(QStringLiteral("B族")), QStringList{QStringLiteral("b族维生素")});
    }

    void fullPinyin() {
        const SuggestionIndex index = Build({QStringLiteral("炙甘草"), QStringLiteral("甘草"),
                                             QStringLiteral("甘草梢"), QStringLiteral("人参")});
        const QStringList gancao{QStringLiteral("甘草"), QStringLiteral("甘草梢"),
                                 QStringLiteral("炙甘草")};
        QCOMPARE(index.Match(QStringLiteral("gancao")), gancao);
        QCOMPARE(index.Match(QStringLiteral("gan cao")), gancao);
        QCOMPARE(index.Match(QStringLiteral(" gan  cao ")), gancao);
        QCOMPARE(index.Match(QStringLiteral("GanCao")), gancao);
        QCOMPARE(index.Match(QStringLiteral("GANCAO")), gancao);
        QCOMPARE(index.Match(QStringLiteral("gancaoshao")), QStringList{QStringLiteral("甘草梢")});
        // A partly typed syllable.
        QCOMPARE(index.Match(QStringLiteral("rens")), QStringList{QStringLiteral("人参")});
        QCOMPARE(index.Match(QStringLiteral("zhig")), QStringList{QStringLiteral("炙甘草")});
    }

    void initials() {
        const SuggestionIndex index = Build({QStringLiteral("通草"), QStringLiteral("炙甘草"),
                                             QStringLiteral("甘草片"), QStringLiteral("甘草")});
        // 甘草 by its initials, 甘草片 by theirs as a prefix, then 通草 whose
        // pinyin "tongcao" holds "gc", then 炙甘草 whose initials "zgc" hold it.
        QCOMPARE(index.Match(QStringLiteral("gc")),
                 (QStringList{QStringLiteral("甘草"), QStringLiteral("甘草片"),
                              QStringLiteral("通草"), QStringLiteral("炙甘草")}));
        QCOMPARE(index.Match(QStringLiteral("GC")), index.Match(QStringLiteral("gc")));
        QCOMPARE(index.Match(QStringLiteral("zgc")), QStringList{QStringLiteral("炙甘草")});
        QCOMPARE(index.Match(QStringLiteral("gcp")), QStringList{QStringLiteral("甘草片")});
    }

    void rankingAcrossKinds() {
        // "ren": 人 by its pinyin, then 人参 by the pinyin's prefix, before the
        // names merely containing "ren" in pinyin.
        const SuggestionIndex index =
            Build({QStringLiteral("薏苡仁"), QStringLiteral("人参"), QStringLiteral("人")});
        QCOMPARE(
            index.Match(QStringLiteral("ren")),
            (QStringList{QStringLiteral("人"), QStringLiteral("人参"), QStringLiteral("薏苡仁")}));
        // Characters before pinyin: the Latin name equal to the typed text comes
        // first, though 甘草's initials are "gc" too.
        const SuggestionIndex latin = Build({QStringLiteral("甘草"), QStringLiteral("GC")});
        QCOMPARE(latin.Match(QStringLiteral("gc")),
                 (QStringList{QStringLiteral("GC"), QStringLiteral("甘草")}));
    }

    void traditionalInput() {
        const SuggestionIndex index =
            Build({QStringLiteral("全当归"), QStringLiteral("当归"), QStringLiteral("黄芪"),
                   QStringLiteral("炙黄芪"), QStringLiteral("干姜"), QStringLiteral("白术")});
        QCOMPARE(index.Match(QStringLiteral("當歸")),
                 (QStringList{QStringLiteral("当归"), QStringLiteral("全当归")}));
        QCOMPARE(index.Match(QStringLiteral("黃芪")),
                 (QStringList{QStringLiteral("黄芪"), QStringLiteral("炙黄芪")}));
        QCOMPARE(index.Match(QStringLiteral("歸")),
                 (QStringList{QStringLiteral("全当归"), QStringLiteral("当归")}));
        QCOMPARE(index.Match(QStringLiteral("乾薑")), QStringList{QStringLiteral("干姜")});
        QCOMPARE(index.Match(QStringLiteral("白朮")), QStringList{QStringLiteral("白术")});
    }

    void noMatch() {
        const SuggestionIndex index = Build({QStringLiteral("甘草"), QStringLiteral("人参")});
        QVERIFY(index.Match(QStringLiteral("xyz")).isEmpty());
        QVERIFY(index.Match(QStringLiteral("黄芪")).isEmpty());
        QVERIFY(index.Match(QStringLiteral("gan草")).isEmpty());
        QVERIFY(index.Match(QString()).isEmpty());
        QVERIFY(index.Match(QStringLiteral("   ")).isEmpty());
        QVERIFY(index.Match(QStringLiteral(" \t ")).isEmpty());
        // The mark of a character without a reading is not typed text.
        QVERIFY(index.Match(QStringLiteral("#")).isEmpty());
        QVERIFY(SuggestionIndex().Match(QStringLiteral("gc")).isEmpty());
        QVERIFY(SuggestionIndex::Build(QString()).Match(QStringLiteral("gc")).isEmpty());
    }

    void limit() {
        QStringList names;
        for (int i = 0; i < 30; ++i)
            names << QStringLiteral("参") + QString::number(i, 36).rightJustified(2, u'0') +
                         QStringLiteral("丸");
        names << QStringLiteral("参"); // the exact match, last in the index
        const SuggestionIndex index = Build(names);
        const QStringList twenty = index.Match(QStringLiteral("参"));
        QCOMPARE(twenty.size(), 20);
        QCOMPARE(twenty.value(0), QStringLiteral("参"));
        QCOMPARE(twenty.mid(1), names.mid(0, 19));
        QCOMPARE(index.Match(QStringLiteral("参"), 3),
                 (QStringList{QStringLiteral("参"), names[0], names[1]}));
        QCOMPARE(index.Match(QStringLiteral("参"), 1000).size(), 31);
        QVERIFY(index.Match(QStringLiteral("参"), 0).isEmpty());
        QVERIFY(index.Match(QStringLiteral("参"), -1).isEmpty());
        QCOMPARE(index.Match(QStringLiteral("shen"), 5).value(0), QStringLiteral("参"));
    }

    void medicinalReadings_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reading");
        for (const auto& [name, reading] : Readings)
            QTest::newRow(qPrintable(name)) << name << reading;
    }

    void medicinalReadings() {
        QFETCH(QString, name);
        QFETCH(QString, reading);
        static const SuggestionIndex index = [] {
            QStringList names;
            for (const auto& entry : Readings)
                names << entry.first;
            return Build(names);
        }();
        const QString joined = QString(reading).remove(u' ');
        QCOMPARE(index.Match(joined).value(0), name);
        QCOMPARE(index.Match(reading).value(0), name);
        QVERIFY2(index.Match(Initials(reading)).contains(name), qPrintable(Initials(reading)));
    }

    void polyphonicNames() {
        const SuggestionIndex index =
            Build({QStringLiteral("白术"), QStringLiteral("黄柏"), QStringLiteral("侧柏叶"),
                   QStringLiteral("阿胶"), QStringLiteral("阿魏"), QStringLiteral("人参"),
                   QStringLiteral("女贞子"), QStringLiteral("蛤蟆油"), QStringLiteral("关黄柏")});
        QCOMPARE(index.Match(QStringLiteral("baizhu")), QStringList{QStringLiteral("白术")});
        QCOMPARE(index.Match(QStringLiteral("bz")), QStringList{QStringLiteral("白术")});
        QCOMPARE(index.Match(QStringLiteral("huangbo")),
                 (QStringList{QStringLiteral("黄柏"), QStringLiteral("关黄柏")}));
        QCOMPARE(index.Match(QStringLiteral("cebaiye")), QStringList{QStringLiteral("侧柏叶")});
        QCOMPARE(index.Match(QStringLiteral("ejiao")), QStringList{QStringLiteral("阿胶")});
        QCOMPARE(index.Match(QStringLiteral("awei")), QStringList{QStringLiteral("阿魏")});
        QCOMPARE(index.Match(QStringLiteral("renshen")), QStringList{QStringLiteral("人参")});
        QCOMPARE(index.Match(QStringLiteral("rs")), QStringList{QStringLiteral("人参")});
        QVERIFY(index.Match(QStringLiteral("rencan")).isEmpty());
        QCOMPARE(index.Match(QStringLiteral("hamayou")), QStringList{QStringLiteral("蛤蟆油")});
        // ü typed as v, as u, or as itself.
        for (const QString& typed :
             {QStringLiteral("nvzhenzi"), QStringLiteral("nuzhenzi"), QStringLiteral("nüzhenzi"),
              QStringLiteral("nv"), QStringLiteral("nzz")})
            QCOMPARE(index.Match(typed), QStringList{QStringLiteral("女贞子")});
    }

    void duplicatesOnce() {
        const SuggestionIndex index =
            Build({QStringLiteral("人参"), QStringLiteral("甘草"), QStringLiteral("人参"),
                   QStringLiteral("人参叶"), QStringLiteral("甘草")});
        QCOMPARE(index.NameCount(), 3);
        QCOMPARE(index.Match(QStringLiteral("人参")),
                 (QStringList{QStringLiteral("人参"), QStringLiteral("人参叶")}));
        QCOMPARE(index.Match(QStringLiteral("rs")),
                 (QStringList{QStringLiteral("人参"), QStringLiteral("人参叶")}));
        QCOMPARE(index.Match(QStringLiteral("草")), QStringList{QStringLiteral("甘草")});
    }

    void latinNamesOfAnEntry() {
        // The names as a botanist reads the text: the genus written out where
        // the text abbreviates it, a variety's species once, authors left out.
        const EntryText licorice = ReadEntrySections(QStringLiteral(
            "<h2>甘草</h2><p><b>【拉丁名】</b>Glycyrrhizae Radix et Rhizoma</p>"
            "<p><b>【英文名】</b>Licorice root；Liquorice root</p>"
            "<p><b>【形态】</b>为豆科植物甘草 Glycyrrhiza uralensis Fisch.、胀果甘草 G. inflata "
            "Bat. 或光果甘草 G. glabra L. 的干燥根和根茎。</p>"));
        QCOMPARE(SuggestionIndex::LatinNamesOf(licorice),
                 (QStringList{QStringLiteral("Glycyrrhizae Radix et Rhizoma"),
                              QStringLiteral("Licorice root"), QStringLiteral("Liquorice root"),
                              QStringLiteral("Glycyrrhiza uralensis"),
                              QStringLiteral("Glycyrrhiza inflata"),
                              QStringLiteral("Glycyrrhiza glabra")}));
        const EntryText astragalus = ReadEntrySections(QStringLiteral(
            "<h2>黄芪</h2><p><b>【形态】</b>为豆科植物蒙古黄芪 Astragalus membranaceus (Fisch.) "
            "Bge. var. mongholicus (Bge.) Hsiao 或膜荚黄芪 A. membranaceus (Fisch.) Bge. "
            "的干燥根。主根长30～90cm，质硬而韧。</p>"));
        QCOMPARE(SuggestionIndex::LatinNamesOf(astragalus),
                 QStringList{QStringLiteral("Astragalus membranaceus")});
        QVERIFY(SuggestionIndex::LatinNamesOf(ReadEntrySections(QStringLiteral(
                                                  "<h2>大枣</h2><p><b>【性味】</b>甘，温。</p>")))
                    .isEmpty());
    }

    void latinAndEnglishNamesFindTheChineseName() {
        const SuggestionIndex index = FixtureIndex();
        // 人参 Ginseng Radix et Rhizoma (English Ginseng), 人参叶 Ginseng Folium,
        // 西洋参 American ginseng: the same word first, then a name beginning
        // with it, then a name holding it later; not Notoginseng, where it
        // starts no word.
        const QStringList ginseng{QStringLiteral("人参"), QStringLiteral("人参叶"),
                                  QStringLiteral("西洋参")};
        QCOMPARE(index.Match(QStringLiteral("ginseng")), ginseng);
        QCOMPARE(index.Match(QStringLiteral("GINSENG")), ginseng);
        QCOMPARE(index.Match(QStringLiteral(" Ginseng ")), ginseng);
        // Words in any order, the last one typed in part.
        QCOMPARE(index.Match(QStringLiteral("radix ginseng")), QStringList{QStringLiteral("人参")});
        QCOMPARE(index.Match(QStringLiteral("Ginseng Radix et Rhiz")),
                 QStringList{QStringLiteral("人参")});
        QCOMPARE(index.Match(QStringLiteral("astragali")), QStringList{QStringLiteral("黄芪")});
        QCOMPARE(index.Match(QStringLiteral("Astragali Radix")),
                 QStringList{QStringLiteral("黄芪")});
        QCOMPARE(index.Match(QStringLiteral("milkvetch")), QStringList{QStringLiteral("黄芪")});
        QCOMPARE(index.Match(QStringLiteral("licorice")), QStringList{QStringLiteral("甘草")});
        QCOMPARE(index.Match(QStringLiteral("glycyrrhiza inflata")),
                 QStringList{QStringLiteral("甘草")});
        QCOMPARE(index.Match(QStringLiteral("angelicae sinensis")),
                 QStringList{QStringLiteral("当归")});
        QCOMPARE(index.Match(QStringLiteral("chinese angelica")),
                 QStringList{QStringLiteral("当归")});
        // The genus of 人参, 人参叶, 西洋参 and 三七, in index order.
        QCOMPARE(index.Match(QStringLiteral("panax")),
                 (QStringList{QStringLiteral("人参"), QStringLiteral("人参叶"),
                              QStringLiteral("西洋参"), QStringLiteral("三七")}));
        QCOMPARE(index.Match(QStringLiteral("notoginseng")), QStringList{QStringLiteral("三七")});
        // Pinyin before Latin: "dang" is 当归's and 党参's pinyin.
        QCOMPARE(index.Match(QStringLiteral("dang")),
                 (QStringList{QStringLiteral("党参"), QStringLiteral("当归")}));
        QVERIFY(index.Match(QStringLiteral("inseng")).isEmpty());
        QVERIFY(index.Match(QStringLiteral("radix 人参")).isEmpty());
        // Names for a name the index does not hold are dropped.
        SuggestionIndex other = Build({QStringLiteral("甘草")});
        other.AddLatinNames(QStringLiteral("人参"), {QStringLiteral("Ginseng Radix et Rhizoma")});
        QVERIFY(other.Match(QStringLiteral("ginseng")).isEmpty());
    }

    void theLibraryIsFoundByItsLatinAndEnglishNames() {
        const QDir library(QStringLiteral(QINGLAN_LIBRARY_DIR "/data"));
        const QStringList files = library.entryList({QStringLiteral("*.html")}, QDir::Files);
        QStringList names;
        for (const QString& file : files)
            names << file.mid(4).chopped(5);
        SuggestionIndex index = Build(names);
        int withLatin = 0;
        for (const QString& file : files) {
            const EntryText entry =
                ReadEntrySections(QString::fromUtf8(ReadAll(library.filePath(file))));
            withLatin += entry.Find(u"拉丁名") ? 1 : 0;
            index.AddLatinNames(file.mid(4).chopped(5), SuggestionIndex::LatinNamesOf(entry));
        }
        if (withLatin == 0)
            QSKIP("the library's entries have no 拉丁名 yet");
        // The Pharmacopoeia's Latin names, typed whole: that entry first.
        const QList<std::pair<QString, QString>> latin = {
            {QStringLiteral("Ginseng Radix et Rhizoma"), QStringLiteral("人参")},
            {QStringLiteral("Astragali Radix"), QStringLiteral("黄芪")},
            {QStringLiteral("Glycyrrhizae Radix et Rhizoma"), QStringLiteral("甘草")},
            {QStringLiteral("Angelicae Sinensis Radix"), QStringLiteral("当归")},
        };
        for (const auto& [name, chinese] : latin) {
            QCOMPARE(index.Match(name).value(0), chinese);
            QCOMPARE(index.Match(name.toLower()).value(0), chinese);
        }
        // A word of them, of the English name or of the plant's binomial.
        const QList<std::pair<QString, QString>> words = {
            {QStringLiteral("ginseng"), QStringLiteral("人参")},
            {QStringLiteral("radix ginseng"), QStringLiteral("人参")},
            {QStringLiteral("panax"), QStringLiteral("人参")},
            {QStringLiteral("astragali"), QStringLiteral("黄芪")},
            {QStringLiteral("astragalus"), QStringLiteral("黄芪")},
            {QStringLiteral("licorice"), QStringLiteral("甘草")},
            {QStringLiteral("glycyrrhiza"), QStringLiteral("甘草")},
            {QStringLiteral("angelica"), QStringLiteral("当归")},
        };
        for (const auto& [typed, chinese] : words)
            QVERIFY2(index.Match(typed).contains(chinese), qPrintable(typed));
    }

    void theBoxFindsEntriesOnDiskByTheirLatinNames() {
        // A data folder with the fixture entries listed, all but 三七 downloaded.
        QTemporaryDir data;
        QString index = QStringLiteral("\r\n");
        int number = 100001;
        for (const QString& file : FixtureFiles()) {
            index +=
                QString::number(number++) + QStringLiteral(" - ") + file + QStringLiteral("\r\n");
            if (!file.contains(QStringLiteral("三七")))
                QVERIFY(WriteFile(data.filePath(file.mid(4)), ToGbk(FixtureText(file))));
        }
        QVERIFY(WriteFile(data.filePath(QStringLiteral("ML")), ToGbk(index)));

        QWidget window;
        auto* box = new QLineEdit(&window);
        auto* button = new QPushButton(&window);
        box->setGeometry(0, 300, 200, 30);
        SuggestionBox suggestions(box, button, &window, data.filePath(QStringLiteral("ML")),
                                  nullptr);
        window.show();
        box->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto shown = [&] {
            QStringList names;
            for (int row = 0; row < suggestions.list()->count(); ++row)
                names << suggestions.list()->item(row)->text();
            return names;
        };
        // The names arrive after the first keystroke, and the list follows.
        QTest::keyClicks(box, QStringLiteral("panax"));
        QTRY_COMPARE_WITH_TIMEOUT(shown(),
                                  (QStringList{QStringLiteral("人参"), QStringLiteral("人参叶"),
                                               QStringLiteral("西洋参")}),
                                  10000);
        QVERIFY(suggestions.list()->isVisible());

        // 三七 is downloaded: the next keystroke reads it.
        const QString notoginseng = FixtureFiles().filter(QStringLiteral("三七")).value(0);
        QVERIFY(WriteFile(data.filePath(notoginseng.mid(4)), ToGbk(FixtureText(notoginseng))));
        QTRY_VERIFY(!suggestions.ReadingLatinNames());
        QTest::keyClick(box, Qt::Key_Backspace);
        QTRY_COMPARE_WITH_TIMEOUT(shown().size(), 4, 10000);
        QCOMPARE(shown().last(), QStringLiteral("三七"));

        // Choosing puts the Chinese name in the box and queries it.
        QSignalSpy pressed(button, &QPushButton::clicked);
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), QStringLiteral("人参"));
        QCOMPARE(pressed.size(), 1);
        QVERIFY(!suggestions.list()->isVisible());
    }

    void malformedLinesSkipped() {
        // Before the first CR LF and after the last one nothing counts; a line
        // needs " - " and a remote name of at least 9 characters, which is the
        // piece before a second " - ".
        const QString text = QStringLiteral("1 - 0001首行.html\r\n"
                                            "no separator 0002甘草.html\r\n"
                                            "3 - 0003.htm\r\n"
                                            "4 - 0004.html\r\n"
                                            "5 - 0005a - 甘草b.html\r\n"
                                            "6 - 0006黄芪.html - note\r\n"
                                            "7 - 0007人参.html\r\n"
                                            "\r\n"
                                            "8 - 0008末行.html");
        const SuggestionIndex index = SuggestionIndex::Build(text);
        QCOMPARE(index.NameCount(), 2);
        QCOMPARE(index.Match(QStringLiteral("黄芪")), QStringList{QStringLiteral("黄芪")});
        QCOMPARE(index.Match(QStringLiteral("人参")), QStringList{QStringLiteral("人参")});
        for (const QString& typed :
             {QStringLiteral("首行"), QStringLiteral("末行"), QStringLiteral("甘草"),
              QStringLiteral("html"), QStringLiteral("0")})
            QVERIFY2(index.Match(typed).isEmpty(), qPrintable(typed));
    }
};

QTEST_MAIN(TestSuggest)
#include "test_suggest.moc"
