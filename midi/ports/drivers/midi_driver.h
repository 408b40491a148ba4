// The platform side of the MIDI ports: device lists, opening by index, short messages and SysEx
// blocks in both directions. The port components talk only to this interface, so the editor, the
// tool and the tests can run over real hardware or over the in-process loopback cable alike.
#pragma once

#include "midi_result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vk350 {

// A few words on a result code, for messages to the user ("port not open").
std::string_view midiResultText(int result);

// One SysEx receive buffer. The client owns the memory and the header; it hands the header to
// the input port with addBuffer and gets it back through MidiInputEvents::onLong, with
// bytesRecorded set, once the buffer is full, the message has ended, or the port was reset.
struct MidiBuffer {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
};

// Called on the port's input thread, in the order the bytes came off the wire.
struct MidiInputEvents {
    std::function<void(uint8_t status, uint8_t first, uint8_t second)> onShort;
    std::function<void(MidiBuffer& buffer)> onLong;
};

// An open input device. Every function: the thread that opened the port, except addBuffer,
// which may also be called from within onLong on the input thread.
class MidiInputPort {
public:
    virtual ~MidiInputPort() = default;
    virtual int start() = 0;
    // Stops input; a partly filled buffer is returned through onLong.
    virtual int stop() = 0;
    // Stops input and returns every queued buffer through onLong, on the calling thread.
    virtual int reset() = 0;
    virtual int addBuffer(MidiBuffer& buffer) = 0;
    // Once close has returned, no event is raised any more.
    virtual int close() = 0;
};

// An open output device. Every function: one thread at a time (the window thread, or a transfer
// thread while the window thread waits for it), except bytesSent and reset, which another thread
// may call while sendLong runs.
class MidiOutputPort {
public:
    virtual ~MidiOutputPort() = default;
    // Sends a short message: 1 to 3 bytes depending on the status byte.
    virtual int sendShort(uint8_t status, uint8_t first, uint8_t second) = 0;
    // Starts sending size bytes; when kMidiOk is returned, done becomes true (and is notified)
    // once the bytes are out, and the block must stay valid until then. A reset while the bytes
    // go out cuts the block where it stands: kMidiCut.
    virtual int sendLong(const uint8_t* data, size_t size, std::atomic<bool>& done) = 0;
    // Any thread: bytes of the block under way (or of the last one) handed to the device so far.
    virtual size_t bytesSent() const = 0;
    // Drops pending output and silences every channel; a block under way is cut first.
    virtual int reset() = 0;
    // kMidiStillPlaying leaves the port open: the caller closes again later.
    virtual int close() = 0;
};

// A MIDI system: lists its devices and opens them. It must outlive every port it opened.
// Every function: the window thread.
class MidiDriver {
public:
    virtual ~MidiDriver() = default;
    virtual std::string name() const = 0;
    virtual int inputCount() = 0;
    virtual std::string inputName(int index) = 0;
    virtual int outputCount() = 0;
    virtual std::string outputName(int index) = 0;
    // On success port holds the open device; otherwise port is empty and the code says why.
    virtual int openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) = 0;
    virtual int openOutput(int index, std::unique_ptr<MidiOutputPort>& port) = 0;
    // Where the driver's own lines go (a server that shut down, a port that went away), called on
    // any thread; empty gives them back to the driver's default. Once this returns, the previous
    // log is not called any more. Drivers without such lines ignore it.
    virtual void setLog(std::function<void(const std::string&)> log) { (void)log; }
};

} // namespace vk350
