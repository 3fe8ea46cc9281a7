#include "entries/EntryIndex.h"

#include "cloud/Files.h"
#include "cloud/GbkText.h"
#include "entries/DataLayout.h"

#include <QDir>

namespace qinglan {

QString EntryIndexText(const QList<RemoteItem>& items) {
    QString text;
    qsizetype size = 2;
    for (const RemoteItem& item : items)
        size += 5 + item.ResourceID.size() + item.RelationshipName.size();
    text.reserve(size);
    for (const RemoteItem& item : items) {
        text += u"\r\n";
        text += item.ResourceID;
        text += u" - ";
        text += item.RelationshipName;
    }
    text += u"\r\n";
    return text;
}

std::optional<IndexLine> ParseIndexLine(QStringView line) {
    constexpr QStringView separator = u" - ";
    const qsizetype first = line.indexOf(separator);
    if (first < 0)
        return std::nullopt;
    const QStringView rest = line.mid(first + separator.size());
    const qsizetype second = rest.indexOf(separator);
    const QStringView remote = second < 0 ? rest : rest.left(second);
    if (remote.size() < 9)
        return std::nullopt;
    return IndexLine{line.left(first), remote};
}

QString WriteEntryIndex(const QString& dataPath, const QString& indexText) {
    const QString path = IndexPath(dataPath);
    // Whole and on the disk before it gets its name: after a power cut the index
    // is complete or missing (and then built again), never a named empty file.
    const QString error = ReplaceFile(path, ToGbk(indexText), Durability::Flushed);
    return error.isEmpty() ? QString() : QStringLiteral("无法写入索引文件") + error;
}

} // namespace qinglan
