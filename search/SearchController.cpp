#include "search/SearchController.h"

#include "cloud/GbkText.h"
#include "entries/DataLayout.h"
#include "search/ContentIndex.h"
#include "search/ContentSearch.h"
#include "search/Log.h"
#include "shell/HtmlView.h"
#include "shell/Pages.h"

#include <QJsonDocument>
#include <QThread>

#include <atomic>

namespace qinglan {

namespace {

// Set while the program ends, so that a sync in the worker stops soon.
std::atomic<bool> g_stopSyncs{false};

} // namespace

SearchController::SearchController(HtmlView* view, QString dataPath, QString pagePath,
                                   QObject* parent)
    : QObject(parent), m_view(view), m_dataPath(std::move(dataPath)),
      m_pagePath(std::move(pagePath)) {
    m_view->OfferToProgramScripts(QStringLiteral("qinglanSearch"), this);
    connect(m_view, &HtmlView::DownloadComplete, this, [this] {
        m_pageLoaded = IsShown();
        if (m_pageLoaded)
            m_view->RunProgramScript(SearchPageScript());
    });
}

SearchController::~SearchController() {
    g_stopSyncs = true;
    // A worker still running finishes its transaction or gives up; wait for it.
    for (QThread* worker : findChildren<QThread*>())
        worker->wait();
    g_stopSyncs = false;
}

bool SearchController::IsShown() const {
    return m_view->url().adjusted(QUrl::RemoveFragment) == QUrl::fromLocalFile(m_pagePath);
}

void SearchController::Show() {
    m_pageLoaded = false;
    const QString error = ShowPageFile(*m_view, m_pagePath, SearchPageHtml());
    if (!error.isEmpty()) {
        emit PageFailed(QStringLiteral("无法写入检索页%1").arg(error));
        return;
    }
    Resync();
}

void SearchController::Resync() {
    if (m_syncing) {
        m_syncAgain = true;
        return;
    }
    m_syncing = true;
    m_syncAgain = false;
    const QString indexText = ReadGbkTextFile(IndexPath(m_dataPath)).value_or(QString());
    QThread* worker = QThread::create([dataPath = m_dataPath, indexText] {
        QString error;
        const auto index = ContentIndex::Open(dataPath, true, &error);
        if (!index) {
            qCWarning(lcSearch) << "content index of" << dataPath << "unavailable:" << error;
            return;
        }
        if (index->Sync(indexText, [] { return !g_stopSyncs.load(); }) < 0)
            qCWarning(lcSearch) << "content index of" << dataPath
                                << "could not be brought up to date";
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, this, [this, worker] {
        worker->deleteLater();
        OnSyncDone();
    });
    worker->start();
}

void SearchController::OnSyncDone() {
    m_syncing = false;
    QString error;
    m_index = ContentIndex::Open(m_dataPath, false, &error);
    if (!m_index)
        qCWarning(lcSearch) << "content index of" << m_dataPath << "unavailable:" << error;
    if (m_syncAgain) {
        Resync();
        return;
    }
    emit IndexUpdated();
    Render();
}

void SearchController::EntryStored(const QString& listedName) {
    if (!m_index || m_syncing)
        return; // the sync under way, or the next one, takes it in
    if (!m_index->Add(listedName))
        qCWarning(lcSearch) << "content index: cannot add" << listedName;
    emit IndexUpdated();
    Render();
}

void SearchController::Changed(const QString& state) {
    m_state = state;
    Render();
}

void SearchController::DownloadAll() {
    if (IsShown())
        emit DownloadAllRequested();
}

void SearchController::Render() {
    if (!m_pageLoaded || !IsShown() || !m_index)
        return;
    const SearchRequest request =
        SearchRequest::FromJson(QJsonDocument::fromJson(m_state.toUtf8()).object());
    const SearchResults results = RunSearch(*m_index, request);
    const QString html = SearchResultsHtml(results, request, [this](const QString& file) {
        return ReadGbkTextFile(m_dataPath + u'/' + file).value_or(QString());
    });
    m_view->RunProgramScript(
        QStringLiteral("window.qinglanShowResults && qinglanShowResults(%1);").arg(JsString(html)));
    emit ResultsShown(html);
}

} // namespace qinglan
