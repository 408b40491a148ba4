#include "alsa_midi_driver.h"

#include "raw_midi_parser.h"
#include "stream_input_port.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace vk350 {

namespace {

// Output goes to the device in blocks of this size, so a long dump never needs a kernel buffer
// as large as itself.
constexpr size_t kWriteBlock = 4096;

class AlsaInputPort : public StreamInputPort {
public:
    AlsaInputPort(snd_rawmidi_t* handle, int wakeFd, MidiInputEvents events)
        : StreamInputPort(std::move(events)), handle_(handle), wakeFd_(wakeFd) {
        reader_ = std::thread([this] { read(); });
    }
    ~AlsaInputPort() override { close(); }

    int close() override {
        if (!handle_)
            return kMidiInvalidHandle;
        const uint64_t one = 1;
        if (::write(wakeFd_, &one, sizeof one) < 0) {
            // The reader also stops on its own when the eventfd cannot be written; nothing to add.
        }
        if (reader_.joinable())
            reader_.join();
        ::close(wakeFd_);
        const int err = snd_rawmidi_close(handle_);
        handle_ = nullptr;
        return err < 0 ? AlsaMidiDriver::resultFromError(err) : kMidiOk;
    }

private:
    // The input thread: waits for bytes or for the wake-up from close.
    void read() {
        const int count = snd_rawmidi_poll_descriptors_count(handle_);
        if (count <= 0)
            return;
        std::vector<pollfd> fds(static_cast<size_t>(count) + 1);
        snd_rawmidi_poll_descriptors(handle_, fds.data(), static_cast<unsigned>(count));
        fds[static_cast<size_t>(count)] = {wakeFd_, POLLIN, 0};
        uint8_t buffer[1024];
        for (;;) {
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds.back().revents & POLLIN)
                return;
            for (;;) {
                const ssize_t n = snd_rawmidi_read(handle_, buffer, sizeof buffer);
                if (n == -EAGAIN || n == 0)
                    break;
                if (n < 0)
                    return; // device gone (unplugged): nothing more will come
                receive(buffer, static_cast<size_t>(n));
            }
        }
    }

    snd_rawmidi_t* handle_;
    int wakeFd_;
    std::thread reader_;
};

class AlsaOutputPort : public MidiOutputPort {
public:
    explicit AlsaOutputPort(snd_rawmidi_t* handle) : handle_(handle) {}
    ~AlsaOutputPort() override {
        if (handle_)
            snd_rawmidi_close(handle_);
    }

    int sendShort(uint8_t status, uint8_t first, uint8_t second) override {
        const int length = shortMessageLength(status);
        if (length == 0)
            return kMidiInvalidParam;
        const uint8_t bytes[3] = {status, first, second};
        return write(bytes, static_cast<size_t>(length));
    }

    int sendLong(const uint8_t* data, size_t size, std::atomic<bool>& done) override {
        int result = kMidiOk;
        for (size_t at = 0; at < size && result == kMidiOk; at += kWriteBlock)
            result = write(data + at, std::min(kWriteBlock, size - at));
        if (result != kMidiOk)
            return result;
        // Drain waits until the device has put the last byte on the wire.
        const int err = snd_rawmidi_drain(handle_);
        if (err < 0)
            return AlsaMidiDriver::resultFromError(err);
        done.store(true, std::memory_order_release);
        done.notify_all();
        return kMidiOk;
    }

    int reset() override {
        snd_rawmidi_drop(handle_);
        for (uint8_t ch = 0; ch < 16; ++ch)
            sendShort(static_cast<uint8_t>(0xB0 + ch), 123, 0); // all notes off
        snd_rawmidi_drain(handle_);
        return kMidiOk;
    }

    int close() override {
        if (!handle_)
            return kMidiInvalidHandle;
        snd_rawmidi_drain(handle_);
        const int err = snd_rawmidi_close(handle_);
        handle_ = nullptr;
        return err < 0 ? AlsaMidiDriver::resultFromError(err) : kMidiOk;
    }

private:
    int write(const uint8_t* data, size_t size) {
        while (size > 0) {
            const ssize_t n = snd_rawmidi_write(handle_, data, size);
            if (n == -EINTR || n == -EAGAIN)
                continue;
            if (n < 0)
                return AlsaMidiDriver::resultFromError(static_cast<int>(n));
            data += n;
            size -= static_cast<size_t>(n);
        }
        return kMidiOk;
    }

    snd_rawmidi_t* handle_;
};

} // namespace

