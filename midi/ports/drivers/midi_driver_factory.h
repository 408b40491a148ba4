// Chooses the MIDI driver by name: "alsa" (hardware ports, the default), "jack" (the ports of
// other programs on a JACK or PipeWire server) or "loopback" (an in-process cable for tests and
// dry runs). The editor takes the name from its settings, the
// tool from the environment variable VK350_MIDI_DRIVER.
#pragma once

#include "midi_driver.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vk350 {

inline constexpr std::string_view kDefaultMidiDriver = "alsa";

// The names createMidiDriver accepts.
std::vector<std::string> midiDriverNames();

// Empty for an unknown name. The loopback cable is paced by VK350_LOOPBACK_PACE when it is set.
std::unique_ptr<MidiDriver> createMidiDriver(std::string_view name);

// VK350_LOOPBACK_PACE: the bytes per second the loopback cable carries (3125 is a MIDI cable);
// 0 (unpaced) when unset or empty. A value that is not a whole number from 1 to 10000000 gives
// 0 and says why in error.
int loopbackPaceFromEnvironment(std::string& error);

// VK350_MIDI_DRIVER when set and not empty, else the default.
std::string midiDriverNameFromEnvironment();

} // namespace vk350
