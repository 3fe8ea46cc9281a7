#pragma once

#include "search/ProgramPage.h"

namespace qinglan {

class HtmlView;
class IndexKeeper;

// The search page in the main view: answers every change of the page with its
// results from the kept index.
class SearchController final : public ProgramPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchController)

public:
    SearchController(HtmlView* view, IndexKeeper* keeper, QString pagePath, QObject* parent);

signals:
    void DownloadAllRequested();

protected:
    QString PageHtml() const override;
    QString ResultsHtml(const QJsonObject& state) override;
    void OnAction(const QString& name) override;
    void OnShown() override;

private:
    IndexKeeper* const m_keeper;
};

} // namespace qinglan
