#include "tools/cloud/Manifest.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace qinglan::cloudtool {

QString ReadLibraryManifest(const QString& source, LibraryManifest* manifest) {
    const QString path = source + QStringLiteral("/cloud.manifest");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    static const QRegularExpression ownerPattern(QStringLiteral("^[A-Za-z0-9]+$"));
    static const QRegularExpression directoryPattern(QStringLiteral("^[A-Za-z0-9_-]+$"));
    QSet<int> numbers;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        const QString where = QStringLiteral("%1:%2: ").arg(path).arg(lineNumber);
        if (words.size() == 2 && words[0] == u"owner") {
            if (!ownerPattern.match(words[1]).hasMatch())
                return where + QStringLiteral("the owner id must be letters and digits");
            manifest->owner = words[1];
        } else if (words.size() == 3 && words[0] == u"folder") {
            bool ok = false;
            const int number = words[2].toInt(&ok);
            if (!ok || number < 0 || number > 32767)
                return where + QStringLiteral("a folder number must fit in 16 bits (0..32767)");
            if (!directoryPattern.match(words[1]).hasMatch())
                return where + QStringLiteral("a folder name must be letters, digits, - or _");
            if (numbers.contains(number))
                return where + QStringLiteral("folder number %1 is used twice").arg(number);
            numbers.insert(number);
            manifest->folders.append({words[1], number});
        } else {
            return where + QStringLiteral("expected 'owner ID' or 'folder NAME NUMBER'");
        }
    }
    if (manifest->owner.isEmpty())
        return path + QStringLiteral(": no owner line");
    return {};
}

qint64 ResourceIds::NumberFor(const QString& directory, const QString& name, qint64 firstNumber) {
    const QString key = directory + u'/' + name;
    if (const auto it = byKey.constFind(key); it != byKey.constEnd())
        return it.value();
    highest = std::max(highest + 1, firstNumber);
    byKey.insert(key, highest);
    return highest;
}

QString ReadResourceIds(const QString& store, ResourceIds* ids) {
    const QString path = store + QStringLiteral("/ids.txt");
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf('\t');
        bool ok = false;
        const qint64 number = tab > 0 ? line.left(tab).toLongLong(&ok) : 0;
        if (!ok || number <= 0)
            return QStringLiteral("%1:%2: expected NUMBER<TAB>FOLDER/NAME")
                .arg(path)
                .arg(lineNumber);
        ids->byKey.insert(QString::fromUtf8(line.mid(tab + 1)), number);
        ids->highest = std::max(ids->highest, number);
    }
    return {};
}

QString WriteResourceIds(const QString& store, const ResourceIds& ids) {
    QList<std::pair<qint64, QString>> rows;
    for (auto it = ids.byKey.constBegin(); it != ids.byKey.constEnd(); ++it)
        rows.append({it.value(), it.key()});
    std::sort(rows.begin(), rows.end());
    QByteArray text;
    for (const auto& [number, key] : rows)
        text += QByteArray::number(number) + '\t' + key.toUtf8() + '\n';
    QSaveFile file(store + QStringLiteral("/ids.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
    return {};
}

} // namespace qinglan::cloudtool
