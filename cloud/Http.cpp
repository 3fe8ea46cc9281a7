#include "Http.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

namespace qinglan {

namespace {

std::atomic<long> g_connectMs{10000};
std::atomic<long> g_stallSeconds{30};

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

void SetCommonOptions(CURL* curl, const QByteArray& url) {
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#endif
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, g_connectMs.load());
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, g_stallSeconds.load());
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
}

QByteArray EncodedUrl(const QString& url) {
    // Addresses may hold characters outside ASCII; curl wants them percent-encoded.
    return QUrl(url, QUrl::TolerantMode).toEncoded();
}

size_t AppendToBuffer(char* data, size_t size, size_t count, void* buffer) {
    static_cast<QByteArray*>(buffer)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

size_t WriteToFd(char* data, size_t size, size_t count, void* fdPointer) {
    const int fd = *static_cast<int*>(fdPointer);
    size_t total = size * count;
    const char* at = data;
    while (total > 0) {
        const ssize_t written = ::write(fd, at, total);
        if (written <= 0)
            return 0; // makes curl stop with a write error
        at += written;
        total -= static_cast<size_t>(written);
    }
    return size * count;
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

HttpTimeouts CurrentHttpTimeouts() {
    return {std::chrono::milliseconds(g_connectMs.load()), std::chrono::seconds(g_stallSeconds.load())};
}

void SetHttpTimeouts(HttpTimeouts timeouts) {
    g_connectMs = static_cast<long>(timeouts.connect.count());
    g_stallSeconds = static_cast<long>(timeouts.stall.count());
}

std::optional<QString> HttpGetText(const QString& url) {
    CURL* curl = ThreadHandle();
    if (!curl)
        return std::nullopt;
    const QByteArray encoded = EncodedUrl(url);
    QByteArray body;
    SetCommonOptions(curl, encoded);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(curl) != CURLE_OK)
        return std::nullopt;
    const char* contentType = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
    return DecodeBody(body, contentType);
}

QString TryHttpGetText(const QString& url) { return HttpGetText(url).value_or(QString()); }

int DownloadToFile(const QString& url, const QString& path) {
    CURL* curl = ThreadHandle();
    if (!curl)
        return DownloadTransferFailed;

    // Written beside the target and renamed into place only when complete.
    static std::atomic<unsigned> counter{0};
    const QString temp = QStringLiteral("%1.part-%2-%3")
                             .arg(path)
                             .arg(::getpid())
                             .arg(counter.fetch_add(1));
    const QByteArray tempName = QFile::encodeName(temp);
    int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return DownloadFileFailed;

    const QByteArray encoded = EncodedUrl(url);
    SetCommonOptions(curl, encoded);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFd);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fd);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    const bool closed = ::close(fd) == 0;

    int result = DownloadOk;
    if (rc == CURLE_WRITE_ERROR || !closed)
        result = DownloadFileFailed;
    else if (rc != CURLE_OK)
        result = DownloadTransferFailed;
    else if (status < 200 || status > 299)
        result = DownloadHttpStatus;
    else if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
        result = DownloadFileFailed;

    if (result != DownloadOk)
        ::unlink(tempName.constData());
    return result;
}

} // namespace qinglan
