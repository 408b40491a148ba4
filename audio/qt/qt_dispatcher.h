// The window thread's dispatcher on the Qt event loop: posted tasks run as queued events on the
// thread that created the dispatcher. Nothing may escape into Qt: without an OnException the
// text of a failure goes to Qt's warning log.
#pragma once

#include "dispatcher.h"

#include <exception>
#include <functional>
#include <memory>

class QObject;

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
    std::unique_ptr<QObject> context_;
};

} // namespace vk350
