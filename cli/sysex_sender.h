// Sending the SysEx messages of a file, one after the other, as the bank window sends its slots.
#pragma once

#include "midi_output.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vk350::cli {

// Sends each message through the open port, pausing delayMs before every message after the
// first; say gets a line for each message sent or skipped. Stops at the first message the port
// does not take: false, with error naming the message, the port and the driver's code.
bool sendSysExMessages(vk350::MidiOutput& out, const std::vector<std::span<const uint8_t>>& messages,
                       int delayMs, const std::function<void(const std::string&)>& say, std::string& error);

} // namespace vk350::cli
