#include "entries/Facets.h"

namespace qinglan {

namespace {

// The text without a parenthesised remark, white space and final full stops.
QString Bare(QStringView text) {
    QString out;
    int depth = 0;
    for (const QChar c : text) {
        if (c == u'（' || c == u'(') {
            ++depth;
        } else if (c == u'）' || c == u')') {
            depth = std::max(0, depth - 1);
        } else if (depth == 0 && !c.isSpace()) {
            out += c;
        }
    }
    while (out.endsWith(u'。') || out.endsWith(u'.'))
        out.chop(1);
    return out;
}

std::optional<QString> Nature(QStringView word) {
    QStringView rest = word;
    if (rest.startsWith(u'微') || rest.startsWith(u'大'))
        rest = rest.mid(1);
    if (rest.size() == 1 && AllNatures().contains(rest.toString()))
        return rest.toString();
    return std::nullopt;
}

std::optional<QString> Taste(QStringView word) {
    QStringView rest = word;
    if (rest.startsWith(u'微'))
        rest = rest.mid(1);
    if (rest.size() == 1 && AllTastes().contains(rest.toString()))
        return rest.toString();
    return std::nullopt;
}

std::optional<Toxicity> ToxicityOf(QStringView word) {
    if (word == u"有毒")
        return Toxicity::Toxic;
    if (word == u"有小毒" || word == u"小毒")
        return Toxicity::Slight;
    if (word == u"有大毒" || word == u"大毒")
        return Toxicity::Severe;
    return std::nullopt;
}

} // namespace

const QStringList& AllNatures() {
    static const QStringList natures = {QStringLiteral("寒"), QStringLiteral("凉"),
                                        QStringLiteral("平"), QStringLiteral("温"),
                                        QStringLiteral("热")};
    return natures;
}

const QStringList& AllTastes() {
    static const QStringList tastes = {
        QStringLiteral("酸"), QStringLiteral("苦"), QStringLiteral("甘"), QStringLiteral("辛"),
        QStringLiteral("咸"), QStringLiteral("淡"), QStringLiteral("涩")};
    return tastes;
}

const QStringList& AllMeridians() {
    static const QStringList meridians = {
        QStringLiteral("心"),   QStringLiteral("肝"),   QStringLiteral("脾"),
        QStringLiteral("肺"),   QStringLiteral("肾"),   QStringLiteral("心包"),
        QStringLiteral("胃"),   QStringLiteral("胆"),   QStringLiteral("大肠"),
        QStringLiteral("小肠"), QStringLiteral("膀胱"), QStringLiteral("三焦")};
    return meridians;
}

const QStringList& AllToxicities() {
    static const QStringList names = {ToxicityName(Toxicity::None), ToxicityName(Toxicity::Slight),
                                      ToxicityName(Toxicity::Toxic),
                                      ToxicityName(Toxicity::Severe)};
    return names;
}

QString ToxicityName(Toxicity toxicity) {
    switch (toxicity) {
    case Toxicity::None:
        return QStringLiteral("无毒");
    case Toxicity::Slight:
        return QStringLiteral("小毒");
    case Toxicity::Toxic:
        return QStringLiteral("有毒");
    case Toxicity::Severe:
        return QStringLiteral("大毒");
    }
    return {};
}

std::optional<NatureTaste> ParseNatureTaste(QStringView text) {
    const QString bare = Bare(text);
    const QStringList parts = bare.split(u'；');
    const QStringList main = parts.first().split(u'，');
    if (main.size() != 2 || parts.size() > 2)
        return std::nullopt;
    NatureTaste result;
    for (const QString& word : main[0].split(u'、')) {
        const auto taste = Taste(word);
        if (!taste)
            return std::nullopt;
        if (!result.tastes.contains(*taste))
            result.tastes << *taste;
    }
    const auto nature = Nature(main[1]);
    if (!nature)
        return std::nullopt;
    result.nature = *nature;
    if (parts.size() == 2) {
        const auto toxicity = ToxicityOf(parts[1]);
        if (!toxicity)
            return std::nullopt;
        result.toxicity = *toxicity;
    }
    return result;
}

std::optional<QStringList> ParseMeridians(QStringView text) {
    QString bare = Bare(text);
    if (!(bare.startsWith(u'归') || bare.startsWith(u'入')) || !bare.endsWith(u'经'))
        return std::nullopt;
    bare = bare.mid(1).chopped(1);
    // "入心、肝二经": a count of the meridians before 经.
    static const QString counts = QStringLiteral("二三四五六七八九十");
    if (!bare.isEmpty() && counts.contains(bare.back()))
        bare.chop(1);
    QStringList meridians;
    for (QString name : bare.split(u'、')) {
        if (name.endsWith(u'经')) // "归肝经、胆经"
            name.chop(1);
        if (!AllMeridians().contains(name))
            return std::nullopt;
        if (!meridians.contains(name))
            meridians << name;
    }
    return meridians;
}

Facets FacetsOf(const EntryText& entry) {
    Facets facets;
    if (const EntrySection* section = entry.Find(u"性味"))
        facets.natureTaste = ParseNatureTaste(section->text);
    if (const EntrySection* section = entry.Find(u"归经"))
        facets.meridians = ParseMeridians(section->text);
    return facets;
}

} // namespace qinglan
