// What to do with a SysEx message that arrived from the machine: which slot a sample dump fills
// and with which bytes, whether a pattern dump is kept, and the log lines. A plain function of
// the message, so it can run on the MIDI input thread; the windows apply the result later on
// their own thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vk350 {

// The patterns window's buffer: a pattern dump longer than this is not kept.
inline constexpr size_t kPatternBufferSize = 65536;

enum class ReceiveAction {
    None,         // nothing to do and nothing to log (an ignored VK350 command, an empty delivery)
    LogOnly,      // only the log lines: foreign, short, bad checksum or length, unknown instrument,
                  // a pattern dump too long for the buffer
    StoreSample,  // bytes go to slot, whose length becomes their count
    StorePattern, // bytes (the whole message) replace the patterns window's buffer
};

struct ReceivedMessage {
    ReceiveAction action = ReceiveAction::None;
    std::vector<std::string> logLines; // for the options window's log, in order
    int slot = -1;                     // StoreSample
    std::vector<uint8_t> bytes; // StoreSample: the samples in the editor's form; StorePattern: the message
    std::string nameCaption;    // StoreSample: the slot's new name caption
    std::string sizeCaption;    // StoreSample: the slot's new size caption
    std::string patternLogLine; // StorePattern: the line for the patterns window's log
};

// Any thread. Reads only the span; copies what the windows need.
ReceivedMessage decideReceived(std::span<const uint8_t> message);

} // namespace vk350
