// Hardware MIDI ports (USB and DIN interfaces) through ALSA rawmidi: exact bytes in both
// directions, SysEx of any size, output paced by the device. Ports are the rawmidi subdevices
// of every sound card, listed through each card's control interface.
#pragma once

#include "midi_driver.h"

#include <mutex>
#include <sys/types.h>
#include <vector>

typedef struct _snd_rawmidi snd_rawmidi_t;
struct pollfd;

namespace vk350 {

class AlsaMidiDriver : public MidiDriver {
public:
    // The libasound calls under the driver and its ports, with libasound's results (a count, or
    // a negative errno). The driver uses libasound itself; tests script these to run the lists,
    // the opens and the read and write loops without a device. read and the poll descriptors:
    // the input port's reader thread; the rest: the thread that uses the driver or the port.
    class RawMidiApi {
    public:
        // One subdevice as a card's control interface describes it.
        struct Subdevice {
            std::string device; // "hw:CARD,DEVICE,SUBDEVICE"
            bool input = false;
            unsigned siblings = 1; // subdevices of its device, itself included
            std::string name;      // the device's
            std::string subName;   // its own, often empty
        };
        virtual ~RawMidiApi() = default;
        virtual std::vector<Subdevice> subdevices() = 0;
        // Opens without blocking, so that a port held by another program fails at once.
        virtual int open(const std::string& device, bool input, snd_rawmidi_t** handle) = 0;
        virtual int nonblock(snd_rawmidi_t* handle, int nonblock) = 0;
        virtual ssize_t write(snd_rawmidi_t* handle, const uint8_t* data, size_t size) = 0;
        virtual int drain(snd_rawmidi_t* handle) = 0;
        virtual int drop(snd_rawmidi_t* handle) = 0;
        virtual ssize_t read(snd_rawmidi_t* handle, uint8_t* data, size_t size) = 0;
        virtual int pollDescriptorsCount(snd_rawmidi_t* handle) = 0;
        virtual int pollDescriptors(snd_rawmidi_t* handle, pollfd* fds, unsigned space) = 0;
        virtual int close(snd_rawmidi_t* handle) = 0;
    };
    static RawMidiApi& libasound();
    // Ports over an open handle; each owns the handle and closes it through api. The input port
    // reads on a thread of its own; it is null, leaving the handle to the caller, when that
    // thread's wake-up cannot be made.
    static std::unique_ptr<MidiOutputPort> outputPort(RawMidiApi& api, snd_rawmidi_t* handle);
    static std::unique_ptr<MidiInputPort> inputPort(RawMidiApi& api, snd_rawmidi_t* handle,
                                                    MidiInputEvents events);

    explicit AlsaMidiDriver(RawMidiApi& api = libasound());

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

    RawMidiApi& api_;
    std::mutex mutex_;
    std::vector<Endpoint> inputs_;
    std::vector<Endpoint> outputs_;
};

} // namespace vk350
