#include "search/QueryRunner.h"

#include "cloud/GbkText.h"
#include "cloud/Http.h"
#include "cloud/Listing.h"
#include "entries/DataLayout.h"
#include "search/Log.h"
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
    const quint64 run = ++m_run;
    if (!m_running) {
        m_running = true;
        emit Busy();
    }

    // The scan finds the exact matches; the window keeps its events meanwhile,
    // and a query asked for during a pause replaces this one at once.
    const QString index = ReadGbkTextFile(IndexPath(m_context.dataPath)).value_or(QString());
    QList<ExactMatch> matches;
    QElapsedTimer sinceYield;
    sinceYield.start();
    int lines = 0;
    ResultPageSources scan;
    scan.entryText = [&](const ExactMatch& match) {
        matches.append(match);
        return QString();
    };
    scan.yield = [&] {
        if (++lines % LinesPerClockCheck == 0 && sinceYield.elapsed() >= YieldIntervalMs) {
            QCoreApplication::processEvents();
            sinceYield.restart();
        }
        return Current(run);
    };
    if (!BuildResultPage(index, query, scan) || !Current(run))
        return; // a newer run owns the state now

    m_query = query;
    m_index = index;
    m_matches = matches;
    m_picturesAsked = false;
    m_picturesRead = false;
    m_waitingForPictures = false;
    m_pictureListing.clear();
    FetchEntry(run, 0);
}

void QueryRunner::FetchEntry(quint64 run, qsizetype next) {
    if (!Current(run))
        return;
    // Each exact match in index order: downloaded when it is not in the data
    // folder yet, then the next.
    for (; next < m_matches.size(); ++next) {
        const ExactMatch match = m_matches[next];
        // Entries whose name would not make a plain file in the data folder are
        // never read or written on disk.
        const auto path = EntryFilePath(m_context.dataPath, match.remoteName);
        if (!path) {
            qCWarning(lcSearch) << "entry" << match.remoteName
                                << "names no plain file; it is never stored";
            continue;
        }
        if (QFileInfo::exists(*path))
            continue;
        // The picture folder's listing is wanted next: asked for now, beside the
        // entry's download, so that the page waits for one round trip, not two.
        AskForPictures(run);
        const QString remoteName = match.remoteName;
        const QString file = *path;
        StartDownload(m_context.itemsBaseUrl + match.resourceNumber, file, TransferKind::Entry,
                      this, [this, run, next, remoteName, file](DownloadOutcome outcome) {
                          // Stored whatever became of the query that asked for it.
                          if (outcome.ok()) {
                              if (QFileInfo(file).size() == 0)
                                  QFile::remove(file); // the next query tries again
                              else
                                  emit EntryStored(remoteName);
                          }
                          FetchEntry(run, next + 1);
                      });
        return;
    }
    ShowPage(run);
}

QString QueryRunner::PictureFolder() const {
    return m_context.itemsBaseUrl + QString::number(m_context.pictureFolderId);
}

void QueryRunner::AskForPictures(quint64 run) {
    if (m_picturesAsked)
        return;
    m_picturesAsked = true;
    FetchText(PictureFolder(), TransferKind::Listing, this, [this, run](const TextReply& reply) {
        if (!Current(run))
            return;
        m_pictureListing = reply.text.value_or(QString());
        m_picturesRead = true;
        if (m_waitingForPictures)
            ShowPage(run);
    });
}

void QueryRunner::ShowPage(quint64 run) {
    if (!Current(run))
        return;
    // An exact match shows its picture: the listing is read once per query.
    if (!m_matches.isEmpty() && !m_picturesRead) {
        m_waitingForPictures = true;
        AskForPictures(run);
        return;
    }
    m_waitingForPictures = false;

    ResultPageSources sources;
    sources.entryText = [this](const ExactMatch& match) {
        const auto path = EntryFilePath(m_context.dataPath, match.remoteName);
        if (!path)
            return QString();
        const QString text = ReadGbkTextFile(*path).value_or(QString());
        // No empty entry file stays: the next query tries the download again.
        if (text.isEmpty()) {
            qCWarning(lcSearch) << "entry" << match.remoteName
                                << "has no text; the offline paragraph is shown";
            QFile::remove(*path);
        }
        return text;
    };
    sources.pictureAddress = [this](const QString& displayName) {
        const QString folder = PictureFolder();
        const QString candidates[] = {
            displayName + QStringLiteral(".jpg"), displayName + QStringLiteral(".JPG"),
            QStringLiteral("暂无图片.jpg"), QStringLiteral("暂无图片.JPG")};
        for (const QString& name : candidates) {
            const QString address = ItemUrlInListing(folder, m_pictureListing, name);
            if (!address.isEmpty())
                return address;
        }
        return QString();
    };
    // Local work only from here: the page is built and shown in one go.
    const std::optional<QString> page = BuildResultPage(m_index, m_query, sources);
    const QString query = m_query;
    if (page) {
        const QString error = ShowPageFile(*m_context.view, m_context.resultPagePath, *page);
        if (error.isEmpty())
            emit PageShown(query);
        else
            emit PageFailed(QStringLiteral("无法写入结果页%1").arg(error));
    }
    Stop(run);
}

void QueryRunner::Stop(quint64 run) {
    if (!Current(run) || !m_running)
        return;
    m_index.clear();
    m_matches.clear();
    m_pictureListing.clear();
    m_running = false;
    emit Idle();
}

void QueryRunner::Supersede() {
    ++m_run;
    if (m_running) {
        m_running = false;
        emit Idle();
    }
}

void QueryRunner::Abandon() {
    m_abandoned = true;
    ++m_run;
    if (m_running) {
        m_running = false;
        emit Idle();
    }
}

} // namespace qinglan
