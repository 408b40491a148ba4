#include "qt_dispatcher.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QtGlobal>

namespace vk350 {

QtDispatcher::QtDispatcher() : context_(std::make_unique<QObject>()) {}

QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::runGuarded(const std::function<void()>& task,
                              const std::function<void(std::exception_ptr)>& handler) {
    try {
        task();
    } catch (...) {
        if (handler) {
            handler(std::current_exception());
            return;
        }
        try {
            throw;
        } catch (const std::exception& e) {
            qWarning("%s", e.what());
        } catch (...) {
            qWarning("unknown failure in a posted task");
        }
    }
}

void QtDispatcher::post(std::function<void()> task) {
    // Queued on the context's thread; once the context is gone Qt drops the call.
    QMetaObject::invokeMethod(
        context_.get(), [this, task = std::move(task)] { runGuarded(task, OnException); },
        Qt::QueuedConnection);
}

bool QtDispatcher::isDispatchThread() const {
    return QThread::currentThread() == context_->thread();
}

} // namespace vk350
