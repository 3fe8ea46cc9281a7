#include "cloud/Http.h"

#include "cloud/Files.h"
#include "cloud/Log.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace qinglan {

namespace {

QMutex g_settingsMutex;
HttpLimits g_limits;
QByteArray g_extraCaFile;
std::atomic<bool> g_abandoned{false};

HttpLimits Limits() {
    QMutexLocker lock(&g_settingsMutex);
    return g_limits;
}

QByteArray ExtraCaFile() {
    QMutexLocker lock(&g_settingsMutex);
    return g_extraCaFile;
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

// One easy handle per thread: curl keeps its connection cache in the handle,
// and curl_easy_reset leaves that cache alone.
CURL* ThreadHandle() {
    static std::once_flag globalInit;
    std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    thread_local std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    if (handle)
        curl_easy_reset(handle.get());
    return handle.get();
}

int AbandonedCheck(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return g_abandoned.load() ? 1 : 0; // non-zero aborts the transfer
}

void SetCommonOptions(CURL* curl, const QByteArray& url, const HttpLimits& limits,
                      qint64 stallRate) {
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#endif
    // Certificates and host names are always verified (curl's defaults, stated).
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    const QByteArray ca = ExtraCaFile();
    if (!ca.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, ca.constData());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, long(stallRate));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits.stall.count()));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &AbandonedCheck);
}

QByteArray EncodedUrl(const QString& url) {
    // Addresses may hold characters outside ASCII; curl wants them percent-encoded.
    return QUrl(url, QUrl::TolerantMode).toEncoded();
}

struct TextBuffer {
    QByteArray bytes;
    qint64 limit = 0;
    bool tooLarge = false;
};

size_t AppendToBuffer(char* data, size_t size, size_t count, void* userData) {
    auto* buffer = static_cast<TextBuffer*>(userData);
    const qint64 length = qint64(size * count);
    if (buffer->bytes.size() + length > buffer->limit) {
        buffer->tooLarge = true;
        return 0; // makes curl stop with a write error
    }
    buffer->bytes.append(data, qsizetype(length));
    return size * count;
}

struct FileSink {
    int fd = -1;
    int error = 0;
};

size_t WriteToFd(char* data, size_t size, size_t count, void* userData) {
    auto* sink = static_cast<FileSink*>(userData);
    sink->error = WriteAll(sink->fd, data, size * count);
    return sink->error == 0 ? size * count : 0; // 0 makes curl stop with a write error
}

QString DecodeBody(const QByteArray& body, const char* contentType) {
    QByteArray charset;
    if (contentType) {
        const QByteArray type(contentType);
        for (const QByteArray& part : type.split(';')) {
            const QByteArray p = part.trimmed();
            if (p.toLower().startsWith("charset="))
                charset = p.mid(8).trimmed().replace('"', QByteArray());
        }
    }
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

} // namespace

void SetHttpLimits(const HttpLimits& limits) {
    QMutexLocker lock(&g_settingsMutex);
    g_limits = limits;
}

void SetExtraCertificateAuthorities(const QString& pemFile) {
    QMutexLocker lock(&g_settingsMutex);
    g_extraCaFile = pemFile.isEmpty() ? QByteArray() : QFile::encodeName(pemFile);
}

void AbandonTransfers() { g_abandoned = true; }

std::optional<QString> HttpGetText(const QString& url) {
    if (g_abandoned) {
        qCWarning(lcCloud) << "GET" << url << "not started: the program is ending";
        return std::nullopt;
    }
    CURL* curl = ThreadHandle();
    if (!curl) {
        qCWarning(lcCloud) << "GET" << url << "failed: no curl handle";
        return std::nullopt;
    }
    const HttpLimits limits = Limits();
    const QByteArray encoded = EncodedUrl(url);
    TextBuffer body;
    body.limit = limits.maxTextBytes;
    SetCommonOptions(curl, encoded, limits, limits.textStallBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                     long(std::chrono::milliseconds(limits.textTotal).count()));
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(curl);
    if (rc != CURLE_OK) {
        if (body.tooLarge)
            qCWarning(lcCloud) << "GET" << url << "failed: the body exceeds" << limits.maxTextBytes
                               << "bytes";
        else
            qCWarning(lcCloud) << "GET" << url << "failed:" << curl_easy_strerror(rc);
        return std::nullopt;
    }
    const char* contentType = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
    return DecodeBody(body.bytes, contentType);
}

