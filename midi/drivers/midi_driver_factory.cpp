#include "midi_driver_factory.h"

#include "alsa_midi_driver.h"
#include "jack_midi_driver.h"
#include "loopback_midi_driver.h"

#include <cstdlib>

namespace vk350 {

std::vector<std::string> midiDriverNames() {
    return {"alsa", "jack", "loopback"};
}

std::unique_ptr<MidiDriver> createMidiDriver(std::string_view name) {
    if (name == "alsa")
        return std::make_unique<AlsaMidiDriver>();
    if (name == "jack")
        return std::make_unique<JackMidiDriver>();
    if (name == "loopback")
        return std::make_unique<LoopbackMidiDriver>();
    return nullptr;
}

std::string midiDriverNameFromEnvironment() {
    const char* value = std::getenv("VK350_MIDI_DRIVER");
    if (value == nullptr || *value == '\0')
        return std::string(kDefaultMidiDriver);
    return value;
}

} // namespace vk350
