#include "midi_output.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace vk350 {

namespace {
// A device that keeps reporting data still playing is given this long before the port is
// dropped anyway, so closing the program can never hang on it.
constexpr std::chrono::seconds kCloseRetryLimit{5};
} // namespace

MidiOutput::MidiOutput(MidiDriver& driver) : driver_(driver) {
    numDevs_ = std::clamp(driver_.outputCount(), 0, kMaxDevs);
    for (int i = 0; i < numDevs_; ++i)
        productNames_.push_back(driver_.outputName(i));
}

MidiOutput::~MidiOutput() {
    if (using_)
        close();
}

std::string MidiOutput::productName(int index) const {
    if (index < 0 || index >= numDevs_)
        return {};
    return productNames_[static_cast<size_t>(index)];
}

void MidiOutput::SetUsing(bool value) {
    if (value && !using_)
        open();
    else if (!value && using_)
        close();
    using_ = value;
}

void MidiOutput::SetPort(int value) {
    if (value < 0 || value >= numDevs_)
        return;
    if (!using_) {
        port_ = value;
        return;
    }
    close();
    port_ = value;
    open();
}

void MidiOutput::open() {
    openResult_ = driver_.openOutput(port_, device_);
}

void MidiOutput::close() {
    if (!device_) {
        closeResult_ = kMidiInvalidHandle; // the open had failed: there is nothing to close
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    int result = device_->close();
    while (result == kMidiStillPlaying && std::chrono::steady_clock::now() - start < kCloseRetryLimit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        result = device_->close();
    }
    closeResult_ = result;
    device_.reset();
}

void MidiOutput::PutShort(uint8_t Status, uint8_t First, uint8_t Second) {
    if (using_ && device_)
        device_->sendShort(Status, First, Second);
}

void MidiOutput::ProgramChange(uint8_t channel, uint8_t program) {
    PutShort(static_cast<uint8_t>(0xC0 + channel), program, 0);
}

void MidiOutput::ControlChange(uint8_t channel, uint8_t controller, uint8_t value) {
    PutShort(static_cast<uint8_t>(0xB0 + channel), controller, value);
}

void MidiOutput::NoteOn(uint8_t channel, uint8_t note, uint8_t velocity) {
    PutShort(static_cast<uint8_t>(0x90 + channel), note, velocity);
}

void MidiOutput::NoteOff(uint8_t channel, uint8_t note, uint8_t velocity) {
    PutShort(static_cast<uint8_t>(0x80 + channel), note, velocity);
}

void MidiOutput::PitchBend(uint8_t channel, int value) {
    PutShort(static_cast<uint8_t>(0xE0 + channel), static_cast<uint8_t>(value & 0x7F),
             static_cast<uint8_t>((value / 128) & 0x7F));
}

void MidiOutput::MIDIClock() {
    PutShort(0xF8, 0, 0);
}

void MidiOutput::Reset() {
    if (using_ && device_)
        device_->reset();
}

int MidiOutput::SysEx(const uint8_t* data, int length) {
    if (!using_ || !device_)
        return kMidiInvalidHandle;
    if (data == nullptr || length < 3)
        return kMidiInvalidParam;
    std::atomic<bool> done{false};
    // A send the device refused never completes: waiting for it would hang the window thread.
    const int result = device_->sendLong(data, static_cast<size_t>(length), done);
    if (result != kMidiOk)
        return result;
    done.wait(false, std::memory_order_acquire);
    return kMidiOk;
}

size_t MidiOutput::SysExSent() const {
    return device_ ? device_->bytesSent() : 0;
}

void MidiOutput::CancelSysEx() {
    if (using_ && device_)
        device_->reset();
}

void MidiOutput::Pause(int ms) {
    if (ms <= 0)
        return;
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const auto span = std::chrono::milliseconds(ms);
    // Sleep most of the wait instead of spinning; the loop makes sure more than ms has passed.
    while (clock::now() - start <= span)
        std::this_thread::sleep_until(start + span + std::chrono::microseconds(100));
}

} // namespace vk350
