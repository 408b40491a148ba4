// The result codes of the MIDI ports' opens, closes and sends. The protocol's log lines name
// them, so they live apart from the drivers.
#pragma once

namespace vk350 {

// Result codes of opens, closes and sends; 0 is success. The numbers are the classic multimedia
// MIDI codes, so a logged code means the same thing whichever driver produced it.
enum MidiResult : int {
    kMidiOk = 0,
    kMidiError = 1,         // unspecified device failure
    kMidiBadDeviceId = 2,   // no device with that index
    kMidiAllocated = 4,     // device already open, here or in another program
    kMidiInvalidHandle = 5, // port not open
    kMidiNoMemory = 7,
    kMidiInvalidParam = 11, // a message the wire cannot carry
    kMidiStillPlaying = 65, // output still has data to send; close again later
    kMidiCut = 256,         // a reset stopped a SysEx block part way (no classic code says this)
};

} // namespace vk350
