#include "app/History.h"

namespace qinglan {

void History::Push(const HistoryStep& step) {
    if (m_at >= 0 && m_steps[m_at] == step)
        return;
    m_steps.resize(m_at + 1);
    m_steps.append(step);
    m_at = m_steps.size() - 1;
}

std::optional<HistoryStep> History::Back() {
    if (!CanGoBack())
        return std::nullopt;
    return m_steps[--m_at];
}

std::optional<HistoryStep> History::Forward() {
    if (!CanGoForward())
        return std::nullopt;
    return m_steps[++m_at];
}

std::optional<HistoryStep> History::Current() const {
    if (m_at < 0)
        return std::nullopt;
    return m_steps[m_at];
}

} // namespace qinglan
