#pragma once

#include "cloud/HttpWorker.h"

#include <QObject>
#include <QString>

namespace qinglan {

class HtmlView;

// Where a query finds its data and shows its page.
struct QueryContext final {
    HtmlView* view = nullptr;
    QString dataPath;
    QString itemsBaseUrl;
    int pictureFolderId = 0;
    QString resultPagePath;
};

// Runs the query of the main window: reads the index, fetches the exactly
// matching entry when it is not cached, and shows the result page.
//
// The window processes events while the index is scanned, so a follow-up click
// or the contents command can ask for another query meanwhile. The newest
// request wins: the running query is abandoned at its next pause, without
// writing a page, and the newest text asked for is then run. Each request thus
// runs at most once, and the page shown at the end is the last one asked for.
class QueryRunner final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueryRunner)

public:
    explicit QueryRunner(QueryContext context, QObject* parent = nullptr);

    void Run(const QString& query);
    bool IsRunning() const { return m_running; }

    // The program is ending: a running query stops at its next pause, and no
    // query runs any more.
    void Abandon();

signals:
    // A query started; no other is running.
    void Busy();
    // No query is running or waiting any more.
    void Idle();
    // The entry file of this listed name was downloaded into the data folder.
    void EntryStored(const QString& listedName);
    // A page was written and opened for this query.
    void PageShown(const QString& query);
    // The page could not be written; the previous page stays. The text names the
    // file and the system's error.
    void PageFailed(const QString& message);

private:
    bool RunOnce(const QString& query);
    QString EntryText(const QString& resourceNumber, const QString& remoteName);
    QString PictureAddress(const QString& displayName);
    QString PictureFolder() const;

    const QueryContext m_context;
    bool m_running = false;
    bool m_abandoned = false;
    // Set when a newer request arrived during a pause; its text is m_next.
    bool m_superseded = false;
    QString m_next;
    // The picture folder's listing, read once per query; asked for beside the
    // entry's download when there is one.
    bool m_pictureListingRead = false;
    QString m_pictureText;
    std::future<std::optional<QString>> m_pictureListing;
    HttpWorker m_worker;
};

} // namespace qinglan
