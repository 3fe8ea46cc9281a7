// Stores one entry and one index into a folder, as the program does, so that a
// test can watch (under strace) that each is on the disk before it is named.
// Usage: qinglan_flushprobe URL FOLDER
#include "cloud/BlockingHttp.h"
#include "entries/EntryIndex.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: qinglan_flushprobe URL FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (!qinglan::DownloadToFileNow(QString::fromLocal8Bit(argv[1]),
                                    folder + QStringLiteral("/entry.html"))
             .ok())
        return 1;
    if (!qinglan::WriteEntryIndex(folder, QStringLiteral("\r\n1 - 0001entry.html\r\n")).isEmpty())
        return 1;
    return 0;
}
