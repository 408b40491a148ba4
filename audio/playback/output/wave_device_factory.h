// Chooses the wave output system by name: "alsa" (the sound card, the default) or "virtual"
// (a device that plays by the clock and keeps what it played, for tests and machines without a
// sound card). The tool reads the name from VK350_AUDIO_DRIVER.
#pragma once

#include "wave_device.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vk350 {

inline constexpr std::string_view kDefaultAudioDriver = "alsa";

std::vector<std::string> audioDriverNames();

// Empty for an unknown name.
std::unique_ptr<WaveDevice> createWaveDevice(std::string_view name);

// VK350_AUDIO_DRIVER when set and not empty, else the default.
std::string audioDriverNameFromEnvironment();

} // namespace vk350
