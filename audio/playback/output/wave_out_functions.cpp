#include "wave_out_functions.h"

#include "pcm_support.h"

#include <map>

namespace vk350 {

std::string WaveOutErrorString(int code) {
    static const std::map<int, std::string> texts = {
        {kWaveOk, "The specified command was carried out."},
        {kWaveError, "An unspecified error occurred in the audio output."},
        {kWaveBadDeviceId, "There is no audio output with that number."},
        {3, "The audio driver failed to start."},
        {kWaveAllocated, "The audio output is in use by another program."},
        {kWaveInvalidHandle, "The audio output is not open."},
        {kWaveNoDriver, "The audio output is not present (it may have been unplugged)."},
        {kWaveNoMemory, "Not enough memory for the audio output."},
        {kWaveNotSupported, "The audio output does not support this function."},
        {10, "An invalid flag was passed to the audio output."},
        {kWaveInvalidParam, "An invalid parameter was passed to the audio output."},
        {12, "The audio output is busy with another request."},
        {kWaveBadFormat, "The audio output cannot play this format."},
        {kWaveStillPlaying, "Buffers are still queued on the audio output."},
        {34, "The buffer was not prepared for the audio output."},
        {35, "The audio output can only be opened in its synchronous mode."},
    };
    const auto it = texts.find(code);
    return it != texts.end() ? it->second : "Specified error number is out of range (unknown error)";
}

int WaveOutNumDevs(WaveDevice& device) {
    return device.deviceCount();
}

std::string WaveOutGetDeviceName(WaveDevice& device, int id) {
    return device.deviceName(id);
}

bool WaveOutReady(WaveDevice& device, int id) {
    WaveFormatEx format;
    pcmBuildWaveHeader(&format, 8, 1, 22050);
    std::unique_ptr<WaveOutput> output;
    if (device.open(id, format, {}, output) != kWaveOk || !output)
        return false;
    output->close();
    return true;
}

} // namespace vk350
