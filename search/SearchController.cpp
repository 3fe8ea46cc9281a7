#include "search/SearchController.h"

#include "cloud/GbkText.h"
#include "search/ContentIndex.h"
#include "search/ContentSearch.h"
#include "search/IndexKeeper.h"

namespace qinglan {

SearchController::SearchController(HtmlView* view, IndexKeeper* keeper, QString pagePath,
                                   QObject* parent)
    : ProgramPage(view, std::move(pagePath), QStringLiteral("qinglanSearch"), parent),
      m_keeper(keeper) {
    connect(m_keeper, &IndexKeeper::IndexUpdated, this, &SearchController::Render);
}

QString SearchController::PageHtml() const { return SearchPageHtml(); }

void SearchController::OnShown() { m_keeper->Resync(); }

void SearchController::OnAction(const QString& name) {
    if (name == u"download")
        emit DownloadAllRequested();
}

QString SearchController::ResultsHtml(const QJsonObject& state) {
    const ContentIndex* index = m_keeper->Index();
    if (!index)
        return {};
    const SearchRequest request = SearchRequest::FromJson(state);
    const SearchResults results = RunSearch(*index, request);
    const QString data = m_keeper->DataPath();
    return SearchResultsHtml(results, request, [&data](const QString& file) {
        return ReadGbkTextFile(data + u'/' + file).value_or(QString());
    });
}

} // namespace qinglan
