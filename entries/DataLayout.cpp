#include "entries/DataLayout.h"

namespace qinglan {

QString IndexPath(const QString& dataPath) { return dataPath + QStringLiteral("/ML"); }

std::optional<QString> EntryFileName(const QString& listedName) {
    if (listedName.size() <= 4)
        return std::nullopt;
    const QString name = listedName.mid(4);
    if (name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\') ||
        name.contains(QChar(u'\0')))
        return std::nullopt;
    return name;
}

std::optional<QString> EntryFilePath(const QString& dataPath, const QString& listedName) {
    const auto name = EntryFileName(listedName);
    if (!name)
        return std::nullopt;
    return dataPath + u'/' + *name;
}

} // namespace qinglan
