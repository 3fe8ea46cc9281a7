#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// A loopback HTTP server on its own thread that answers each request with bytes
// that a test scripts: broken, cut short, wrongly labelled, or none at all.
class RawHttpServer final {
public:
    struct Reply {
        std::string bytes; // sent as they are, then the connection is closed
        bool hang = false; // accept and read the request, then never answer
        // When set, the bytes go out trickleBytes at a time, trickleMs apart.
        int trickleMs = 0;
        int trickleBytes = 1;
    };
    using Handler = std::function<Reply(const std::string& requestHead)>;

    explicit RawHttpServer(Handler handler);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return m_port; }
    int requests() const { return m_requests.load(); }
    QString Url(const QString& path) const;

    // A complete response with the given status line, headers and body.
    static std::string Response(const std::string& status, const std::string& body,
                                const std::string& extraHeaders = {});

private:
    void Run();

    Handler m_handler;
    int m_listenFd = -1;
    int m_stopPipe[2] = {-1, -1};
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

// A loopback port on which nothing listens (bound, then closed).
int UnusedPort();

// A scripted server that records the path of every request and answers paths
// from a table (404 for the rest); a path ending in "!hang" is never answered.
class RecordingServer final {
public:
    explicit RecordingServer(std::map<std::string, std::string> replies = {});

    QString Url(const QString& path) const { return m_server.Url(path); }
    QStringList Paths() const;

private:
    std::map<std::string, std::string> m_replies;
    mutable std::mutex m_mutex;
    QStringList m_paths;
    RawHttpServer m_server;
};
