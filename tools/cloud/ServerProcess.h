#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qinglan::cloudtool {

// `qinglan-cloud serve STORE` in a child process on a free loopback port, as the
// tests and the benchmarks start it. The server stops when this object is
// destroyed, and with this process even when that one crashes.
class ServerProcess final {
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts tool serving store with the extra arguments ("--latency", "20",
    // "--log", FILE, ...) on port (0: a free one) and waits until it listens. Returns an error
    // description, empty on success.
    QString Start(const QString& tool, const QString& store, const QStringList& extra = {},
                  int port = 0);
    void Stop();

    int port() const { return m_port; }
    // http://127.0.0.1:PORT/items/OWNER!
    QString ItemsBaseUrl(const QString& owner) const;

private:
    QProcess m_process;
    int m_port = 0;
};

} // namespace qinglan::cloudtool
