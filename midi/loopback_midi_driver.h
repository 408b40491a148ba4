// An in-process MIDI cable: whatever output port k sends arrives at input port k, parsed and
// delivered on that input's own thread exactly as bytes from a device would be. Everything sent
// is also kept in a backlog that tests read, and tests can inject bytes into an input as a drum
// machine would send them.
#pragma once

#include "midi_driver.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace vk350 {

class LoopbackInputPort;

class LoopbackMidiDriver : public MidiDriver {
public:
    explicit LoopbackMidiDriver(int ports = 1);
    ~LoopbackMidiDriver() override;

    std::string name() const override { return "loopback"; }
    int inputCount() override;
    std::string inputName(int index) override;
    int outputCount() override;
    std::string outputName(int index) override;
    int openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) override;
    int openOutput(int index, std::unique_ptr<MidiOutputPort>& port) override;

    // Any thread: bytes arriving at input port index, as a machine would send them. Lost when
    // the input is not open, as on an unplugged cable.
    void inject(int index, std::vector<uint8_t> bytes);
    // Any thread except the input's own: waits until input port index has handled everything
    // sent or injected into it so far (returns at once when the input is closed).
    void waitUntilDelivered(int index);
    // Any thread: every byte sent through output port index, in order.
    std::vector<uint8_t> backlog(int index) const;
    void clearBacklog(int index);
    // Window thread: the next count closes of output port index report data still playing.
    void setStillPlayingCloses(int index, int count);

private:
    friend class LoopbackInputPort;
    friend class LoopbackOutputPort;

    struct Cable {
        mutable std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::vector<uint8_t>> pending;
        bool busy = false;
        bool stop = false;
        LoopbackInputPort* input = nullptr;
        bool outputOpen = false;
        int stillPlayingCloses = 0;
        std::vector<uint8_t> backlog;
        std::thread thread;
    };

    Cable* cable(int index) const;
    void run(Cable& c);
    void push(Cable& c, const uint8_t* data, size_t size);
    void closeInput(Cable& c);

    std::vector<std::unique_ptr<Cable>> cables_;
};

} // namespace vk350