AlsaMidiDriver::AlsaMidiDriver() {
    scan();
}

int AlsaMidiDriver::resultFromError(int error) {
    switch (-error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return kMidiBadDeviceId;
    case EBUSY:
        return kMidiAllocated;
    case ENOMEM:
        return kMidiNoMemory;
    default:
        return kMidiError;
    }
}

void AlsaMidiDriver::scan() {
    std::vector<Endpoint> inputs, outputs;
    snd_rawmidi_info_t* info = nullptr;
    if (snd_rawmidi_info_malloc(&info) < 0)
        return;
    int card = -1;
    while (snd_card_next(&card) >= 0 && card >= 0) {
        snd_ctl_t* ctl = nullptr;
        const std::string hw = "hw:" + std::to_string(card);
        if (snd_ctl_open(&ctl, hw.c_str(), 0) < 0)
            continue;
        int device = -1;
        while (snd_ctl_rawmidi_next_device(ctl, &device) >= 0 && device >= 0) {
            for (const auto stream : {SND_RAWMIDI_STREAM_INPUT, SND_RAWMIDI_STREAM_OUTPUT}) {
                snd_rawmidi_info_set_device(info, static_cast<unsigned>(device));
                snd_rawmidi_info_set_subdevice(info, 0);
                snd_rawmidi_info_set_stream(info, stream);
                if (snd_ctl_rawmidi_info(ctl, info) < 0)
                    continue;
                const unsigned subs = snd_rawmidi_info_get_subdevices_count(info);
                for (unsigned sub = 0; sub < subs; ++sub) {
                    snd_rawmidi_info_set_subdevice(info, sub);
                    if (snd_ctl_rawmidi_info(ctl, info) < 0)
                        continue;
                    std::string name = snd_rawmidi_info_get_name(info);
                    const std::string subName = snd_rawmidi_info_get_subdevice_name(info);
                    if (subs > 1 && !subName.empty())
                        name = subName;
                    Endpoint e{hw + "," + std::to_string(device) + "," + std::to_string(sub), name};
                    (stream == SND_RAWMIDI_STREAM_INPUT ? inputs : outputs).push_back(std::move(e));
                }
            }
        }
        snd_ctl_close(ctl);
    }
    snd_rawmidi_info_free(info);
    std::lock_guard lock(mutex_);
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
}

int AlsaMidiDriver::inputCount() {
    scan();
    std::lock_guard lock(mutex_);
    return static_cast<int>(inputs_.size());
}

int AlsaMidiDriver::outputCount() {
    scan();
    std::lock_guard lock(mutex_);
    return static_cast<int>(outputs_.size());
}

std::string AlsaMidiDriver::inputName(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(inputs_.size()))
        return {};
    return inputs_[static_cast<size_t>(index)].name;
}

std::string AlsaMidiDriver::outputName(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(outputs_.size()))
        return {};
    return outputs_[static_cast<size_t>(index)].name;
}

int AlsaMidiDriver::openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) {
    port.reset();
    std::string device;
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= static_cast<int>(inputs_.size()))
            return kMidiBadDeviceId;
        device = inputs_[static_cast<size_t>(index)].device;
    }
    snd_rawmidi_t* handle = nullptr;
    const int err = snd_rawmidi_open(&handle, nullptr, device.c_str(), SND_RAWMIDI_NONBLOCK);
    if (err < 0)
        return resultFromError(err);
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC);
    if (wakeFd < 0) {
        snd_rawmidi_close(handle);
        return kMidiError;
    }
    port = std::make_unique<AlsaInputPort>(handle, wakeFd, std::move(events));
    return kMidiOk;
}

int AlsaMidiDriver::openOutput(int index, std::unique_ptr<MidiOutputPort>& port) {
    port.reset();
    std::string device;
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= static_cast<int>(outputs_.size()))
            return kMidiBadDeviceId;
        device = outputs_[static_cast<size_t>(index)].device;
    }
    snd_rawmidi_t* handle = nullptr;
    // A blocking open waits for as long as another program holds the port; open without
    // blocking so a busy port fails at once, then block for writes so they are paced by the device.
    int err = snd_rawmidi_open(nullptr, &handle, device.c_str(), SND_RAWMIDI_NONBLOCK);
    if (err < 0)
        return resultFromError(err);
    err = snd_rawmidi_nonblock(handle, 0);
    if (err < 0) {
        snd_rawmidi_close(handle);
        return resultFromError(err);
    }
    port = std::make_unique<AlsaOutputPort>(handle);
    return kMidiOk;
}

} // namespace vk350
