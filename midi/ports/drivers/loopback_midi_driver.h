// An in-process MIDI cable: whatever output port k sends arrives at input port k, parsed and
// delivered on that input's own thread exactly as bytes from a device would be. Everything sent
// is also kept in a backlog that tests read, and tests can inject bytes into an input as a drum
// machine would send them.
#pragma once

#include "midi_driver.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vk350 {

class LoopbackInputPort;

class LoopbackMidiDriver : public MidiDriver {
public:
    // The speed of a MIDI cable: 31250 baud, ten bits a byte.
    static constexpr int kCablePace = 3125;

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
    // Window thread: the next count SysEx sends of output port index fail with code, sending
    // nothing, as a device that was unplugged or refused the block.
    void setFailingSends(int index, int count, int code);
    // Window thread: SysEx sends of output port index take as long as on a cable carrying
    // bytesPerSecond (kCablePace for a MIDI cable), handing the bytes on as they would arrive;
    // 0 (the default) hands every block on at once.
    void setPace(int index, int bytesPerSecond);
    // Window thread: the next SysEx send of output port index stops after that many bytes with
    // kMidiError, as an interface pulled out in the middle of a message.
    void setUnplugAfter(int index, size_t bytes);

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
        int failingSends = 0;
        int failCode = kMidiOk;
        int pace = 0;
        std::optional<size_t> unplugAfter;
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
