// Sending a sample to a bank location: fitting it to the location's fixed size, building the
// dump in the send buffer and the log lines of each step. The window that sends applies the
// result (new length, lines) and hands the message to the MIDI output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vk350 {

// Where the sample comes from: a bank slot itself, or the editor's sample bound for a slot.
// Only the wording of the size adjustment differs.
enum class SampleSource { Bank, Editor };

// The send buffer's size: room for the largest dump.
inline constexpr size_t kSendBufferSize = 100000;

struct SizeFit {
    size_t length = 0;   // the sample's new length: the slot's size
    std::string logLine; // empty when nothing is logged
};

// Fits the first length bytes of store to slot's size: a longer sample loses its tail, a shorter
// one is filled with zeros up to the size. The store must hold at least the slot's size; for a
// slot outside 0..9 or a smaller store nothing changes and length stays.
SizeFit fitSampleToSlot(int slot, SampleSource source, std::span<uint8_t> store, size_t length);

struct SampleSendPlan {
    size_t length = 0;      // sample length after fitting
    size_t messageSize = 0; // N; 0 when there is nothing to send
    uint8_t checksum = 0;
    std::vector<std::string> logLines; // the adjustment line when there is one, then "Send Instr #"
};

// Fits the sample (already in the machine's form) to slot, then builds the dump of its first
// 65535 bytes at most into sendBuffer from offset 0.
SampleSendPlan prepareSampleSend(int slot, SampleSource source, std::span<uint8_t> store, size_t length,
                                 std::span<uint8_t> sendBuffer);

// The line after a send: "Transfert ok" when the output took the whole message, otherwise a
// failure line naming the driver's code.
std::string sendResultLogLine(int code);
// The line when a send was stopped in the middle of a message: the machine refuses the rest.
std::string cutDumpLogLine(size_t sent, size_t total);
// The line when the sends still to come were dropped.
std::string cancelledLogLine();

} // namespace vk350
