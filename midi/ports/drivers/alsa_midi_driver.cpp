#include "alsa_midi_driver.h"

#include "raw_midi_parser.h"
#include "stream_input_port.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace vk350 {

namespace {

// Output goes to the device in blocks of this size, so a long dump never needs a kernel buffer
// as large as itself, and a reset from another thread cuts a dump within a block's time on the
// wire (64 bytes: 20 ms on a MIDI cable).
constexpr size_t kWriteBlock = 64;

class AlsaInputPort : public StreamInputPort {
public:
    AlsaInputPort(AlsaMidiDriver::RawMidiApi& api, snd_rawmidi_t* handle, int wakeFd, MidiInputEvents events)
        : StreamInputPort(std::move(events)), api_(api), handle_(handle), wakeFd_(wakeFd) {
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
        const int err = api_.close(handle_);
        handle_ = nullptr;
        return err < 0 ? AlsaMidiDriver::resultFromError(err) : kMidiOk;
    }

private:
    // The input thread: waits for bytes or for the wake-up from close.
    void read() {
        const int count = api_.pollDescriptorsCount(handle_);
        if (count <= 0)
            return;
        std::vector<pollfd> fds(static_cast<size_t>(count) + 1);
        api_.pollDescriptors(handle_, fds.data(), static_cast<unsigned>(count));
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
                const ssize_t n = api_.read(handle_, buffer, sizeof buffer);
                if (n == -EAGAIN || n == 0)
                    break;
                if (n < 0)
                    return; // device gone (unplugged): nothing more will come
                receive(buffer, static_cast<size_t>(n));
            }
        }
    }

    AlsaMidiDriver::RawMidiApi& api_;
    snd_rawmidi_t* handle_;
    int wakeFd_;
    std::thread reader_;
};

class AlsaOutputPort : public MidiOutputPort {
public:
    AlsaOutputPort(AlsaMidiDriver::RawMidiApi& api, snd_rawmidi_t* handle) : api_(api), handle_(handle) {}
    ~AlsaOutputPort() override {
        if (handle_)
            api_.close(handle_);
    }

    int sendShort(uint8_t status, uint8_t first, uint8_t second) override {
        const int length = shortMessageLength(status);
        if (length == 0)
            return kMidiInvalidParam;
        const uint8_t bytes[3] = {status, first, second};
        return write(bytes, static_cast<size_t>(length));
    }

    int sendLong(const uint8_t* data, size_t size, std::atomic<bool>& done) override {
        {
            std::lock_guard lock(sendMutex_);
            sending_ = true;
            cut_ = false;
        }
        sent_.store(0);
        int result = kMidiOk;
        // Blocking writes, paced by the device; between blocks a reset may ask for a stop.
        for (size_t at = 0; at < size && result == kMidiOk; at += kWriteBlock) {
            if (cut_.load()) {
                result = kMidiCut;
                break;
            }
            const size_t block = std::min(kWriteBlock, size - at);
            result = write(data + at, block);
            if (result == kMidiOk)
                sent_.store(at + block);
        }
        // Drain waits until the device has put the last byte on the wire. What the device still
        // holds of a cut block is dropped here, on the sending thread, so that nothing waits on a
        // buffer that no longer empties.
        if (result == kMidiOk) {
            const int err = api_.drain(handle_);
            if (err < 0)
                result = AlsaMidiDriver::resultFromError(err);
        } else if (result == kMidiCut) {
            api_.drop(handle_);
        }
        {
            std::lock_guard lock(sendMutex_);
            sending_ = false;
        }
        idle_.notify_all();
        if (result != kMidiOk)
            return result;
        done.store(true, std::memory_order_release);
        done.notify_all();
        return kMidiOk;
    }

    size_t bytesSent() const override { return sent_.load(); }

    int reset() override {
        {
            // A block under way stops after the block being written; its sender is waited for.
            std::unique_lock lock(sendMutex_);
            if (sending_) {
                cut_.store(true);
                idle_.wait(lock, [this] { return !sending_; });
            }
        }
        api_.drop(handle_);
        for (uint8_t ch = 0; ch < 16; ++ch)
            sendShort(static_cast<uint8_t>(0xB0 + ch), 123, 0); // all notes off
        api_.drain(handle_);
        return kMidiOk;
    }

