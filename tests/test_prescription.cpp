// The prescription check: the rules as data, names understood whole, doses,
// pregnancy and toxicity from the entries, and the page it gives.
#include "check/Prescription.h"
#include "entries/CompatibilityRules.h"
#include "entries/EntrySections.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace qinglan;

namespace {

// The sample library as a check sees it after a bulk pass.
struct Library {
    NameTable table;
    QHash<QString, QString> html; // file name -> text

    Library() {
        QDir dir(QStringLiteral(QINGLAN_LIBRARY_DIR "/data"));
        for (const QString& name : dir.entryList(QDir::Files)) {
            const QString text = QString::fromUtf8(ReadAll(dir.filePath(name)));
            const EntryText entry = ReadEntrySections(text);
            const EntrySection* aliases = entry.Find(u"别名");
            table.Add({name.mid(4).chopped(5), name.mid(4), true,
                       aliases ? ParseAliases(aliases->text) : QStringList()});
            html.insert(name.mid(4), text);
        }
    }

    CheckReport Check(const QString& prescription) const {
        int more = 0;
        CheckReport report = CheckPrescription(
            ParsePrescription(prescription, &more), table, CompatibilityRules::Compiled(),
            [this](const QString& file) { return html.value(file); });
        report.more = more;
        return report;
    }
};

int Count(const CheckReport& report, Finding::Kind kind) {
    return int(std::count_if(report.findings.cbegin(), report.findings.cend(),
                             [&](const Finding& f) { return f.kind == kind; }));
}

int Clashes(const CheckReport& report) {
    return Count(report, Finding::Kind::EighteenClashes) +
           Count(report, Finding::Kind::NineteenFears);
}

QStringList NamesOf(const QList<PrescriptionItem>& items) {
    QStringList names;
    for (const PrescriptionItem& item : items)
        names << item.name;
    return names;
}

// A section of an entry's source, read without the program's section reader,
// its tags (line breaks) as sentence ends.
QString SectionSentences(const QString& html, const QString& name) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return RawSection(html, name).replace(tag, QStringLiteral("。"));
}

// The pregnancy caution of a 宜忌 text as a reader takes it: in each sentence that
// names 孕妇 or 妊娠, the first of 禁用, 忌用, 慎用 (or 服) after that name, else the
// last before it; the strongest over the sentences.
int PregnancyReading(const QString& cautions) {
    static const QStringList words = {QStringLiteral("禁用"), QStringLiteral("禁服"),
                                      QStringLiteral("忌用"), QStringLiteral("忌服"),
                                      QStringLiteral("慎用"), QStringLiteral("慎服")};
    static const QRegularExpression ends(QStringLiteral("[。；]"));
    int strongest = 0;
    for (const QString& sentence : cautions.split(ends)) {
        qsizetype named = sentence.indexOf(QStringLiteral("孕妇"));
        if (named < 0)
            named = sentence.indexOf(QStringLiteral("妊娠"));
        if (named < 0)
            continue;
        qsizetype after = -1;
        qsizetype before = -1;
        QString found;
        QString foundBefore;
        for (const QString& word : words) {
            const qsizetype at = sentence.indexOf(word, named);
            if (at >= 0 && (after < 0 || at < after)) {
                after = at;
                found = word;
            }
            const qsizetype back = sentence.lastIndexOf(word, named);
            if (back >= 0 && back < named && back > before) {
                before = back;
                foundBefore = word;
            }
        }
        if (found.isEmpty())
            found = foundBefore;
        if (!found.isEmpty())
            strongest = std::max(strongest, found.startsWith(u'禁')   ? 3
                                            : found.startsWith(u'忌') ? 2
                                                                      : 1);
    }
    return strongest;
}

Finding::Kind KindOf(const CompatibilityRule& rule) {
    return rule.kind == u"十八反" ? Finding::Kind::EighteenClashes : Finding::Kind::NineteenFears;
}

} // namespace

