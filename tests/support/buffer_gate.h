// Holds the wave output's playback thread inside the processing of a buffer until the gate
// opens, so that a test can stop, close or destroy the output while a buffer is mid-way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class BufferGate {
public:
    // The playback thread: waits while the gate is shut.
    void pass() {
        std::unique_lock lock(mutex_);
        if (open_)
            return;
        ++inside_;
        entered_ = true;
        wake_.notify_all();
        wake_.wait(lock, [this] { return open_; });
        --inside_;
    }
    // Shuts the gate; then runs step until a buffer waits at it (false after a generous limit)
    // and opens it again from another thread, long after the test's next call has begun.
    bool catchOne(const std::function<void()>& step, std::thread& opener) {
        set(false);
        for (auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
             std::chrono::steady_clock::now() < limit; step()) {
            std::unique_lock lock(mutex_);
            if (wake_.wait_for(lock, std::chrono::milliseconds(1), [this] { return entered_; })) {
                opener = std::thread([this] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    set(true);
                });
                return true;
            }
        }
        set(true);
        return false;
    }
    // Buffers waiting at the gate now.
    int inside() {
        std::lock_guard lock(mutex_);
        return inside_;
    }

private:
    void set(bool open) {
        std::lock_guard lock(mutex_);
        open_ = open;
        entered_ = false;
        wake_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool open_ = true;
    bool entered_ = false;
    int inside_ = 0;
};
