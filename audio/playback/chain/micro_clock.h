// A monotonic microsecond clock. Whatever paces audio by time (the connector's displays, the
// virtual output device) reads one of these, so tests can move time by hand instead of sleeping.
#pragma once

#include <atomic>
#include <cstdint>

namespace vk350 {

class MicroClock {
public:
    virtual ~MicroClock() = default;
    // Any thread.
    virtual int64_t now() const = 0;
};

// The process's steady clock.
MicroClock& steadyMicroClock();

// Time that only moves when told to. Any thread.
class ManualMicroClock : public MicroClock {
public:
    explicit ManualMicroClock(int64_t start = 0) : now_(start) {}
    int64_t now() const override { return now_.load(); }
    void set(int64_t micros) { now_.store(micros); }
    void advance(int64_t micros) { now_.fetch_add(micros); }

private:
    std::atomic<int64_t> now_;
};

} // namespace vk350
