// A wave output without hardware: it plays queued buffers at the format's real rate by a clock
// and, when asked, keeps every byte it played. Built with no clock it plays in real time on a
// thread of its own (the tool on a machine without a sound card), which sleeps until the buffer
// playing ends or a buffer comes; built over a clock it plays
// only when tick() is called, so tests move time by hand and never sleep.
#pragma once

#include "micro_clock.h"
#include "wave_device.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vk350 {

class VirtualWaveOutput;

class VirtualWaveDevice : public WaveDevice {
public:
    // Real time, one device.
    VirtualWaveDevice();
    // Plays by clock when ticked; the clock must outlive the device.
    explicit VirtualWaveDevice(MicroClock& clock);
    ~VirtualWaveDevice() override;

    std::string name() const override { return "virtual"; }
    int deviceCount() override;
    std::string deviceName(int device) override;
    int query(int device, const WaveFormatEx& format) override;
    int open(int device, const WaveFormatEx& format, WaveDeviceEvents events,
             std::unique_ptr<WaveOutput>& output) override;

    // Controls for tests and tools. Any thread.
    void setDeviceCount(int count);
    // The play position counts modulo this many frames (a device whose counter wraps).
    void setPositionModulus(uint64_t frames);
    // Which formats the devices accept; by default 8- and 16-bit PCM, mono or stereo.
    void setAcceptedFormats(std::function<bool(const WaveFormatEx&)> accept);
    // Every device vanishes: open outputs fail and hand their buffers back, the count drops
    // to 0.
    void unplug();
    // Plays what is due by the clock; events run on the calling thread. Clocked devices only.
    void tick();

    // Keeps every byte played from now on, for a reader of played(). Off by default: a device
    // that loops a sample for hours keeps nothing.
    void setRecording(bool on);
    std::vector<uint8_t> played() const;
    void clearPlayed();
    int openOutputs() const;
    int lastOpenedDevice() const { return lastDevice_; }
    // Clock time at which the latest output played its first byte; -1 before that.
    int64_t firstByteTime() const { return firstByte_; }

private:
    friend class VirtualWaveOutput;
    int64_t tickAll(); // microseconds until the next buffer ends, -1 for none
    void nudge();      // the real-time thread looks again: a buffer or a restart came
    void removeOutput(VirtualWaveOutput* output);
    void record(const uint8_t* data, uint32_t bytes, int64_t now);

    MicroClock& clock_;
    const bool realTime_;
    std::mutex tickMutex_; // held while outputs are walked
    mutable std::mutex mutex_;
    int count_ = 1;
    uint64_t modulus_ = uint64_t(1) << 32;
    std::function<bool(const WaveFormatEx&)> accept_;
    std::vector<VirtualWaveOutput*> outputs_;
    bool recording_ = false;
    std::vector<uint8_t> played_;
    std::atomic<int> lastDevice_{-2};
    std::atomic<int64_t> firstByte_{-1};

    std::thread thread_; // real time only
    std::condition_variable wake_;
    bool quit_ = false;
    bool nudged_ = false;
};

} // namespace vk350
