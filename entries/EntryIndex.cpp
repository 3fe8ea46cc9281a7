#include "entries/EntryIndex.h"

#include "cloud/GbkText.h"
#include "entries/DataLayout.h"

#include <QDir>
#include <QSaveFile>

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
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const QByteArray bytes = ToGbk(indexText);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("无法写入索引文件“%1”：%2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

} // namespace qinglan
