#include "dump_receiver.h"

#include "bank_location.h"
#include "byte_files.h"
#include "sample_dump.h"
#include "transfer_log.h"

#include <cstdio>

namespace vk350::cli {

DumpReceiver::DumpReceiver(MidiDriver& driver, std::filesystem::path folder)
    : in_(driver), folder_(std::move(folder)) {
    // Input thread: the buffer goes back to the device when this returns, so keep a copy.
    in_.OnSysEx = [this](MidiInput*, const uint8_t* bytes, int size) {
        std::lock_guard lock(mutex_);
        queue_.emplace_back(bytes, bytes + size);
        arrived_.notify_all();
    };
}

DumpReceiver::~DumpReceiver() {
    in_.SetUsing(false);
}

int DumpReceiver::open(int port) {
    if (port < 0 || port >= in_.NumDevs())
        return kMidiBadDeviceId;
    in_.SetPort(port);
    in_.SetUsing(true);
    if (in_.OpenResult() != kMidiOk)
        in_.SetUsing(false);
    return in_.OpenResult();
}

void DumpReceiver::stop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
    arrived_.notify_all();
}

bool DumpReceiver::run(const std::function<void(const std::string&)>& report, std::string& error) {
    for (;;) {
        std::vector<uint8_t> message;
        {
            std::unique_lock lock(mutex_);
            arrived_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (queue_.empty())
                return true; // stopped, and everything that arrived is written
            message = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!handle(message, report, error))
            return false;
    }
}

bool DumpReceiver::handle(const std::vector<uint8_t>& message,
                          const std::function<void(const std::string&)>& report, std::string& error) {
    ++received_;
    std::string line = receiveLogLine(message);
    std::string what;
    switch (classifySysEx(message)) {
    case SysExKind::SampleDump: {
        const int slot = checkSampleDump(message).slot;
        what = slot >= 0 ? std::string(kBankLocations[static_cast<size_t>(slot)].label) : "sample";
        break;
    }
    case SysExKind::OnePattern:
        what = "onepat";
        break;
    case SysExKind::AllPatterns:
        what = "allpat";
        break;
    default:
        break;
    }
    if (what.empty()) {
        if (line.empty())
            line = "ignored VK350 message of " + std::to_string(message.size()) + " bytes";
        report(line);
        return true;
    }
    // A faulty dump is kept too: the bytes as they came are the best record of what went wrong.
    const std::filesystem::path path = freeName(what);
    if (!writeBytes(path, message, error))
        return false;
    ++written_;
    report(line + " -> " + path.string());
    return true;
}

std::filesystem::path DumpReceiver::freeName(const std::string& what) {
    std::error_code ec;
    for (;; ++nextNumber_) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", nextNumber_);
        std::filesystem::path p = folder_ / ("rx" + std::string(number) + "-" + what + ".syx");
        if (!std::filesystem::exists(p, ec)) {
            ++nextNumber_;
            return p;
        }
    }
}

} // namespace vk350::cli
