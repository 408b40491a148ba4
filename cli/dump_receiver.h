// Receives SysEx messages on one MIDI input and writes every sample dump and pattern message to
// a folder, one .syx file each, until told to stop.
#pragma once

#include "midi_driver.h"
#include "midi_input.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vk350::cli {

class DumpReceiver {
public:
    // Main thread. The driver must outlive the receiver.
    DumpReceiver(vk350::MidiDriver& driver, std::filesystem::path folder);
    ~DumpReceiver();

    // Main thread: the input component, for its device list.
    const vk350::MidiInput& input() const { return in_; }
    // Main thread: opens input port; returns the open result (kMidiBadDeviceId beyond the list).
    int open(int port);
    // Main thread: writes messages as they arrive until stop(); each message gives one report
    // line. Returns false, with error set, when a file cannot be written.
    bool run(const std::function<void(const std::string&)>& report, std::string& error);
    // Any thread, also a signal-waiting one.
    void stop();

    int messagesReceived() const { return received_; }
    int filesWritten() const { return written_; }

private:
    bool handle(const std::vector<uint8_t>& message, const std::function<void(const std::string&)>& report,
                std::string& error);
    std::filesystem::path freeName(const std::string& what);

    vk350::MidiInput in_;
    std::filesystem::path folder_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::vector<uint8_t>> queue_;
    bool stop_ = false;
    int received_ = 0;
    int written_ = 0;
    int nextNumber_ = 1;
};

} // namespace vk350::cli
