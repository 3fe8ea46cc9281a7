#pragma once

#include "entries/Facets.h"

#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace qinglan {

class ContentIndex;

// What the search page asks: words that must all occur (in the chosen section,
// or anywhere), and filters that combine: every group that has a choice must be
// met (AND), any choice of a group meets it (OR).
struct SearchRequest final {
    static constexpr int MaxWords = 8;
    QStringList words;
    QStringList unused; // words past MaxWords, not searched (the page names them)
    QString section;    // empty: every section
    QSet<QString> natures;
    QSet<QString> tastes;
    QSet<QString> meridians;
    QSet<QString> toxicities; // 无毒 小毒 有毒 大毒

    bool IsEmpty() const;
    // From the page's state: {"q": "...", "section": "...", "nature": [...],
    // "taste": [...], "meridian": [...], "toxicity": [...]}. Unknown values and
    // keys are ignored; nothing in it is trusted beyond being text. The words are
    // read in NFKC form (full-width letters and digits as ASCII) and in simplified
    // characters (清熱 is 清热), as the entries are written; a word with nothing
    // searchable in it ("，", "*") is dropped, and a word repeated counts once.
    static SearchRequest FromJson(const QJsonObject& state);
};

struct SearchHit final {
    QString display;
    QString file;
    QString section; // the best section holding a word; empty for filters only
    int wordsInSection = 0;
    Facets facets;
};

struct SearchResults final {
    QList<SearchHit> hits; // best first
    int searchable = 0;    // entries whose text is in the index
    int listed = 0;        // entries the entry index lists
};

// The sections the page offers to search in, after 全部.
const QStringList& SearchableSections();

// Runs a search over the index. The order: a word in a better section first
// (功用主治, then 临床应用, 宜忌, ... 药理作用 ...), then more of the words in that
// section, then the entry index's order. With no words, every entry that passes
// the filters, in index order.
SearchResults RunSearch(const ContentIndex& index, const SearchRequest& request);

// The results part of the page: the count, the offline coverage (with the offer
// to download every entry when some are missing), then the first limit hits as
// entry links with the matching sentence, the words marked. entryText gives an
// entry's HTML by its file name (empty when it cannot be read). Everything
// inserted is escaped.
QString SearchResultsHtml(const SearchResults& results, const SearchRequest& request,
                          const std::function<QString(const QString& file)>& entryText,
                          int limit = 100);

// The sentence of text that holds the first of words found (split at 。；！？
// and line breaks), escaped, with every occurrence of every word in <mark>.
QString MarkedSentence(const QString& text, const QStringList& words);

// The search page itself: the text box, the section choice, the filter toggles
// and an empty results part (a ProgramPage, its bridge named qinglanSearch).
QString SearchPageHtml();

} // namespace qinglan
