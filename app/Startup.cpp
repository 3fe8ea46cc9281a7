#include "Startup.h"

#include "Resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace qinglan {

QString EnsureDataFolder(const QString& dataPath) {
    if (QFileInfo(dataPath).isDir())
        return {};
    // Beside the executable the parent exists; in the user's data folder it may not yet.
    QDir().mkpath(QFileInfo(dataPath).absolutePath());
    if (::mkdir(QFile::encodeName(dataPath).constData(), 0777) == 0)
        return {};
    return QStringLiteral("无法创建数据文件夹“%1”：%2")
        .arg(QDir::toNativeSeparators(dataPath), QString::fromLocal8Bit(std::strerror(errno)));
}

QString EnsureBackgroundTile(const QString& tilePath) {
    if (QFileInfo::exists(tilePath))
        return {};
    QFile resource(resources::BackgroundTile());
    if (!resource.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取程序资源：%1").arg(resource.errorString());
    const QByteArray bytes = resource.readAll();
    // Written whole or not at all: a partial tile would count as present for ever.
    QSaveFile tile(tilePath);
    if (!tile.open(QIODevice::WriteOnly) || tile.write(bytes) != bytes.size() || !tile.commit())
        return QStringLiteral("无法写入背景图片“%1”：%2")
            .arg(QDir::toNativeSeparators(tilePath), tile.errorString());
    return {};
}

} // namespace qinglan
