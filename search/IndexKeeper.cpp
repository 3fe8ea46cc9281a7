#include "search/IndexKeeper.h"

#include "cloud/GbkText.h"
#include "entries/DataLayout.h"
#include "search/ContentIndex.h"
#include "search/Log.h"

#include <QThreadPool>

#include <atomic>

#include <malloc.h>

namespace qinglan {

namespace {

// Set while a keeper goes away, so that a sync in the worker stops soon.
std::atomic<bool> g_stopSyncs{false};

} // namespace

IndexKeeper::IndexKeeper(QString dataPath, QObject* parent)
    : QObject(parent), m_dataPath(std::move(dataPath)) {
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
}

IndexKeeper::~IndexKeeper() {
    g_stopSyncs = true;
    // A sync still running finishes its transaction or gives up; wait for it.
    m_worker.waitForDone();
    g_stopSyncs = false;
}

void IndexKeeper::Resync() {
    if (m_syncing) {
        m_syncAgain = true;
        return;
    }
    m_syncing = true;
    m_syncAgain = false;
    // The file is checked for damage once a run; later syncs trust it.
    const bool check = !m_checked;
    m_checked = true;
    // On the keeper's one worker thread, kept for the whole run: a thread made
    // for every sync would leave a heap arena of its own behind each time.
    m_worker.start([this, dataPath = m_dataPath, check] {
        const QString indexText = ReadGbkTextFile(IndexPath(dataPath)).value_or(QString());
        QString error;
        auto index = ContentIndex::Open(dataPath, check, &error);
        if (!index) {
            qCWarning(lcSearch) << "content index of" << dataPath << "unavailable:" << error;
        } else if (index->Sync(indexText, [] { return !g_stopSyncs.load(); }) < 0) {
            qCWarning(lcSearch) << "content index of" << dataPath
                                << "could not be brought up to date";
        }
        index.reset();
        QMetaObject::invokeMethod(this, &IndexKeeper::OnSyncDone, Qt::QueuedConnection);
    });
}

void IndexKeeper::OnSyncDone() {
    m_syncing = false;
    QString error;
    // The old connection goes first: never two readers' caches at once.
    m_index.reset();
    m_index = ContentIndex::Open(m_dataPath, false, &error);
    if (!m_index)
        qCWarning(lcSearch) << "content index of" << m_dataPath << "unavailable:" << error;
    if (m_syncAgain) {
        Resync();
        return;
    }
    // A sync's buffers, and the old reader's, are large and short-lived: give
    // them back to the system rather than keep them in the heaps for the whole
    // run. Once the new reader is open, so that its loading is given back too.
    ::malloc_trim(0);
    emit IndexUpdated();
}

void IndexKeeper::EntryStored(const QString& listedName) {
    if (!m_index || m_syncing)
        return; // the sync under way, or the next one, takes it in
    if (!m_index->Add(listedName))
        qCWarning(lcSearch) << "content index: cannot add" << listedName;
    emit IndexUpdated();
}

} // namespace qinglan
