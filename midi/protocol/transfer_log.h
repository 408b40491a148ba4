// The lines that sending and receiving write to the MIDI log, worded as the log has always
// worded them.
#pragma once

#include "sample_dump.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vk350 {

inline constexpr std::string_view kTransferOk = "Transfert ok";

// Two upper-case hexadecimal digits.
std::string hex2(uint8_t value);

// "Send Instr #3 Msg Size =18738  - Checksum =5A"
std::string sendLogLine(int slot, size_t messageSize, uint8_t checksum);

// Fitting a bank slot of length bytes to its slot size: always a line, also when nothing changes.
std::string bankAdjustLogLine(int slot, size_t length);

// Fitting the editor's sample of length bytes to a slot size: empty when it already fits.
std::string editorAdjustLogLine(int slot, size_t length);

// The line for a received message; empty for a VK350 command that is ignored.
std::string receiveLogLine(std::span<const uint8_t> message);

// The line for a checked sample dump.
std::string dumpLogLine(const DumpCheck& check);

} // namespace vk350
