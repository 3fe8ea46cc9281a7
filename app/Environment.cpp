#include "Environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

namespace qinglan {

Environment Environment::FromProcess() {
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString temp = qEnvironmentVariable("TEMP");
    return For(appDir, temp.isEmpty() ? QDir::tempPath() : QDir::cleanPath(temp),
               ::access(QFile::encodeName(appDir).constData(), W_OK) == 0,
               QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
               QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

Environment Environment::For(const QString& appDir, const QString& tempDir, bool appDirWritable,
                             const QString& userDataHome, const QString& downloadDir) {
    if (appDirWritable || userDataHome.isEmpty())
        return {appDir, tempDir, {}, {}};
    return {appDir, tempDir, userDataHome,
            downloadDir.isEmpty() ? QDir::homePath() : downloadDir};
}

QString Environment::DataPath() const {
    return userDataHome.isEmpty() ? appDir + QStringLiteral("/Data")
                                  : userDataHome + QStringLiteral("/Qinglan/Data");
}

QString Environment::UpdateDir() const { return userDataHome.isEmpty() ? appDir : downloadDir; }

} // namespace qinglan
