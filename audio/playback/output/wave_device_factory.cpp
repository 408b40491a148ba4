#include "wave_device_factory.h"

#include "drivers/alsa_wave_device.h"
#include "drivers/virtual_wave_device.h"

#include <cstdlib>

namespace vk350 {

std::vector<std::string> audioDriverNames() {
    return {"alsa", "virtual"};
}

std::unique_ptr<WaveDevice> createWaveDevice(std::string_view name) {
    if (name == "alsa")
        return std::make_unique<AlsaWaveDevice>();
    if (name == "virtual")
        return std::make_unique<VirtualWaveDevice>();
    return nullptr;
}

std::string audioDriverNameFromEnvironment() {
    const char* value = std::getenv("VK350_AUDIO_DRIVER");
    if (value == nullptr || *value == '\0')
        return std::string(kDefaultAudioDriver);
    return value;
}

} // namespace vk350
