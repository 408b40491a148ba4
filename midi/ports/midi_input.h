// MidiInput: one MIDI input port. Short messages and SysEx buffers arrive on the driver's input
// thread and are raised as OnShort and OnSysEx there; eight 100000-byte receive buffers, made
// once, are handed to the device and given back to it after each delivery.
#pragma once

#include "midi_driver.h"
#include "zeroed_bytes.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vk350 {

class MidiInput {
public:
    static constexpr int kMaxDevs = 12;
    static constexpr int kBufferCount = 8;
    static constexpr uint32_t kBufferSize = 100000;

    // Window thread. The driver must outlive the component.
    explicit MidiInput(MidiDriver& driver);
    ~MidiInput(); // window thread
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

    // Raised on the MIDI input thread. The handler of OnSysEx must be done with the bytes when it
    // returns: the buffer goes straight back to the device. Assign while the port is closed, and
    // never open or close the port from within a handler.
    std::function<void(MidiInput* Sender, uint8_t Status, uint8_t First, uint8_t Second)> OnShort;
    std::function<void(MidiInput* Sender, const uint8_t* SysExAdd, int MsgSize)> OnSysEx;

    // Properties: window thread.
    bool Using() const { return using_; }
    void SetUsing(bool value);
    int Port() const { return port_; }
    void SetPort(int value);
    int NumDevs() const { return numDevs_; }
    bool UseShort() const { return useShort_.load(); }
    void SetUseShort(bool value) { useShort_.store(value); }
    bool UseSysEx() const { return useSysEx_.load(); }
    void SetUseSysEx(bool value) { useSysEx_.store(value); }

    // Window thread: product name of input device index, empty when there is no such device.
    std::string productName(int index) const;
    // Window thread: result codes of the last open and the last close (0 = success).
    int OpenResult() const { return openResult_; }
    int CloseResult() const { return closeResult_; }
    // Any thread.
    bool Closing() const;
    bool Queued() const { return queued_.load(); }

    // Window thread: open and start device Port, then hand it the buffers.
    void Prepare();
    // Window thread: hand the eight buffers to the device unless they are already queued.
    void PrepSysEx();
    // Window thread: stop delivering, stop and reset the device, close it.
    void UnPrepare();
    // Window thread: take the eight buffers back from the device.
    void UnPrepSysEx();

    // MIDI input thread: the two input paths of the device callback. An exception from a handler
    // passes on to the caller, with the delivery ended and the buffer back with the device.
    void ShortIn(uint8_t status, uint8_t first, uint8_t second);
    void LongIn(MidiBuffer& buffer);

private:
    class Delivery;
    bool beginDelivery();
    void endDelivery();

    MidiDriver& driver_;
    std::unique_ptr<MidiInputPort> device_;
    bool using_ = false;
    int port_ = 0;
    int numDevs_ = 0;
    std::atomic<bool> useShort_{true};
    std::atomic<bool> useSysEx_{true};
    std::vector<std::string> productNames_;

    ZeroedBytes memory_; // the eight receive buffers, end to end
    std::array<MidiBuffer, kBufferCount> headers_;

    int openResult_ = 0;
    int closeResult_ = 0;
    std::atomic<bool> queued_{false};

    // closing_ and the count of deliveries under way: a delivery that has not begun when
    // UnPrepare sets closing_ never begins, and UnPrepare waits for those already under way.
    mutable std::mutex deliveryMutex_;
    std::condition_variable deliveryDone_;
    bool closing_ = false;
    int delivering_ = 0;
};

} // namespace vk350
