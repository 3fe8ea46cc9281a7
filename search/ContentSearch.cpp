#include "search/ContentSearch.h"

#include "search/ContentIndex.h"
#include "search/Simplified.h"
#include "shell/Pages.h"

#include <QJsonArray>

#include <algorithm>
#include <climits>
#include <vector>

namespace qinglan {

namespace {

// The sections in the order their matches are ranked.
int SectionRank(QStringView name) {
    static const QStringList order = {
        QStringLiteral("功用主治"),   QStringLiteral("临床应用"), QStringLiteral("宜忌"),
        QStringLiteral("别名"),       QStringLiteral("性味"),     QStringLiteral("归经"),
        QStringLiteral("用法与用量"), QStringLiteral("药理作用"), QStringLiteral("化学成分"),
        QStringLiteral("名家论述"),   QStringLiteral("形态"),     QStringLiteral("炮制"),
        QStringLiteral("制法")};
    const qsizetype at = order.indexOf(name.toString());
    return at < 0 ? int(order.size()) : int(at);
}

QString SlotName(int slot) { return slot == 0 ? QString() : KnownSectionNames().value(slot - 1); }

// SectionRank of each slot, worked out once.
int SlotRank(int slot) {
    static const std::vector<int> ranks = [] {
        std::vector<int> r(ContentIndex::SectionSlots);
        for (int s = 0; s < ContentIndex::SectionSlots; ++s)
            r[size_t(s)] = SectionRank(SlotName(s));
        return r;
    }();
    return ranks[size_t(slot)];
}

QSet<QString> Strings(const QJsonValue& value, const QStringList& allowed) {
    QSet<QString> set;
    for (const QJsonValue& item : value.toArray()) {
        const QString text = item.toString();
        if (allowed.contains(text))
            set.insert(text);
    }
    return set;
}

bool PassesFilters(const ContentIndex::Entry& entry, const SearchRequest& request) {
    const auto& nt = entry.facets.natureTaste;
    if (!request.natures.isEmpty() && !(nt && request.natures.contains(nt->nature)))
        return false;
    if (!request.tastes.isEmpty() &&
        !(nt && std::any_of(nt->tastes.cbegin(), nt->tastes.cend(),
                            [&](const QString& t) { return request.tastes.contains(t); })))
        return false;
    if (!request.toxicities.isEmpty() &&
        !(nt && request.toxicities.contains(ToxicityName(nt->toxicity))))
        return false;
    const auto& meridians = entry.facets.meridians;
    if (!request.meridians.isEmpty() &&
        !(meridians && std::any_of(meridians->cbegin(), meridians->cend(), [&](const QString& m) {
              return request.meridians.contains(m);
          })))
        return false;
    return true;
}

} // namespace

const QStringList& SearchableSections() {
    static const QStringList sections = {QStringLiteral("功用主治"), QStringLiteral("宜忌"),
                                         QStringLiteral("药理作用"), QStringLiteral("临床应用"),
                                         QStringLiteral("化学成分"), QStringLiteral("名家论述")};
    return sections;
}

bool SearchRequest::IsEmpty() const {
    return words.isEmpty() && natures.isEmpty() && tastes.isEmpty() && meridians.isEmpty() &&
           toxicities.isEmpty();
}

SearchRequest SearchRequest::FromJson(const QJsonObject& state) {
    SearchRequest request;
    static const QRegularExpression spaces(QStringLiteral("[\\s　]+"));
    const QString text = SimplifiedChinese(state.value(QStringLiteral("q"))
                                               .toString()
                                               .left(200)
                                               .normalized(QString::NormalizationForm_KC));
    for (const QString& word : text.split(spaces, Qt::SkipEmptyParts)) {
        if (!ContentIndex::Finds(word) || request.words.contains(word) ||
            request.unused.contains(word))
            continue;
        if (request.words.size() < MaxWords)
            request.words << word;
        else
            request.unused << word;
    }
    const QString section = state.value(QStringLiteral("section")).toString();
    if (SearchableSections().contains(section))
        request.section = section;
    request.natures = Strings(state.value(QStringLiteral("nature")), AllNatures());
    request.tastes = Strings(state.value(QStringLiteral("taste")), AllTastes());
    request.meridians = Strings(state.value(QStringLiteral("meridian")), AllMeridians());
    request.toxicities = Strings(state.value(QStringLiteral("toxicity")), AllToxicities());
    return request;
}

SearchResults RunSearch(const ContentIndex& index, const SearchRequest& request) {
    SearchResults results;
    results.listed = index.ListedCount();
    results.searchable = index.SearchableCount();
    if (request.IsEmpty())
        return results;
    const QList<ContentIndex::Entry>& entries = index.Entries();

    if (request.words.isEmpty()) {
        for (const ContentIndex::Entry& entry : entries) {
            if (entry.present && PassesFilters(entry, request))
                results.hits.append({entry.display, entry.file, QString(), 0, entry.facets});
        }
        return results;
    }

    // For every entry, per section slot, which of the words it holds (a bit each),
    // in one flat table: entry numbers are small and dense.
    const int wantedSlot =
        request.section.isEmpty() ? -1 : ContentIndex::SectionSlot(request.section);
    constexpr int slotCount = ContentIndex::SectionSlots;
    std::vector<quint32> held;
    for (qsizetype w = 0; w < request.words.size(); ++w) {
        for (const qint64 row : index.SectionsWith(request.words[w])) {
            const int slot = int(row % slotCount);
            if (wantedSlot >= 0 && slot != wantedSlot)
                continue;
            const size_t at = size_t(row);
            if (at >= held.size())
                held.resize(std::max(at + 1, held.size() * 2), 0);
            held[at] |= quint32(1) << w;
        }
    }
    const quint32 all = (quint32(1) << request.words.size()) - 1;

    struct Ranked {
        SearchHit hit;
        int rank;
        int order;
    };
    QList<Ranked> ranked;
    for (const ContentIndex::Entry& entry : entries) {
        const size_t first = size_t(entry.id) * slotCount;
        if (!entry.present || first >= held.size())
            continue;
        quint32 any = 0;
        int bestRank = INT_MAX;
        int bestSlot = 0;
        int bestWords = 0;
        for (int slot = 0; slot < slotCount && first + size_t(slot) < held.size(); ++slot) {
            const quint32 words = held[first + size_t(slot)];
            if (words == 0)
                continue;
            any |= words;
            const int rank = SlotRank(slot);
            const int count = qPopulationCount(words);
            if (rank < bestRank || (rank == bestRank && count > bestWords)) {
                bestRank = rank;
                bestSlot = slot;
                bestWords = count;
            }
        }
        if (any != all || !PassesFilters(entry, request))
            continue;
        ranked.append({{entry.display, entry.file, SlotName(bestSlot), bestWords, entry.facets},
                       bestRank,
                       entry.order});
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.hit.wordsInSection != b.hit.wordsInSection)
            return a.hit.wordsInSection > b.hit.wordsInSection;
        return a.order < b.order;
    });
    for (const Ranked& r : std::as_const(ranked))
        results.hits.append(r.hit);
    return results;
}

