// A dispatcher without a window system: posted tasks wait in a queue until the dispatch thread
// drains it. The tool runs its playback loop on one; tests drain it step by step. Without an
// OnException, runPending rethrows what escapes a task.
#pragma once

#include "dispatcher.h"
#include "micro_clock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace vk350 {

class QueueDispatcher : public Dispatcher {
public:
    // The constructing thread is the dispatch thread; timed tasks fall due by clock.
    explicit QueueDispatcher(MicroClock& clock = steadyMicroClock());

    // Any thread.
    void post(std::function<void()> task) override;
    // Any thread: run task once clock has moved on by micros.
    void postAfter(int64_t micros, std::function<void()> task);
    // Any thread.
    bool isDispatchThread() const override;
    // Any thread: tasks waiting, timed ones included.
    size_t pending() const;

    // Dispatch thread: runs the tasks posted before the call and the timed tasks due now, but
    // none that these post; returns how many ran. Safe to call from inside a task.
    size_t runPending();
    // Dispatch thread: runs tasks as they come until done() holds (true) or timeoutMicros of
    // real time have passed (false).
    bool runUntil(const std::function<bool()>& done, int64_t timeoutMicros);

private:
    bool takeDue(std::function<void()>& task, size_t& budget);

    MicroClock& clock_;
    std::thread::id owner_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    std::multimap<int64_t, std::function<void()>> timed_; // by due time, then in posting order
};

} // namespace vk350
