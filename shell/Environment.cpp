#include "shell/Environment.h"

#include "cloud/Files.h"
#include "config/Config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace qinglan {

Environment Environment::FromProcess() {
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString temp = qEnvironmentVariable("TEMP");
    QString tempDir = temp.isEmpty() ? PrivateTempDir() : QDir::cleanPath(temp);
    if (tempDir.isEmpty())
        tempDir = QDir::tempPath(); // last resort; start-up then reports what fails there
    const bool writable = ::access(QFile::encodeName(appDir).constData(), W_OK) == 0;
    return For(appDir, tempDir, writable && !InstalledUnderSystemPrefix(appDir),
               QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
               QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

Environment Environment::For(const QString& appDir, const QString& tempDir, bool portable,
                             const QString& userDataHome, const QString& downloadDir) {
    if (portable || userDataHome.isEmpty())
        return {appDir, tempDir, {}, {}};
    return {appDir, tempDir, userDataHome,
            downloadDir.isEmpty() ? QDir::homePath() + QStringLiteral("/Downloads") : downloadDir};
}

bool Environment::InstalledUnderSystemPrefix(const QString& appDir) {
    const QString dir = QDir::cleanPath(QFileInfo(appDir).absoluteFilePath());
    const QString installed = QDir::cleanPath(QString::fromUtf16(InstallBinDir));
    for (const QString& system :
         {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"), QStringLiteral("/bin"),
          QStringLiteral("/usr/games"), QStringLiteral("/usr/local/games"), installed}) {
        if (dir == system)
            return true;
    }
    return dir.startsWith(QStringLiteral("/opt/"));
}

bool Environment::EnsurePrivateFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        MakeFolders(QFileInfo(path).absolutePath());
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 0077) != 0 && ::chmod(name.constData(), 0700) != 0)
        return false;
    return true;
}

QString Environment::PrivateTempDir() {
    QStringList candidates;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        candidates << runtime + QStringLiteral("/qinglan");
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty())
        candidates << cache + QStringLiteral("/qinglan");
    candidates << QDir::tempPath() + QStringLiteral("/qinglan-%1").arg(::geteuid());
    for (const QString& candidate : std::as_const(candidates)) {
        if (EnsurePrivateFolder(candidate))
            return candidate;
    }
    return {};
}

QString Environment::DataPath() const {
    return userDataHome.isEmpty() ? appDir + QStringLiteral("/Data")
                                  : userDataHome + QStringLiteral("/Qinglan/Data");
}

QString Environment::UpdateDir() const { return userDataHome.isEmpty() ? appDir : downloadDir; }

QString Environment::TilePath() const { return tempDir + u'/' + QString::fromUtf16(TileFileName); }

QString Environment::ResultPagePath() const { return tempDir + QStringLiteral("/qnln1.html"); }

QString Environment::NamedFileBuffer() const { return tempDir + QStringLiteral("/qnln2.html"); }

QString Environment::SearchPagePath() const { return tempDir + QStringLiteral("/qnln3.html"); }

QString Environment::CheckPagePath() const { return tempDir + QStringLiteral("/qnln4.html"); }

} // namespace qinglan
