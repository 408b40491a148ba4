// What the Audio page reaches of the main window's wave output: its devices, buffer count and
// playback method. Window thread only.
#pragma once

#include <string>

namespace vk350 {

// How the wave output hears that a buffer has played.
enum class PlaybackMethod { Window, Thread, Interrupt };

class WaveOutputLink {
public:
    virtual ~WaveOutputLink() = default;
    // Number of output devices; listing them may throw, which the page reports.
    virtual int DeviceCount() = 0;
    // -1 names the system's default device.
    virtual std::string DeviceName(int device) = 0;
    virtual void SetDeviceID(int device) = 0;
    virtual int BufferSize() const = 0;
    virtual int NumBuffers() const = 0;
    virtual void SetNumBuffers(int count) = 0;
    virtual PlaybackMethod Method() const = 0;
    virtual void SetMethod(PlaybackMethod method) = 0;
    // Interrupt-time callbacks are offered only where the output supports them.
    virtual bool InterruptAllowed() const = 0;
};

// A build without a wave output: no device, nothing to set.
class NoWaveOutput : public WaveOutputLink {
public:
    int DeviceCount() override { return 0; }
    std::string DeviceName(int) override { return {}; }
    void SetDeviceID(int) override {}
    int BufferSize() const override { return 2048; }
    int NumBuffers() const override { return numBuffers_; }
    void SetNumBuffers(int count) override { numBuffers_ = count; }
    PlaybackMethod Method() const override { return PlaybackMethod::Window; }
    void SetMethod(PlaybackMethod) override {}
    bool InterruptAllowed() const override { return false; }

private:
    int numBuffers_ = 10;
};

} // namespace vk350
