#include "search/Suggestions.h"

#include "entries/EntryIndex.h"
#include "entries/EntrySections.h"
#include "search/Simplified.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace qinglan {

namespace {

// Stands for a character that has no reading, so that no typed letters match
// across it.
constexpr char NoReading = '#';

// Readings in medicinal names where ICU's default reading of a character is not
// the one used. Words are for characters read differently elsewhere in the
// materia medica; single characters are read so in every medicinal name.
struct WordReading {
    std::u16string_view word;
    std::array<const char*, 3> syllables;
};

constexpr std::array<WordReading, 7> WordReadings{{
    {u"厚朴", {"hou", "po"}},    // 朴: ICU pu
    {u"重楼", {"chong", "lou"}}, // 重: ICU zhong
    {u"薄荷", {"bo", "he"}},     // 薄: ICU bao
    {u"阿胶", {"e", "jiao"}},    // 阿: ICU a, as in 阿魏
    {u"黄柏", {"huang", "bo"}},  // 柏: ICU bai, as in 侧柏叶, 柏子仁
    {u"桔梗", {"jie", "geng"}},  // 桔: ICU ju
    {u"蛤蟆", {"ha", "ma"}},     // 蛤 reads ha here only, see below
}};

struct CharReading {
    char16_t character;
    const char* syllable;
};

constexpr std::array<CharReading, 5> CharReadings{{
    {u'参', "shen"},  // ICU can: 人参, 党参, 丹参, 沙参
    {u'术', "zhu"},   // ICU shu: 白术, 苍术, 莪术
    {u'地', "di"},    // ICU de: 地黄, 地骨皮
    {u'芎', "xiong"}, // ICU qiong: 川芎
    {u'蛤', "ge"},    // ICU ha: 蛤蚧, 蛤壳, 文蛤
}};

struct Syllable {
    std::string plain; // ü written u
    std::string v;     // ü written v; empty when the same as plain
};

// ICU's per-character readings, remembered per character since names repeat
// their characters.
class Transliteration final {
public:
    Transliteration() {
        UErrorCode status = U_ZERO_ERROR;
        m_toLatin.reset(icu::Transliterator::createInstance(icu::UnicodeString(u"Han-Latin"),
                                                            UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            m_toLatin.reset();
        status = U_ZERO_ERROR;
        m_toAscii.reset(icu::Transliterator::createInstance(icu::UnicodeString(u"Latin-ASCII"),
                                                            UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            m_toAscii.reset();
    }

    // Lower-case ASCII letters, or NoReading.
    const Syllable& Read(char32_t character) {
        const auto known = m_cache.constFind(character);
        if (known != m_cache.cend())
            return *known;
        return *m_cache.insert(character, Transliterate(character));
    }

private:
    // "Han-Latin; Latin-ASCII" in its two steps, so that ü can be seen before it
    // becomes u.
    Syllable Transliterate(char32_t character) const {
        const Syllable none{std::string(1, NoReading), {}};
        if (!m_toLatin || !m_toAscii)
            return none;
        icu::UnicodeString text{UChar32(character)};
        m_toLatin->transliterate(text);
        icu::UnicodeString withV = text;
        for (const char16_t u : {u'ü', u'ǖ', u'ǘ', u'ǚ', u'ǜ'})
            withV.findAndReplace(icu::UnicodeString(u), icu::UnicodeString(u'v'));
        const bool hasU = withV != text;
        m_toAscii->transliterate(text);
        m_toAscii->transliterate(withV);
        Syllable syllable{Letters(text), hasU ? Letters(withV) : std::string()};
        if (syllable.plain.empty() || (hasU && syllable.v.empty()))
            return none;
        return syllable;
    }

    // The letters of ICU's answer in lower case; empty when it holds anything
    // but ASCII letters and spaces (a character ICU cannot read comes back as it is).
    static std::string Letters(const icu::UnicodeString& text) {
        std::string letters;
        for (int32_t i = 0; i < text.length(); ++i) {
            const char16_t c = text.charAt(i);
            if (c >= u'a' && c <= u'z')
                letters += char(c);
            else if (c >= u'A' && c <= u'Z')
                letters += char(c - u'A' + u'a');
            else if (c != u' ')
                return {};
        }
        return letters;
    }

    std::unique_ptr<icu::Transliterator> m_toLatin;
    std::unique_ptr<icu::Transliterator> m_toAscii;
    QHash<char32_t, Syllable> m_cache;
};

std::vector<Syllable> Syllables(QStringView name, Transliteration& icu) {
    std::vector<Syllable> syllables;
    qsizetype i = 0;
    while (i < name.size()) {
        const QStringView rest = name.mid(i);
        const auto word =
            std::find_if(WordReadings.begin(), WordReadings.end(),
                         [&](const auto& w) { return rest.startsWith(QStringView(w.word)); });
        if (word != WordReadings.end()) {
            for (qsizetype k = 0; k < qsizetype(word->word.size()); ++k)
                syllables.push_back({word->syllables[size_t(k)], {}});
            i += qsizetype(word->word.size());
            continue;
        }
        const auto own = std::find_if(CharReadings.begin(), CharReadings.end(),
                                      [&](const auto& c) { return name[i] == QChar(c.character); });
        if (own != CharReadings.end()) {
            syllables.push_back({own->syllable, {}});
            ++i;
            continue;
        }

        char32_t c = name[i].unicode();
        qsizetype length = 1;
        if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            length = 2;
        }
        i += length;
        if (c < 0x80) {
            // Latin letters and digits stand for themselves; punctuation and
            // spaces are passed over.
            const char a = char(c);
            if ((a >= 'a' && a <= 'z') || (a >= '0' && a <= '9'))
                syllables.push_back({std::string(1, a), {}});
            else if (a >= 'A' && a <= 'Z')
                syllables.push_back({std::string(1, char(a - 'A' + 'a')), {}});
        } else if (QChar::script(c) == QChar::Script_Han) {
            syllables.push_back(icu.Read(c));
        } else if (QChar::isLetterOrNumber(c)) {
            syllables.push_back({std::string(1, NoReading), {}});
        }
    }
    return syllables;
}

// The typed text as pinyin letters: lower case, without spaces and apostrophes,
// ü as v. Empty when it holds anything else.
std::string PinyinKey(QStringView text) {
    std::string key;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\'' || u == u'’')
            continue;
        if (u >= u'a' && u <= u'z')
            key += char(u);
        else if (u >= u'A' && u <= u'Z')
            key += char(u - u'A' + u'a');
        else if (u >= u'0' && u <= u'9')
            key += char(u);
        else if (u == u'ü' || u == u'Ü')
            key += 'v';
        else
            return {};
    }
    return key;
}

// 0 equal, 1 prefix, 2 contained, 3 neither.
template <typename Text>
int Tier(Text haystack, Text needle) {
    if (needle.empty() || needle.size() > haystack.size())
        return 3;
    if (haystack.size() == needle.size())
        return haystack == needle ? 0 : 3;
    if (haystack.substr(0, needle.size()) == needle)
        return 1;
    return haystack.find(needle) != Text::npos ? 2 : 3;
}

// Text as its words in lower-case ASCII letters and digits, each after a space
// (" ginseng radix"): accents are dropped, anything else separates words. Empty
// when the text holds Chinese characters or no word.
std::string LatinWords(QStringView text) {
    std::string words;
    bool inWord = false;
    for (const QChar c : text.toString().normalized(QString::NormalizationForm_KD)) {
        const char16_t u = c.unicode();
        const bool letter = (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9');
        if (letter || (u >= u'A' && u <= u'Z')) {
            if (!inWord)
                words += ' ';
            words += letter ? char(u) : char(u - u'A' + u'a');
            inWord = true;
        } else if (c.category() == QChar::Mark_NonSpacing) {
            continue; // the accent of a letter before it
        } else if (c.script() == QChar::Script_Han) {
            return {};
        } else {
            inWord = false;
        }
    }
    return words;
}

// 0 the same words, 1 the name's first words (the last typed one in part),
// 2 every typed word starts some word of the name, 3 none of these; the best
// over the names.
int LatinTier(const std::vector<std::string>& names, std::string_view typed,
              const std::vector<std::string_view>& typedWords) {
    int best = 3;
    for (const std::string& name : names) {
        if (name == typed)
            return 0;
        if (name.size() > typed.size() && std::string_view(name).substr(0, typed.size()) == typed) {
            best = 1;
        } else if (best > 2 && std::all_of(typedWords.begin(), typedWords.end(), [&](auto word) {
                       return name.find(word) != std::string::npos;
                   })) {
            best = 2;
        }
    }
    return best;
}

// The separators between the names of a 拉丁名 or 英文名 section.
QStringList SplitNames(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[；;，,、\n]"));
    QStringList names;
    for (const QString& piece : text.split(separators, Qt::SkipEmptyParts))
        if (const QString name = piece.simplified(); !name.isEmpty())
            names << name;
    return names;
}

// The binomials a 形态 section names: a capitalised genus (or its initial and a
// dot, standing for the last genus of that initial) and a lower-case epithet.
QStringList Binomials(const QString& text) {
    static const QRegularExpression binomial(
        QStringLiteral("(?<![A-Za-z.])([A-Z][a-z]+|[A-Z]\\.)\\s+([a-z][a-z-]{2,})\\b"));
    static const QStringList notEpithets = {QStringLiteral("var"), QStringLiteral("subsp"),
                                            QStringLiteral("ssp"), QStringLiteral("ex"),
                                            QStringLiteral("et"),  QStringLiteral("cv")};
    QStringList names;
    QString lastGenus;
    for (auto it = binomial.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        QString genus = match.captured(1);
        if (genus.endsWith(u'.')) {
            if (!lastGenus.startsWith(genus.front()))
                continue;
            genus = lastGenus;
        }
        if (notEpithets.contains(match.captured(2)))
            continue;
        lastGenus = genus;
        const QString name = genus + u' ' + match.captured(2);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

int Tier(QStringView haystack, QStringView needle) {
    if (needle.isEmpty() || needle.size() > haystack.size())
        return 3;
    if (haystack.size() == needle.size())
        return haystack == needle ? 0 : 3;
    if (haystack.startsWith(needle))
        return 1;
    return haystack.contains(needle) ? 2 : 3;
}

} // namespace

SuggestionIndex SuggestionIndex::Build(QStringView indexText) {
    SuggestionIndex index;
    Transliteration icu;
    QSet<QStringView> seen;

    ForEachIndexLine(indexText, [&](QStringView line) {
        const auto parsed = ParseIndexLine(line);
        if (!parsed)
            return true;
        const QStringView display = parsed->DisplayName();
        if (display.isEmpty() || seen.contains(display))
            return true;
        seen.insert(display);

        Name name;
        name.display = display.toString();
        name.folded = name.display.toCaseFolded();
        bool hasV = false;
        for (const Syllable& s : Syllables(display, icu)) {
            name.pinyin += s.plain;
            name.pinyinV += s.v.empty() ? s.plain : s.v;
            name.initials += s.plain.front();
            hasV = hasV || !s.v.empty();
        }
        if (!hasV)
            name.pinyinV.clear();
        index.m_byDisplay.insert(name.display, int(index.m_names.size()));
        index.m_names.push_back(std::move(name));
        return true;
    });
    return index;
}

void SuggestionIndex::AddLatinNames(const QString& display, const QStringList& names) {
    const auto at = m_byDisplay.constFind(display);
    if (at == m_byDisplay.cend())
        return;
    std::vector<std::string>& latin = m_names[size_t(*at)].latin;
    for (const QString& name : names) {
        std::string words = LatinWords(name);
        if (!words.empty() && std::find(latin.begin(), latin.end(), words) == latin.end())
            latin.push_back(std::move(words));
    }
}

QStringList SuggestionIndex::LatinNamesOf(const EntryText& entry) {
    QStringList names;
    for (const char16_t* section : {u"拉丁名", u"英文名"})
        if (const EntrySection* found = entry.Find(section))
            names << SplitNames(found->text);
    if (const EntrySection* form = entry.Find(u"形态"))
        names << Binomials(form->text);
    return names;
}

QString SuggestionIndex::Simplified(const QString& text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return {};
    const QString simplified = SimplifiedChinese(text);
    return simplified == text ? QString() : simplified;
}

QStringList SuggestionIndex::Match(const QString& typed, int limit) const {
    const QString text = typed.trimmed();
    limit = std::min(limit, NameCount());
    if (text.isEmpty() || limit <= 0)
        return {};

    const QString folded = text.toCaseFolded();
    const QString simplified = Simplified(text).toCaseFolded();
    const std::string key = PinyinKey(text);
    const std::string_view keyView = key;
    const std::string latin = LatinWords(text);
    std::vector<std::string_view> latinWords;
    for (size_t at = latin.find(' '); at != std::string::npos;) {
        const size_t next = latin.find(' ', at + 1);
        latinWords.push_back(std::string_view(latin).substr(at, next - at));
        at = next;
    }

    // The first `limit` names of each rank (tier * Kinds + kind), in index order.
    constexpr int Kinds = 4;
    constexpr int Ranks = 3 * Kinds;
    std::vector<int> found(size_t(Ranks) * size_t(limit));
    std::array<int, Ranks> counts{};
    // Ranks at or beyond this one cannot make it into the answer any more.
    int cutoff = Ranks;

    for (int n = 0; n < NameCount(); ++n) {
        const Name& name = m_names[size_t(n)];
        int rank = Kinds * Tier(QStringView(name.folded), QStringView(folded));
        if (!simplified.isEmpty())
            rank = std::min(rank, Kinds * Tier(QStringView(name.folded), QStringView(simplified)));
        if (!key.empty() && rank > 0) {
            int pinyin = Tier(std::string_view(name.pinyin), keyView);
            if (!name.pinyinV.empty())
                pinyin = std::min(pinyin, Tier(std::string_view(name.pinyinV), keyView));
            rank = std::min(rank, Kinds * pinyin + 1);
            rank = std::min(rank, Kinds * Tier(std::string_view(name.initials), keyView) + 2);
        }
        if (!latin.empty() && !name.latin.empty() && rank > 3)
            rank = std::min(rank, Kinds * LatinTier(name.latin, latin, latinWords) + 3);
        if (rank >= cutoff)
            continue;
        if (counts[size_t(rank)] < limit)
            found[size_t(rank) * size_t(limit) + size_t(counts[size_t(rank)]++)] = n;
        // Once the ranks up to r fill the answer, a later name of rank r or worse
        // would come after the last place.
        int total = 0;
        for (int r = 0; r < cutoff; ++r) {
            total += counts[size_t(r)];
            if (total >= limit) {
                cutoff = r;
                break;
            }
        }
    }

    QStringList names;
    names.reserve(limit);
    for (int r = 0; r < Ranks; ++r)
        for (int k = 0; k < counts[size_t(r)] && names.size() < limit; ++k)
            names << m_names[size_t(found[size_t(r) * size_t(limit) + size_t(k)])].display;
    return names;
}

} // namespace qinglan
