#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>

namespace qinglan {

class ContentIndex;

// Keeps the content index of a data folder up to date for the pages that use it
// (the search and the prescription check): syncs run in a worker thread with a
// connection of their own; the index the pages read is opened afresh when one
// has finished.
class IndexKeeper final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IndexKeeper)

public:
    IndexKeeper(QString dataPath, QObject* parent);
    ~IndexKeeper() override;

    // Brings the index up to the entry index and the files present, in the
    // worker; a request while one runs makes one more run after it.
    void Resync();
    // An entry file was written (a query downloaded it): it becomes searchable
    // now when the index is open, else with the next sync.
    void EntryStored(const QString& listedName);

    // Whether a sync is under way (or asked for after the running one).
    bool Syncing() const { return m_syncing; }
    // The index, once the first sync has finished; nullptr before.
    const ContentIndex* Index() const { return m_index.get(); }
    QString DataPath() const { return m_dataPath; }

signals:
    // The index changed (a sync finished, or an entry was added).
    void IndexUpdated();

private:
    void OnSyncDone();

    const QString m_dataPath;
    // The one thread syncs run on.
    QThreadPool m_worker;
    std::unique_ptr<ContentIndex> m_index;
    bool m_syncing = false;
    bool m_syncAgain = false;
    bool m_checked = false; // a sync has checked the file for damage
};

} // namespace qinglan
