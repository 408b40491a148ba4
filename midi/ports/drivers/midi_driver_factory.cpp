#include "midi_driver_factory.h"

#include "alsa_midi_driver.h"
#if VK350_WITH_JACK
#include "jack_midi_driver.h"
#endif
#include "loopback_midi_driver.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace vk350 {

std::vector<std::string> midiDriverNames() {
#if VK350_WITH_JACK
    return {"alsa", "jack", "loopback"};
#else
    return {"alsa", "loopback"};
#endif
}

std::unique_ptr<MidiDriver> createMidiDriver(std::string_view name) {
    if (name == "alsa")
        return std::make_unique<AlsaMidiDriver>();
#if VK350_WITH_JACK
    if (name == "jack")
        return std::make_unique<JackMidiDriver>();
#endif
    if (name == "loopback") {
        auto loopback = std::make_unique<LoopbackMidiDriver>();
        std::string error;
        if (const int pace = loopbackPaceFromEnvironment(error); pace > 0)
            for (int i = 0; i < loopback->outputCount(); ++i)
                loopback->setPace(i, pace);
        if (!error.empty())
            std::fprintf(stderr, "vk350: %s\n", error.c_str());
        return loopback;
    }
    return nullptr;
}

int loopbackPaceFromEnvironment(std::string& error) {
    constexpr int kMaxPace = 10000000;
    error.clear();
    const char* value = std::getenv("VK350_LOOPBACK_PACE");
    if (value == nullptr || *value == '\0')
        return 0;
    const std::string_view text(value);
    int pace = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pace);
    if (ec != std::errc() || end != text.data() + text.size() || pace < 1 || pace > kMaxPace) {
        error = "VK350_LOOPBACK_PACE '" + std::string(text) +
                "' is not a number of bytes per second from 1 to " + std::to_string(kMaxPace) +
                "; the loopback cable runs unpaced";
        return 0;
    }
    return pace;
}

std::string midiDriverNameFromEnvironment() {
    const char* value = std::getenv("VK350_MIDI_DRIVER");
    if (value == nullptr || *value == '\0')
        return std::string(kDefaultMidiDriver);
    return value;
}

} // namespace vk350
