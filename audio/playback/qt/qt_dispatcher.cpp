#include "qt_dispatcher.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <QtGlobal>

namespace vk350 {

QtDispatcher::QtDispatcher() : wake_(std::make_unique<QTimer>()) {
    QObject::connect(wake_.get(), &QTimer::timeout, wake_.get(), [this] { runPosted(); });
}

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
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (wakePending_)
            return;
        wakePending_ = true;
    }
    QMetaObject::invokeMethod(wake_.get(), "timeout", Qt::QueuedConnection);
}

void QtDispatcher::runPosted() {
    size_t budget;
    {
        std::lock_guard lock(mutex_);
        wakePending_ = false;
        budget = tasks_.size(); // later ones come with a wake-up of their own
    }
    for (; budget > 0; --budget) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        runGuarded(task, OnException);
    }
}

bool QtDispatcher::isDispatchThread() const {
    return QThread::currentThread() == wake_->thread();
}

} // namespace vk350
