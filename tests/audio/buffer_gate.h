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

    // The test thread: runs step until a buffer waits at the gate; false after a generous limit.
    bool waitEntered(const std::function<void()>& step) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limit) {
            {
                std::unique_lock lock(mutex_);
                if (wake_.wait_for(lock, std::chrono::milliseconds(1), [this] { return entered_; }))
                    return true;
            }
            step();
        }
        return false;
    }

    // Opens the gate from another thread after a pause long enough for the test thread to be
    // well into the call it makes meanwhile.
    std::thread openLater(int ms = 100) {
        return std::thread([this, ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            open();
        });
    }

    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        wake_.notify_all();
    }

    void shut() {
        std::lock_guard lock(mutex_);
        open_ = false;
        entered_ = false;
    }

    // Buffers waiting at the gate now.
    int inside() {
        std::lock_guard lock(mutex_);
        return inside_;
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool open_ = true;
    bool entered_ = false;
    int inside_ = 0;
};
