#include "kvb9_setup.h"

#include <algorithm>

namespace vk350 {

ShortMessage kvb9InputMessage(int input) {
    // A program number outside the board's eight inputs is never put on the wire as a status byte.
    return {static_cast<uint8_t>(0xC0 + kKvb9Channel), static_cast<uint8_t>(std::clamp(input, 0, 7)), 0};
}

ShortMessage kvb9MergeMessage(bool merge) {
    return {static_cast<uint8_t>(0xB0 + kKvb9Channel), kKvb9MergeController,
            static_cast<uint8_t>(merge ? 1 : 0)};
}

std::array<ShortMessage, 2> kvb9SetupMessages(int input, bool merge) {
    return {kvb9InputMessage(input), kvb9MergeMessage(merge)};
}

std::string kvb9FailureLogLine(int code) {
    return "Erreur envoi KVB9 MIDI OUT - code " + std::to_string(code);
}

} // namespace vk350
