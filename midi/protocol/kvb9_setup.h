// The KVB9 MIDI board's setup: a program change choosing its input and a control change
// switching its merge, both on MIDI channel 16.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vk350 {

struct ShortMessage {
    uint8_t status = 0;
    uint8_t first = 0;
    uint8_t second = 0;

    bool operator==(const ShortMessage&) const = default;
};

inline constexpr uint8_t kKvb9Channel = 15; // channel 16
inline constexpr uint8_t kKvb9MergeController = 31;

// Program change with the input number (0 to 7) as the program.
ShortMessage kvb9InputMessage(int input);
// Control change 31: 1 merges, 0 does not.
ShortMessage kvb9MergeMessage(bool merge);
// Both, in the order they go out: input first.
std::array<ShortMessage, 2> kvb9SetupMessages(int input, bool merge);
// The line when the setup could not go out, with the driver's code.
std::string kvb9FailureLogLine(int code);

} // namespace vk350
