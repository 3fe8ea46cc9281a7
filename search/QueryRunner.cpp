#include "search/QueryRunner.h"

#include "cloud/GbkText.h"
#include "cloud/Http.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "search/Log.h"
#include "search/ResultPage.h"
#include "shell/HtmlView.h"
#include "shell/Pages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace qinglan {

namespace {

// The window gets its events at least this often while the index is scanned;
// checking the clock on every line would cost more than the scan itself.
constexpr qint64 YieldIntervalMs = 10;
constexpr int LinesPerClockCheck = 32;

} // namespace

QueryRunner::QueryRunner(QueryContext context, QObject* parent)
    : QObject(parent), m_context(std::move(context)) {}

void QueryRunner::Run(const QString& query) {
    if (m_abandoned)
        return;
    m_next = query;
    if (m_running) {
        // Asked for again from inside a pause of the running query.
        m_superseded = true;
        return;
    }
    m_running = true;
    emit Busy();
    bool done = false;
    do {
        m_superseded = false;
        done = RunOnce(m_next) || m_abandoned;
    } while (!done);
    m_running = false;
    emit Idle();
}

void QueryRunner::Abandon() { m_abandoned = true; }

bool QueryRunner::RunOnce(const QString& query) {
    const QString index = ReadGbkTextFile(IndexPath(m_context.dataPath)).value_or(QString());
    m_pictureListingRead = false;
    m_pictureText.clear();
    if (m_pictureListing.valid())
        m_pictureListing.wait(); // a request of an abandoned run ends before the next
    m_pictureListing = {};

    QElapsedTimer sinceYield;
    sinceYield.start();
    int lines = 0;
    ResultPageSources sources;
    sources.entryText = [this](const ExactMatch& match) {
        return EntryText(match.resourceNumber, match.remoteName);
    };
    sources.pictureAddress = [this](const QString& name) { return PictureAddress(name); };
    sources.yield = [&] {
        if (++lines % LinesPerClockCheck == 0 && sinceYield.elapsed() >= YieldIntervalMs) {
            QCoreApplication::processEvents();
            sinceYield.restart();
        }
        return !m_superseded && !m_abandoned;
    };

    const std::optional<QString> page = BuildResultPage(index, query, sources);
    if (!page || m_abandoned)
        return false;
    const QString error = ShowPageFile(*m_context.view, m_context.resultPagePath, *page);
    if (error.isEmpty())
        emit PageShown(query);
    else
        emit PageFailed(QStringLiteral("无法写入结果页%1").arg(error));
    return true;
}

QString QueryRunner::EntryText(const QString& resourceNumber, const QString& remoteName) {
    // Entries whose name would not make a plain file in the data folder are
    // never read or written on disk.
    const auto path = EntryFilePath(m_context.dataPath, remoteName);
    if (!path) {
        qCWarning(lcSearch) << "entry" << remoteName << "names no plain file; it is never stored";
        return {};
    }
    bool downloaded = false;
    if (!QFileInfo::exists(*path) && !m_abandoned) {
        // The picture folder's listing is wanted next: it is asked for now, beside
        // the entry's download, so that the page waits for one round trip, not two.
        if (!m_pictureListingRead && !m_pictureListing.valid())
            m_pictureListing = m_worker.GetText(PictureFolder());
        downloaded = DownloadToFile(m_context.itemsBaseUrl + resourceNumber, *path).ok();
    }
    const QString text = ReadGbkTextFile(*path).value_or(QString());
    // No empty entry file stays: the next query tries the download again.
    if (text.isEmpty()) {
        qCWarning(lcSearch) << "entry" << remoteName
                            << "has no text; the offline paragraph is shown";
        QFile::remove(*path);
    } else if (downloaded) {
        // Announced only once it stays: the content index reads it at once.
        emit EntryStored(remoteName);
    }
    return text;
}

QString QueryRunner::PictureFolder() const {
    return m_context.itemsBaseUrl + QString::number(m_context.pictureFolderId);
}

QString QueryRunner::PictureAddress(const QString& displayName) {
    const QString folder = PictureFolder();
    if (!m_pictureListingRead && !m_abandoned) {
        m_pictureText = m_pictureListing.valid() ? m_pictureListing.get().value_or(QString())
                                                 : TryHttpGetText(folder);
        m_pictureListingRead = true;
    }
    const QString candidates[] = {displayName + QStringLiteral(".jpg"),
                                  displayName + QStringLiteral(".JPG"),
                                  QStringLiteral("暂无图片.jpg"), QStringLiteral("暂无图片.JPG")};
    for (const QString& name : candidates) {
        const QString address = ItemUrlInListing(folder, m_pictureText, name);
        if (!address.isEmpty())
            return address;
    }
    return {};
}

} // namespace qinglan