    int close() override {
        if (!handle_)
            return kMidiInvalidHandle;
        api_.drain(handle_);
        const int err = api_.close(handle_);
        handle_ = nullptr;
        return err < 0 ? AlsaMidiDriver::resultFromError(err) : kMidiOk;
    }

private:
    int write(const uint8_t* data, size_t size) {
        while (size > 0) {
            const ssize_t n = api_.write(handle_, data, size);
            if (n == -EINTR || n == -EAGAIN)
                continue;
            if (n < 0)
                return AlsaMidiDriver::resultFromError(static_cast<int>(n));
            data += n;
            size -= static_cast<size_t>(n);
        }
        return kMidiOk;
    }

    AlsaMidiDriver::RawMidiApi& api_;
    snd_rawmidi_t* handle_;
    std::mutex sendMutex_;
    std::condition_variable idle_;
    bool sending_ = false;
    std::atomic<bool> cut_{false};
    std::atomic<size_t> sent_{0};
};

class Libasound : public AlsaMidiDriver::RawMidiApi {
public:
    std::vector<Subdevice> subdevices() override {
        std::vector<Subdevice> found;
        snd_rawmidi_info_t* info = nullptr;
        if (snd_rawmidi_info_malloc(&info) < 0)
            return found;
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
                        found.push_back({hw + "," + std::to_string(device) + "," + std::to_string(sub),
                                         stream == SND_RAWMIDI_STREAM_INPUT, subs,
                                         snd_rawmidi_info_get_name(info),
                                         snd_rawmidi_info_get_subdevice_name(info)});
                    }
                }
            }
            snd_ctl_close(ctl);
        }
        snd_rawmidi_info_free(info);
        return found;
    }
    int open(const std::string& device, bool input, snd_rawmidi_t** handle) override {
        return snd_rawmidi_open(input ? handle : nullptr, input ? nullptr : handle, device.c_str(),
                                SND_RAWMIDI_NONBLOCK);
    }
    int nonblock(snd_rawmidi_t* handle, int nonblock) override {
        return snd_rawmidi_nonblock(handle, nonblock);
    }
    ssize_t write(snd_rawmidi_t* handle, const uint8_t* data, size_t size) override {
        return snd_rawmidi_write(handle, data, size);
    }
    int drain(snd_rawmidi_t* handle) override { return snd_rawmidi_drain(handle); }
    int drop(snd_rawmidi_t* handle) override { return snd_rawmidi_drop(handle); }
    ssize_t read(snd_rawmidi_t* handle, uint8_t* data, size_t size) override {
        return snd_rawmidi_read(handle, data, size);
    }
    int pollDescriptorsCount(snd_rawmidi_t* handle) override {
        return snd_rawmidi_poll_descriptors_count(handle);
    }
    int pollDescriptors(snd_rawmidi_t* handle, pollfd* fds, unsigned space) override {
        return snd_rawmidi_poll_descriptors(handle, fds, space);
    }
    int close(snd_rawmidi_t* handle) override { return snd_rawmidi_close(handle); }
};

} // namespace

AlsaMidiDriver::RawMidiApi& AlsaMidiDriver::libasound() {
    static Libasound api;
    return api;
}

std::unique_ptr<MidiOutputPort> AlsaMidiDriver::outputPort(RawMidiApi& api, snd_rawmidi_t* handle) {
    return std::make_unique<AlsaOutputPort>(api, handle);
}

std::unique_ptr<MidiInputPort> AlsaMidiDriver::inputPort(RawMidiApi& api, snd_rawmidi_t* handle,
                                                         MidiInputEvents events) {
    const int wakeFd = ::eventfd(0, EFD_CLOEXEC);
    if (wakeFd < 0)
        return nullptr;
    return std::make_unique<AlsaInputPort>(api, handle, wakeFd, std::move(events));
}

AlsaMidiDriver::AlsaMidiDriver(RawMidiApi& api) : api_(api) {
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
    for (RawMidiApi::Subdevice& s : api_.subdevices()) {
        // Subdevices of one device tell themselves apart by their own names, where they have one.
        const bool own = s.siblings > 1 && !s.subName.empty();
        (s.input ? inputs : outputs).push_back({std::move(s.device), std::move(own ? s.subName : s.name)});
    }
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
    const int err = api_.open(device, true, &handle);
    if (err < 0)
        return resultFromError(err);
    port = inputPort(api_, handle, std::move(events));
    if (!port) {
        api_.close(handle);
        return kMidiError;
    }
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
    // The open does not block (a busy port fails at once); writes do, so the device paces them.
    int err = api_.open(device, false, &handle);
    if (err < 0)
        return resultFromError(err);
    err = api_.nonblock(handle, 0);
    if (err < 0) {
        api_.close(handle);
        return resultFromError(err);
    }
    port = outputPort(api_, handle);
    return kMidiOk;
}

} // namespace vk350
