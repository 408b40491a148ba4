// MIDI between programs through a JACK server (or PipeWire's JACK interface). The devices are
// the MIDI ports of the other clients; opening one gives us a port of our own connected to it.
// SysEx blocks of any size go out as consecutive events of at most kFragmentSize bytes, as many
// per process cycle as the port's buffer takes, and come back together on input.
#pragma once

#include "midi_driver.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

class JackClient;

class JackMidiDriver : public MidiDriver {
public:
    // Bytes of one SysEx fragment: JACK's own tools and bridges take events of this size.
    static constexpr size_t kFragmentSize = 8192;
    // Received bytes waiting for the input thread: several seconds of a busy port.
    static constexpr size_t kInputRing = 1 << 20;
    // Bytes queued for output: a whole dump of the largest slot with room to spare.
    static constexpr size_t kOutputRing = 1 << 17;

    // name: our client's name on the server (the server makes it unique). log receives the
    // driver's own lines (server shut down, a port gone) on any thread until setLog names
    // another; by default they go to standard error.
    explicit JackMidiDriver(std::string clientName = "vk350",
                            std::function<void(const std::string&)> log = {});
    ~JackMidiDriver() override;

    std::string name() const override { return "jack"; }
    int inputCount() override; // asks the server again, so new programs' ports appear
    std::string inputName(int index) override;
    int outputCount() override; // asks the server again
    std::string outputName(int index) override;
    int openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) override;
    int openOutput(int index, std::unique_ptr<MidiOutputPort>& port) override;
    void setLog(std::function<void(const std::string&)> log) override; // any thread

    // Bytes one MIDI port carries per process cycle; 0 with no server.
    size_t portBufferSize();

private:
    std::shared_ptr<JackClient> client();

    struct LogSink;

    std::string clientName_;
    std::shared_ptr<LogSink> log_; // shared with the client, which may outlive us on other threads
    std::shared_ptr<JackClient> client_;
    std::vector<std::string> inputs_;  // other clients' sources
    std::vector<std::string> outputs_; // other clients' sinks
};

} // namespace vk350
