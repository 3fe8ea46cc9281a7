#include "cloud/Transfers.h"

#include "cloud/Files.h"
#include "cloud/Log.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace qinglan {

namespace {

QMutex g_settingsMutex;
TransferLimits g_limits;
QByteArray g_extraCaFile;

QByteArray ExtraCaFile() {
    QMutexLocker lock(&g_settingsMutex);
    return g_extraCaFile;
}

QByteArray EncodedUrl(const QString& url) {
    // Addresses may hold characters outside ASCII; curl wants them percent-encoded.
    return QUrl(url, QUrl::TolerantMode).toEncoded();
}

// A part file: the target, ".part-", the writing process's number and a count.
QString PartFileName(const QString& path, unsigned count) {
    return path + QStringLiteral(".part-%1-%2").arg(::getpid()).arg(count);
}

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

} // namespace

KindLimit TransferLimits::For(TransferKind kind) const {
    switch (kind) {
    case TransferKind::Listing:
        return listing;
    case TransferKind::NamedText:
        return namedText;
    case TransferKind::Entry:
        return entry;
    case TransferKind::Executable:
        return executable;
    case TransferKind::Signature:
        return signature;
    }
    return namedText;
}

qint64 TransferLimits::StallRate(TransferKind kind) const {
    return kind == TransferKind::Entry || kind == TransferKind::Executable
               ? fileStallBytesPerSecond
               : textStallBytesPerSecond;
}

void SetTransferLimits(const TransferLimits& limits) {
    QMutexLocker lock(&g_settingsMutex);
    g_limits = limits;
}

TransferLimits CurrentTransferLimits() {
    QMutexLocker lock(&g_settingsMutex);
    return g_limits;
}

void Transfers::SetExtraCertificateAuthorities(const QString& pemFile) {
    QMutexLocker lock(&g_settingsMutex);
    g_extraCaFile = pemFile.isEmpty() ? QByteArray() : QFile::encodeName(pemFile);
}

namespace {

struct Transfer {
    TransferId id = 0;
    TransferRequest request;
    Transfers::Done done;
    QObject* relay = nullptr; // lives on the asker's thread; null: answer here
    QPointer<QObject> context;
    bool hasContext = false;

    QByteArray url;
    qint64 maxBytes = 0;
    qint64 received = 0;
    bool tooLarge = false;
    // A transfer into a file.
    int fd = -1;
    int fileError = 0;
    QString partPath;

    TransferReply reply;
};

size_t WriteBody(char* data, size_t size, size_t count, void* userData) {
    auto* transfer = static_cast<Transfer*>(userData);
    const qint64 length = qint64(size * count);
    if (transfer->received + length > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0; // makes curl stop with a write error
    }
    transfer->received += length;
    if (transfer->fd >= 0) {
        transfer->fileError = WriteAll(transfer->fd, data, size_t(length));
        return transfer->fileError == 0 ? size_t(length) : 0;
    }
    transfer->reply.body.append(data, qsizetype(length));
    return size_t(length);
}

// A finished download waiting to be put in place.
struct Commit {
    std::unique_ptr<Transfer> transfer;
};

} // namespace

struct Transfers::Engine {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<Transfer>> pending;
    std::vector<TransferId> cancels;
    bool abandoned = false;
    bool abandonDone = false;
    bool stop = false;
    TransferId nextId = 1;
    std::atomic<unsigned> partCounter{0};
    // Part files this process is writing now or about to put in place.
    QSet<QString> liveParts;

    // Downloads whose body is complete, waiting for the file thread.
    std::deque<Commit> commits;
    std::condition_variable commitsChanged;
    bool commitsIdle = true;

    CURLM* multi = nullptr;
    // Only the transfer thread touches these.
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> running;
    std::vector<CURL*> spareHandles;

    std::thread thread;
    std::thread fileThread;

    void Run();
    void RunFiles();
    void Begin(std::unique_ptr<Transfer> transfer);
    void Finish(CURL* easy, CURLcode code);
    void Drop(std::unique_ptr<Transfer> transfer);
    void Deliver(std::unique_ptr<Transfer> transfer);
    void ForgetPart(const QString& part);
    void ReleaseHandle(CURL* easy);
};

Transfers& Transfers::Instance() {
    static Transfers instance;
    return instance;
}

Transfers::Transfers() : m_engine(std::make_unique<Engine>()) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_engine->multi = curl_multi_init();
    // Open connections are kept for the next requests to the same host.
    curl_multi_setopt(m_engine->multi, CURLMOPT_MAXCONNECTS, 16L);
    // At most as many connections to one host as a browser opens; requests
    // beyond them wait, in the order they were asked for, for one to be free.
    curl_multi_setopt(m_engine->multi, CURLMOPT_MAX_HOST_CONNECTIONS, long(MaxHostConnections));
    m_engine->thread = std::thread([engine = m_engine.get()] { engine->Run(); });
    m_engine->fileThread = std::thread([engine = m_engine.get()] { engine->RunFiles(); });
}

