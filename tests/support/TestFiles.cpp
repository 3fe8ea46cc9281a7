#include "tests/support/TestFiles.h"

#include <QFile>

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QString LongIndex(int lines) {
    QString index = QStringLiteral("\r\n");
    for (int i = 0; i < lines; ++i)
        index += QStringLiteral("%1 - %2条目%3.html\r\n")
                     .arg(i)
                     .arg(i % 10000, 4, 10, QLatin1Char('0'))
                     .arg(i);
    return index;
}

QString RawSection(const QString& html, const QString& name) {
    const QString open = QStringLiteral("<p><b>【") + name + QStringLiteral("】</b>");
    const qsizetype start = html.indexOf(open);
    if (start < 0)
        return {};
    const qsizetype end = html.indexOf(QStringLiteral("</p>"), start);
    return html.mid(start + open.size(), end - start - open.size());
}
