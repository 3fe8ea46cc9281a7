#pragma once

#include <QString>

namespace qinglan::cloudtool {

struct ServeOptions final {
    QString store;
    QString host = QStringLiteral("127.0.0.1");
    int port = 8936;   // 0: any free port
    QString logFile;   // when set, one line per request: method, path, status
    int latencyMs = 0; // every response waits this long, like a distant cloud
};

// Serves store/items/<name> at /items/<name>, GET (and HEAD) only, nothing
// outside the store, on at least 64 connections at once. Prints the address it
// listens on, then blocks until the process is ended. Returns an error message when it cannot
// listen.
QString Serve(const ServeOptions& options);

} // namespace qinglan::cloudtool
