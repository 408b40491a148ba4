// Wave output through ALSA PCM. Device -1 (the mapper) is ALSA's "default", which reaches
// PipeWire or PulseAudio on a desktop; devices 0 .. N-1 are the hardware outputs ALSA lists
// ("plughw" devices, converting any PCM format the card lacks). Without hardware outputs, an
// openable "default" is offered as device 0 as well, so a configured sound server or an ALSA
// file plugin still plays; with neither, the count is 0. A device that cannot pause stops
// taking data on pause and plays out the tenth of a second it already holds.
#pragma once

#include "wave_device.h"

#include <mutex>
#include <string>
#include <vector>

namespace vk350 {

class AlsaWaveDevice : public WaveDevice {
public:
    AlsaWaveDevice();

    std::string name() const override { return "alsa"; }
    int deviceCount() override; // lists the devices again, so newly plugged cards appear
    std::string deviceName(int device) override;
    int query(int device, const WaveFormatEx& format) override;
    int open(int device, const WaveFormatEx& format, WaveDeviceEvents events,
             std::unique_ptr<WaveOutput>& output) override;

    // The ALSA PCM name behind a device number; empty for none.
    std::string pcmName(int device);
    // Maps a negative libasound error to one of the WaveResult codes.
    static int resultFromError(int error);

    // One entry of ALSA's device list.
    struct Hint {
        std::string name;        // "plughw:CARD=PCH,DEV=0", "default", ...
        std::string description; // lines; the first names the device
        std::string direction;   // "Output", "Input", or empty for both
    };
    struct Output {
        std::string pcm;  // what to open
        std::string name; // the first line of ALSA's description
        bool operator==(const Output&) const = default;
    };
    // The hardware outputs of a device list, in its order ("plughw" entries, else "hw" ones
    // opened through "plughw"); the description of "default" goes to defaultName.
    static std::vector<Output> pickOutputs(const std::vector<Hint>& hints, std::string& defaultName);

private:
    void scan();

    std::mutex mutex_;
    bool scanned_ = false;
    std::vector<Output> outputs_;
    std::string defaultName_ = "Default";
};

} // namespace vk350
