// Turns a raw MIDI byte stream (as a serial or USB interface delivers it) into short messages
// and SysEx data. Channel messages may use running status; real-time bytes (0xF8 to 0xFF) are
// passed on wherever they fall, also inside a SysEx, without disturbing it; any other status byte
// inside a SysEx ends that SysEx early.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vk350 {

// Number of bytes a short message with this status byte takes on the wire; 0 for bytes that do
// not start a short message (data bytes, 0xF0, 0xF7).
int shortMessageLength(uint8_t status);

// Not thread-safe: one feeding thread, which also receives the events.
class RawMidiParser {
public:
    std::function<void(uint8_t status, uint8_t first, uint8_t second)> OnShort;
    // Bytes of the SysEx in progress, 0xF0 and 0xF7 included, in runs as they arrive.
    std::function<void(const uint8_t* data, size_t size)> OnSysExData;
    // The SysEx in progress is over: its 0xF7 arrived, or a status byte cut it short.
    std::function<void(bool complete)> OnSysExEnd;

    void feed(const uint8_t* data, size_t size);
    // Forgets running status and any SysEx in progress, without raising an event.
    void reset();

    bool inSysEx() const { return inSysEx_; }

private:
    void status(uint8_t byte);
    void data(uint8_t byte);
    void endSysEx(bool complete);

    bool inSysEx_ = false;
    uint8_t status_ = 0; // running status, or the system common message being collected; 0 = none
    uint8_t bytes_[2] = {0, 0};
    int have_ = 0;
    int need_ = 0;
};

} // namespace vk350
