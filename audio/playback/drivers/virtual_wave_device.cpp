#include "virtual_wave_device.h"

#include <algorithm>
#include <chrono>
#include <deque>

namespace vk350 {

namespace {

bool defaultAccept(const WaveFormatEx& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
           (f.nChannels == 1 || f.nChannels == 2) && f.nSamplesPerSec >= 1000 && f.nSamplesPerSec <= 192000 &&
           f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

} // namespace

class VirtualWaveOutput : public WaveOutput {
public:
    VirtualWaveOutput(VirtualWaveDevice& device, const WaveFormatEx& format, WaveDeviceEvents events,
                      uint64_t modulus)
        : device_(device), events_(std::move(events)), frameBytes_(format.nBlockAlign),
          bytesPerSec_(uint64_t(format.nSamplesPerSec) * format.nBlockAlign), modulus_(modulus),
          last_(device.clock_.now()) {}

    int write(ChainBuffer* header) override {
        std::lock_guard lock(mutex_);
        if (failed_)
            return kWaveNoDriver;
        if (closed_)
            return kWaveInvalidHandle;
        if (!header || !header->lpData)
            return kWaveInvalidParam;
        if (queue_.empty())
            last_ = device_.clock_.now(); // a starved device starts again now
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        queue_.push_back(header);
        device_.nudge();
        return kWaveOk;
    }

    int pause() override {
        advance();
        std::lock_guard lock(mutex_);
        running_ = false;
        return closed_ ? kWaveInvalidHandle : kWaveOk;
    }

    int restart() override {
        std::lock_guard lock(mutex_);
        if (!running_)
            last_ = device_.clock_.now();
        running_ = true;
        device_.nudge();
        return closed_ ? kWaveInvalidHandle : kWaveOk;
    }

    int reset() override {
        std::lock_guard deliver(deliverMutex_);
        std::vector<ChainBuffer*> done;
        {
            std::lock_guard lock(mutex_);
            takeAll(done);
            played_ = 0;
            offset_ = 0;
            remainder_ = 0;
        }
        deliverDone(done);
        return kWaveOk;
    }

    int position(uint32_t& frames) override {
        std::lock_guard lock(mutex_);
        // Between two ticks the sound goes on: what the clock says has been heard by now, as far
        // as the queue holds it.
        uint64_t heard = played_;
        if (running_ && !closed_ && !failed_ && !queue_.empty()) {
            uint64_t queued = 0;
            for (const ChainBuffer* h : queue_)
                queued += std::min(h->dwBufferLength, h->dwCapacity);
            queued -= offset_;
            const uint64_t since =
                (remainder_ + uint64_t(std::max<int64_t>(device_.clock_.now() - last_, 0)) * bytesPerSec_) /
                1000000;
            const uint32_t frame = std::max<uint32_t>(frameBytes_, 1);
            heard += std::min(since, queued) / frame * frame;
        }
        frames = uint32_t((heard / std::max<uint32_t>(frameBytes_, 1)) % modulus_);
        return closed_ ? kWaveInvalidHandle : kWaveOk;
    }

