#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace qinglan {

class ContentIndex;
class HtmlView;

// The search page in the main view: shows it, keeps its index up to date in a
// worker thread, answers every change of the page with its results. Talks to
// the page through an object offered to the program's own scripts only.
class SearchController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchController)

public:
    SearchController(HtmlView* view, QString dataPath, QString pagePath, QObject* parent);
    ~SearchController() override;

    // The 检索 command: writes and shows the search page, and brings the index
    // up to date.
    void Show();
    // An entry file was written (a query downloaded it): it becomes searchable.
    void EntryStored(const QString& listedName);
    // Many entry files may have changed (a bulk pass ended): the index is
    // brought up to date in the worker.
    void Resync();

    // The index, once the first sync has finished; nullptr before.
    const ContentIndex* Index() const { return m_index.get(); }
    bool IsShown() const;

    // Called by the page (through the channel): its state changed, or it asks for
    // the bulk download.
    Q_INVOKABLE void Changed(const QString& state);
    Q_INVOKABLE void DownloadAll();

signals:
    void DownloadAllRequested();
    // The index was brought up to date (after Show, EntryStored or Resync).
    void IndexUpdated();
    // The results shown for the page's current state (for tests and benchmarks).
    void ResultsShown(const QString& html);
    // The page could not be written; the text names the file and the error.
    void PageFailed(const QString& message);

private:
    void Render();
    void OnSyncDone();

    HtmlView* const m_view;
    const QString m_dataPath;
    const QString m_pagePath;
    std::unique_ptr<ContentIndex> m_index;
    QString m_state; // the page's last state, as JSON
    bool m_syncing = false;
    bool m_syncAgain = false;
    bool m_pageLoaded = false;
};

} // namespace qinglan
