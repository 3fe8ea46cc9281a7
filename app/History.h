#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace qinglan {

// The pages the main view showed in this run, as steps that can be run again: a
// query (also the contents, the query "."), the search page, the check page.
// Going back or forward moves through them; a new step after going back drops
// the steps ahead, as in a browser. Nothing is kept between runs.
struct HistoryStep final {
    enum class Kind { Query, Search, Check };
    Kind kind = Kind::Query;
    QString text; // the query

    bool operator==(const HistoryStep&) const = default;
};

class History final {
public:
    // A step shown now; the same step as the current one again adds nothing.
    void Push(const HistoryStep& step);
    std::optional<HistoryStep> Back();
    std::optional<HistoryStep> Forward();
    bool CanGoBack() const { return m_at > 0; }
    bool CanGoForward() const { return m_at + 1 < m_steps.size(); }
    std::optional<HistoryStep> Current() const;
    qsizetype Size() const { return m_steps.size(); }

private:
    QList<HistoryStep> m_steps;
    qsizetype m_at = -1;
};

} // namespace qinglan
