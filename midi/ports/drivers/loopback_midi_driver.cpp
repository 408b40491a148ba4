#include "loopback_midi_driver.h"

#include "raw_midi_parser.h"
#include "stream_input_port.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace vk350 {

class LoopbackInputPort : public StreamInputPort {
public:
    LoopbackInputPort(LoopbackMidiDriver& driver, LoopbackMidiDriver::Cable& cable, MidiInputEvents events)
        : StreamInputPort(std::move(events)), driver_(driver), cable_(cable) {}
    ~LoopbackInputPort() override { close(); }

    int close() override {
        if (!open_)
            return kMidiInvalidHandle;
        open_ = false;
        driver_.closeInput(cable_);
        return kMidiOk;
    }

private:
    LoopbackMidiDriver& driver_;
    LoopbackMidiDriver::Cable& cable_;
    bool open_ = true;
};

class LoopbackOutputPort : public MidiOutputPort {
public:
    LoopbackOutputPort(LoopbackMidiDriver& driver, LoopbackMidiDriver::Cable& cable)
        : driver_(driver), cable_(cable) {}
    ~LoopbackOutputPort() override {
        std::lock_guard lock(cable_.mutex);
        cable_.outputOpen = false;
    }

    int sendShort(uint8_t status, uint8_t first, uint8_t second) override {
        const int length = shortMessageLength(status);
        if (length == 0)
            return kMidiInvalidParam;
        const uint8_t bytes[3] = {status, first, second};
        driver_.push(cable_, bytes, static_cast<size_t>(length));
        return kMidiOk;
    }

    int sendLong(const uint8_t* data, size_t size, std::atomic<bool>& done) override {
        int pace = 0;
        std::optional<size_t> unplug;
        {
            std::lock_guard lock(cable_.mutex);
            if (cable_.failingSends > 0) {
                --cable_.failingSends;
                return cable_.failCode;
            }
            pace = cable_.pace;
            unplug = std::exchange(cable_.unplugAfter, std::nullopt);
        }
        const size_t end = std::min(size, unplug.value_or(size));
        std::unique_lock lock(sendMutex_);
        sending_ = true;
        cut_ = false;
        sent_.store(0);
        const auto start = std::chrono::steady_clock::now();
        size_t at = 0;
        while (at < end && !cut_) {
            const size_t chunk = pace > 0 ? std::min(kPacedChunk, end - at) : end - at;
            if (pace > 0) {
                // The chunk is due when a cable would have carried it; a reset wakes the wait.
                const auto due = start + std::chrono::microseconds((at + chunk) * 1000000 / size_t(pace));
                wake_.wait_until(lock, due, [this] { return cut_; });
                if (cut_)
                    break;
            }
            // Under sendMutex_: the bytes of a reset go out after this chunk, never inside it.
            driver_.push(cable_, data + at, chunk);
            at += chunk;
            sent_.store(at);
        }
        const int result = cut_ ? kMidiCut : at < size ? kMidiError : kMidiOk;
        sending_ = false;
        wake_.notify_all();
        lock.unlock();
        if (result != kMidiOk)
            return result;
        done.store(true, std::memory_order_release);
        done.notify_all();
        return kMidiOk;
    }

    size_t bytesSent() const override { return sent_.load(); }

    int reset() override {
        {
            // A block under way stops at its next chunk; its sender is waited for.
            std::unique_lock lock(sendMutex_);
            if (sending_) {
                cut_ = true;
                wake_.notify_all();
                wake_.wait(lock, [this] { return !sending_; });
            }
        }
        // All notes off on every channel, as a hardware reset does.
        for (uint8_t ch = 0; ch < 16; ++ch)
            sendShort(static_cast<uint8_t>(0xB0 + ch), 123, 0);
        return kMidiOk;
    }

    int close() override {
        std::lock_guard lock(cable_.mutex);
        if (cable_.stillPlayingCloses > 0) {
            --cable_.stillPlayingCloses;
            return kMidiStillPlaying;
        }
        return kMidiOk;
    }

private:
    // A paced block goes out in pieces this small (5 ms on a MIDI cable).
    static constexpr size_t kPacedChunk = 16;

    LoopbackMidiDriver& driver_;
    LoopbackMidiDriver::Cable& cable_;
    std::mutex sendMutex_;
    std::condition_variable wake_;
    bool sending_ = false;
    bool cut_ = false;
    std::atomic<size_t> sent_{0};
};

LoopbackMidiDriver::LoopbackMidiDriver(int ports) {
    for (int i = 0; i < ports; ++i)
        cables_.push_back(std::make_unique<Cable>());
}

LoopbackMidiDriver::~LoopbackMidiDriver() {
    // Ports must be closed before the driver goes; stop any thread left running all the same.
    for (auto& c : cables_)
        closeInput(*c);
}

