#include "playback_thread.h"

#include <chrono>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

namespace vk350 {

int PlaybackThread::niceValue(ThreadPriority priority) {
    switch (priority) {
    case tpIdle:
        return 19;
    case tpLowest:
        return 10;
    case tpLower:
        return 5;
    case tpNormal:
        return 0;
    case tpHigher:
        return -5;
    case tpHighest:
        return -10;
    case tpTimeCritical:
        return -20;
    }
    return 0;
}

bool PlaybackThread::start(ThreadPriority priority, Handler handler,
                           std::function<void(std::exception_ptr)> onException, int timeoutMs) {
    quit();
    handler_ = std::move(handler);
    onException_ = std::move(onException);
    {
        std::lock_guard lock(mutex_);
        started_ = false;
        quit_ = false;
        queue_.clear();
    }
    try {
        thread_ = std::thread([this, priority] { loop(priority); });
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return started_; }))
        return true;
    lock.unlock();
    quit();
    return false;
}

void PlaybackThread::loop(ThreadPriority priority) {
    // Per-thread nice value on Linux; without the right to raise it the thread keeps its own.
    static_cast<void>(setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceValue(priority)));
    std::unique_lock lock(mutex_);
    started_ = true;
    wake_.notify_all();
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (quit_)
            return;
        const auto [header, run] = queue_.front();
        queue_.pop_front();
        lock.unlock();
        try {
            handler_(header, run);
        } catch (...) {
            if (onException_)
                onException_(std::current_exception());
            return;
        }
        lock.lock();
    }
}

void PlaybackThread::post(ChainBuffer* header, uint64_t run) {
    {
        std::lock_guard lock(mutex_);
        queue_.emplace_back(header, run);
    }
    wake_.notify_all();
}

void PlaybackThread::flush() {
    std::lock_guard lock(mutex_);
    queue_.clear();
}

void PlaybackThread::quit() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach(); // ending itself from within a handler
    else
        thread_.join();
}

} // namespace vk350
