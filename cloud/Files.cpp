#include "cloud/Files.h"

#include "cloud/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qinglan {

QString SystemErrorText(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EROFS:
        return QStringLiteral("文件系统为只读");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case EIO:
        return QStringLiteral("读写错误");
    case EEXIST:
        return QStringLiteral("已有同名文件");
    case ENOTDIR:
        return QStringLiteral("路径中有同名文件");
    case EISDIR:
        return QStringLiteral("已有同名文件夹");
    case ENAMETOOLONG:
        return QStringLiteral("文件名过长");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool IsFolderFailure(int error) {
    return error == ENOSPC || error == EDQUOT || error == EROFS || error == EACCES ||
           error == EPERM || error == ENOENT || error == EIO;
}

int MakeFolders(const QString& path) {
    const QString clean =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    QString prefix;
    for (const QString& part : clean.split(u'/', Qt::SkipEmptyParts)) {
        prefix += u'/' + part;
        const QByteArray name = QFile::encodeName(prefix);
        if (::mkdir(name.constData(), 0777) == 0)
            continue;
        const int error = errno;
        struct stat info {};
        if (error == EEXIST && ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        return error == EEXIST ? ENOTDIR : error;
    }
    return 0;
}

int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= size_t(written);
    }
    return 0;
}

void SyncFolderOf(const QString& path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString ReplaceFile(const QString& path, const QByteArray& bytes, Durability durability,
                    unsigned mode) {
    static std::atomic<unsigned> counter{0};
    const QString temp = QStringLiteral("%1.new-%2-%3").arg(path).arg(::getpid()).arg(counter++);
    const QByteArray tempName = QFile::encodeName(temp);
    const auto describe = [&](int error) {
        qCWarning(lcCloud) << "cannot write" << path << std::strerror(error);
        return QStringLiteral("“%1”：%2")
            .arg(QDir::toNativeSeparators(path), SystemErrorText(error));
    };
    const auto fail = [&](int error) {
        ::unlink(tempName.constData());
        return describe(error);
    };
    // O_EXCL: never opens an existing file or follows a link planted at that name.
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return describe(errno);
    if (const int error = WriteAll(fd, bytes.constData(), size_t(bytes.size())); error != 0) {
        ::close(fd);
        return fail(error);
    }
    // On the open file: a mode given through a name could follow a link.
    if (::fchmod(fd, mode_t(mode)) != 0 ||
        (durability == Durability::Flushed && ::fsync(fd) != 0)) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
        return fail(errno);
    if (durability == Durability::Flushed)
        SyncFolderOf(path);
    return {};
}

} // namespace qinglan