int LoopbackMidiDriver::inputCount() {
    return static_cast<int>(cables_.size());
}
int LoopbackMidiDriver::outputCount() {
    return static_cast<int>(cables_.size());
}

std::string LoopbackMidiDriver::inputName(int index) {
    return cable(index) ? "Loopback " + std::to_string(index + 1) : std::string();
}

std::string LoopbackMidiDriver::outputName(int index) {
    return inputName(index);
}

LoopbackMidiDriver::Cable* LoopbackMidiDriver::cable(int index) const {
    if (index < 0 || index >= static_cast<int>(cables_.size()))
        return nullptr;
    return cables_[static_cast<size_t>(index)].get();
}

int LoopbackMidiDriver::openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) {
    port.reset();
    Cable* c = cable(index);
    if (!c)
        return kMidiBadDeviceId;
    std::unique_lock lock(c->mutex);
    if (c->input)
        return kMidiAllocated;
    auto in = std::make_unique<LoopbackInputPort>(*this, *c, std::move(events));
    c->input = in.get();
    c->pending.clear();
    c->stop = false;
    c->thread = std::thread([this, c] { run(*c); });
    port = std::move(in);
    return kMidiOk;
}

int LoopbackMidiDriver::openOutput(int index, std::unique_ptr<MidiOutputPort>& port) {
    port.reset();
    Cable* c = cable(index);
    if (!c)
        return kMidiBadDeviceId;
    std::lock_guard lock(c->mutex);
    if (c->outputOpen)
        return kMidiAllocated;
    c->outputOpen = true;
    port = std::make_unique<LoopbackOutputPort>(*this, *c);
    return kMidiOk;
}

// The input's own thread: hands each chunk to the port like a device read.
void LoopbackMidiDriver::run(Cable& c) {
    std::unique_lock lock(c.mutex);
    for (;;) {
        c.wake.wait(lock, [&] { return c.stop || !c.pending.empty(); });
        if (c.stop)
            return;
        std::vector<uint8_t> chunk = std::move(c.pending.front());
        c.pending.pop_front();
        c.busy = true;
        LoopbackInputPort* in = c.input;
        lock.unlock();
        in->receive(chunk.data(), chunk.size());
        lock.lock();
        c.busy = false;
        c.wake.notify_all();
    }
}

void LoopbackMidiDriver::push(Cable& c, const uint8_t* data, size_t size) {
    std::lock_guard lock(c.mutex);
    c.backlog.insert(c.backlog.end(), data, data + size);
    if (c.input) {
        c.pending.emplace_back(data, data + size);
        c.wake.notify_all();
    }
}

void LoopbackMidiDriver::inject(int index, std::vector<uint8_t> bytes) {
    Cable* c = cable(index);
    if (!c)
        return;
    std::lock_guard lock(c->mutex);
    if (c->input) {
        c->pending.push_back(std::move(bytes));
        c->wake.notify_all();
    }
}

void LoopbackMidiDriver::waitUntilDelivered(int index) {
    Cable* c = cable(index);
    if (!c)
        return;
    std::unique_lock lock(c->mutex);
    c->wake.wait(lock, [&] { return !c->input || c->stop || (c->pending.empty() && !c->busy); });
}

std::vector<uint8_t> LoopbackMidiDriver::backlog(int index) const {
    Cable* c = cable(index);
    if (!c)
        return {};
    std::lock_guard lock(c->mutex);
    return c->backlog;
}

void LoopbackMidiDriver::clearBacklog(int index) {
    if (Cable* c = cable(index)) {
        std::lock_guard lock(c->mutex);
        c->backlog.clear();
    }
}

void LoopbackMidiDriver::setStillPlayingCloses(int index, int count) {
    if (Cable* c = cable(index)) {
        std::lock_guard lock(c->mutex);
        c->stillPlayingCloses = count;
    }
}

void LoopbackMidiDriver::setPace(int index, int bytesPerSecond) {
    if (Cable* c = cable(index)) {
        std::lock_guard lock(c->mutex);
        c->pace = std::max(0, bytesPerSecond);
    }
}

void LoopbackMidiDriver::setUnplugAfter(int index, size_t bytes) {
    if (Cable* c = cable(index)) {
        std::lock_guard lock(c->mutex);
        c->unplugAfter = bytes;
    }
}

void LoopbackMidiDriver::setFailingSends(int index, int count, int code) {
    if (Cable* c = cable(index)) {
        std::lock_guard lock(c->mutex);
        c->failingSends = count;
        c->failCode = code;
    }
}

void LoopbackMidiDriver::closeInput(Cable& c) {
    std::thread thread;
    {
        std::lock_guard lock(c.mutex);
        c.stop = true;
        c.wake.notify_all();
        thread = std::move(c.thread);
    }
    if (thread.joinable())
        thread.join();
    std::lock_guard lock(c.mutex);
    c.input = nullptr;
    c.pending.clear();
    c.busy = false;
    c.wake.notify_all();
}

} // namespace vk350
