#include "cloud/HttpWorker.h"

#include "cloud/Http.h"

namespace qinglan {

HttpWorker::HttpWorker() : m_thread([this] { Run(); }) {}

HttpWorker::~HttpWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::future<std::optional<QString>> HttpWorker::GetText(const QString& url) {
    auto task = std::make_shared<std::packaged_task<std::optional<QString>()>>(
        [url] { return HttpGetText(url); });
    std::future<std::optional<QString>> result = task->get_future();
    {
        std::lock_guard lock(m_mutex);
        m_tasks.emplace_back([task] { (*task)(); });
    }
    m_changed.notify_all();
    return result;
}

void HttpWorker::Run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

} // namespace qinglan
