#include "Environment.h"

#include <QCoreApplication>
#include <QDir>

namespace qinglan {

Environment Environment::FromProcess() {
    Environment env;
    env.appDir = QCoreApplication::applicationDirPath();
    const QString temp = qEnvironmentVariable("TEMP");
    env.tempDir = temp.isEmpty() ? QDir::tempPath() : QDir::cleanPath(temp);
    return env;
}

} // namespace qinglan
