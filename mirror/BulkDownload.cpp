#include "mirror/BulkDownload.h"

#include "cloud/Files.h"
#include "entries/DataLayout.h"
#include "mirror/Log.h"

#include <QFileInfo>

namespace qinglan {

namespace {

constexpr int RequestsPerConnection = 4;

} // namespace

BulkPass::BulkPass(QList<RemoteItem> items, QString dataPath, QString itemsBaseUrl, int connections,
                   QObject* parent)
    : QObject(parent), m_items(std::move(items)), m_dataPath(std::move(dataPath)),
      m_itemsBaseUrl(std::move(itemsBaseUrl)), m_connections(std::max(1, connections)) {}

void BulkPass::Start() {
    RemoveStalePartFiles(m_dataPath);
    // From the event loop: the answer, even of a pass with nothing to do, comes
    // after Start has returned.
    QMetaObject::invokeMethod(this, &BulkPass::StartMore, Qt::QueuedConnection);
}

void BulkPass::StartMore() {
    const qint64 before = m_done;
    // A few requests per connection are asked for ahead: one waits on the
    // connection while the one before it is being put in place on the disk.
    // With one connection, one request at a time: the sequential pass.
    const int ahead = m_connections == 1 ? 1 : m_connections * RequestsPerConnection;
    while (!m_stop && m_running < ahead && m_next < m_items.size()) {
        // The next item in listing order that needs a transfer; the ones before
        // it that need none are counted on the way.
        const RemoteItem& item = m_items[m_next++];
        const auto path = EntryFilePath(m_dataPath, item.RelationshipName);
        if (!path || m_claimed.contains(*path) || QFileInfo::exists(*path)) {
            if (path)
                m_claimed.insert(*path);
            ++m_done;
            continue;
        }
        m_claimed.insert(*path);
        ++m_running;
        // The id is known once the request is made; the answer comes later.
        auto id = std::make_shared<TransferId>(0);
        *id = StartDownload(m_itemsBaseUrl + item.ResourceID, *path, TransferKind::Entry, this,
                            [this, id](DownloadOutcome outcome) { Answered(*id, outcome); });
        m_asked.insert(*id);
    }
    if (m_done != before)
        emit Progress(m_done);
    if (m_running == 0 && (m_stop || m_next >= m_items.size()))
        Finish();
}

void BulkPass::Answered(TransferId id, DownloadOutcome outcome) {
    // One given up when the pass stopped may still answer: it was counted then.
    if (!m_asked.remove(id))
        return;
    --m_running;
    ++m_done;
    if (outcome.ok())
        ++m_stored;
    if (outcome.result == DownloadResult::FileFailed && IsFolderFailure(outcome.fileError) &&
        !m_stop) {
        // The folder takes no more: no further request, and the ones asked for
        // ahead are not sent (or stop where they are).
        m_stop = true;
        m_folderError = outcome.fileError;
        qCWarning(lcMirror) << "the pass stops: cannot write to" << m_dataPath;
        for (const TransferId asked : std::as_const(m_asked))
            Transfers::Instance().Cancel(asked);
        m_done += m_asked.size();
        m_running -= int(m_asked.size());
        m_asked.clear();
    }
    emit Progress(m_done);
    StartMore();
}

void BulkPass::Finish() {
    if (m_finished)
        return;
    m_finished = true;
    BulkPassResult result;
    result.folderError = m_folderError;
    result.stored = m_stored;
    QSet<QString> files;
    for (const RemoteItem& item : m_items) {
        if (const auto path = EntryFilePath(m_dataPath, item.RelationshipName))
            files.insert(*path);
    }
    result.listed = int(files.size());
    for (const QString& file : std::as_const(files)) {
        if (!QFileInfo::exists(file))
            ++result.missing;
    }
    if (result.missing > 0)
        qCWarning(lcMirror) << "pass over" << m_dataPath << "ended with" << result.missing << "of"
                            << result.listed << "entries missing";
    emit Finished(result);
}

} // namespace qinglan
