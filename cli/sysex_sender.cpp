#include "sysex_sender.h"

namespace vk350::cli {

bool sendSysExMessages(MidiOutput& out, const std::vector<std::span<const uint8_t>>& messages, int delayMs,
                       const std::function<void(const std::string&)>& say, std::string& error) {
    for (size_t i = 0; i < messages.size(); ++i) {
        const auto m = messages[i];
        const std::string which = "message " + std::to_string(i + 1) + ": ";
        if (i > 0)
            MidiOutput::Pause(delayMs);
        if (m.size() < 3) {
            say(which + std::to_string(m.size()) + " bytes, too short: skipped");
            continue;
        }
        const int result = out.SysEx(m.data(), static_cast<int>(m.size()));
        if (result != kMidiOk) {
            error = which + "not sent: MIDI output " + std::to_string(out.Port()) + " '" +
                    out.productName(out.Port()) + "' reported code " + std::to_string(result) + " (" +
                    std::string(midiResultText(result)) + ")";
            if (i + 1 < messages.size())
                error += "; the rest were not sent";
            return false;
        }
        say(which + std::to_string(m.size()) + " bytes sent");
    }
    return true;
}

} // namespace vk350::cli
