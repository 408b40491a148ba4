// The platform side of wave output: the list of output devices, opening one with a format,
// queueing buffers that come back one by one once played, pause, restart, reset, close and the
// play position. WavePlayer talks only to this interface, so the editor, the tool and the tests
// run alike over ALSA or over the virtual device.
#pragma once

#include "chain_buffer.h"
#include "wave_format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vk350 {

// Result codes; 0 is success. The numbers are the classic multimedia ones, so a code means the
// same thing whichever driver produced it.
enum WaveResult : int {
    kWaveOk = 0,
    kWaveError = 1,         // unspecified failure
    kWaveBadDeviceId = 2,   // no device with that number
    kWaveAllocated = 4,     // in use by another program
    kWaveInvalidHandle = 5, // not open
    kWaveNoDriver = 6,      // the device is gone (unplugged)
    kWaveNoMemory = 7,
    kWaveNotSupported = 8,
    kWaveInvalidParam = 11,
    kWaveBadFormat = 32,    // the device cannot play this format
    kWaveStillPlaying = 33, // buffers still queued
};

// The device number of the system's default output.
constexpr int WAVE_MAPPER = -1;

// Raised by an open device on its own thread. onDone comes once per buffer written, in the
// order they were written, with WHDR_DONE set: after the buffer played, or at once on reset,
// close or failure. onError comes when the device fails for good (unplugged), before the
// buffers still queued are handed back.
struct WaveDeviceEvents {
    std::function<void()> onOpen;  // the opening thread, before open returns
    std::function<void()> onClose; // the closing thread, before close returns
    std::function<void(ChainBuffer* header)> onDone;
    std::function<void(int code)> onError;
};

// An open output. No function may be called from within the output's own events.
class WaveOutput {
public:
    virtual ~WaveOutput() = default;
    // Any thread (the one processing played buffers requeues them): queues header's
    // dwBufferLength bytes (never more than its dwCapacity) to play after the ones before;
    // header must stay valid until it comes back through onDone.
    virtual int write(ChainBuffer* header) = 0;
    // Any thread: holds playback; queued buffers wait. A device opens running.
    virtual int pause() = 0;
    // Any thread.
    virtual int restart() = 0;
    // The owner's thread: stops at once, hands every queued buffer back (on this thread) and
    // sets the position to 0.
    virtual int reset() = 0;
    // Any thread: frames played since the open or the last reset; the count may wrap like a
    // 32-bit counter.
    virtual int position(uint32_t& frames) = 0;
    // The owner's thread, once nothing else calls in: resets, then closes; no event comes
    // after it returns.
    virtual int close() = 0;
};

// A wave output system. It must outlive every output it opened. Every function: the window
// thread.
class WaveDevice {
public:
    virtual ~WaveDevice() = default;
    virtual std::string name() const = 0;
    // Output devices 0 .. count - 1; the default output (WAVE_MAPPER) is there whenever the
    // count is above 0.
    virtual int deviceCount() = 0;
    // Product name of a device, WAVE_MAPPER included; empty for any other number.
    virtual std::string deviceName(int device) = 0;
    // Whether device could play format, without keeping it open.
    virtual int query(int device, const WaveFormatEx& format) = 0;
    // On success output holds the open device, already running; otherwise it stays empty.
    virtual int open(int device, const WaveFormatEx& format, WaveDeviceEvents events,
                     std::unique_ptr<WaveOutput>& output) = 0;
};

} // namespace vk350
