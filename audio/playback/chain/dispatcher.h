// Runs work on the window thread. Device threads and callbacks never touch the components'
// users directly: they post here. The editor's dispatcher is the Qt event loop; the tool and
// the tests use a QueueDispatcher that a thread of their own drains.
#pragma once

#include <exception>
#include <functional>

namespace vk350 {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    // Any thread: run task on the dispatch thread, after the tasks posted before it. An
    // exception that escapes a task goes to OnException, not to the poster.
    virtual void post(std::function<void()> task) = 0;
    // Any thread: true when called on the dispatch thread.
    virtual bool isDispatchThread() const = 0;

    // Set on the dispatch thread, called there: receives what escapes a task (a device that
    // failed mid-play). Without it each dispatcher has its fallback, stated with it.
    std::function<void(std::exception_ptr)> OnException;
};

} // namespace vk350
