#include "mirror/BulkDownload.h"

#include "cloud/Files.h"
#include "cloud/Http.h"
#include "entries/DataLayout.h"
#include "mirror/Log.h"

#include <QFileInfo>
#include <QSet>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace qinglan {

BulkPassResult DownloadMissingEntries(const QList<RemoteItem>& items, const QString& dataPath,
                                      const QString& itemsBaseUrl, int connections,
                                      const std::function<void(qint64 done)>& progress) {
    RemoveStalePartFiles(dataPath);

    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        qsizetype next = 0;
        QSet<QString> claimed; // entry files present or being downloaded
        qint64 done = 0;
        int running = 0;
        bool stop = false;
        int folderError = 0;
    } shared;

    const auto work = [&] {
        std::unique_lock lock(shared.mutex);
        for (;;) {
            // The next item in listing order that needs a transfer; the ones
            // before it that need none are counted on the way.
            std::optional<QString> path;
            QString url;
            while (!shared.stop && shared.next < items.size()) {
                const RemoteItem& item = items[shared.next++];
                path = EntryFilePath(dataPath, item.RelationshipName);
                if (path && !shared.claimed.contains(*path)) {
                    shared.claimed.insert(*path);
                    if (!QFileInfo::exists(*path)) {
                        url = itemsBaseUrl + item.ResourceID;
                        break;
                    }
                }
                path.reset();
                ++shared.done;
            }
            if (!path)
                break;
            lock.unlock();
            const DownloadOutcome outcome = DownloadToFile(url, *path);
            lock.lock();
            ++shared.done;
            if (outcome.result == DownloadResult::FileFailed &&
                IsFolderFailure(outcome.fileError) && !shared.stop) {
                // The folder takes no more: no further request.
                shared.stop = true;
                shared.folderError = outcome.fileError;
                qCWarning(lcMirror) << "the pass stops: cannot write to" << dataPath;
            }
            shared.changed.notify_all();
        }
        --shared.running;
        shared.changed.notify_all();
    };

    std::vector<std::thread> workers;
    const int count = std::max(1, connections);
    shared.running = count;
    for (int i = 0; i < count; ++i)
        workers.emplace_back(work);
    {
        std::unique_lock lock(shared.mutex);
        while (shared.running > 0) {
            shared.changed.wait_for(lock, std::chrono::milliseconds(15));
            const qint64 done = shared.done;
            lock.unlock();
            if (progress)
                progress(done);
            lock.lock();
        }
    }
    for (std::thread& worker : workers)
        worker.join();
    if (progress)
        progress(shared.done);

    BulkPassResult result;
    result.folderError = shared.folderError;
    QSet<QString> files;
    for (const RemoteItem& item : items) {
        if (const auto path = EntryFilePath(dataPath, item.RelationshipName))
            files.insert(*path);
    }
    result.listed = int(files.size());
    for (const QString& file : std::as_const(files)) {
        if (!QFileInfo::exists(file))
            ++result.missing;
    }
    if (result.missing > 0)
        qCWarning(lcMirror) << "pass over" << dataPath << "ended with" << result.missing << "of"
                            << result.listed << "entries missing";
    return result;
}

} // namespace qinglan
