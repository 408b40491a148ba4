// The window thread's dispatcher on the Qt event loop: posted tasks run, in order, on the thread
// that created the dispatcher. The tasks pass through the dispatcher's own lock and Qt only wakes
// the window thread (a queued signal called by name, so that nothing of the posting thread's goes
// through Qt's queue): what a device thread hands over is ordered by a plain lock.
// Nothing may escape into Qt: without an OnException the text of a failure goes to Qt's warning
// log.
#pragma once

#include "dispatcher.h"

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class QTimer;

namespace vk350 {

class QtDispatcher : public Dispatcher {
public:
    // The window thread, with a QCoreApplication in place.
    QtDispatcher();
    // Tasks still queued are dropped.
    ~QtDispatcher() override;

    // Any thread.
    void post(std::function<void()> task) override;
    // Any thread.
    bool isDispatchThread() const override;

    // Runs task and hands what escapes it to handler (or the warning log).
    static void runGuarded(const std::function<void()>& task,
                           const std::function<void(std::exception_ptr)>& handler);

private:
    // The window thread: runs the tasks that wait now, one by one, so that a task which opens
    // a modal loop lets the later ones run there in their order.
    void runPosted();

    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool wakePending_ = false;
    // Never started: its timeout signal is the wake-up. It goes first, and Qt drops the wake-ups
    // still queued with it.
    std::unique_ptr<QTimer> wake_;
};

} // namespace vk350