Transfers::~Transfers() {
    {
        std::lock_guard lock(m_engine->mutex);
        m_engine->stop = true;
        m_engine->abandoned = true;
    }
    curl_multi_wakeup(m_engine->multi);
    m_engine->commitsChanged.notify_all();
    m_engine->thread.join();
    m_engine->fileThread.join();
    curl_multi_cleanup(m_engine->multi);
}

TransferId Transfers::Start(TransferRequest request, QObject* context, Done done) {
    auto transfer = std::make_unique<Transfer>();
    transfer->request = std::move(request);
    transfer->done = std::move(done);
    transfer->hasContext = context != nullptr;
    transfer->context = context;
    if (context) {
        // Created here, so it lives on the asker's thread; the answer is posted
        // to it, and it goes with the answer.
        transfer->relay = new QObject;
    }
    TransferId id = 0;
    bool refused = false;
    {
        std::lock_guard lock(m_engine->mutex);
        id = m_engine->nextId++;
        transfer->id = id;
        refused = m_engine->abandoned;
        if (!refused) {
            m_engine->pending.push_back(std::move(transfer));
        }
    }
    if (!refused) {
        curl_multi_wakeup(m_engine->multi);
        return id;
    }
    qCWarning(lcCloud) << "transfer of" << transfer->request.url
                       << "not started: the program is ending";
    if (transfer->relay)
        transfer->relay->deleteLater();
    else
        transfer->done(TransferReply{}); // a waiter is told at once
    return id;
}

void Transfers::Cancel(TransferId id) {
    {
        std::lock_guard lock(m_engine->mutex);
        m_engine->cancels.push_back(id);
    }
    curl_multi_wakeup(m_engine->multi);
}

void Transfers::AbandonAll() {
    std::unique_lock lock(m_engine->mutex);
    if (!m_engine->abandoned) {
        m_engine->abandoned = true;
        lock.unlock();
        curl_multi_wakeup(m_engine->multi);
        m_engine->commitsChanged.notify_all();
        lock.lock();
    }
    m_engine->changed.wait(lock, [this] { return m_engine->abandonDone; });
}

bool Transfers::Writing(const QString& partPath) const {
    std::lock_guard lock(m_engine->mutex);
    // The count in a part file's name is unique within the process.
    return m_engine->liveParts.contains(QFileInfo(partPath).fileName());
}

void Transfers::Engine::ReleaseHandle(CURL* easy) {
    curl_multi_remove_handle(multi, easy);
    if (spareHandles.size() < 8) {
        curl_easy_reset(easy);
        spareHandles.push_back(easy);
    } else {
        curl_easy_cleanup(easy);
    }
}

void Transfers::Engine::ForgetPart(const QString& part) {
    std::lock_guard lock(mutex);
    liveParts.remove(QFileInfo(part).fileName());
}

void Transfers::Engine::Begin(std::unique_ptr<Transfer> transfer) {
    const TransferLimits limits = CurrentTransferLimits();
    const KindLimit bound = limits.For(transfer->request.kind);
    transfer->maxBytes = bound.maxBytes;
    transfer->url = EncodedUrl(transfer->request.url);

    if (!transfer->request.path.isEmpty()) {
        const QString part = PartFileName(transfer->request.path, partCounter.fetch_add(1));
        {
            std::lock_guard lock(mutex);
            liveParts.insert(QFileInfo(part).fileName());
        }
        transfer->fd = ::open(QFile::encodeName(part).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (transfer->fd < 0) {
            const int error = errno;
            ForgetPart(part);
            qCWarning(lcCloud) << "download" << transfer->request.url << "to"
                               << transfer->request.path << "failed:" << std::strerror(error);
            transfer->reply.result = DownloadResult::FileFailed;
            transfer->reply.fileError = error;
            Deliver(std::move(transfer));
            return;
        }
        transfer->partPath = part;
    }

    CURL* easy = nullptr;
    if (!spareHandles.empty()) {
        easy = spareHandles.back();
        spareHandles.pop_back();
    } else {
        easy = curl_easy_init();
    }
    if (!easy) {
        qCWarning(lcCloud) << "transfer of" << transfer->request.url << "failed: no curl handle";
        Drop(std::move(transfer));
        return;
    }
    curl_easy_setopt(easy, CURLOPT_URL, transfer->url.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // A cloud reached over https is never followed to a plain address: what it
    // sends could then be read and changed on the way.
    const bool secure = transfer->url.startsWith("https:");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    // Certificates and host names are always verified (curl's defaults, stated).
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    const QByteArray ca = ExtraCaFile();
    if (!ca.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, ca.constData());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(bound.total.count()));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(bound.maxBytes));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, long(limits.StallRate(transfer->request.kind)));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(limits.stall.count()));
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    if (transfer->request.connection == Connection::Fresh) {
        curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    }
    curl_multi_add_handle(multi, easy);
    running.emplace(easy, std::move(transfer));
}

