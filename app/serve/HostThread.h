// The host's user-interface thread: every call into the host and the plug-in runs here, one job
// at a time, in the order the jobs were posted. The HTTP server's threads only post and wait.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <type_traits>

namespace lq {

class HostThread {
public:
    HostThread();
    // Runs the jobs already posted, then stops the thread.
    ~HostThread();
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;

    // Runs job on the host thread and returns its result; an exception it throws is thrown here.
    template <class Job>
    auto Run(Job job) -> std::invoke_result_t<Job&>
    {
        using Result = std::invoke_result_t<Job&>;
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
        std::future<Result> done = task->get_future();
        Post([task] { (*task)(); });
        return done.get();
    }

private:
    void Post(std::function<void()> job);
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;  // last: starts once the queue exists
};

}  // namespace lq
