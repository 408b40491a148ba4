// Hardware MIDI ports (USB and DIN interfaces) through ALSA rawmidi: exact bytes in both
// directions, SysEx of any size, output paced by the device. Ports are the rawmidi subdevices
// of every sound card, listed through each card's control interface.
#pragma once

#include "midi_driver.h"

#include <mutex>
#include <vector>

namespace vk350 {

class AlsaMidiDriver : public MidiDriver {
public:
    AlsaMidiDriver();

    std::string name() const override { return "alsa"; }
    int inputCount() override; // lists the cards again, so newly plugged interfaces appear
    std::string inputName(int index) override;
    int outputCount() override; // lists the cards again
    std::string outputName(int index) override;
    int openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) override;
    int openOutput(int index, std::unique_ptr<MidiOutputPort>& port) override;

    // Maps a negative libasound error to one of the MidiResult codes.
    static int resultFromError(int error);

private:
    struct Endpoint {
        std::string device; // "hw:CARD,DEVICE,SUBDEVICE"
        std::string name;   // what the interface calls itself
    };
    void scan();

    std::mutex mutex_;
    std::vector<Endpoint> inputs_;
    std::vector<Endpoint> outputs_;
};

} // namespace vk350