void Transfers::Engine::Drop(std::unique_ptr<Transfer> transfer) {
    // Nothing of it stays: not its part file, not its answer.
    if (transfer->fd >= 0)
        ::close(transfer->fd);
    if (!transfer->partPath.isEmpty()) {
        ::unlink(QFile::encodeName(transfer->partPath).constData());
        ForgetPart(transfer->partPath);
    }
    if (transfer->relay)
        transfer->relay->deleteLater();
    else if (transfer->done)
        transfer->done(TransferReply{}); // one who waits for the answer is not left waiting
}

void Transfers::Engine::Deliver(std::unique_ptr<Transfer> transfer) {
    bool ending = false;
    {
        std::lock_guard lock(mutex);
        ending = abandoned;
    }
    if (ending) {
        // The program is ending: no answer reaches anyone any more.
        transfer->reply = {};
        Drop(std::move(transfer));
        return;
    }
    if (!transfer->hasContext) {
        transfer->done(transfer->reply);
        return;
    }
    QObject* relay = transfer->relay;
    QMetaObject::invokeMethod(
        relay,
        [relay, context = transfer->context, done = std::move(transfer->done),
         reply = std::move(transfer->reply)] {
            // Runs on the asker's thread: the context is alive or not, no race.
            if (context)
                done(reply);
            delete relay;
        },
        Qt::QueuedConnection);
}

void Transfers::Engine::Finish(CURL* easy, CURLcode code) {
    auto found = running.find(easy);
    if (found == running.end())
        return;
    std::unique_ptr<Transfer> transfer = std::move(found->second);
    running.erase(found);
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    const char* contentType = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType);
    transfer->reply.status = status;
    if (contentType)
        transfer->reply.contentType = contentType;
    ReleaseHandle(easy);

    const QString& url = transfer->request.url;
    if (transfer->fd < 0) {
        // Into memory: whole or failed, whatever the status.
        if (code == CURLE_OK) {
            transfer->reply.result = DownloadResult::Ok;
        } else {
            transfer->reply.result = DownloadResult::TransferFailed;
            transfer->reply.body.clear();
            if (transfer->tooLarge || code == CURLE_FILESIZE_EXCEEDED)
                qCWarning(lcCloud)
                    << "GET" << url << "failed: the body exceeds" << transfer->maxBytes << "bytes";
            else
                qCWarning(lcCloud) << "GET" << url << "failed:" << curl_easy_strerror(code);
        }
        Deliver(std::move(transfer));
        return;
    }

    TransferReply& reply = transfer->reply;
    if (transfer->fileError != 0) {
        reply.result = DownloadResult::FileFailed;
        reply.fileError = transfer->fileError;
        qCWarning(lcCloud) << "download" << url << "to" << transfer->request.path
                           << "failed:" << std::strerror(transfer->fileError);
    } else if (code != CURLE_OK) {
        reply.result = DownloadResult::TransferFailed;
        if (transfer->tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            qCWarning(lcCloud) << "download" << url << "failed: the body exceeds"
                               << transfer->maxBytes << "bytes";
        else
            qCWarning(lcCloud) << "download" << url << "failed:" << curl_easy_strerror(code);
    } else if (status < 200 || status > 299) {
        reply.result = DownloadResult::HttpStatus;
        qCWarning(lcCloud) << "download" << url << "failed: HTTP status" << status;
    } else {
        // Complete: the file thread flushes it and gives it its name.
        reply.result = DownloadResult::Ok;
        {
            std::lock_guard lock(mutex);
            commits.push_back({std::move(transfer)});
        }
        commitsChanged.notify_all();
        return;
    }
    ::close(transfer->fd);
    transfer->fd = -1;
    ::unlink(QFile::encodeName(transfer->partPath).constData());
    ForgetPart(transfer->partPath);
    transfer->partPath.clear();
    Deliver(std::move(transfer));
}