class TestPrescription final : public QObject {
    Q_OBJECT

    Library m_library;

private slots:
    void theCompiledRulesReadAndMalformedRulesAreRefused() {
        const CompatibilityRules& rules = CompatibilityRules::Compiled();
        QCOMPARE(rules.rules.size(), 12);
        for (const CompatibilityRule& rule : rules.rules)
            QVERIFY(!rule.source.isEmpty());
        QCOMPARE(rules.preparedForms.value(QStringLiteral("法半夏")), QStringLiteral("半夏"));
        QString error;
        QVERIFY(!CompatibilityRules::Parse(u"rule 十八反 | 甘草 | 甘遂", &error)); // no source
        QVERIFY(error.contains(QStringLiteral("no source")));
        QVERIFY(!CompatibilityRules::Parse(u"source 甲 = 书\nrule 甲 | 甘草", &error));
        QVERIFY(!CompatibilityRules::Parse(u"甘草 反 甘遂", &error));
        QVERIFY(CompatibilityRules::Parse(u"# only a remark\n\nsource 甲 = 书\nrule 甲 | a | b"));
    }

    void everyPairOfEveryRuleIsFoundInBothOrders() {
        const CompatibilityRules& rules = CompatibilityRules::Compiled();
        int pairs = 0;
        for (const CompatibilityRule& rule : rules.rules) {
            for (const QString& a : rule.one) {
                for (const QString& b : rule.other) {
                    for (const QString& text : {a + u' ' + b, b + u'，' + a}) {
                        const CheckReport report = m_library.Check(text);
                        QVERIFY2(Count(report, KindOf(rule)) == 1, qPrintable(text));
                    }
                    ++pairs;
                }
            }
        }
        QVERIFY(pairs > 60);
    }

    void preparedFormsAreCaughtAsTheirMaterial() {
        const CompatibilityRules& rules = CompatibilityRules::Compiled();
        int checked = 0;
        for (auto it = rules.preparedForms.cbegin(); it != rules.preparedForms.cend(); ++it) {
            // A partner of the material, in every rule that names it.
            for (const CompatibilityRule& rule : rules.rules) {
                const QStringList partners = rule.PartnersOf(it.value());
                if (partners.isEmpty())
                    continue;
                const QString text = it.key() + QStringLiteral("、") + partners.first();
                QVERIFY2(Count(m_library.Check(text), KindOf(rule)) >= 1, qPrintable(text));
                ++checked;
            }
        }
        QVERIFY(checked > 20);
        // The issue's own examples.
        QCOMPARE(Count(m_library.Check(QStringLiteral("法半夏、制川乌")),
                       Finding::Kind::EighteenClashes),
                 1);
        QCOMPARE(
            Count(m_library.Check(QStringLiteral("炙甘草 海藻")), Finding::Kind::EighteenClashes),
            1);
        QCOMPARE(
            Count(m_library.Check(QStringLiteral("全瓜蒌 附子")), Finding::Kind::EighteenClashes),
            1);
    }

    void namesMatchOnlyWhole_data() {
        QTest::addColumn<QString>("prescription");
        QTest::newRow("白附子 is not 附子") << "白附子 半夏";
        QTest::newRow("五味子 is not 味子 nor 五灵脂") << "五味子 人参";
        QTest::newRow("a name inside a longer one") << "附子理中丸 半夏";
    }

    void namesMatchOnlyWhole() {
        QFETCH(QString, prescription);
        const CheckReport report = m_library.Check(prescription);
        QCOMPARE(Count(report, Finding::Kind::EighteenClashes) +
                     Count(report, Finding::Kind::NineteenFears),
                 0);
    }

