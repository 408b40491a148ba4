// Calls a function at a fixed period on a thread of its own until stopped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace vk350 {

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    ~PeriodicTimer() { stop(); }
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Owner's thread: starts ticking every periodMs (at least 1); a running timer is stopped
    // first. False when no thread could be made.
    bool start(uint32_t periodMs, std::function<void()> tick);
    // Owner's thread: returns once no tick runs any more. Never call it from tick.
    void stop();
    bool running() const { return thread_.joinable(); }
    uint32_t period() const { return periodMs_; }

private:
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    uint32_t periodMs_ = 0;
};

} // namespace vk350