void Transfers::Engine::Run() {
    for (;;) {
        std::deque<std::unique_ptr<Transfer>> starting;
        std::vector<TransferId> cancelling;
        bool abandonNow = false;
        bool stopNow = false;
        {
            std::lock_guard lock(mutex);
            starting.swap(pending);
            cancelling.swap(cancels);
            abandonNow = abandoned;
            stopNow = stop;
        }
        if (abandonNow) {
            for (auto& [easy, transfer] : running) {
                curl_multi_remove_handle(multi, easy);
                curl_easy_cleanup(easy);
                Drop(std::move(transfer));
            }
            running.clear();
            for (auto& transfer : starting)
                Drop(std::move(transfer));
            starting.clear();
            {
                // The file thread drops what waits for a name; wait for it.
                std::unique_lock lock(mutex);
                commitsChanged.notify_all();
                commitsChanged.wait(lock, [this] { return commits.empty() && commitsIdle; });
                abandonDone = true;
            }
            changed.notify_all();
            if (stopNow) {
                for (CURL* easy : spareHandles)
                    curl_easy_cleanup(easy);
                spareHandles.clear();
                return;
            }
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
            continue;
        }
        for (auto& transfer : starting)
            Begin(std::move(transfer));
        for (TransferId id : cancelling) {
            for (auto it = running.begin(); it != running.end(); ++it) {
                if (it->second->id != id)
                    continue;
                CURL* easy = it->first;
                std::unique_ptr<Transfer> transfer = std::move(it->second);
                running.erase(it);
                curl_multi_remove_handle(multi, easy);
                curl_easy_cleanup(easy);
                Drop(std::move(transfer));
                break;
            }
        }
        int stillRunning = 0;
        curl_multi_perform(multi, &stillRunning);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE)
                Finish(message->easy_handle, message->data.result);
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
}

void Transfers::Engine::RunFiles() {
    for (;;) {
        std::deque<Commit> batch;
        bool abandonNow = false;
        {
            std::unique_lock lock(mutex);
            commitsIdle = true;
            commitsChanged.notify_all();
            commitsChanged.wait(lock, [this] { return !commits.empty() || abandoned; });
            if (commits.empty() && stop)
                return;
            if (commits.empty()) {
                // Abandoned, nothing waits: sleep until there is work or the end.
                commitsChanged.wait(lock, [this] { return !commits.empty() || stop; });
                if (commits.empty())
                    return;
            }
            batch.swap(commits);
            commitsIdle = false;
            abandonNow = abandoned;
        }

        if (abandonNow) {
            for (Commit& commit : batch) {
                commit.transfer->reply.result = DownloadResult::TransferFailed;
                Drop(std::move(commit.transfer));
            }
            continue;
        }

        // Flushed to the disk before they get their names: after a power cut an
        // entry is whole or missing, never a named empty file. One flush of the
        // file system serves a whole batch, which costs far less than one per file.
        std::vector<Transfer*> flushed;
        for (Commit& commit : batch) {
            if (commit.transfer->request.durability == Durability::Flushed)
                flushed.push_back(commit.transfer.get());
        }
        if (flushed.size() <= 2) {
            for (Transfer* transfer : flushed)
                ::fsync(transfer->fd);
        } else {
            ::syncfs(flushed.front()->fd);
        }
        // Each folder that now holds a flushed file, with one such file.
        std::map<QString, QString> folders;
        for (Commit& commit : batch) {
            Transfer* transfer = commit.transfer.get();
            int error = 0;
            if (::close(transfer->fd) != 0)
                error = errno;
            transfer->fd = -1;
            if (error == 0 &&
                std::rename(QFile::encodeName(transfer->partPath).constData(),
                            QFile::encodeName(transfer->request.path).constData()) != 0)
                error = errno;
            if (error != 0) {
                ::unlink(QFile::encodeName(transfer->partPath).constData());
                transfer->reply.result = DownloadResult::FileFailed;
                transfer->reply.fileError = error;
                qCWarning(lcCloud) << "download" << transfer->request.url << "to"
                                   << transfer->request.path << "failed:" << std::strerror(error);
            } else if (transfer->request.durability == Durability::Flushed) {
                folders.emplace(FolderOf(transfer->request.path), transfer->request.path);
            }
            ForgetPart(transfer->partPath);
            transfer->partPath.clear();
        }
        for (const auto& [folder, file] : folders)
            SyncFolderOf(file);
        for (Commit& commit : batch)
            Deliver(std::move(commit.transfer));
    }
}

int RemoveStalePartFiles(const QString& folder) {
    static const QRegularExpression part(QStringLiteral("\\.part-(\\d+)-\\d+$"));
    int removed = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString path = it.next();
        const auto match = part.match(path);
        if (!match.hasMatch())
            continue;
        const pid_t writer = match.captured(1).toInt();
        // A part file of a running program (another instance on the same folder)
        // stays, however long it was quiet: that program may still be writing it.
        const bool ended = writer == ::getpid()
                               ? !Transfers::Instance().Writing(path)
                               : writer <= 0 || (::kill(writer, 0) != 0 && errno == ESRCH);
        if (ended && QFile::remove(path))
            ++removed;
    }
    if (removed > 0)
        qCWarning(lcCloud) << "removed" << removed << "part files of ended transfers in" << folder;
    return removed;
}

} // namespace qinglan