QString MarkedSentence(const QString& text, const QStringList& words) {
    // The first sentence holding a word; the first sentence when none does.
    static const QRegularExpression end(QStringLiteral("[。；！？\\n]"));
    QStringList sentences;
    qsizetype from = 0;
    for (auto it = end.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        sentences << text.mid(from, match.capturedEnd() - from);
        from = match.capturedEnd();
    }
    if (from < text.size())
        sentences << text.mid(from);
    QString sentence = sentences.value(0);
    for (const QString& candidate : std::as_const(sentences)) {
        if (std::any_of(words.cbegin(), words.cend(), [&](const QString& w) {
                return candidate.contains(w, Qt::CaseInsensitive);
            })) {
            sentence = candidate;
            break;
        }
    }
    sentence = sentence.trimmed();
    if (sentence.size() > 160)
        sentence = sentence.left(160) + QStringLiteral("…");

    // Marks, longest words first where they overlap.
    QList<std::pair<qsizetype, qsizetype>> spans;
    QStringList ordered = words;
    std::sort(ordered.begin(), ordered.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& word : std::as_const(ordered)) {
        for (qsizetype at = sentence.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
             at = sentence.indexOf(word, at + word.size(), Qt::CaseInsensitive)) {
            const bool overlaps = std::any_of(spans.cbegin(), spans.cend(), [&](const auto& s) {
                return at < s.first + s.second && s.first < at + word.size();
            });
            if (!overlaps)
                spans.append({at, word.size()});
        }
    }
    std::sort(spans.begin(), spans.end());
    QString out;
    qsizetype at = 0;
    for (const auto& [start, length] : std::as_const(spans)) {
        out += Escaped(QStringView(sentence).mid(at, start - at));
        out += QStringLiteral("<mark>") + Escaped(QStringView(sentence).mid(start, length)) +
               QStringLiteral("</mark>");
        at = start + length;
    }
    out += Escaped(QStringView(sentence).mid(at));
    return out;
}

