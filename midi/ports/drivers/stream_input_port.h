// The part of an input device that every byte-stream driver shares: it parses what comes off the
// wire and fills the client's SysEx buffers in the order they were added, one delivery per
// buffer. A driver derives from it, runs a reader thread that calls receive(), and adds close().
#pragma once

#include "midi_driver.h"
#include "raw_midi_parser.h"

#include <deque>
#include <mutex>

namespace vk350 {

class StreamInputPort : public MidiInputPort {
public:
    explicit StreamInputPort(MidiInputEvents events);

    int start() override;                       // opening thread
    int stop() override;                        // opening thread
    int reset() override;                       // opening thread
    int addBuffer(MidiBuffer& buffer) override; // opening thread or input thread

    // Input thread: bytes just read from the device; ignored while the port is not started.
    void receive(const uint8_t* data, size_t size);

    // Input thread: lostBytes bytes never reached us here (0 when the source itself went away).
    // A SysEx in progress ends where it stands, its partial buffer returned, as when a status
    // byte cuts it, so that what follows is never spliced onto it.
    void interrupt(size_t lostBytes);

    // SysEx bytes that found no free buffer, or were lost before reaching the port, since it
    // was opened. Any thread.
    size_t droppedBytes() const;

private:
    void sysExData(const uint8_t* data, size_t size);
    void sysExEnd();
    void deliver(MidiBuffer* buffer);

    MidiInputEvents events_;
    RawMidiParser parser_;

    // Held while bytes are parsed and delivered, so stop and reset never cut a delivery in half.
    mutable std::mutex feedMutex_;
    bool started_ = false;
    MidiBuffer* current_ = nullptr; // buffer being filled
    size_t dropped_ = 0;

    // Guards only the queue, so that onLong may hand its buffer back from the input thread.
    std::mutex queueMutex_;
    std::deque<MidiBuffer*> queue_;
};

} // namespace vk350
