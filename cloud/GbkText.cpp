#include "cloud/GbkText.h"

#include "cloud/Files.h"
#include "cloud/Log.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace qinglan {

QByteArray ToGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString FromGbk(const QByteArray& bytes) {
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

QString WriteGbkTextFile(const QString& path, const QString& text) {
    return ReplaceFile(path, ToGbk(text) + "\r\n");
}

std::optional<QString> ReadGbkTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcCloud) << "cannot read" << path << file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcCloud) << "cannot read" << path << file.errorString();
        return std::nullopt;
    }
    return FromGbk(bytes);
}

} // namespace qinglan
