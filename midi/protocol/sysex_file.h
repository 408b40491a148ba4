// The SysEx messages held in a .syx file: the bytes of each message, 0xF0 to 0xF7, end to end.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vk350 {

struct SysExSplit {
    std::vector<std::span<const uint8_t>> messages; // into the bytes given
    std::string error;                              // empty when every byte belongs to a message
};

// Splits bytes into messages. A byte outside a message, a message cut short by another 0xF0 or
// a status byte, or one without its 0xF7 at the end of the file is an error, named with its
// offset; the messages before it are still listed.
SysExSplit splitSysEx(std::span<const uint8_t> bytes);

} // namespace vk350
