#include "mirror/BulkDownload.h"

#include "cloud/Files.h"
#include "entries/DataLayout.h"
#include "mirror/Log.h"

#include <QFileInfo>

namespace qinglan {

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
    while (!m_stop && m_running < m_connections && m_next < m_items.size()) {
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
        StartDownload(m_itemsBaseUrl + item.ResourceID, *path, TransferKind::Entry, this,
                      [this](DownloadOutcome outcome) {
                          --m_running;
                          ++m_done;
                          if (outcome.result == DownloadResult::FileFailed &&
                              IsFolderFailure(outcome.fileError) && !m_stop) {
                              // The folder takes no more: no further request.
                              m_stop = true;
                              m_folderError = outcome.fileError;
                              qCWarning(lcMirror)
                                  << "the pass stops: cannot write to" << m_dataPath;
                          }
                          emit Progress(m_done);
                          StartMore();
                      });
    }
    if (m_done != before)
        emit Progress(m_done);
    if (m_running == 0 && (m_stop || m_next >= m_items.size()))
        Finish();
}

void BulkPass::Finish() {
    if (m_finished)
        return;
    m_finished = true;
    BulkPassResult result;
    result.folderError = m_folderError;
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
