#pragma once

#include "cloud/Http.h"
#include "cloud/Listing.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

namespace qinglan {

// How a bulk pass ended.
struct BulkPassResult final {
    int listed = 0;  // entries listed (each entry file once)
    int missing = 0; // of them, not in the data folder at the end
    int stored = 0;  // entry files this pass wrote
    // Set when writing an entry failed because the folder cannot take it (full,
    // over quota, read-only, gone): the pass stopped there. The system's error.
    int folderError = 0;
};

// The number of transfers a pass runs at once by default, as a browser does.
inline constexpr int BulkConnections = 6;

// One bulk pass: downloads every listed entry whose file is not in the data
// folder yet, over up to connections connections at once (a few requests for
// each are asked for ahead, in order, so that none waits idle), each started in
// listing order, through the program's one transfer owner. Nothing here waits:
// the pass asks, and goes on as the answers come, so the window that shows its
// progress keeps painting and taking input. An entry file that exists or is
// being downloaded counts as present, so two listed names with one entry file
// make one request; entries without a file name of their own are skipped.
// Part files left by an earlier pass of an ended program are removed first.
// When a write fails because the folder cannot take it, no further transfer
// starts.
class BulkPass final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BulkPass)

public:
    BulkPass(QList<RemoteItem> items, QString dataPath, QString itemsBaseUrl, int connections,
             QObject* parent = nullptr);

    void Start();

signals:
    // The number of items handled so far (downloaded, present, failed or skipped).
    void Progress(qint64 done);
    // Every transfer has ended.
    void Finished(const BulkPassResult& result);

private:
    void StartMore();
    void Answered(TransferId id, DownloadOutcome outcome);
    void Finish();

    const QList<RemoteItem> m_items;
    const QString m_dataPath;
    const QString m_itemsBaseUrl;
    const int m_connections;
    qsizetype m_next = 0;
    QSet<QString> m_claimed;  // entry files present or being downloaded
    QSet<TransferId> m_asked; // downloads asked for and not answered yet
    qint64 m_done = 0;
    int m_running = 0;
    bool m_stop = false;
    bool m_finished = false;
    int m_folderError = 0;
    int m_stored = 0;
};

} // namespace qinglan
