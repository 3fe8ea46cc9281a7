#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <string>
#include <vector>

namespace qinglan {

struct EntryText;

// The matching behind the suggestions shown under the query box while the user
// types. Built once from the entry index text, it holds every display name once
// (in index order, a repeated name where it first appears) with its readings:
// full pinyin without tones ("gancao"), the initials of its syllables ("gc").
// Readings come from ICU's Han-Latin transliteration per character, corrected by
// a small table for characters whose reading in medicinal names differs from
// ICU's default (参 reads shen, 术 zhu, 黄柏 huang bo, ...). A syllable with ü is
// kept both as "v" and as "u" ("nvzhenzi", "nuzhenzi").
//
// The typed text, trimmed, is compared in three ways:
//   characters - with the display name (Latin letters in any case), and, when it
//                holds traditional characters, also in its simplified form
//                (OpenCC t2s, phrase-aware: 當歸 finds 当归);
//   pinyin     - letters and digits only, spaces and apostrophes removed, any
//                case ("Gan Cao" is "gancao"), with the name's full pinyin;
//   initials   - the same letters with the name's initials ("gc").
//   Latin      - the words of the typed text (letters and digits, any case,
//                accents ignored) with the words of the names in Latin letters
//                that AddLatinNames gave the name: its Latin and English names
//                and the binomials of its plants. Exact is the same words, a
//                prefix is the name's first words (the last one typed in part),
//                contained is every typed word starting some word of one name,
//                in any order ("radix ginseng" finds "Ginseng Radix et Rhizoma").
// Each comparison is exact, a prefix or contained. The ranking is by that tier
// first and by the kind of comparison second:
//   1 characters exact, 2 pinyin exact, 3 initials exact, 4 Latin exact,
//   5 characters prefix, 6 pinyin prefix, 7 initials prefix, 8 Latin prefix,
//   9 characters contained, 10 pinyin contained, 11 initials contained,
//   12 Latin contained,
// so that "gc" puts 甘草 (initials exact) before 通草 (whose "tongcao" merely
// contains "gc"). A name counts once, at its best rank; names of the same rank
// keep index order. The suggestion is always the display name.
class SuggestionIndex final {
public:
    // indexText: CR LF, then "<resource number> - <remote name>" CR LF per entry.
    // Lines without " - " or whose remote name is shorter than 9 characters are
    // skipped, as is the first and the last piece of the split at CR LF.
    static SuggestionIndex Build(QStringView indexText);

    // Up to limit display names, best first; none for blank typed text.
    QStringList Match(const QString& typed, int limit = 20) const;

    // How many distinct display names the index holds.
    int NameCount() const { return int(m_names.size()); }

    // Adds names in Latin letters by which display is found as well (see
    // LatinNamesOf); names for a display name the index does not hold are
    // dropped, a name given twice counts once.
    void AddLatinNames(const QString& display, const QStringList& names);

    // The names in Latin letters an entry is known by: its 拉丁名 ("Ginseng
    // Radix et Rhizoma"), each name of its 英文名 (separated by "；", ";", "，",
    // ","), and the binomials of the plants or animals its 形态 names ("Panax
    // ginseng"; an abbreviated genus, "G. inflata", written out from the one
    // named before it). Empty for an entry without any.
    static QStringList LatinNamesOf(const EntryText& entry);

private:
    struct Name {
        QString display;
        QString folded;      // case-folded, for the character comparison
        std::string pinyin;  // "nuzhenzi"; '#' for a character without a reading
        std::string pinyinV; // "nvzhenzi" when the name has a ü, otherwise empty
        std::string initials;
        // Each Latin name as its lower-case ASCII words, each word after a space:
        // " ginseng radix et rhizoma".
        std::vector<std::string> latin;
    };
    // The typed text in simplified characters, or empty when it has none to change.
    static QString Simplified(const QString& text);

    std::vector<Name> m_names;
    QHash<QString, int> m_byDisplay; // display name -> its place in m_names
};

} // namespace qinglan
