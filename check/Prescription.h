#pragma once

#include "entries/CompatibilityRules.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace qinglan {

class ContentIndex;

// A prescription as people write it: names separated by spaces, commas, "、",
// "，" or new lines, each with an optional remark in brackets and an optional
// dose ("半夏9g", "炙甘草 6克", "附子（先煎）15g", "半夏9～12g", "甘草三钱"). Text is
// read in NFKC form first, so full-width letters, digits and signs as Chinese
// input methods give them ("附子９ｇ") read as their ASCII forms.
struct PrescriptionItem final {
    QString name;
    QString remark; // "先煎"
    QString dose;   // "9～12g" as written (after NFKC), empty when none
    // The dose in grams; for a range its upper end.
    std::optional<double> grams;
    // How a traditional unit was converted ("1钱=3g"), empty for grams.
    QString conversion;
};

// At most MaxItems items are read; the rest are counted in *more. A dose is
// a number or a range (～ ~ - 至 到) with an optional unit (g, 克, mg, 毫克), or
// a traditional unit in its modern conversion (钱 3 g, 分 0.3 g, 两 30 g, also
// after Chinese numerals: 三钱, 一两); a dose or unit standing alone after a
// name belongs to it.
QList<PrescriptionItem> ParsePrescription(QStringView text, int* more = nullptr);
inline constexpr int MaxItems = 60;

// The entries a check may recognise: display names, aliases, and for each the
// entry file when it is on disk.
struct NameTable final {
    struct Entry {
        QString display;
        QString file;
        bool present = false;
        QStringList aliases;
    };
    QList<Entry> entries;
    QHash<QString, int> byDisplay;
    QHash<QString, QList<int>> byAlias;

    void Add(const Entry& entry);
    // The entries the content index lists, in its order.
    static NameTable Of(const ContentIndex& index);
};

// How a name was understood: an entry's own name, a prepared form of a material
// (法半夏 is 半夏; also a processing prefix before an entry's name: 制何首乌), an
// alias from the entries' 别名, a name the classical verses use for several
// materials (贝母), or a material a rule names that the library has no entry for
// (犀角). A name that an alias and a prepared form (or two entries' aliases)
// give to different materials is ambiguous. Names are only ever matched whole:
// 白附子 is never 附子.
struct Resolution final {
    enum class By { Entry, PreparedForm, Alias, Group, RuleMember, Unknown, Ambiguous };
    By by = By::Unknown;
    QString material;       // the name the rules are asked about
    int entry = -1;         // into NameTable::entries, or -1
    QStringList candidates; // for an ambiguous name, the materials it may mean
    QStringList group;      // when the name is a verse's name, the materials it covers
    QString form;           // the form written, as the entry would name it ("制何首乌")
};
Resolution ResolveName(const QString& name, const NameTable& table,
                       const CompatibilityRules& rules);

struct Finding final {
    enum class Kind { EighteenClashes, NineteenFears, Pregnancy, Toxic, Dose };
    Kind kind;
    int level = 0;     // within a kind, more serious first (禁用 before 慎用)
    QString text;      // plain text, escaped when shown
    QStringList names; // the entries it concerns, linked when shown
};

struct CheckReport final {
    QList<PrescriptionItem> items;
    QList<Resolution> resolutions;
    QList<Finding> findings; // most serious first
    int unrecognised = 0;    // unknown or ambiguous names among the items read
    QStringList unchecked;   // recognised entries whose text is not on disk
    QStringList groups;      // verse names written alone, whose entries are not read
    int more = 0;            // items beyond MaxItems, not checked
};

// Checks the items for 十八反 and 十九畏 pairs (an ambiguous name with each
// material it may mean), pregnancy cautions (禁用, 忌用, 慎用 in the entries' 宜忌),
// toxicity (from 性味) with the entry's 用法与用量, and doses above the upper end
// of the entry's range for the form written. A pair of materials, or an entry,
// written twice gives one finding. entryText gives an entry's HTML by its file
// name (empty when it cannot be read).
CheckReport CheckPrescription(const QList<PrescriptionItem>& items, const NameTable& table,
                              const CompatibilityRules& rules,
                              const std::function<QString(const QString& file)>& entryText);

// The pregnancy caution a 宜忌 text states: 3 禁用 (禁服), 2 忌用 (忌服), 1 慎用
// (慎服), 0 none. Read per sentence (up to 。；or a line break) that names 孕妇 or
// 妊娠, however long: the word of the part (between commas) naming them, else of
// the first part after it that has one; the strongest over the sentences.
int PregnancyLevel(QStringView cautions);
QString PregnancyWord(int level);

// A decoction range a 用法与用量 text states, with the words before it in its
// clause ("制何首乌" in "制何首乌6～12g"; empty for "3～9g，煎服").
struct StatedDose final {
    double upper = 0; // grams
    QString label;
    QString range; // "6～12g" as written
};
QList<StatedDose> StatedDoses(QStringView usage);

// The range that fits the form written: the one whose label ends with form (and
// names no prepared form of it: "制何首乌" is not "何首乌"), else the first without
// a label, else (only forms are stated) the highest of them.
std::optional<StatedDose> DoseFor(QStringView usage, const QString& form);

// The results part of the check page; everything inserted is escaped, and it
// always ends with "仅供参考，用药请遵医嘱".
QString CheckReportHtml(const CheckReport& report);

// The check page: a text box for the prescription and an empty results part (a
// ProgramPage, its bridge named qinglanCheck).
QString CheckPageHtml();

} // namespace qinglan