    void resolutionOrder() {
        const CompatibilityRules& rules = CompatibilityRules::Compiled();
        const auto by = [&](const char* name) {
            return ResolveName(QString::fromUtf8(name), m_library.table, rules).by;
        };
        QCOMPARE(by("制川乌"), Resolution::By::Entry); // an entry of its own first
        QCOMPARE(by("法半夏"), Resolution::By::PreparedForm);
        QCOMPARE(by("神草"), Resolution::By::Alias); // 人参's 别名
        QCOMPARE(ResolveName(QStringLiteral("神草"), m_library.table, rules).material,
                 QStringLiteral("人参"));
        QCOMPARE(by("犀角"), Resolution::By::RuleMember);
        QCOMPARE(by("某某草"), Resolution::By::Unknown);
        // An alias two entries share names neither.
        NameTable table = m_library.table;
        table.Add(
            {QStringLiteral("甲"), QStringLiteral("甲.html"), false, {QStringLiteral("神草")}});
        QCOMPARE(ResolveName(QStringLiteral("神草"), table, rules).by, Resolution::By::Ambiguous);
    }

    void dosesAsPeopleWriteThem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("remark");
        QTest::addColumn<double>("grams"); // -1: none
        QTest::newRow("joined") << "半夏9g"
                                << "半夏"
                                << "" << 9.0;
        QTest::newRow("spaced, 克") << "炙甘草 6克"
                                    << "炙甘草"
                                    << "" << 6.0;
        QTest::newRow("remark before") << "附子（先煎）15g"
                                       << "附子"
                                       << "先煎" << 15.0;
        QTest::newRow("remark after") << "薄荷6g(后下)"
                                      << "薄荷"
                                      << "后下" << 6.0;
        QTest::newRow("decimal") << "朱砂0.3g"
                                 << "朱砂"
                                 << "" << 0.3;
        QTest::newRow("milligrams") << "蟾酥 15mg"
                                    << "蟾酥"
                                    << "" << 0.015;
        QTest::newRow("no unit") << "甘草 6"
                                 << "甘草"
                                 << "" << 6.0;
        QTest::newRow("no dose") << "人参"
                                 << "人参"
                                 << "" << -1.0;
    }

    void dosesAsPeopleWriteThem() {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QString, remark);
        QFETCH(double, grams);
        const QList<PrescriptionItem> items = ParsePrescription(text);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].name, name);
        QCOMPARE(items[0].remark, remark);
        QCOMPARE(items[0].grams.value_or(-1.0), grams);
    }

    void separatorsAndTheIssuesExample() {
        const QList<PrescriptionItem> items =
            ParsePrescription(QStringLiteral("半夏9g 附子15g，甘草6g、人参\n\n五灵脂；丁香"));
        QStringList names;
        for (const PrescriptionItem& item : items)
            names << item.name;
        QCOMPARE(names, (QStringList{QStringLiteral("半夏"), QStringLiteral("附子"),
                                     QStringLiteral("甘草"), QStringLiteral("人参"),
                                     QStringLiteral("五灵脂"), QStringLiteral("丁香")}));
        const CheckReport report =
            m_library.Check(QStringLiteral("半夏9g 附子15g 甘草6g 人参 五灵脂"));
        QCOMPARE(Count(report, Finding::Kind::EighteenClashes), 1);
        QCOMPARE(Count(report, Finding::Kind::NineteenFears), 1);
        QVERIFY(report.findings.first().text.startsWith(QStringLiteral("半夏 与 附子")));
        QCOMPARE(report.findings.first().kind,
                 Finding::Kind::EighteenClashes); // most serious first
        QCOMPARE(report.unrecognised, 0);
    }

    void pregnancyLevelsFromTheLibrarysOwnTexts_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("level");
        QTest::newRow("半夏 慎用") << "半夏" << 1;
        QTest::newRow("甘遂 禁用") << "甘遂" << 3;
        QTest::newRow("三棱 禁用") << "三棱" << 3;
        QTest::newRow("麝香 禁用") << "麝香" << 3;
        QTest::newRow("甘草 none") << "甘草" << 0;
    }

    void pregnancyLevelsFromTheLibrarysOwnTexts() {
        QFETCH(QString, entry);
        QFETCH(int, level);
        const QString html = m_library.html.value(entry + QStringLiteral(".html"));
        QVERIFY(!html.isEmpty());
        QCOMPARE(PregnancyLevel(ReadEntrySections(html).Find(u"宜忌")->text), level);
        const CheckReport report = m_library.Check(entry);
        QCOMPARE(Count(report, Finding::Kind::Pregnancy), level > 0 ? 1 : 0);
    }

    void toxicityAndDosesAboveTheRange() {
        const CheckReport high = m_library.Check(QStringLiteral("附子30g 甘草6g"));
        QCOMPARE(Count(high, Finding::Kind::Toxic), 1);
        QCOMPARE(Count(high, Finding::Kind::Dose), 1);
        QVERIFY(high.findings.last().text.contains(QStringLiteral("30g")));
        QCOMPARE(Count(m_library.Check(QStringLiteral("附子15g")), Finding::Kind::Dose), 0);
        QCOMPARE(DoseFor(u"3～9g，另煎兑服；也可研粉吞服，一次2g", QString())->upper, 9.0);
        QCOMPARE(DoseFor(u"0.015～0.03g，多入丸散", QString())->upper, 0.03);
        QVERIFY(!DoseFor(u"外用适量", QString()));
    }

    void aPageNeverCallsAPrescriptionSafe() {
        for (const QString& text : {QStringLiteral("甘草 大枣"), QStringLiteral("甘草 某某草"),
                                    QStringLiteral("半夏 附子"), QString()}) {
            const CheckReport report = m_library.Check(text);
            const QString html = CheckReportHtml(report);
            QVERIFY(
                html.endsWith(QStringLiteral("<p class=end><b>仅供参考，用药请遵医嘱</b></p>")));
            QVERIFY(!html.contains(QStringLiteral("安全")));
            if (text == u"甘草 大枣")
                QVERIFY(html.contains(QStringLiteral("未发现十八反、十九畏配伍。")));
            if (report.unrecognised > 0)
                QVERIFY(html.contains(QStringLiteral("有 1 味药未能识别，核查不完整。")));
        }
    }

    void hostileInputGivesABoundedEscapedPage() {
        QString huge = QStringLiteral("<script>alert(1)</script>\n\n\n\"'&<b>x</b>\n");
        for (int i = 0; i < 10000; ++i)
            huge += QStringLiteral("药%1 ").arg(i);
        const CheckReport report = m_library.Check(huge);
        const QString html = CheckReportHtml(report);
        QCOMPARE(report.items.size(), MaxItems);
        QVERIFY(report.more > 9000);
        QVERIFY(!html.contains(QStringLiteral("<script")));
        QVERIFY(!html.contains(QStringLiteral("<b>x</b>")));
        QVERIFY(html.contains(QStringLiteral("&lt;script&gt;")));
        QVERIFY(html.contains(QStringLiteral("未核查")));

        // A dose or remark after a name beyond the limit goes with that name.
        QString full;
        for (int i = 0; i < MaxItems; ++i)
            full += QChar(0x4E00 + i) + QStringLiteral("药 ");
        int more = 0;
        const QList<PrescriptionItem> items =
            ParsePrescription(full + QStringLiteral("附子 15g （先煎） 甘草 6g"), &more);
        QCOMPARE(items.size(), MaxItems);
        QCOMPARE(more, 2);
        QCOMPARE(items.last().dose, QString());
        QCOMPARE(items.last().remark, QString());
    }

    void dosesAsTheyAreTyped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("names"); // space separated
        QTest::addColumn<double>("grams");  // of the first item
        QTest::newRow("full-width digits and unit") << "附子９ｇ 半夏９ｇ"
                                                    << "附子 半夏" << 9.0;
        QTest::newRow("a range with ～, its upper end") << "半夏9～12g 附子15g"
                                                        << "半夏 附子" << 12.0;
        QTest::newRow("a range with -") << "半夏9-12g 附子"
                                        << "半夏 附子" << 12.0;
        QTest::newRow("a range with 至") << "半夏9至12克，附子"
                                         << "半夏 附子" << 12.0;
        QTest::newRow("a range with 到, spaced") << "半夏 9 到 12 g 附子"
                                                 << "半夏 附子" << 12.0;
        QTest::newRow("a full-width range and remark") << "附子（先煎）１５～３０ｇ 半夏"
                                                       << "附子 半夏" << 30.0;
        QTest::newRow("a unit alone after its number") << "附子 9 g 半夏"
                                                       << "附子 半夏" << 9.0;
        QTest::newRow("钱 after a Chinese numeral") << "甘草三钱"
                                                    << "甘草" << 9.0;
        QTest::newRow("钱 after digits") << "甘草 3钱"
                                         << "甘草" << 9.0;
        QTest::newRow("两") << "黄芪一两"
                            << "黄芪" << 30.0;
        QTest::newRow("分") << "朱砂五分"
                            << "朱砂" << 1.5;
        QTest::newRow("十五克") << "石膏十五克"
                                << "石膏" << 15.0;
        QTest::newRow("names holding numerals") << "三七三钱 五味子6g"
                                                << "三七 五味子" << 9.0;
        QTest::newRow("a dose joined to the next name") << "附子9g半夏9g"
                                                        << "附子 半夏" << 9.0;
    }

    void dosesAsTheyAreTyped() {
        QFETCH(QString, text);
        QFETCH(QString, names);
        QFETCH(double, grams);
        const QList<PrescriptionItem> items = ParsePrescription(text);
        QCOMPARE(NamesOf(items), names.split(u' '));
        QVERIFY(items[0].grams);
        QVERIFY2(qFuzzyCompare(*items[0].grams, grams), qPrintable(items[0].dose));
        // A name is never lost because of its dose: the pair is found.
        if (names.contains(QStringLiteral("附子")) && names.contains(QStringLiteral("半夏")))
            QCOMPARE(Count(m_library.Check(text), Finding::Kind::EighteenClashes), 1);
        const QString html = CheckReportHtml(m_library.Check(text));
        QVERIFY(!html.contains(QStringLiteral("未能识别")));
    }

    void aTraditionalUnitSaysItsConversion() {
        const QString html = CheckReportHtml(m_library.Check(QStringLiteral("甘草三钱 黄芪一两")));
        QVERIFY2(html.contains(QStringLiteral("按1钱=3g折算为9g")), qPrintable(html));
        QVERIFY(html.contains(QStringLiteral("按1两=30g折算为30g")));
        const CheckReport high = m_library.Check(QStringLiteral("附子一两"));
        QCOMPARE(Count(high, Finding::Kind::Dose), 1);
        QVERIFY(high.findings.last().text.contains(QStringLiteral("30g")));
    }

    void pregnancyIsReadFromTheSentenceThatNamesIt_data() {
        QTest::addColumn<QString>("cautions");
        QTest::addColumn<int>("level");
        QTest::newRow("a long list before 禁用 (洋金花)")
            << "①孕妇、外感及痰热咳喘、青光眼、高血压及心动过速患者禁用。\n②体弱者慎用。" << 3;
        QTest::newRow("the word after a comma") << "孕妇及月经过多者，禁用。" << 3;
        QTest::newRow("another group's word after it") << "孕妇慎用，体弱者禁用。" << 1;
        QTest::newRow("another sentence's word") << "体弱者禁用；孕妇慎用。" << 1;
        QTest::newRow("妊娠") << "妊娠期忌服。" << 2;
        QTest::newRow("no level word") << "孕妇忌灌肠用。" << 0;
        QTest::newRow("no 孕妇") << "脾胃虚寒者慎用。" << 0;
    }

    void pregnancyIsReadFromTheSentenceThatNamesIt() {
        QFETCH(QString, cautions);
        QFETCH(int, level);
        QCOMPARE(PregnancyLevel(cautions), level);
        QCOMPARE(PregnancyReading(cautions), level); // the test's own reading agrees
    }

    void everyEntrysPregnancyAndToxicityMatchAReadingOfItsOwnText() {
        int pregnant = 0;
        int toxic = 0;
        for (auto it = m_library.html.cbegin(); it != m_library.html.cend(); ++it) {
            const QString display = it.key().chopped(5);
            const CheckReport report = m_library.Check(display);
            const int level = PregnancyReading(SectionSentences(*it, QStringLiteral("宜忌")));
            const auto finding =
                std::find_if(report.findings.cbegin(), report.findings.cend(),
                             [](const Finding& f) { return f.kind == Finding::Kind::Pregnancy; });
            QVERIFY2(level == (finding == report.findings.cend() ? 0 : finding->level),
                     qPrintable(display));
            pregnant += level > 0;

            const QString natureTaste = SectionSentences(*it, QStringLiteral("性味"));
            const QString grade =
                natureTaste.contains(QStringLiteral("有大毒"))   ? QStringLiteral("有大毒")
                : natureTaste.contains(QStringLiteral("有小毒")) ? QStringLiteral("有小毒")
                : natureTaste.contains(QStringLiteral("有毒"))   ? QStringLiteral("有毒")
                                                                 : QString();
            QCOMPARE(Count(report, Finding::Kind::Toxic), grade.isEmpty() ? 0 : 1);
            if (!grade.isEmpty()) {
                const auto toxicity =
                    std::find_if(report.findings.cbegin(), report.findings.cend(),
                                 [](const Finding& f) { return f.kind == Finding::Kind::Toxic; });
                QVERIFY2(toxicity->text.startsWith(display + grade), qPrintable(display));
            }
            toxic += !grade.isEmpty();
        }
        QVERIFY(pregnant > 30);
        QVERIFY(toxic > 20);
    }

    void theRulesSayWhatThePharmacopoeiasCautionsSay() {
        // From the 注意 of the Pharmacopoeia's monographs of the members of the
        // three 十八反 groups and the nine 十九畏 pairs (水银, 砒霜 and 犀角 have no
        // monograph: their pairs are the verse's).
        const QString upper = QStringLiteral("半夏 法半夏 姜半夏 清半夏 瓜蒌 瓜蒌子 瓜蒌皮 天花粉 "
                                             "川贝母 浙贝母 平贝母 伊贝母 湖北贝母 白蔹 白及");
        struct Caution {
            const char16_t* names;
            QString partners;
            Finding::Kind kind;
        };
        const auto clash = Finding::Kind::EighteenClashes;
        const auto fear = Finding::Kind::NineteenFears;
        const QList<Caution> cautions = {
            {u"甘草 炙甘草", QStringLiteral("海藻 京大戟 红大戟 甘遂 芫花"), clash},
            {u"人参 红参 人参叶", QStringLiteral("藜芦 五灵脂"), clash},
            {u"西洋参 党参 丹参 玄参 苦参 北沙参 南沙参 细辛 白芍 赤芍", QStringLiteral("藜芦"),
             clash},
            {u"川乌 制川乌 草乌 制草乌 附子", upper, clash},
            {u"硫黄", QStringLiteral("芒硝 玄明粉"), fear},
            {u"水银", QStringLiteral("砒霜"), fear},
            {u"狼毒", QStringLiteral("密陀僧"), fear},
            {u"巴豆 巴豆霜", QStringLiteral("牵牛子"), fear},
            {u"丁香 母丁香", QStringLiteral("郁金"), fear},
            {u"川乌 制川乌 草乌 制草乌", QStringLiteral("犀角"), fear},
            {u"芒硝 玄明粉", QStringLiteral("三棱"), fear},
            {u"肉桂", QStringLiteral("赤石脂"), fear},
        };
        int pairs = 0;
        for (const Caution& caution : cautions) {
            for (const QString& name : QString::fromUtf16(caution.names).split(u' ')) {
                for (const QString& partner : caution.partners.split(u' ')) {
                    // 人参 with 五灵脂 is of the nineteen fears, with 藜芦 of the eighteen.
                    const Finding::Kind kind =
                        partner == u"五灵脂" ? Finding::Kind::NineteenFears : caution.kind;
                    for (const QString& text : {name + u' ' + partner, partner + u'、' + name}) {
                        const CheckReport report = m_library.Check(text);
                        QVERIFY2(Count(report, kind) == 1, qPrintable(text));
                        QCOMPARE(report.unrecognised, 0);
                    }
                    ++pairs;
                }
            }
        }
        QVERIFY(pairs > 100);
    }

    void everyNotToBeUsedWithStatementOfTheLibraryGivesAFinding() {
        // Statements outside 十八反 and 十九畏, deliberately not rules: 莱菔子 with 人参
        // (相恶).
        const QStringList deliberately = {QStringLiteral("莱菔子|人参")};
        static const QRegularExpression statement(QStringLiteral("不宜与([^。；，]*?)同用"));
        static const QRegularExpression remark(QStringLiteral("（[^）]*）"));
        static const QRegularExpression joins(QStringLiteral("[、及和]"));
        int checked = 0;
        int outside = 0;
        for (auto it = m_library.html.cbegin(); it != m_library.html.cend(); ++it) {
            const QString display = it.key().chopped(5);
            const QString cautions = SectionSentences(*it, QStringLiteral("宜忌"));
            for (auto m = statement.globalMatch(cautions); m.hasNext();) {
                QString partners = m.next().captured(1);
                partners.remove(remark);
                for (const QString& partner : partners.split(joins, Qt::SkipEmptyParts)) {
                    if (!m_library.html.contains(partner + QStringLiteral(".html")))
                        continue;
                    const QString text = display + u' ' + partner;
                    const int found = Clashes(m_library.Check(text));
                    if (deliberately.contains(display + u'|' + partner)) {
                        QVERIFY2(found == 0, qPrintable(text));
                        ++outside;
                    } else {
                        QVERIFY2(found >= 1, qPrintable(text));
                        ++checked;
                    }
                }
            }
        }
        QVERIFY(checked > 150);
        QCOMPARE(outside, deliberately.size());
    }

    void namesOfTheVersesStandForWhatTheyCover_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("covers");
        QTest::newRow("贝母") << "贝母 附子"
                              << "川贝母、浙贝母、平贝母、伊贝母、湖北贝母";
        QTest::newRow("芍药") << "芍药 藜芦"
                              << "白芍、赤芍";
        QTest::newRow("沙参") << "沙参 藜芦"
                              << "北沙参、南沙参";
        QTest::newRow("大戟") << "大戟 甘草"
                              << "京大戟、红大戟";
        QTest::newRow("乌头") << "乌头 半夏"
                              << "川乌、草乌";
        QTest::newRow("栝楼") << "栝楼 附子"
                              << "瓜蒌、瓜蒌皮、瓜蒌子、天花粉";
        QTest::newRow("瓜蒌, also an entry") << "瓜蒌 附子"
                                             << "瓜蒌、瓜蒌皮、瓜蒌子、天花粉";
    }

    void namesOfTheVersesStandForWhatTheyCover() {
        QFETCH(QString, text);
        QFETCH(QString, covers);
        const CheckReport report = m_library.Check(text);
        QCOMPARE(Count(report, Finding::Kind::EighteenClashes), 1);
        QCOMPARE(report.unrecognised, 0);
        const QString html = CheckReportHtml(report);
        QVERIFY2(html.contains(covers), qPrintable(html));
        QVERIFY(!html.contains(QStringLiteral("未识别")));
    }

    void preparedGinsengAndAmbiguousAliases() {
        // 红参 and 生晒参 are 人参 prepared; 白参 is 南沙参's 别名 and, in trade, a
        // prepared 人参: ambiguous, and its pairs are found for either meaning.
        for (const QString& name : {QStringLiteral("红参"), QStringLiteral("生晒参")}) {
            const CheckReport report = m_library.Check(name + QStringLiteral(" 五灵脂"));
            QCOMPARE(Count(report, Finding::Kind::NineteenFears), 1);
            QCOMPARE(report.unrecognised, 0);
            // 红参 has an entry of its own; 生晒参 is named as 人参 prepared.
            if (name == u"生晒参")
                QVERIFY(CheckReportHtml(report).contains(QStringLiteral("人参")));
        }
        const CheckReport white = m_library.Check(QStringLiteral("白参 五灵脂"));
        QCOMPARE(white.unrecognised, 1);
        QCOMPARE(Count(white, Finding::Kind::NineteenFears), 1);
        const QString html = CheckReportHtml(white);
        QVERIFY2(html.contains(QStringLiteral("可指：人参、南沙参")), qPrintable(html));
        QCOMPARE(
            Count(m_library.Check(QStringLiteral("白参 藜芦")), Finding::Kind::EighteenClashes), 1);
    }

    void theDoseRangeOfTheFormWritten_data() {
        // The Pharmacopoeia's ranges: 何首乌 3～6g, 制何首乌 6～12g; 生地黄 10～15g.
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("range"); // empty: no dose finding
        QTest::newRow("何首乌 within the prepared form's range") << "何首乌12g"
                                                                 << "";
        QTest::newRow("制何首乌 within") << "制何首乌12g"
                                         << "";
        QTest::newRow("制何首乌 above") << "制何首乌15g"
                                        << "6～12g";
        QTest::newRow("生何首乌 above its own") << "生何首乌9g"
                                                << "3～6g";
        QTest::newRow("生地黄 above") << "生地黄20g"
                                      << "10～15g";
        QTest::newRow("the general range, not the emergency one") << "人参15g"
                                                                  << "3～9g";
    }

    void theDoseRangeOfTheFormWritten() {
        QFETCH(QString, text);
        QFETCH(QString, range);
        const CheckReport report = m_library.Check(text);
        QCOMPARE(report.unrecognised, 0);
        QCOMPARE(Count(report, Finding::Kind::Dose), range.isEmpty() ? 0 : 1);
        if (!range.isEmpty())
            QVERIFY2(report.findings.last().text.contains(range),
                     qPrintable(report.findings.last().text));
    }

    void whatThePageSaysOfWhatItChecked() {
        const QString partly = CheckReportHtml(m_library.Check(QStringLiteral("甘草 某某草")));
        QVERIFY2(partly.contains(QStringLiteral("在已识别的 1 味药中未发现十八反、十九畏配伍")),
                 qPrintable(partly));
        QVERIFY(partly.contains(QStringLiteral("有 1 味药未能识别")));

        QString many;
        for (int i = 0; i < MaxItems; ++i)
            many += QStringLiteral("甘草 ");
        const QString beyond = CheckReportHtml(m_library.Check(many + QStringLiteral("大枣")));
        QVERIFY(beyond.contains(QStringLiteral("未核查")));
        QVERIFY(!beyond.contains(QStringLiteral("未能识别")));

        // A herb written twice: one finding.
        QCOMPARE(Count(m_library.Check(QStringLiteral("半夏 附子 半夏")),
                       Finding::Kind::EighteenClashes),
                 1);
        const CheckReport twice = m_library.Check(QStringLiteral("附子30g 附子30g"));
        QCOMPARE(Count(twice, Finding::Kind::Dose), 1);
        QCOMPARE(Count(twice, Finding::Kind::Toxic), 1);
    }
};

QINGLAN_TEST_MAIN(TestPrescription)
#include "test_prescription.moc"
