// The Audio page's view of a real wave output: the device list of its wave system and the
// device, buffer count and callback mode of the WavePlayer that plays the samples.
#pragma once

#include "wave_output_link.h"
#include "wave_player.h"

namespace vk350 {

class WaveOutLink : public WaveOutputLink {
public:
    // Both must outlive the link. Window thread, as every function.
    WaveOutLink(WavePlayer& out, WaveDevice& device) : out_(out), device_(device) {}

    // The devices the output was made with.
    int DeviceCount() override;
    std::string DeviceName(int device) override;
    void SetDeviceID(int device) override;
    int BufferSize() const override;
    int NumBuffers() const override;
    void SetNumBuffers(int count) override;
    PlaybackMethod Method() const override;
    void SetMethod(PlaybackMethod method) override;
    bool InterruptAllowed() const override;

private:
    WavePlayer& out_;
    WaveDevice& device_;
};

} // namespace vk350
