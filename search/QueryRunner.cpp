#include "QueryRunner.h"

#include "DataLayout.h"
#include "GbkText.h"
#include "Http.h"
#include "HtmlView.h"
#include "Listing.h"
#include "Pages.h"
#include "ResultPage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace qinglan {

namespace {

// The window gets its events at least this often while the index is scanned;
// checking the clock on every line would cost more than the scan itself.
constexpr qint64 YieldIntervalMs = 10;
constexpr int LinesPerClockCheck = 32;

} // namespace

QueryRunner::QueryRunner(QueryContext context, QObject* parent)
    : QObject(parent), m_context(std::move(context)) {}

void QueryRunner::Run() {
    if (m_running) {
        // Asked for again from inside a pause of the running query.
        m_superseded = true;
        return;
    }
    m_running = true;
    m_context.queryButton->setEnabled(false);
    bool shown = false;
    do {
        m_superseded = false;
        shown = RunOnce();
    } while (!shown);
    m_running = false;
    m_context.queryButton->setEnabled(true);
    emit Idle();
}

bool QueryRunner::RunOnce() {
    const QString query = m_context.queryBox->text();
    const QString index =
        ReadGbkTextFile(IndexPath(m_context.dataPath)).value_or(QString());
    m_pictureListingRead = false;
    m_pictureListing.clear();

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
        return !m_superseded;
    };

    const std::optional<QString> page = BuildResultPage(index, query, sources);
    if (!page)
        return false;
    // A page file that cannot be written leaves the previous page in view.
    if (ShowPageFile(*m_context.view, m_context.resultPagePath, *page).isEmpty())
        emit PageShown(query);
    return true;
}

QString QueryRunner::EntryText(const QString& resourceNumber, const QString& remoteName) {
    // Entries whose name would not make a plain file in the data folder are
    // never read or written on disk.
    const auto path = EntryFilePath(m_context.dataPath, remoteName);
    if (!path)
        return {};
    if (!QFileInfo::exists(*path))
        DownloadToFile(m_context.itemsBaseUrl + resourceNumber, *path);
    const QString text = ReadGbkTextFile(*path).value_or(QString());
    // No empty entry file stays: the next query tries the download again.
    if (text.isEmpty())
        QFile::remove(*path);
    return text;
}

QString QueryRunner::PictureAddress(const QString& displayName) {
    const QString folder = m_context.itemsBaseUrl + QString::number(m_context.pictureFolderId);
    if (!m_pictureListingRead) {
        m_pictureListing = TryHttpGetText(folder);
        m_pictureListingRead = true;
    }
    const QString candidates[] = {displayName + QStringLiteral(".jpg"),
                                  displayName + QStringLiteral(".JPG"),
                                  QStringLiteral("暂无图片.jpg"), QStringLiteral("暂无图片.JPG")};
    for (const QString& name : candidates) {
        const QString address = ItemUrlInListing(folder, m_pictureListing, name);
        if (!address.isEmpty())
            return address;
    }
    return {};
}

} // namespace qinglan
