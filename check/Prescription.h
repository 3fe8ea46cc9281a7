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
// dose ("半夏9g", "炙甘草 6克", "附子（先煎）15g").
struct PrescriptionItem final {
    QString name;
    QString remark; // "先煎"
    QString dose;   // "15g" as written, empty when none
    std::optional<double> grams;
};

// At most MaxItems items are read; the rest are counted in *more.
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
// (法半夏 is 半夏), an alias from the entries' 别名, or a material a rule names
// that the library has no entry for (犀角). Names are only ever matched whole: 白附子
// is never 附子.
struct Resolution final {
    enum class By { Entry, PreparedForm, Alias, RuleMember, Unknown, Ambiguous };
    By by = By::Unknown;
    QString material;       // the name the rules are asked about
    int entry = -1;         // into NameTable::entries, or -1
    QStringList candidates; // for an ambiguous alias
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
    int unrecognised = 0;
    QStringList unchecked; // recognised entries whose text is not on disk
    int more = 0;          // items beyond MaxItems, not checked
};

// Checks the items for 十八反 and 十九畏 pairs, pregnancy cautions (禁用, 忌用,
// 慎用 in the entries' 宜忌), toxicity (from 性味) with the entry's 用法与用量, and
// doses above the upper end of the entry's decoction range. entryText gives an
// entry's HTML by its file name (empty when it cannot be read).
CheckReport CheckPrescription(const QList<PrescriptionItem>& items, const NameTable& table,
                              const CompatibilityRules& rules,
                              const std::function<QString(const QString& file)>& entryText);

// The pregnancy caution a 宜忌 text states: 3 禁用 (禁服), 2 忌用 (忌服), 1 慎用
// (慎服), 0 none.
int PregnancyLevel(QStringView cautions);
QString PregnancyWord(int level);

// The upper end in grams of the first range in a 用法与用量 text ("3～9g"), or none.
std::optional<double> UpperDose(QStringView usage);

// The results part of the check page; everything inserted is escaped, and it
// always ends with "仅供参考，用药请遵医嘱".
QString CheckReportHtml(const CheckReport& report);

// The check page: a text box for the prescription and an empty results part (a
// ProgramPage, its bridge named qinglanCheck).
QString CheckPageHtml();

} // namespace qinglan
