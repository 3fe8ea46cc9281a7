#include "tests/support/RawHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

int ListenOnLoopback(int* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 16) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    *port = ntohs(addr.sin_port);
    return fd;
}

} // namespace

int UnusedPort() {
    int port = 0;
    const int fd = ListenOnLoopback(&port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

RawHttpServer::RawHttpServer(Handler handler) : m_handler(std::move(handler)) {
    m_listenFd = ListenOnLoopback(&m_port);
    if (::pipe2(m_stopPipe, O_CLOEXEC) != 0)
        m_stopPipe[0] = m_stopPipe[1] = -1;
    m_thread = std::thread([this] { Run(); });
}

RawHttpServer::~RawHttpServer() {
    if (m_stopPipe[1] >= 0)
        (void)!::write(m_stopPipe[1], "x", 1);
    m_thread.join();
    for (int fd : {m_listenFd, m_stopPipe[0], m_stopPipe[1]})
        if (fd >= 0)
            ::close(fd);
}

QString RawHttpServer::Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

std::string RawHttpServer::Response(const std::string& status, const std::string& body,
                                    const std::string& extraHeaders) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

void RawHttpServer::Run() {
    std::vector<int> hanging;
    while (m_listenFd >= 0) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
            break;
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            head.append(buffer, static_cast<size_t>(n));
        }
        // A client that left before sending a whole request (a transfer given
        // up while it waited for its connection) gets nothing.
        if (head.find("\r\n\r\n") == std::string::npos) {
            ::close(client);
            continue;
        }
        ++m_requests;
        const Reply reply = m_handler(head);
        if (reply.hang) {
            hanging.push_back(client);
            continue;
        }
        size_t sent = 0;
        bool stopping = false;
        while (sent < reply.bytes.size() && !stopping) {
            size_t chunk = reply.bytes.size() - sent;
            if (reply.trickleMs > 0) {
                chunk = std::min(chunk, static_cast<size_t>(std::max(reply.trickleBytes, 1)));
                // Waits between chunks, and notices both a stop and a client that left.
                pollfd wait[2] = {{m_stopPipe[0], POLLIN, 0}, {client, POLLRDHUP, 0}};
                if (sent > 0 && ::poll(wait, 2, reply.trickleMs) > 0)
                    stopping = true;
                if (stopping)
                    break;
            }
            const ssize_t n = ::send(client, reply.bytes.data() + sent, chunk, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        if (stopping && (::poll(fds + 1, 1, 0) > 0)) {
            ::close(client);
            break;
        }
        ::shutdown(client, SHUT_RDWR);
        ::close(client);
    }
    for (int fd : hanging)
        ::close(fd);
}

RecordingServer::RecordingServer(std::map<std::string, std::string> replies)
    : m_replies(std::move(replies)), m_server([this](const std::string& head) {
          const std::string path = head.substr(4, head.find(' ', 4) - 4);
          std::lock_guard lock(m_mutex);
          m_paths << QString::fromStdString(path);
          if (path.size() >= 5 && path.compare(path.size() - 5, 5, "!hang") == 0)
              return RawHttpServer::Reply{{}, true};
          const auto it = m_replies.find(path);
          return RawHttpServer::Reply{
              it != m_replies.end() ? it->second
                                    : RawHttpServer::Response("404 Not Found", "<h1>404</h1>")};
      }) {}

QStringList RecordingServer::Paths() const {
    std::lock_guard lock(m_mutex);
    return m_paths;
}
