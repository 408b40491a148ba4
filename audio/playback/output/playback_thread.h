// The wave output's own thread for processing played buffers (its thread callback mode): a
// queue of buffer-done messages handled in order at the chosen priority.
#pragma once

#include "chain_buffer.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vk350 {

enum ThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class PlaybackThread {
public:
    using Handler = std::function<void(ChainBuffer* header, uint64_t run)>;

    PlaybackThread() = default;
    ~PlaybackThread() { quit(); }
    PlaybackThread(const PlaybackThread&) = delete;
    PlaybackThread& operator=(const PlaybackThread&) = delete;

    // Owner's thread: starts the thread and waits up to timeoutMs for it to run. The priority
    // is a request: raising it needs rights the user may not have. An exception that escapes
    // handler ends the thread after onException has seen it, on the thread.
    bool start(ThreadPriority priority, Handler handler, std::function<void(std::exception_ptr)> onException,
               int timeoutMs);
    // Any thread: queue one message.
    void post(ChainBuffer* header, uint64_t run);
    // Any thread: drop every message still queued.
    void flush();
    // Owner's thread: end the thread after the message being handled.
    void quit();
    bool running() const { return thread_.joinable(); }
    // The nice value a priority asks for.
    static int niceValue(ThreadPriority priority);

private:
    void loop(ThreadPriority priority);

    std::thread thread_;
    Handler handler_;
    std::function<void(std::exception_ptr)> onException_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<ChainBuffer*, uint64_t>> queue_;
    bool started_ = false;
    bool quit_ = false;
};

} // namespace vk350
