#pragma once

#include "search/ResultPage.h"

#include <QList>
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
// matching entry when it is not cached, reads the picture folder's listing and
// shows the result page, in that order.
//
// The window never waits for the network: the query asks for its transfers and
// goes on when they answer, while the window paints and takes input. The
// newest action wins: a query asked for meanwhile (a new query, a clicked
// link, the contents command, back or forward), or another page shown in its
// place (Supersede), replaces the waiting one. The older query's transfers may
// still end and its entry be stored, but it writes and shows no page.
class QueryRunner final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueryRunner)

public:
    explicit QueryRunner(QueryContext context, QObject* parent = nullptr);

    void Run(const QString& query);
    bool IsRunning() const { return m_running; }

    // Another page takes the view's place: a waiting query shows nothing.
    void Supersede();

    // The program is ending: a running query shows nothing, and no query runs
    // any more.
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
    bool Current(quint64 run) const { return run == m_run && !m_abandoned; }
    void FetchEntry(quint64 run, qsizetype next);
    void AskForPictures(quint64 run);
    void ShowPage(quint64 run);
    void Stop(quint64 run);
    QString PictureFolder() const;

    const QueryContext m_context;
    bool m_running = false;
    bool m_abandoned = false;
    // The current run; a newer one makes every older answer stale.
    quint64 m_run = 0;
    // The current run's state.
    QString m_query;
    QString m_index;
    QList<ExactMatch> m_matches;
    bool m_picturesAsked = false;
    bool m_picturesRead = false;
    bool m_waitingForPictures = false;
    QString m_pictureListing;
};

} // namespace qinglan