QString TryHttpGetText(const QString& url) { return HttpGetText(url).value_or(QString()); }

namespace {

// A part file: the target, ".part-", the writing process's number and a count.
QString PartFileName(const QString& path, unsigned count) {
    return path + QStringLiteral(".part-%1-%2").arg(::getpid()).arg(count);
}

} // namespace

int RemoveStalePartFiles(const QString& folder) {
    static const QRegularExpression part(QStringLiteral("\\.part-(\\d+)-\\d+$"));
    const HttpLimits limits = Limits();
    const QDateTime quiet = QDateTime::currentDateTime().addMSecs(
        -(limits.connect.count() + std::chrono::milliseconds(limits.stall).count()));
    int removed = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString path = it.next();
        const auto match = part.match(path);
        if (!match.hasMatch())
            continue;
        const pid_t writer = match.captured(1).toInt();
        const bool ended = writer <= 0 || (::kill(writer, 0) != 0 && errno == ESRCH);
        if ((ended || it.fileInfo().lastModified() < quiet) && QFile::remove(path))
            ++removed;
    }
    if (removed > 0)
        qCWarning(lcCloud) << "removed" << removed << "part files of ended transfers in" << folder;
    return removed;
}

DownloadOutcome DownloadToFile(const QString& url, const QString& path, Connection connection) {
    if (g_abandoned) {
        qCWarning(lcCloud) << "download" << url << "not started: the program is ending";
        return {DownloadResult::TransferFailed};
    }
    CURL* curl = ThreadHandle();
    if (!curl) {
        qCWarning(lcCloud) << "download" << url << "failed: no curl handle";
        return {DownloadResult::TransferFailed};
    }

    // Written beside the target and renamed into place only when complete.
    static std::atomic<unsigned> counter{0};
    const QString temp = PartFileName(path, counter.fetch_add(1));
    const QByteArray tempName = QFile::encodeName(temp);
    FileSink sink;
    sink.fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (sink.fd < 0) {
        const int error = errno;
        qCWarning(lcCloud) << "download" << url << "to" << path
                           << "failed:" << std::strerror(error);
        return {DownloadResult::FileFailed, error};
    }

    const HttpLimits limits = Limits();
    const QByteArray encoded = EncodedUrl(url);
    SetCommonOptions(curl, encoded, limits, limits.downloadStallBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFd);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    if (connection == Connection::Fresh) {
        curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    }
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (::close(sink.fd) != 0 && sink.error == 0)
        sink.error = errno;

    DownloadOutcome outcome;
    if (sink.error != 0) {
        outcome = {DownloadResult::FileFailed, sink.error};
        qCWarning(lcCloud) << "download" << url << "to" << path
                           << "failed:" << std::strerror(sink.error);
    } else if (rc != CURLE_OK) {
        outcome = {DownloadResult::TransferFailed};
        qCWarning(lcCloud) << "download" << url << "failed:" << curl_easy_strerror(rc);
    } else if (status < 200 || status > 299) {
        outcome = {DownloadResult::HttpStatus};
        qCWarning(lcCloud) << "download" << url << "failed: HTTP status" << status;
    } else if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        outcome = {DownloadResult::FileFailed, errno};
        qCWarning(lcCloud) << "download" << url << "to" << path
                           << "failed:" << std::strerror(outcome.fileError);
    }
    if (!outcome.ok())
        ::unlink(tempName.constData());
    return outcome;
}

} // namespace qinglan
