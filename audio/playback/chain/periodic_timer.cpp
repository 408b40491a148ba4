#include "periodic_timer.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace vk350 {

bool PeriodicTimer::start(uint32_t periodMs, std::function<void()> tick) {
    stop();
    periodMs_ = std::max<uint32_t>(periodMs, 1);
    quit_ = false;
    try {
        thread_ = std::thread([this, tick = std::move(tick)] {
            const auto period = std::chrono::milliseconds(periodMs_);
            auto next = std::chrono::steady_clock::now() + period;
            std::unique_lock lock(mutex_);
            while (!wake_.wait_until(lock, next, [this] { return quit_; })) {
                lock.unlock();
                tick();
                lock.lock();
                next += period;
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PeriodicTimer::stop() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

} // namespace vk350
