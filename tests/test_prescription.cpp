// The prescription check: the rules as data, names understood whole, doses,
// pregnancy and toxicity from the entries, and the page it gives.
#include "check/Prescription.h"
#include "entries/CompatibilityRules.h"
#include "entries/EntrySections.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QDir>
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
        QTest::newRow("人参叶 with 五灵脂 is no 十九畏") << "人参叶 五灵脂";
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
        QCOMPARE(UpperDose(u"3～9g，另煎兑服；也可研粉吞服，一次2g"), std::optional<double>(9));
        QCOMPARE(UpperDose(u"0.015～0.03g，多入丸散"), std::optional<double>(0.03));
        QCOMPARE(UpperDose(u"外用适量"), std::optional<double>());
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
};

QINGLAN_TEST_MAIN(TestPrescription)
#include "test_prescription.moc"
