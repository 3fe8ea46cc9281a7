#pragma once

#include "tools/cloud/ServerProcess.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A library source written by a test: folders with their numbers and files.
struct TestLibrary {
    QString owner = QStringLiteral("TESTOWNER");
    struct Folder {
        QString directory;
        int number = 0;
        QMap<QString, QByteArray> files; // name -> bytes (UTF-8 for text files)
    };
    QList<Folder> folders;

    // Writes the source folder (manifest and files) into dir; false on failure.
    bool WriteTo(const QString& dir) const;
};

// `qinglan-cloud serve` on a free loopback port, publishing a test library into
// its own store; stopped when destroyed.
class CloudServer final {
public:
    CloudServer();
    ~CloudServer();
    CloudServer(const CloudServer&) = delete;
    CloudServer& operator=(const CloudServer&) = delete;

    // Publishes the library (again) into the store; the server need not restart.
    // With a signing key file, the update folder is published with signatures.
    bool Publish(const TestLibrary& library, QString* error = nullptr,
                 const QString& signingKey = {});
    // Starts serving; after a Stop, on the port it had before.
    bool Start();
    void Stop();
    // Every response waits this long (set before Start), like a distant cloud.
    void SetLatencyMs(int milliseconds) { m_latencyMs = milliseconds; }

    int port() const { return m_lastPort; }
    QString storePath() const { return m_dir.filePath(QStringLiteral("store")); }
    // http://127.0.0.1:PORT/items/OWNER!
    QString ItemsBaseUrl(const QString& owner = QStringLiteral("TESTOWNER")) const;
    // Requests served so far, one "METHOD PATH STATUS" line each.
    QStringList RequestLog() const;
    int CountRequests(const QString& pathPart) const;

private:
    QTemporaryDir m_dir;
    qinglan::cloudtool::ServerProcess m_server;
    int m_latencyMs = 0;
    int m_lastPort = 0;
};

// Runs `qinglan-cloud publish source store [--sign key]`; returns its exit code,
// output in *output.
int RunPublish(const QString& source, const QString& store, QString* output = nullptr,
               const QString& signingKey = {});

// Path of the qinglan-cloud tool of this build.
QString CloudToolPath();
