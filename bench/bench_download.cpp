// Downloads of one 4 KB file from the local cloud: 1,000 through
// qinglan::DownloadToFile, which keeps one connection for all of them, against
// 1,000 through the same function told to open a connection of its own each time.
// Usage: bench_download WORKDIR
#include "bench/BenchSupport.h"
#include "cloud/BlockingHttp.h"
#include "cloud/Listing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int Downloads = 1000;
constexpr qsizetype FileSize = 4096;

// Fails unless path holds exactly the served bytes.
void CheckDownloaded(const QString& path, const QByteArray& expected, const char* how) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != expected)
        bench::Fail(QStringLiteral("%1: the downloaded file is not the served one")
                        .arg(QLatin1String(how)));
}

// Runs Downloads downloads; fails when any of them failed.
template <typename Download>
double TimeDownloads(const char* how, Download&& download) {
    int failures = 0;
    const double ms = bench::TimeMs([&] {
        for (int i = 0; i < Downloads; ++i)
            failures += download(i) ? 0 : 1;
    });
    if (failures != 0)
        bench::Fail(QStringLiteral("%1: %2 of %3 downloads failed")
                        .arg(QLatin1String(how))
                        .arg(failures)
                        .arg(Downloads));
    bench::Say(QStringLiteral("  %1: %2 for %3 downloads, %4 each")
                   .arg(QLatin1String(how), bench::Ms(ms))
                   .arg(Downloads)
                   .arg(bench::Ms(ms / Downloads)));
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_download"));
    if (argc != 2)
        bench::Fail(QStringLiteral("usage: bench_download WORKDIR"));
    const QDir work(QString::fromLocal8Bit(argv[1]));

    // A library of one 4 KB file (not a text file: published byte for byte).
    QByteArray bytes(FileSize, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char('a' + i % 26);
    const QString source = work.filePath(QStringLiteral("source"));
    QDir().mkpath(source + QStringLiteral("/data"));
    QFile manifest(source + QStringLiteral("/cloud.manifest"));
    QFile file(source + QStringLiteral("/data/4k.bin"));
    if (!manifest.open(QIODevice::WriteOnly) ||
        manifest.write("owner BENCH\nfolder data 1001\n") < 0 || !manifest.flush() ||
        !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        bench::Fail(QStringLiteral("cannot write the library into %1").arg(source));

    bench::ServedStore cloud;
    if (const QString error = cloud.Start(source, work.filePath(QStringLiteral("store")));
        !error.isEmpty())
        bench::Fail(error);
    const QString base = cloud.ItemsBaseUrl(QStringLiteral("BENCH"));
    const QList<qinglan::RemoteItem> items =
        qinglan::ListItems(qinglan::TryHttpGetText(base + QStringLiteral("1001")));
    if (items.size() != 1)
        bench::Fail(QStringLiteral("the served listing does not hold the one file"));
    const QString url = base + items[0].ResourceID;
    const QString path = work.filePath(QStringLiteral("4k.bin"));
    bench::Say(QStringLiteral("bench_download: %1 downloads of %2 (%3 bytes)")
                   .arg(Downloads)
                   .arg(url)
                   .arg(FileSize));

    const auto reused = [&](int) { return qinglan::DownloadToFileNow(url, path).ok(); };
    // The same download with a connection of its own each time.
    const auto fresh = [&](int) {
        return qinglan::DownloadToFileNow(url, path, qinglan::Connection::Fresh).ok();
    };
    // One of each first, so that neither pays for the first use of the library.
    if (!reused(0) || !fresh(-1))
        bench::Fail(QStringLiteral("the first download failed"));

    const double reusedMs = TimeDownloads("DownloadToFile (one connection)", reused);
    CheckDownloaded(path, bytes, "DownloadToFile");
    const double freshMs = TimeDownloads("fresh connection per download", fresh);
    CheckDownloaded(path, bytes, "fresh connection");

    bench::ReportRow(
        QStringLiteral("download 4 KB x%1, total (vs fresh connections)").arg(Downloads), reusedMs,
        freshMs);
    bench::ReportRow(QStringLiteral("download 4 KB, per download (vs fresh connection)"),
                     reusedMs / Downloads, freshMs / Downloads);
    return 0;
}
