// Downloads of one 4 KB file from the local cloud: 1,000 through
// qinglan::DownloadToFile, which keeps one connection for all of them, against
// 1,000 that each take a fresh libcurl handle and so a new connection, with the
// same options and the same write-then-rename into place.
// Usage: bench_download WORKDIR
#include "BenchSupport.h"
#include "Http.h"
#include "Listing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <curl/curl.h>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Downloads = 1000;
constexpr qsizetype FileSize = 4096;

size_t WriteToFd(char* data, size_t size, size_t count, void* fdPointer) {
    const int fd = *static_cast<int*>(fdPointer);
    size_t left = size * count;
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written <= 0)
            return 0;
        data += written;
        left -= size_t(written);
    }
    return size * count;
}

// One download on a handle of its own, as DownloadToFile does it otherwise.
bool FreshHandleDownload(const QByteArray& url, const QByteArray& path, int number) {
    const QByteArray temp = path + ".part-" + QByteArray::number(::getpid()) + '-' +
                            QByteArray::number(number);
    int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    CURL* curl = curl_easy_init();
    if (fd < 0 || !curl) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#endif
    const qinglan::HttpTimeouts timeouts = qinglan::CurrentHttpTimeouts();
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(timeouts.connect.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(timeouts.stall.count()));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFd);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fd);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    const bool ok = ::close(fd) == 0 && rc == CURLE_OK && status >= 200 && status <= 299 &&
                    std::rename(temp.constData(), path.constData()) == 0;
    if (!ok)
        ::unlink(temp.constData());
    return ok;
}

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

    curl_global_init(CURL_GLOBAL_DEFAULT);
    const QByteArray encodedUrl = QUrl(url, QUrl::TolerantMode).toEncoded();
    const QByteArray encodedPath = QFile::encodeName(path);
    const auto reused = [&](int) { return qinglan::DownloadToFile(url, path) == qinglan::DownloadOk; };
    const auto fresh = [&](int i) { return FreshHandleDownload(encodedUrl, encodedPath, i); };
    // One of each first, so that neither pays for the first use of the library.
    if (!reused(0) || !fresh(-1))
        bench::Fail(QStringLiteral("the first download failed"));

    const double reusedMs = TimeDownloads("DownloadToFile (one connection)", reused);
    CheckDownloaded(path, bytes, "DownloadToFile");
    const double freshMs = TimeDownloads("fresh handle per download", fresh);
    CheckDownloaded(path, bytes, "fresh handle");
    curl_global_cleanup();

    bench::ReportRow(QStringLiteral("download 4 KB x%1, total (vs fresh handles)").arg(Downloads),
                     reusedMs, freshMs);
    bench::ReportRow(QStringLiteral("download 4 KB, per download (vs fresh handle)"),
                     reusedMs / Downloads, freshMs / Downloads);
    return 0;
}
