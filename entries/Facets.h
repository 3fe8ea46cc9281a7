#pragma once

#include "entries/EntrySections.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace qinglan {

// What an entry's 性味 and 归经 sections say, as facets to filter by. A section
// that does not read as the library writes it ("甘、微苦，微温；有毒。",
// "归肺、胃经。", "入心、肝二经。") gives no facet at all: nothing is guessed.

enum class Toxicity { None, Slight, Toxic, Severe }; // 无毒, 小毒, 有毒, 大毒

struct NatureTaste final {
    QString nature;     // 寒 凉 平 温 热, with 微 and 大 folded (微寒 is 寒)
    QStringList tastes; // 酸 苦 甘 辛 咸 淡 涩, in the order written, 微 folded
    Toxicity toxicity = Toxicity::None;
};

// nullopt when text is not "tastes，nature" with an optional "；有毒" (有小毒,
// 有大毒) and a final "。"; a parenthesised remark is passed over.
std::optional<NatureTaste> ParseNatureTaste(QStringView text);

// nullopt when text is not "归…经" or "入…经" listing known meridians (the twelve,
// 心包 and 三焦) separated by "、", with an optional count before 经 ("二经").
std::optional<QStringList> ParseMeridians(QStringView text);

// The facets of an entry; a section that is missing or unparsable leaves its
// facets out (natureTaste or meridians is then nullopt).
struct Facets final {
    std::optional<NatureTaste> natureTaste;
    std::optional<QStringList> meridians;
};
Facets FacetsOf(const EntryText& entry);

// The values in the order of the filters.
const QStringList& AllNatures();
const QStringList& AllTastes();
const QStringList& AllMeridians();
QString ToxicityName(Toxicity toxicity); // 无毒, 小毒, 有毒, 大毒
const QStringList& AllToxicities();      // the names above, from none to severe

} // namespace qinglan
