#include "midi_driver.h"

namespace vk350 {

std::string_view midiResultText(int result) {
    switch (result) {
    case kMidiOk:
        return "no error";
    case kMidiError:
        return "device failure";
    case kMidiBadDeviceId:
        return "no such device";
    case kMidiAllocated:
        return "device already in use";
    case kMidiInvalidHandle:
        return "port not open";
    case kMidiNoMemory:
        return "out of memory";
    case kMidiInvalidParam:
        return "a message the wire cannot carry";
    case kMidiStillPlaying:
        return "output still busy";
    case kMidiCut:
        return "message cut by a reset";
    default:
        return "unknown error";
    }
}

} // namespace vk350
