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

const QRegularExpression& DoseOnly() {
    static const QRegularExpression re(QStringLiteral("^(\\d+(?:\\.\\d+)?)\\s*(g|G|克|mg|毫克)?$"));
    return re;
}

const QRegularExpression& Item() {
    // name, a remark in brackets, a dose, a remark after the dose.
    static const QRegularExpression re(
        QStringLiteral("^(?<name>[^\\d（()）]+?)\\s*(?:[（(](?<remark>[^）)]*)[）)])?\\s*"
                       "(?:(?<number>\\d+(?:\\.\\d+)?)\\s*(?<unit>g|G|克|mg|毫克)?)?\\s*"
                       "(?:[（(](?<after>[^）)]*)[）)])?$"));
    return re;
}

std::optional<double> Grams(const QString& number, const QString& unit) {
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    if (unit == u"mg" || unit == u"毫克")
        return value / 1000;
    if (unit.isEmpty() || unit == u"g" || unit == u"G" || unit == u"克")
        return value;
    return std::nullopt;
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
    static const QRegularExpression separators(QStringLiteral("[,，、;；\\r\\n]+"));
    static const QRegularExpression spaces(QStringLiteral("[\\s　]+"));
    QList<PrescriptionItem> items;
    int beyond = 0;
    bool lastDropped = false;
    for (const QString& chunk : text.toString().split(separators, Qt::SkipEmptyParts)) {
        for (const QString& token : chunk.split(spaces, Qt::SkipEmptyParts)) {
            // A dose or a remark on its own belongs to the name before it, and goes
            // with it when that name is beyond the limit.
            const auto dose = DoseOnly().match(token);
            const bool remark = (token.startsWith(u'（') || token.startsWith(u'(')) &&
                                (token.endsWith(u'）') || token.endsWith(u')'));
            if (lastDropped && (dose.hasMatch() || remark))
                continue;
            if (!items.isEmpty()) {
                PrescriptionItem& last = items.last();
                if (dose.hasMatch() && last.dose.isEmpty()) {
                    last.dose = token;
                    last.grams = Grams(dose.captured(1), dose.captured(2));
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
            if (match.hasMatch()) {
                item.name = match.captured(u"name").trimmed();
                item.remark = match.captured(u"remark").isEmpty() ? match.captured(u"after")
                                                                  : match.captured(u"remark");
                if (match.hasCaptured(u"number") && !match.captured(u"number").isEmpty()) {
                    item.dose = match.captured(u"number") + match.captured(u"unit");
                    item.grams = Grams(match.captured(u"number"), match.captured(u"unit"));
                }
            } else {
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
    if (const auto at = table.byDisplay.constFind(name); at != table.byDisplay.cend()) {
        r.by = Resolution::By::Entry;
        r.material = name;
        r.entry = *at;
        return r;
    }
    if (const auto form = rules.preparedForms.constFind(name); form != rules.preparedForms.cend()) {
        r.by = Resolution::By::PreparedForm;
        r.material = *form;
        r.entry = table.byDisplay.value(*form, -1);
        return r;
    }
    if (const auto alias = table.byAlias.constFind(name); alias != table.byAlias.cend()) {
        if (alias->size() == 1) {
            r.by = Resolution::By::Alias;
            r.entry = alias->first();
            r.material = table.entries[r.entry].display;
        } else {
            r.by = Resolution::By::Ambiguous;
            for (const int at : *alias)
                r.candidates << table.entries[at].display;
        }
        return r;
    }
    if (rules.NamesMaterial(name)) {
        r.by = Resolution::By::RuleMember;
        r.material = name;
        return r;
    }
    return r;
}

int PregnancyLevel(QStringView cautions) {
    static const QRegularExpression re(
        QStringLiteral("(孕妇|妊娠)[^。；;]{0,12}?(禁用|禁服|忌用|忌服|慎用|慎服)"));
    int level = 0;
    for (auto it = re.globalMatch(cautions.toString()); it.hasNext();) {
        const QString word = it.next().captured(2);
        level = std::max(level, word.startsWith(u'禁') ? 3 : word.startsWith(u'忌') ? 2 : 1);
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

std::optional<double> UpperDose(QStringView usage) {
    static const QRegularExpression range(QStringLiteral(
        "(\\d+(?:\\.\\d+)?)\\s*[～~\\-－—至]\\s*(\\d+(?:\\.\\d+)?)\\s*(g|克|mg|毫克)"));
    const auto match = range.match(usage.toString());
    if (!match.hasMatch())
        return std::nullopt;
    return Grams(match.captured(2), match.captured(3));
}

CheckReport CheckPrescription(const QList<PrescriptionItem>& items, const NameTable& table,
                              const CompatibilityRules& rules,
                              const std::function<QString(const QString& file)>& entryText) {
    CheckReport report;
    report.items = items;
    // The names each item is known by to the rules: as written, as its entry, and
    // the material a prepared form stands for.
    QList<QSet<QString>> ruleNames;
    QList<std::optional<EntryText>> texts;
    for (const PrescriptionItem& item : items) {
        const Resolution r = ResolveName(item.name, table, rules);
        report.resolutions << r;
        QSet<QString> names{item.name};
        if (!r.material.isEmpty())
            names << r.material << rules.preparedForms.value(r.material, r.material);
        names << rules.preparedForms.value(item.name, item.name);
        ruleNames << names;
        std::optional<EntryText> text;
        if (r.by == Resolution::By::Unknown || r.by == Resolution::By::Ambiguous) {
            ++report.unrecognised;
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
    const auto shown = [&](qsizetype i) {
        const Resolution& r = report.resolutions[i];
        const QString material = r.entry >= 0 ? table.entries[r.entry].display : r.material;
        return material.isEmpty() || material == items[i].name
                   ? items[i].name
                   : QStringLiteral("%1（%2）").arg(items[i].name, material);
    };
    const auto linked = [&](qsizetype i) {
        const Resolution& r = report.resolutions[i];
        return r.entry >= 0 ? QStringList{table.entries[r.entry].display} : QStringList();
    };

    // Pairs of the rules, each pair of items and rule once.
    for (qsizetype i = 0; i < items.size(); ++i) {
        for (qsizetype j = i + 1; j < items.size(); ++j) {
            for (const CompatibilityRule& rule : rules.rules) {
                const bool pairs =
                    std::any_of(ruleNames[i].cbegin(), ruleNames[i].cend(), [&](const QString& a) {
                        return std::any_of(ruleNames[j].cbegin(), ruleNames[j].cend(),
                                           [&](const QString& b) { return rule.Pairs(a, b); });
                    });
                if (!pairs)
                    continue;
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

    QSet<int> seen; // an entry listed twice gets its cautions once
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Resolution& r = report.resolutions[i];
        if (!texts[i] || r.entry < 0)
            continue;
        const EntryText& text = *texts[i];
        const QString& display = table.entries[r.entry].display;
        const QString usage = SectionText(text, u"用法与用量");
        if (!seen.contains(r.entry)) {
            seen.insert(r.entry);
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
                report.findings << Finding{
                    Finding::Kind::Toxic,
                    int(toxicity),
                    QStringLiteral("%1%2。用法与用量：%3").arg(display, grade, usage),
                    {display}};
            }
        }
        const auto upper = UpperDose(usage);
        if (items[i].grams && upper && *items[i].grams > *upper)
            report.findings << Finding{
                Finding::Kind::Dose,
                0,
                QStringLiteral("%1 %2，超过条目所载用量上限 %3（%4）")
                    .arg(display, Grams(*items[i].grams), Grams(*upper), usage),
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
        case Resolution::By::RuleMember:
            understood = QStringLiteral("<p>") + Escaped(r.material) +
                         QStringLiteral("（药库无此条目）</p>");
            break;
        case Resolution::By::Ambiguous:
            understood = QStringLiteral("<p class=unknown>未识别（别名可指：") +
                         Escaped(r.candidates.join(u'、')) + QStringLiteral("）</p>");
            break;
        case Resolution::By::Unknown:
            understood = QStringLiteral("<p class=unknown>未识别</p>");
            break;
        }
        QString dose = Escaped(item.dose);
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
    if (!clashes)
        html += QStringLiteral("<p class=none>未发现十八反、十九畏配伍。</p>");
    if (report.unrecognised > 0 || report.more > 0)
        html += QStringLiteral("<p class=warn>有 %1 味药未能识别，核查不完整。</p>")
                    .arg(report.unrecognised + report.more);
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
