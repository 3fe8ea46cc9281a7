#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

namespace qinglan {

// A thread of its own for requests that run beside the caller's, so that two
// waits for a distant cloud overlap. It keeps its connection between requests,
// as the caller's thread keeps its own.
class HttpWorker final {
public:
    HttpWorker();
    ~HttpWorker();
    HttpWorker(const HttpWorker&) = delete;
    HttpWorker& operator=(const HttpWorker&) = delete;

    // HttpGetText(url) on the worker's thread; the future holds its result.
    std::future<std::optional<QString>> GetText(const QString& url);

private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace qinglan
