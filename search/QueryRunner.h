#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QPushButton;

namespace qinglan {

class HtmlView;

// What a query needs to know of the main window.
struct QueryContext final {
    HtmlView* view = nullptr;
    QLineEdit* queryBox = nullptr;
    QPushButton* queryButton = nullptr;
    QString dataPath;
    QString itemsBaseUrl;
    int pictureFolderId = 0;
    QString resultPagePath;
};

// Runs the query of the main window: reads the query box and the index, fetches
// the exactly matching entry when it is not cached, and shows the result page.
//
// The window processes events while the index is scanned, so a follow-up click
// or the contents command can ask for another query meanwhile. The newest
// request wins: the running query is abandoned at its next pause, without
// writing a page, and the query box's current text is then run. Each request
// thus runs at most once, and the page shown at the end is the last one asked for.
class QueryRunner final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueryRunner)

public:
    explicit QueryRunner(QueryContext context, QObject* parent = nullptr);

    void Run();
    bool IsRunning() const { return m_running; }

signals:
    // A page was written and opened for this query.
    void PageShown(const QString& query);
    // No query is running or waiting any more.
    void Idle();

private:
    bool RunOnce();
    QString EntryText(const QString& resourceNumber, const QString& remoteName);
    QString PictureAddress(const QString& displayName);

    const QueryContext m_context;
    bool m_running = false;
    bool m_superseded = false;
    // The picture folder's listing, read once per query.
    bool m_pictureListingRead = false;
    QString m_pictureListing;
};

} // namespace qinglan
