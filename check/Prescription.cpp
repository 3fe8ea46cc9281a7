#include "check/Prescription.h"

#include "entries/EntrySections.h"
#include "entries/Facets.h"
#include "search/ContentIndex.h"
#include "shell/Pages.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace qinglan {

namespace {

// A number as written in a dose: Arabic, or Chinese up to 99 (三, 十五, 二十).
const QString& Number() {
    static const QString number =
        QStringLiteral("(?:\\d+(?:\\.\\d+)?|[一二三四五六七八九]?十[一二三四五六七八九]?|"
                       "[一二两三四五六七八九半])");
    return number;
}

// A dose: a number or a range and a unit; Chinese numerals only with a unit, so
// that 三七 and 五味子 stay names.
const QString& DosePattern() {
    static const QString dose = QStringLiteral("(?<low>%1)(?:\\s*[~\\-—至到]\\s*(?<high>%1))?\\s*"
                                               "(?<unit>mg|MG|毫克|g|G|克|钱|分|两)?")
                                    .arg(Number());
    return dose;
}

const QRegularExpression& DoseOnly() {
    static const QRegularExpression re(QStringLiteral("^") + DosePattern() + u'$');
    return re;
}

const QRegularExpression& Item() {
    // name, a remark in brackets, a dose, a remark after the dose.
    static const QRegularExpression re(
        QStringLiteral("^(?<name>[^\\d()]+?)\\s*(?:\\((?<remark>[^)]*)\\))?\\s*(?:") +
        DosePattern() + QStringLiteral(")?\\s*(?:\\((?<after>[^)]*)\\))?$"));
    return re;
}

std::optional<double> NumberValue(const QString& text) {
    bool ok = false;
    const double arabic = text.toDouble(&ok);
    if (ok)
        return arabic;
    static const QString digits = QStringLiteral("一二三四五六七八九");
    if (text == u"半")
        return 0.5;
    if (text == u"两")
        return 2;
    const qsizetype ten = text.indexOf(u'十');
    if (ten < 0)
        return text.size() == 1 && digits.contains(text[0])
                   ? std::optional<double>(digits.indexOf(text[0]) + 1)
                   : std::nullopt;
    const double tens = ten == 0 ? 1 : digits.indexOf(text[0]) + 1;
    const double ones = ten + 1 < text.size() ? digits.indexOf(text[ten + 1]) + 1 : 0;
    return tens * 10 + ones;
}

// Grams per unit, and the conversion said for a traditional one.
std::optional<std::pair<double, QString>> Unit(const QString& unit) {
    if (unit.isEmpty() || unit == u"g" || unit == u"G" || unit == u"克")
        return std::pair{1.0, QString()};
    if (unit.compare(u"mg", Qt::CaseInsensitive) == 0 || unit == u"毫克")
        return std::pair{0.001, QString()};
    if (unit == u"钱")
        return std::pair{3.0, QStringLiteral("1钱=3g")};
    if (unit == u"分")
        return std::pair{0.3, QStringLiteral("1分=0.3g")};
    if (unit == u"两")
        return std::pair{30.0, QStringLiteral("1两=30g")};
    return std::nullopt;
}

bool IsArabic(const QString& number) { return !number.isEmpty() && number[0].isDigit(); }

// Sets the dose of item from a match of DosePattern; false when the match is no
// dose (a Chinese numeral without a unit).
bool SetDose(PrescriptionItem& item, const QRegularExpressionMatch& match) {
    const QString low = match.captured(u"low");
    const QString high = match.captured(u"high");
    const QString unit = match.captured(u"unit");
    if (low.isEmpty() ||
        (unit.isEmpty() && (!IsArabic(low) || (!high.isEmpty() && !IsArabic(high)))))
        return false;
    const auto value = NumberValue(high.isEmpty() ? low : high);
    const auto grams = Unit(unit);
    item.dose = match.captured(0).trimmed();
    item.dose.remove(u' ');
    if (value && grams) {
        item.grams = *value * grams->first;
        item.conversion = grams->second;
    }
    return true;
}

// The text as the item reader takes it: NFKC (full-width forms as ASCII), the
// pieces of a dose joined ("9 ～ 12 g" is "9～12g"), and a dose followed at once
// by a name split from it ("附子9g半夏9g").
QString Normalised(QStringView text) {
    QString out = text.toString().normalized(QString::NormalizationForm_KC);
    static const QRegularExpression rangeGap(QStringLiteral("(\\d)\\s*([~\\-—至到])\\s*(?=\\d)"));
    static const QRegularExpression unitGap(
        QStringLiteral("(\\d)\\s+(mg|毫克|g|克|钱|分|两)(?=$|[\\s,、;()])"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression joined(
        QStringLiteral("(\\d(?:mg|毫克|g|克|钱|分|两))(?=\\p{Han})"),
        QRegularExpression::CaseInsensitiveOption);
    out.replace(rangeGap, QStringLiteral("\\1\\2"));
    out.replace(unitGap, QStringLiteral("\\1\\2"));
    out.replace(joined, QStringLiteral("\\1 "));
    return out;
}

// The processing words that may stand before a material's name ("制何首乌").
const QStringList& ProcessingPrefixes() {
    static const QStringList prefixes = {
        QStringLiteral("麸炒"), QStringLiteral("土炒"), QStringLiteral("生"), QStringLiteral("制"),
        QStringLiteral("炙"),   QStringLiteral("炒"),   QStringLiteral("焦"), QStringLiteral("醋"),
        QStringLiteral("酒"),   QStringLiteral("盐"),   QStringLiteral("姜"), QStringLiteral("蜜"),
        QStringLiteral("煅"),   QStringLiteral("炮")};
    return prefixes;
}

const QString& SectionText(const EntryText& entry, QStringView name) {
    static const QString none;
    const EntrySection* section = entry.Find(name);
    return section ? section->text : none;
}

QString KindName(Finding::Kind kind) {
    switch (kind) {
    case Finding::Kind::EighteenClashes:
        return QStringLiteral("十八反");
    case Finding::Kind::NineteenFears:
        return QStringLiteral("十九畏");
    case Finding::Kind::Pregnancy:
        return QStringLiteral("妊娠");
    case Finding::Kind::Toxic:
        return QStringLiteral("毒性");
    case Finding::Kind::Dose:
        return QStringLiteral("剂量");
    }
    return {};
}

QString Grams(double value) { return QString::number(value, 'g', 6) + u'g'; }

bool Recognised(const Resolution& r) {
    return r.by != Resolution::By::Unknown && r.by != Resolution::By::Ambiguous;
}

} // namespace

NameTable NameTable::Of(const ContentIndex& index) {
    NameTable table;
    for (const ContentIndex::Entry& entry : index.Entries())
        table.Add({entry.display, entry.file, entry.present, entry.aliases});
    return table;
}

void NameTable::Add(const Entry& entry) {
    const int at = int(entries.size());
    entries << entry;
    if (!byDisplay.contains(entry.display))
        byDisplay.insert(entry.display, at);
    for (const QString& alias : entry.aliases) {
        QList<int>& list = byAlias[alias];
        if (!list.contains(at))
            list << at;
    }
}

QList<PrescriptionItem> ParsePrescription(QStringView text, int* more) {
    static const QRegularExpression separators(QStringLiteral("[,、;\\r\\n]+"));
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    QList<PrescriptionItem> items;
    int beyond = 0;
    bool lastDropped = false;
    for (const QString& chunk : Normalised(text).split(separators, Qt::SkipEmptyParts)) {
        for (const QString& token : chunk.split(spaces, Qt::SkipEmptyParts)) {
            // A dose or a remark on its own belongs to the name before it, and goes
            // with it when that name is beyond the limit.
            PrescriptionItem dose;
            const bool isDose = SetDose(dose, DoseOnly().match(token));
            const bool remark = token.startsWith(u'(') && token.endsWith(u')');
            if (lastDropped && (isDose || remark))
                continue;
            if (!items.isEmpty()) {
                PrescriptionItem& last = items.last();
                if (isDose && last.dose.isEmpty()) {
                    last.dose = dose.dose;
                    last.grams = dose.grams;
                    last.conversion = dose.conversion;
                    continue;
                }
                if (remark) {
                    last.remark = token.mid(1).chopped(1);
                    continue;
                }
            }
            if (items.size() >= MaxItems) {
                ++beyond;
                lastDropped = true;
                continue;
            }
            PrescriptionItem item;
            const auto match = Item().match(token);
            if (match.hasMatch() && (match.captured(u"low").isEmpty() || SetDose(item, match))) {
                item.name = match.captured(u"name").trimmed();
                item.remark = match.captured(u"remark").isEmpty() ? match.captured(u"after")
                                                                  : match.captured(u"remark");
            } else {
                item = PrescriptionItem();
                item.name = token;
            }
            items << item;
        }
    }
    if (more)
        *more = beyond;
    return items;
}

Resolution ResolveName(const QString& name, const NameTable& table,
                       const CompatibilityRules& rules) {
    Resolution r;
    r.form = name;
    r.group = rules.groups.value(name);
    if (const auto at = table.byDisplay.constFind(name); at != table.byDisplay.cend()) {
        r.by = Resolution::By::Entry;
        r.material = name;
        r.entry = *at;
        return r;
    }
    if (!r.group.isEmpty()) {
        r.by = Resolution::By::Group;
        r.material = name;
        return r;
    }
    // The materials a prepared form and the aliases give; more than one is ambiguous.
    QStringList materials;
    const QString prepared = rules.preparedForms.value(name);
    if (!prepared.isEmpty())
        materials << prepared;
    for (const int at : table.byAlias.value(name))
        if (!materials.contains(table.entries[at].display))
            materials << table.entries[at].display;
    if (materials.size() > 1) {
        r.by = Resolution::By::Ambiguous;
        r.candidates = materials;
        return r;
    }
    if (materials.size() == 1) {
        r.by = prepared.isEmpty() ? Resolution::By::Alias : Resolution::By::PreparedForm;
        r.material = materials.first();
        r.entry = table.byDisplay.value(r.material, -1);
        return r;
    }
    // A processing word before an entry's name or alias: 制何首乌, 生首乌.
    for (const QString& prefix : ProcessingPrefixes()) {
        if (!name.startsWith(prefix) || name.size() <= prefix.size() + 1)
            continue;
        const QString rest = name.mid(prefix.size());
        const Resolution base = ResolveName(rest, table, rules);
        if (base.entry < 0 ||
            (base.by != Resolution::By::Entry && base.by != Resolution::By::Alias))
            continue;
        r.by = Resolution::By::PreparedForm;
        r.entry = base.entry;
        r.material = table.entries[base.entry].display;
        r.form = prefix + r.material;
        return r;
    }
    if (rules.NamesMaterial(name)) {
        r.by = Resolution::By::RuleMember;
        r.material = name;
    }
    return r;
}

int PregnancyLevel(QStringView cautions) {
    static const QRegularExpression sentences(QStringLiteral("[。；;\\n]"));
    static const QRegularExpression parts(QStringLiteral("[，,]"));
    static const QRegularExpression word(QStringLiteral("(禁|忌|慎)(用|服)"));
    const auto levelOf = [](const QString& part) {
        int level = 0;
        for (auto it = word.globalMatch(part); it.hasNext();) {
            const QChar c = it.next().captured(1)[0];
            level = std::max(level, c == u'禁' ? 3 : c == u'忌' ? 2 : 1);
        }
        return level;
    };
    int level = 0;
    for (const QString& sentence : cautions.toString().split(sentences)) {
        const QStringList pieces = sentence.split(parts);
        const qsizetype named = std::find_if(pieces.cbegin(), pieces.cend(),
                                             [](const QString& p) {
                                                 return p.contains(u"孕妇") || p.contains(u"妊娠");
                                             }) -
                                pieces.cbegin();
        for (qsizetype k = named; k < pieces.size(); ++k) {
            if (const int found = levelOf(pieces[k]); found > 0) {
                level = std::max(level, found);
                break;
            }
        }
    }
    return level;
}

QString PregnancyWord(int level) {
    switch (level) {
    case 3:
        return QStringLiteral("孕妇禁用");
    case 2:
        return QStringLiteral("孕妇忌用");
    case 1:
        return QStringLiteral("孕妇慎用");
    default:
        return {};
    }
}

QList<StatedDose> StatedDoses(QStringView usage) {
    static const QRegularExpression range(QStringLiteral(
        "(?<label>[^。；;，,：:\\n\\d]*?)\\s*(?<range>(\\d+(?:\\.\\d+)?)\\s*[～~\\-－—至]"
        "\\s*(?<upper>\\d+(?:\\.\\d+)?)\\s*(?<unit>g|克|mg|毫克))"));
    QList<StatedDose> doses;
    for (auto it = range.globalMatch(usage.toString()); it.hasNext();) {
        const auto match = it.next();
        const auto unit = Unit(match.captured(u"unit"));
        const auto upper = NumberValue(match.captured(u"upper"));
        if (unit && upper)
            doses.append({*upper * unit->first, match.captured(u"label").trimmed(),
                          match.captured(u"range")});
    }
    return doses;
}

std::optional<StatedDose> DoseFor(QStringView usage, const QString& form) {
    const QList<StatedDose> doses = StatedDoses(usage);
    if (doses.isEmpty())
        return std::nullopt;
    // The label names the form written, not a prepared form of it: "制何首乌" is
    // not "何首乌".
    const auto names = [&form](const QString& label) {
        if (form.isEmpty() || !label.endsWith(form))
            return false;
        const QString before = label.chopped(form.size());
        return std::none_of(ProcessingPrefixes().cbegin(), ProcessingPrefixes().cend(),
                            [&](const QString& prefix) { return before.endsWith(prefix); });
    };
    for (const StatedDose& dose : doses)
        if (names(dose.label))
            return dose;
    for (const StatedDose& dose : doses)
        if (dose.label.isEmpty())
            return dose;
    return *std::max_element(
        doses.cbegin(), doses.cend(),
        [](const StatedDose& a, const StatedDose& b) { return a.upper < b.upper; });
}

CheckReport CheckPrescription(const QList<PrescriptionItem>& items, const NameTable& table,
                              const CompatibilityRules& rules,
                              const std::function<QString(const QString& file)>& entryText) {
    CheckReport report;
    report.items = items;
    // The names each item is known by to the rules: as written, as its entry, the
    // material a prepared form stands for, every material an ambiguous name may
    // mean and every material a verse's name covers.
    QList<QSet<QString>> ruleNames;
    QList<std::optional<EntryText>> texts;
    for (const PrescriptionItem& item : items) {
        const Resolution r = ResolveName(item.name, table, rules);
        report.resolutions << r;
        QSet<QString> names{item.name};
        for (const QString& material : QStringList{r.material} + r.candidates + r.group)
            if (!material.isEmpty())
                names << material << rules.preparedForms.value(material, material);
        names << rules.preparedForms.value(item.name, item.name);
        ruleNames << names;
        std::optional<EntryText> text;
        if (!Recognised(r)) {
            ++report.unrecognised;
        } else if (r.by == Resolution::By::Group) {
            if (!report.groups.contains(item.name))
                report.groups << item.name;
        } else if (r.entry < 0 || !table.entries[r.entry].present) {
            const QString display = r.entry < 0 ? r.material : table.entries[r.entry].display;
            if (!report.unchecked.contains(display))
                report.unchecked << display;
        } else {
            const QString html = entryText ? entryText(table.entries[r.entry].file) : QString();
            if (!html.isEmpty())
                text = ReadEntrySections(html);
            else if (!report.unchecked.contains(table.entries[r.entry].display))
                report.unchecked << table.entries[r.entry].display;
        }
        texts << text;
    }

    // The name as written, with the material it stands for when that differs.
    const auto identity = [&](qsizetype i) {
        const Resolution& r = report.resolutions[i];
        if (r.by == Resolution::By::Ambiguous)
            return items[i].name;
        return r.entry >= 0 ? table.entries[r.entry].display : r.material;
    };
    const auto shown = [&](qsizetype i) {
        const Resolution& r = report.resolutions[i];
        const QString material = r.by == Resolution::By::Ambiguous
                                     ? QStringLiteral("可指") + r.candidates.join(u'、')
                                     : identity(i);
        return material.isEmpty() || material == items[i].name
                   ? items[i].name
                   : QStringLiteral("%1（%2）").arg(items[i].name, material);
    };
    const auto linked = [&](qsizetype i) {
        const Resolution& r = report.resolutions[i];
        return r.entry >= 0 ? QStringList{table.entries[r.entry].display} : QStringList();
    };

    // Pairs of the rules, each rule and pair of materials once.
    QSet<QString> paired;
    for (qsizetype i = 0; i < items.size(); ++i) {
        for (qsizetype j = i + 1; j < items.size(); ++j) {
            for (qsizetype k = 0; k < rules.rules.size(); ++k) {
                const CompatibilityRule& rule = rules.rules[k];
                const bool pairs =
                    std::any_of(ruleNames[i].cbegin(), ruleNames[i].cend(), [&](const QString& a) {
                        return std::any_of(ruleNames[j].cbegin(), ruleNames[j].cend(),
                                           [&](const QString& b) { return rule.Pairs(a, b); });
                    });
                if (!pairs)
                    continue;
                QStringList materials{identity(i), identity(j)};
                materials.sort();
                const QString key = QString::number(k) + u'|' + materials.join(u'|');
                if (paired.contains(key))
                    continue;
                paired.insert(key);
                Finding finding;
                finding.kind = rule.kind == u"十八反" ? Finding::Kind::EighteenClashes
                                                      : Finding::Kind::NineteenFears;
                finding.text = QStringLiteral("%1 与 %2，不宜同用（%3：%4）")
                                   .arg(shown(i), shown(j), rule.kind, rule.source);
                finding.names = linked(i) + linked(j);
                report.findings << finding;
            }
        }
    }

    // The cautions of an entry once, and its dose once, for the largest written.
    QSet<int> seen;
    QHash<int, qsizetype> largest;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Resolution& r = report.resolutions[i];
        if (!texts[i] || r.entry < 0)
            continue;
        if (items[i].grams &&
            (!largest.contains(r.entry) || *items[largest[r.entry]].grams < *items[i].grams))
            largest.insert(r.entry, i);
        if (seen.contains(r.entry))
            continue;
        seen.insert(r.entry);
        const EntryText& text = *texts[i];
        const QString& display = table.entries[r.entry].display;
        if (const int level = PregnancyLevel(SectionText(text, u"宜忌")); level > 0)
            report.findings << Finding{
                Finding::Kind::Pregnancy,
                level,
                QStringLiteral("%1：%2（见条目【宜忌】）").arg(display, PregnancyWord(level)),
                {display}};
        const Facets facets = FacetsOf(text);
        if (facets.natureTaste && facets.natureTaste->toxicity != Toxicity::None) {
            const Toxicity toxicity = facets.natureTaste->toxicity;
            const QString grade = toxicity == Toxicity::Severe  ? QStringLiteral("有大毒")
                                  : toxicity == Toxicity::Toxic ? QStringLiteral("有毒")
                                                                : QStringLiteral("有小毒");
            report.findings << Finding{Finding::Kind::Toxic,
                                       int(toxicity),
                                       QStringLiteral("%1%2。用法与用量：%3")
                                           .arg(display, grade, SectionText(text, u"用法与用量")),
                                       {display}};
        }
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Resolution& r = report.resolutions[i];
        if (r.entry < 0 || largest.value(r.entry, -1) != i)
            continue;
        const QString& display = table.entries[r.entry].display;
        const auto stated = DoseFor(SectionText(*texts[i], u"用法与用量"), r.form);
        if (!stated || *items[i].grams <= stated->upper)
            continue;
        const QString written =
            items[i].conversion.isEmpty()
                ? Grams(*items[i].grams)
                : QStringLiteral("%1（按%2折算为%3）")
                      .arg(items[i].dose, items[i].conversion, Grams(*items[i].grams));
        const QString range = stated->label.isEmpty()
                                  ? stated->range
                                  : QStringLiteral("%1 %2").arg(stated->label, stated->range);
        report.findings << Finding{Finding::Kind::Dose,
                                   0,
                                   QStringLiteral("%1 %2，超过条目所载用量上限 %3（对照：%4）")
                                       .arg(items[i].name, written, Grams(stated->upper), range),
                                   {display}};
    }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         if (a.kind != b.kind)
                             return a.kind < b.kind;
                         return a.level > b.level;
                     });
    return report;
}

