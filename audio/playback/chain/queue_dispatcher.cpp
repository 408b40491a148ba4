#include "queue_dispatcher.h"

#include <algorithm>
#include <chrono>

namespace vk350 {

QueueDispatcher::QueueDispatcher(MicroClock& clock) : clock_(clock), owner_(std::this_thread::get_id()) {}

void QueueDispatcher::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void QueueDispatcher::postAfter(int64_t micros, std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        timed_.emplace(clock_.now() + std::max<int64_t>(micros, 0), std::move(task));
    }
    wake_.notify_all();
}

bool QueueDispatcher::isDispatchThread() const {
    return std::this_thread::get_id() == owner_;
}

size_t QueueDispatcher::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size() + timed_.size();
}

bool QueueDispatcher::takeDue(std::function<void()>& task, size_t& budget) {
    std::lock_guard lock(mutex_);
    // Timed tasks that are due join the queue first, so they run in this round.
    const int64_t now = clock_.now();
    while (!timed_.empty() && timed_.begin()->first <= now) {
        queue_.push_back(std::move(timed_.begin()->second));
        timed_.erase(timed_.begin());
        ++budget;
    }
    if (budget == 0 || queue_.empty())
        return false;
    task = std::move(queue_.front());
    queue_.pop_front();
    --budget;
    return true;
}

size_t QueueDispatcher::runPending() {
    size_t budget;
    {
        std::lock_guard lock(mutex_);
        budget = queue_.size();
    }
    size_t ran = 0;
    std::function<void()> task;
    while (takeDue(task, budget)) {
        ++ran;
        try {
            task();
        } catch (...) {
            if (!OnException)
                throw;
            OnException(std::current_exception());
        }
    }
    return ran;
}

bool QueueDispatcher::runUntil(const std::function<bool()>& done, int64_t timeoutMicros) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeoutMicros);
    for (;;) {
        runPending();
        if (done())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::unique_lock lock(mutex_);
        if (!queue_.empty())
            continue;
        // Wake for a new task, for the next timed one, or to look at done() again (a flag that
        // another thread sets is seen within 100 ms).
        int64_t wait = 100000;
        if (!timed_.empty())
            wait = std::clamp<int64_t>(timed_.begin()->first - clock_.now(), 0, wait);
        const auto until = std::min(deadline, now + std::chrono::microseconds(wait));
        wake_.wait_until(lock, until);
    }
}

} // namespace vk350