    int close() override {
        reset();
        {
            std::lock_guard deliver(deliverMutex_); // waits for a tick that is delivering
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        device_.removeOutput(this);
        if (events_.onClose)
            events_.onClose();
        return kWaveOk;
    }

    ~VirtualWaveOutput() override {
        if (!closed_)
            close();
    }

    // Plays what the clock says is due. The ticking thread. Returns the microseconds until the
    // buffer now playing ends, or -1 with none playing.
    int64_t advance() {
        std::lock_guard deliver(deliverMutex_);
        std::vector<ChainBuffer*> done;
        int64_t next = -1;
        {
            std::lock_guard lock(mutex_);
            const int64_t now = device_.clock_.now();
            if (closed_ || failed_ || !running_) {
                last_ = now;
                return -1;
            }
            // Bytes due: the elapsed time at the byte rate, kept exact across ticks.
            remainder_ += uint64_t(std::max<int64_t>(now - last_, 0)) * bytesPerSec_;
            last_ = now;
            const uint32_t frame = std::max<uint32_t>(frameBytes_, 1);
            uint64_t due = remainder_ / 1000000 / frame * frame; // whole frames
            remainder_ -= due * 1000000;
            while (due > 0 && !queue_.empty()) {
                ChainBuffer* h = queue_.front();
                const uint32_t length = std::min(h->dwBufferLength, h->dwCapacity);
                const uint32_t take = uint32_t(std::min<uint64_t>(due, length - offset_));
                device_.record(h->lpData + offset_, take, now);
                offset_ += take;
                played_ += take;
                due -= take;
                if (offset_ >= length) {
                    queue_.pop_front();
                    offset_ = 0;
                    h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
                    done.push_back(h);
                }
            }
            if (queue_.empty()) {
                remainder_ = 0; // nothing to play: the time is lost, as on a real device
            } else if (bytesPerSec_ > 0) {
                const ChainBuffer* h = queue_.front();
                const uint64_t left = std::min(h->dwBufferLength, h->dwCapacity) - offset_;
                const uint64_t owed = left * 1000000;
                next = int64_t((owed > remainder_ ? owed - remainder_ : 0) / bytesPerSec_ + 1);
            }
        }
        deliverDone(done);
        return next;
    }

    // The device vanished. The unplugging thread.
    void fail() {
        std::lock_guard deliver(deliverMutex_);
        std::vector<ChainBuffer*> done;
        {
            std::lock_guard lock(mutex_);
            if (closed_ || failed_)
                return;
            failed_ = true;
            takeAll(done);
        }
        if (events_.onError)
            events_.onError(kWaveNoDriver);
        deliverDone(done);
    }

private:
    void takeAll(std::vector<ChainBuffer*>& done) {
        for (ChainBuffer* h : queue_) {
            h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
            done.push_back(h);
        }
        queue_.clear();
    }

    void deliverDone(const std::vector<ChainBuffer*>& done) {
        for (ChainBuffer* h : done)
            if (events_.onDone)
                events_.onDone(h);
    }

    VirtualWaveDevice& device_;
    WaveDeviceEvents events_;
    const uint32_t frameBytes_;
    const uint64_t bytesPerSec_;
    const uint64_t modulus_;
    std::mutex deliverMutex_; // keeps the done notices in order across threads
    std::mutex mutex_;
    std::deque<ChainBuffer*> queue_;
    uint32_t offset_ = 0;    // bytes of the front buffer already played
    uint64_t played_ = 0;    // bytes since open or reset
    uint64_t remainder_ = 0; // byte-microseconds not yet a whole byte
    int64_t last_;
    bool running_ = true;
    bool closed_ = false;
    bool failed_ = false;
};

VirtualWaveDevice::VirtualWaveDevice() : clock_(steadyMicroClock()), realTime_(true), accept_(defaultAccept) {
    thread_ = std::thread([this] {
        std::unique_lock lock(mutex_);
        int64_t next = -1;
        while (!quit_) {
            // Asleep until the buffer playing ends, or until a buffer or a restart comes.
            if (next < 0)
                wake_.wait(lock, [this] { return quit_ || nudged_; });
            else
                wake_.wait_for(lock, std::chrono::microseconds(next), [this] { return quit_ || nudged_; });
            nudged_ = false;
            if (quit_)
                break;
            lock.unlock();
            next = tickAll();
            lock.lock();
        }
    });
}

VirtualWaveDevice::VirtualWaveDevice(MicroClock& clock)
    : clock_(clock), realTime_(false), accept_(defaultAccept) {}

VirtualWaveDevice::~VirtualWaveDevice() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
}

int VirtualWaveDevice::deviceCount() {
    std::lock_guard lock(mutex_);
    return count_;
}

std::string VirtualWaveDevice::deviceName(int device) {
    std::lock_guard lock(mutex_);
    if (count_ == 0 || device < WAVE_MAPPER || device >= count_)
        return std::string();
    if (device == WAVE_MAPPER)
        return "Virtual default output";
    return "Virtual output " + std::to_string(device + 1);
}

int VirtualWaveDevice::query(int device, const WaveFormatEx& format) {
    std::lock_guard lock(mutex_);
    if (count_ == 0 || device < WAVE_MAPPER || device >= count_)
        return kWaveBadDeviceId;
    return accept_(format) ? kWaveOk : kWaveBadFormat;
}

int VirtualWaveDevice::open(int device, const WaveFormatEx& format, WaveDeviceEvents events,
                            std::unique_ptr<WaveOutput>& output) {
    output.reset();
    const int r = query(device, format);
    if (r != kWaveOk)
        return r;
    auto onOpen = events.onOpen;
    uint64_t modulus;
    {
        std::lock_guard lock(mutex_);
        modulus = modulus_;
    }
    auto out = std::make_unique<VirtualWaveOutput>(*this, format, std::move(events), modulus);
    {
        std::lock_guard lock(mutex_);
        outputs_.push_back(out.get());
        firstByte_ = -1;
    }
    wake_.notify_all();
    lastDevice_ = device;
    if (onOpen)
        onOpen();
    output = std::move(out);
    return kWaveOk;
}

void VirtualWaveDevice::setDeviceCount(int count) {
    std::lock_guard lock(mutex_);
    count_ = std::max(count, 0);
}

void VirtualWaveDevice::setPositionModulus(uint64_t frames) {
    std::lock_guard lock(mutex_);
    modulus_ = std::clamp<uint64_t>(frames, 1, uint64_t(1) << 32);
}

void VirtualWaveDevice::setAcceptedFormats(std::function<bool(const WaveFormatEx&)> accept) {
    std::lock_guard lock(mutex_);
    accept_ = accept ? std::move(accept) : defaultAccept;
}

void VirtualWaveDevice::unplug() {
    std::lock_guard walking(tickMutex_);
    std::vector<VirtualWaveOutput*> outputs;
    {
        std::lock_guard lock(mutex_);
        count_ = 0;
        outputs = outputs_;
    }
    for (VirtualWaveOutput* o : outputs)
        o->fail();
}

void VirtualWaveDevice::tick() {
    if (!realTime_)
        tickAll();
}

int64_t VirtualWaveDevice::tickAll() {
    // An output leaves the list (and may be destroyed) only after waiting for this walk.
    std::lock_guard walking(tickMutex_);
    std::vector<VirtualWaveOutput*> outputs;
    {
        std::lock_guard lock(mutex_);
        outputs = outputs_;
    }
    int64_t next = -1;
    for (VirtualWaveOutput* o : outputs) {
        const int64_t n = o->advance();
        if (n >= 0 && (next < 0 || n < next))
            next = n;
    }
    return next;
}

void VirtualWaveDevice::nudge() {
    if (!realTime_)
        return;
    {
        std::lock_guard lock(mutex_);
        nudged_ = true;
    }
    wake_.notify_all();
}

void VirtualWaveDevice::removeOutput(VirtualWaveOutput* output) {
    std::lock_guard walking(tickMutex_);
    std::lock_guard lock(mutex_);
    std::erase(outputs_, output);
}

void VirtualWaveDevice::record(const uint8_t* data, uint32_t bytes, int64_t now) {
    std::lock_guard lock(mutex_);
    if (bytes > 0 && firstByte_ < 0)
        firstByte_ = now;
    if (recording_)
        played_.insert(played_.end(), data, data + bytes);
}

void VirtualWaveDevice::setRecording(bool on) {
    std::lock_guard lock(mutex_);
    recording_ = on;
}

std::vector<uint8_t> VirtualWaveDevice::played() const {
    std::lock_guard lock(mutex_);
    return played_;
}

void VirtualWaveDevice::clearPlayed() {
    std::lock_guard lock(mutex_);
    played_.clear();
}

int VirtualWaveDevice::openOutputs() const {
    std::lock_guard lock(mutex_);
    return int(outputs_.size());
}

} // namespace vk350
