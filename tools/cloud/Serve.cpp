#include "tools/cloud/Serve.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace qinglan::cloudtool {

namespace {

const char* const NotFoundPage = "<html><head><title>404 Not Found</title></head>"
                                 "<body><h1>404 Not Found</h1></body></html>";

// A store name is one plain file name inside items/: no separators, no dot names.
bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == '\0')
            return false;
    }
    return true;
}

void ServeItem(const QString& itemsDir, const httplib::Request& request,
               httplib::Response& response) {
    const std::string name = request.matches[1];
    QFile file;
    if (IsPlainName(name)) {
        file.setFileName(itemsDir + u'/' + QString::fromStdString(name));
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
            file.setFileName(QString());
    }
    if (!file.isOpen()) {
        response.status = 404;
        response.set_content(NotFoundPage, "text/html; charset=utf-8");
        return;
    }
    const QByteArray bytes = file.readAll();
    response.set_content(bytes.constData(), static_cast<size_t>(bytes.size()),
                         "application/octet-stream");
}

} // namespace

QString Serve(const ServeOptions& options) {
    const QString itemsDir = QDir(options.store).absoluteFilePath(QStringLiteral("items"));
    if (!QFileInfo(itemsDir).isDir())
        return QStringLiteral("%1: not a published store (no items folder)").arg(options.store);

    httplib::Server server;
    server.set_keep_alive_max_count(1000000);
    server.set_keep_alive_timeout(30);
    // Headers and body leave in two writes; without this a reused connection
    // waits for the client's delayed acknowledgement on every response.
    server.set_tcp_nodelay(true);
    // Enough threads for every connection a client may open at once.
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    const auto latency = std::chrono::milliseconds(options.latencyMs);
    server.Get(R"(/items/([^/]+))", [&](const httplib::Request& req, httplib::Response& res) {
        if (latency.count() > 0)
            std::this_thread::sleep_for(latency);
        ServeItem(itemsDir, req, res);
    });
    server.Get(R"(.*)", [latency](const httplib::Request&, httplib::Response& res) {
        if (latency.count() > 0)
            std::this_thread::sleep_for(latency);
        res.status = 404;
        res.set_content(NotFoundPage, "text/html; charset=utf-8");
    });
    const auto refuse = [](const httplib::Request&, httplib::Response& res) {
        res.status = 405;
        res.set_header("Allow", "GET, HEAD");
        res.set_content("Method Not Allowed", "text/plain");
    };
    server.Post(R"(.*)", refuse);
    server.Put(R"(.*)", refuse);
    server.Patch(R"(.*)", refuse);
    server.Delete(R"(.*)", refuse);
    server.Options(R"(.*)", refuse);

    std::FILE* log = nullptr;
    if (!options.logFile.isEmpty()) {
        log = std::fopen(QFile::encodeName(options.logFile).constData(), "a");
        if (!log)
            return QStringLiteral("%1: cannot open the log file").arg(options.logFile);
        // Logged once the answer is decided and before it is sent: a client that
        // has its answer finds its request in the log.
        server.set_post_routing_handler([log](const httplib::Request& req, httplib::Response& res) {
            static std::mutex mutex;
            std::lock_guard lock(mutex);
            std::fprintf(log, "%s %s %d\n", req.method.c_str(), req.path.c_str(), res.status);
            std::fflush(log);
        });
    }

    const std::string host = options.host.toStdString();
    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(host);
        if (port < 0)
            return QStringLiteral("cannot listen on %1").arg(options.host);
    } else if (!server.bind_to_port(host, port)) {
        return QStringLiteral("cannot listen on %1:%2").arg(options.host).arg(port);
    }
    std::printf("qinglan-cloud: serving %s on http://%s:%d/items/\n",
                QFile::encodeName(options.store).constData(), host.c_str(), port);
    std::fflush(stdout);
    if (!server.listen_after_bind())
        return QStringLiteral("the server stopped");
    return {};
}

} // namespace qinglan::cloudtool