QString SearchResultsHtml(const SearchResults& results, const SearchRequest& request,
                          const std::function<QString(const QString& file)>& entryText, int limit) {
    QString html = QStringLiteral("<p class=cover>可离线检索 %1 / %2 个条目")
                       .arg(results.searchable)
                       .arg(results.listed);
    if (results.searchable < results.listed)
        html += QStringLiteral(
            "（其余条目须先下载：<button type=button data-action=download>下载全部条目</button>）");
    html += QStringLiteral("</p>");
    if (request.IsEmpty()) {
        html += QStringLiteral(
            "<p class=hint>输入功效、主治等词语（以空格分隔），或选择性、味、归经、毒性。</p>");
        return html;
    }
    if (!request.unused.isEmpty())
        html += QStringLiteral("<p class=warn>只用了前 %1 个词检索，未用：")
                    .arg(SearchRequest::MaxWords) +
                Escaped(request.unused.join(u' ')) + QStringLiteral("</p>");
    html += QStringLiteral("<p class=count>共 %1 个条目</p>").arg(results.hits.size());
    const qsizetype shown = std::min<qsizetype>(results.hits.size(), limit);
    for (qsizetype i = 0; i < shown; ++i) {
        const SearchHit& hit = results.hits[i];
        html += QStringLiteral("<div class=hit>") + EscapedEntryLink(hit.display);
        QString snippet;
        if (!request.words.isEmpty()) {
            // The matching sentence comes from the entry's own text.
            const EntryText entry = ReadEntrySections(entryText ? entryText(hit.file) : QString());
            const EntrySection* section = entry.Find(hit.section);
            if (!section && !entry.sections.isEmpty() && hit.section.isEmpty())
                section = &entry.sections.first();
            if (section)
                snippet = (hit.section.isEmpty() ? QString()
                                                 : QStringLiteral("【") + Escaped(hit.section) +
                                                       QStringLiteral("】")) +
                          MarkedSentence(section->text, request.words);
        } else {
            // Filters alone: the facets the entry was chosen by.
            if (const auto& nt = hit.facets.natureTaste)
                snippet += QStringLiteral("性：%1　味：%2　毒性：%3　")
                               .arg(nt->nature, nt->tastes.join(u'、'), ToxicityName(nt->toxicity));
            if (const auto& meridians = hit.facets.meridians)
                snippet += QStringLiteral("归经：") + meridians->join(u'、');
        }
        if (!snippet.isEmpty())
            html += QStringLiteral("<p class=snippet>") + snippet + QStringLiteral("</p>");
        html += QStringLiteral("</div>");
    }
    if (shown < results.hits.size())
        html += QStringLiteral("<p class=more>另有 %1 个条目未列出，请加上词语或筛选条件。</p>")
                    .arg(results.hits.size() - shown);
    return html;
}

QString SearchPageHtml() {
    const auto group = [](const QString& key, const QString& title, const QStringList& values) {
        QString html = QStringLiteral("<div class=group><span class=title>") + title +
                       QStringLiteral("</span>");
        for (const QString& value : values)
            html += QStringLiteral("<label><input type=checkbox name=%1 value=\"%2\">%2</label>")
                        .arg(key, Escaped(value));
        return html + QStringLiteral("</div>");
    };
    QString sections = QStringLiteral("<option value=\"\">全部</option>");
    for (const QString& section : SearchableSections())
        sections += QStringLiteral("<option value=\"%1\">%1</option>").arg(section);
    return BodyOpen(ResultPageStyle()) + QString::fromUtf16(HiddenInput) +
           QStringLiteral(
               "<style>#qs{margin:8px;font-size:15px}#qs input[type=text]{font-size:17px;width:60%}"
               ".group{margin:4px 0}.title{display:inline-block;width:3em;font-weight:bold}"
               ".group label{margin-right:8px;white-space:nowrap}"
               "#results{margin:8px}.hit p{margin:2px "
               "0}.snippet{color:#444;font-size:14px;margin-left:1em}"
               "mark{background:#F5D76E}.hit{margin-bottom:6px}.cover{color:#5B4A2B}.warn{color:#"
               "A03000}</style>"
               "<form id=qs data-bridge=qinglanSearch onsubmit=\"return false\"><h2>检索</h2>"
               "<input type=text name=q id=q placeholder=\"功效、主治等词语，以空格分隔\" "
               "autocomplete=off> "
               "<select name=section id=section>") +
           sections + QStringLiteral("</select>") +
           group(QStringLiteral("nature"), QStringLiteral("性"), AllNatures()) +
           group(QStringLiteral("taste"), QStringLiteral("味"), AllTastes()) +
           group(QStringLiteral("meridian"), QStringLiteral("归经"), AllMeridians()) +
           group(QStringLiteral("toxicity"), QStringLiteral("毒性"), AllToxicities()) +
           QStringLiteral("</form><div id=results><p class=cover>正在准备检索索引…</p></div>");
}

} // namespace qinglan
