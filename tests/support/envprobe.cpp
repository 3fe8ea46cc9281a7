// Prints where this process would keep its temporary files, then writes the
// page background tile and a result page there as the program does. Run by the
// tests as different users. Exit status 0 when both writes worked.
#include "app/Startup.h"
#include "cloud/GbkText.h"
#include "shell/Environment.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qinglan::Environment env = qinglan::Environment::FromProcess();
    std::printf("%s\n", env.tempDir.toLocal8Bit().constData());
    QString error = qinglan::EnsureBackgroundTile(env.TilePath());
    if (error.isEmpty())
        error = qinglan::WriteGbkTextFile(env.ResultPagePath(), QStringLiteral("<body>页"));
    if (!error.isEmpty()) {
        std::printf("%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
