// The VK350's SysEx messages at byte level: building a sample dump (header, length field, seven
// bytes packed into eight, checksum), telling received messages apart, and checking and
// unpacking a received dump. Nothing here reads outside the span it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vk350 {

inline constexpr uint8_t kSysExStart = 0xF0;
inline constexpr uint8_t kSysExEnd = 0xF7;
inline constexpr uint8_t kCmdAllPatterns = 0x01;
inline constexpr uint8_t kCmdOnePattern = 0x02;
inline constexpr uint8_t kCmdSampleDump = 0x04;

inline constexpr size_t kDumpHeaderSize = 11; // F0 2A 03 01 04, three length bytes, instrument, two zeros
inline constexpr size_t kDumpOverhead = 13;   // header, checksum and F7
inline constexpr size_t kMaxDumpSamples = 65535;
inline constexpr size_t kMaxDumpSize = 74911; // the message for kMaxDumpSamples

// Message size N for sampleCount bytes.
size_t sampleDumpSize(size_t sampleCount);
// Packed bytes for sampleCount bytes: eight per full group of seven, k + 1 for a last group of k.
size_t packedSize(size_t sampleCount);
// Samples carried by packed bytes of that count (the inverse of packedSize).
size_t unpackedCount(size_t packedBytes);

// Writes packedSize(samples.size()) bytes to out.
void packSamples(std::span<const uint8_t> samples, uint8_t* out);
// Writes unpackedCount(packed.size()) bytes to out.
void unpackSamples(std::span<const uint8_t> packed, uint8_t* out);
// Sum of the low seven bits of every packed byte, modulo 128.
uint8_t packedChecksum(std::span<const uint8_t> packed);

// Builds the dump of machine-form samples for bank slot into out and returns its size N; 0 (and
// out untouched) for a slot outside 0..9, no samples, more than kMaxDumpSamples, or too small an
// out.
size_t buildSampleDump(int slot, std::span<const uint8_t> machineSamples, std::span<uint8_t> out);

enum class SysExKind {
    Truncated,   // what is there matches the VK350 header, but the header or command byte is missing
    Foreign,     // another maker's message
    SampleDump,  // command 0x04
    OnePattern,  // command 0x02
    AllPatterns, // command 0x01
    Other,       // any other VK350 command: ignored
};

// What a received message is, from its header and command byte.
SysExKind classifySysEx(std::span<const uint8_t> message);

enum class DumpStatus {
    Ok,
    TooShort,      // no room for the header, the checksum and F7
    BadInstrument, // instrument byte beyond the receive map
    BadChecksum,
    BadLength, // length field differs from the count the size implies: the slot is to be cleared
    TooLarge,  // more samples than the destination holds
};

struct DumpCheck {
    DumpStatus status = DumpStatus::TooShort;
    size_t messageSize = 0;
    int instrument = -1;
    int slot = -1;            // from the receive map, valid from BadChecksum on
    uint8_t checksumSent = 0; // the message's checksum byte, as received
    uint8_t checksumCalc = 0;
    uint32_t lengthField = 0;
    uint32_t count = 0; // samples the message size implies
};

// Checks a sample dump (header and command are classifySysEx's business): size, instrument,
// checksum, length field, in that order; the first problem decides.
DumpCheck checkSampleDump(std::span<const uint8_t> message);

// Checks, then unpacks the samples, still in machine form, into out when the dump is good and
// fits (TooLarge otherwise); out is untouched on any problem.
DumpCheck unpackSampleDump(std::span<const uint8_t> message, std::span<uint8_t> out);

} // namespace vk350