QString CheckReportHtml(const CheckReport& report) {
    QString html;
    const QString end = QStringLiteral("<p class=end><b>仅供参考，用药请遵医嘱</b></p>");
    if (report.items.isEmpty())
        return QStringLiteral("<p class=hint>在上面写下处方，例如“半夏9g 附子15g 甘草6g”。</p>") +
               end;

    html += QStringLiteral("<h3>处方</h3><table class=items>");
    for (qsizetype i = 0; i < report.items.size(); ++i) {
        const PrescriptionItem& item = report.items[i];
        const Resolution& r = report.resolutions[i];
        QString understood;
        switch (r.by) {
        case Resolution::By::Entry:
            understood = EscapedEntryLink(r.material);
            break;
        case Resolution::By::PreparedForm:
        case Resolution::By::Alias: {
            const QString how =
                r.by == Resolution::By::Alias ? QStringLiteral("别名") : QStringLiteral("炮制品");
            understood = r.entry >= 0
                             ? EscapedEntryLink(r.material)
                             : QStringLiteral("<p>") + Escaped(r.material) + QStringLiteral("</p>");
            understood += QStringLiteral("<p class=how>按%1识别</p>").arg(how);
            break;
        }
        case Resolution::By::Group:
            understood = QStringLiteral("<p>") + Escaped(r.material) +
                         QStringLiteral("（歌诀统称，指：") + Escaped(r.group.join(u'、')) +
                         QStringLiteral("）</p>");
            break;
        case Resolution::By::RuleMember:
            understood = QStringLiteral("<p>") + Escaped(r.material) +
                         QStringLiteral("（药库无此条目）</p>");
            break;
        case Resolution::By::Ambiguous:
            understood = QStringLiteral("<p class=unknown>未识别（此名可指：") +
                         Escaped(r.candidates.join(u'、')) +
                         QStringLiteral("；十八反、十九畏按各义核查）</p>");
            break;
        case Resolution::By::Unknown:
            understood = QStringLiteral("<p class=unknown>未识别</p>");
            break;
        }
        if (r.by == Resolution::By::Entry && !r.group.isEmpty())
            understood += QStringLiteral("<p class=how>歌诀所称“") + Escaped(item.name) +
                          QStringLiteral("”指：") + Escaped(r.group.join(u'、')) +
                          QStringLiteral("</p>");
        QString dose = Escaped(item.dose);
        if (!item.conversion.isEmpty() && item.grams)
            dose += QStringLiteral("（按%1折算为%2）")
                        .arg(Escaped(item.conversion), Escaped(Grams(*item.grams)));
        if (!item.remark.isEmpty())
            dose += QStringLiteral("（") + Escaped(item.remark) + QStringLiteral("）");
        html += QStringLiteral("<tr><td>") + Escaped(item.name) +
                QStringLiteral("</td><td>→</td><td>") + understood + QStringLiteral("</td><td>") +
                dose + QStringLiteral("</td></tr>");
    }
    html += QStringLiteral("</table>");
    if (report.more > 0)
        html += QStringLiteral("<p class=warn>另有 %1 味药超出一次核查的 %2 味，未核查。</p>")
                    .arg(report.more)
                    .arg(MaxItems);

    html += QStringLiteral("<h3>核查结果</h3>");
    const bool clashes =
        std::any_of(report.findings.cbegin(), report.findings.cend(), [](const Finding& f) {
            return f.kind == Finding::Kind::EighteenClashes ||
                   f.kind == Finding::Kind::NineteenFears;
        });
    if (!report.findings.isEmpty()) {
        html += QStringLiteral("<ul class=findings>");
        for (const Finding& finding : report.findings) {
            html += QStringLiteral("<li class=k%1><b>%2</b>　")
                        .arg(int(finding.kind))
                        .arg(KindName(finding.kind)) +
                    Escaped(finding.text);
            for (const QString& name : finding.names)
                html += EscapedEntryLink(name);
            html += QStringLiteral("</li>");
        }
        html += QStringLiteral("</ul>");
    }
    if (!clashes && report.unrecognised == 0 && report.more == 0)
        html += QStringLiteral("<p class=none>未发现十八反、十九畏配伍。</p>");
    else if (!clashes)
        html += QStringLiteral("<p class=none>在已识别的 %1 味药中未发现十八反、十九畏配伍。</p>")
                    .arg(report.items.size() - report.unrecognised);
    if (report.unrecognised > 0)
        html += QStringLiteral("<p class=warn>有 %1 味药未能识别，核查不完整。</p>")
                    .arg(report.unrecognised);
    if (!report.groups.isEmpty())
        html += QStringLiteral("<p class=warn>") + Escaped(report.groups.join(u'、')) +
                QStringLiteral(
                    " 为歌诀统称，已按所指诸药核查十八反、十九畏，未核查妊娠禁忌、毒性与剂量；"
                    "请写明具体药名。</p>");
    if (!report.unchecked.isEmpty())
        html +=
            QStringLiteral(
                "<p "
                "class=warn>以下药材的条目未下载或药库中没有，未能核查其妊娠禁忌、毒性与剂量：") +
            Escaped(report.unchecked.join(u'、')) + QStringLiteral("。</p>");
    html += QStringLiteral(
        "<p class=scope>本核查对照十八反、十九畏，以及条目【宜忌】所载妊娠禁忌、【性味】所载毒性与"
        "【用法与用量】所载剂量；未涉及其他配伍、病证与个人体质。</p>");
    return html + end;
}

QString CheckPageHtml() {
    return BodyOpen(ResultPageStyle()) + QString::fromUtf16(HiddenInput) +
           QStringLiteral(
               "<style>#rxform{margin:8px}#rx{width:95%;height:5em;font-size:17px}"
               "#results{margin:8px}.items td{padding:0 6px;vertical-align:top}.items p{margin:0}"
               ".how{color:#666;font-size:13px}.unknown{color:#A03000}.warn{color:#A03000}"
               ".findings li{margin:4px 0}.findings p{display:inline;margin:0 4px}"
               ".k0 b,.k1 b{color:#C00000}.end{margin-top:12px}</style>"
               "<form id=rxform data-bridge=qinglanCheck onsubmit=\"return false\"><h2>配伍</h2>"
               "<textarea id=rx name=rx placeholder=\"例如：半夏9g 附子15g 甘草6g 人参 "
               "五灵脂\"></textarea>"
               "</form><div id=results><p class=cover>正在准备药库索引…</p></div>");
}

} // namespace qinglan
