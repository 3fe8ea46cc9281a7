#include "app/Startup.h"

#include "cloud/Files.h"
#include "resources/Resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
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
        .arg(QDir::toNativeSeparators(dataPath), SystemErrorText(errno));
}

QString EnsureBackgroundTile(const QString& tilePath) {
    // A file there is used as it is; a link there (planted, or dangling) is
    // replaced, never written through.
    struct stat info {};
    if (::lstat(QFile::encodeName(tilePath).constData(), &info) == 0 && !S_ISLNK(info.st_mode))
        return {};
    QFile resource(resources::BackgroundTile());
    if (!resource.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取程序资源：%1").arg(resource.errorString());
    // Written whole or not at all: a partial tile would count as present for ever.
    const QString error = ReplaceFile(tilePath, resource.readAll());
    if (!error.isEmpty())
        return QStringLiteral("无法写入背景图片%1").arg(error);
    return {};
}

} // namespace qinglan
