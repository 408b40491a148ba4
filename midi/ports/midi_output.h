// MidiOutput: one MIDI output port with helpers for the short messages and a SysEx send that
// returns only once the whole block is out, so the caller may reuse its buffer at once.
#pragma once

#include "midi_driver.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

class MidiOutput {
public:
    static constexpr int kMaxDevs = 12;

    // Window thread, as every function of this class unless it says otherwise. The driver must
    // outlive the component.
    explicit MidiOutput(MidiDriver& driver);
    ~MidiOutput();
    MidiOutput(const MidiOutput&) = delete;
    MidiOutput& operator=(const MidiOutput&) = delete;

    bool Using() const { return using_; }
    void SetUsing(bool value);
    int Port() const { return port_; }
    void SetPort(int value);
    int NumDevs() const { return numDevs_; }

    // Product name of output device index, empty when there is no such device.
    std::string productName(int index) const;
    int OpenResult() const { return openResult_; }
    int CloseResult() const { return closeResult_; }

    // Sending does nothing while the port is not in use. Arguments are added into the status and
    // data bytes as given, without masking.
    void PutShort(uint8_t Status, uint8_t First, uint8_t Second);
    void ProgramChange(uint8_t channel, uint8_t program);
    void ControlChange(uint8_t channel, uint8_t controller, uint8_t value);
    void NoteOn(uint8_t channel, uint8_t note, uint8_t velocity);
    void NoteOff(uint8_t channel, uint8_t note, uint8_t velocity);
    void PitchBend(uint8_t channel, int value);
    void MIDIClock();
    void Reset();
    // Sends length bytes as one block and returns when they are out; below 3 bytes nothing is
    // sent. Returns kMidiOk, or why nothing (or not all) went out: kMidiInvalidHandle while the
    // port is not in use, kMidiInvalidParam for a block too short, else the driver's code
    // (kMidiCut after CancelSysEx). Window thread, or a transfer thread while the window thread
    // waits for it and touches the port no more than the two functions below.
    int SysEx(const uint8_t* data, int length);
    // Any thread: bytes of the block under way (or of the last one) handed to the device so far.
    size_t SysExSent() const;
    // Window thread while SysEx runs on a transfer thread: cuts the block where it stands by
    // resetting the output, and SysEx returns kMidiCut. Without an open port nothing happens.
    void CancelSysEx();

    // Waits at least ms milliseconds on a clock that never jumps; 0 returns at once.
    static void Pause(int ms);

private:
    void open();
    void close();

    MidiDriver& driver_;
    std::unique_ptr<MidiOutputPort> device_;
    bool using_ = false;
    int port_ = 0;
    int numDevs_ = 0;
    std::vector<std::string> productNames_;
    int openResult_ = 0;
    int closeResult_ = 0;
};

} // namespace vk350
