#include "jack_midi_driver.h"

#include "jack_client.h"
#include "jack_record_ring.h"
#include "raw_midi_parser.h"
#include "stream_input_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <mutex>
#include <semaphore.h>
#include <thread>

namespace vk350 {

namespace {

using namespace std::chrono_literals;

// Waits of the ordinary threads end at least this often, so that a server that went away or
// a port that vanished is noticed even when no wake-up comes.
constexpr auto kPoll = 50ms;
// A send whose port sees no process cycle for this long stops: the server has hung.
constexpr auto kStall = 2s;

enum OutputRecord : uint32_t { kShort = 1, kFragment = 2, kLastFragment = 3 };
enum InputRecord : uint32_t { kEvent = 1, kLost = 2 };

// A POSIX semaphore: posting it is safe from the process callback (no lock, no allocation).
class Wake {
public:
    Wake() { sem_init(&sem_, 0, 0); }
    ~Wake() { sem_destroy(&sem_); }
    Wake(const Wake&) = delete;
    Wake& operator=(const Wake&) = delete;
    void post() { sem_post(&sem_); }
    void wait(std::chrono::nanoseconds span) {
        timespec at{};
        clock_gettime(CLOCK_MONOTONIC, &at);
        const auto ns = at.tv_nsec + span.count();
        at.tv_sec += static_cast<time_t>(ns / 1000000000);
        at.tv_nsec = static_cast<long>(ns % 1000000000);
        while (sem_clockwait(&sem_, CLOCK_MONOTONIC, &at) != 0 && errno == EINTR) {
        }
    }

private:
    sem_t sem_;
};

// What ends a transfer on a link: the server going away, the other client's port going away,
// or another program cutting the connection.
int linkState(JackClient& client, JackPortLink& link, std::atomic<bool>& reported) {
    if (client.dead()) {
        client.reportShutdown();
        return kMidiError;
    }
    const bool gone = link.gone.load();
    if (gone || link.cut.load()) {
        if (!reported.exchange(true))
            client.log("JACK port " + link.peer + (gone ? " went away" : " was disconnected from ours"));
        return kMidiError;
    }
    return kMidiOk;
}

// Watches a port's cycle count while a caller waits on it: a server that stops running cycles
// without going away (hung, or suspended) ends the wait.
class Progress {
public:
    explicit Progress(const std::atomic<uint64_t>& cycles)
        : cycles_(cycles), seen_(cycles.load()), since_(std::chrono::steady_clock::now()) {}
    bool stalled(JackClient& client) {
        const auto now = std::chrono::steady_clock::now();
        if (const uint64_t c = cycles_.load(); c != seen_) {
            seen_ = c;
            since_ = now;
            return false;
        }
        if (now - since_ <= kStall)
            return false;
        client.log("JACK server ran no process cycle for " +
                   std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kStall).count()) + " s");
        return true;
    }

private:
    const std::atomic<uint64_t>& cycles_;
    uint64_t seen_;
    std::chrono::steady_clock::time_point since_;
};

class JackOutputPort final : public MidiOutputPort, public JackPortLink {
public:
    JackOutputPort(std::shared_ptr<JackClient> client, std::string target)
        : client_(std::move(client)), ring_(JackMidiDriver::kOutputRing) {
        peer = std::move(target);
        // Two fragments at least fit a cycle, however small the server makes the port buffers.
        const size_t buffer = client_->midiBufferSize();
        if (buffer > 0)
            fragment_ = std::clamp<size_t>(buffer / 2, 16, JackMidiDriver::kFragmentSize);
    }
    ~JackOutputPort() override {
        if (open_)
            client_->detach(*this);
    }

    bool valid() const { return ring_.valid(); }
    void opened() { open_ = true; }

    int sendShort(uint8_t status, uint8_t first, uint8_t second) override {
        const int length = shortMessageLength(status);
        if (length == 0)
            return kMidiInvalidParam;
        if (const int state = usable(); state != kMidiOk)
            return state;
        const uint8_t bytes[3] = {status, first, second};
        // Goes out with the next cycle, behind whatever is queued; when the queue is full, this
        // waits for room as a write to a busy device does.
        Progress progress(cycles_);
        while (!ring_.write(kShort, bytes, static_cast<size_t>(length))) {
            if (const int state = linkState(*client_, *this, goneReported_); state != kMidiOk)
                return state;
            if (progress.stalled(*client_))
                return kMidiError;
            wake_.wait(kPoll);
        }
        ++written_;
        return kMidiOk;
    }

    int sendLong(const uint8_t* data, size_t size, std::atomic<bool>& done) override {
        if (const int state = usable(); state != kMidiOk)
            return state;
        // What is left of a block that failed goes before this one starts counting.
        if (flushRequest_.load() != flushDone_.load())
            flush();
        {
            std::lock_guard lock(sendMutex_);
            sending_ = true;
            cut_ = false;
        }
        sent_.store(0);
        if (size == 0)
            done.store(true, std::memory_order_release);
        done_.store(&done);
        size_t queued = 0;
        int result = kMidiOk;
        Progress progress(cycles_);
        for (;;) {
            // Queue what fits; the callback takes whole fragments, as many as a cycle's buffer holds.
            while (queued < size) {
                const size_t n = std::min(fragment_, size - queued);
                if (!ring_.write(queued + n == size ? kLastFragment : kFragment, data + queued, n))
                    break;
                ++written_;
                queued += n;
            }
            if (done.load(std::memory_order_acquire))
                break;
            if (cut_.load()) {
                result = kMidiCut;
                break;
            }
            if ((result = linkState(*client_, *this, goneReported_)) != kMidiOk)
                break;
            if (progress.stalled(*client_)) {
                result = kMidiError;
                break;
            }
            wake_.wait(kPoll);
        }
        // The rest of a block that failed is dropped at the start of the next cycle, if any comes.
        if (result != kMidiOk)
            requestFlush();
        // After this the callback no longer sees the caller's flag.
        done_.store(nullptr);
        client_->waitIdle();
        if (result == kMidiError)
            client_->log("JACK output to " + peer + ": SysEx stopped after " + std::to_string(sent_.load()) +
                         " of " + std::to_string(size) + " bytes");
        {
            std::lock_guard lock(sendMutex_);
            sending_ = false;
        }
        idle_.notify_all();
        if (result != kMidiOk)
            return result;
        done.notify_all();
        return kMidiOk;
    }

    size_t bytesSent() const override { return sent_.load(); }

    int reset() override {
        {
            // A block under way stops at a fragment's edge; its sender is waited for.
            std::unique_lock lock(sendMutex_);
            if (sending_) {
                cut_.store(true);
                wake_.post();
                idle_.wait(lock, [this] { return !sending_; });
            }
        }
        if (!open_)
            return kMidiInvalidHandle;
        flush();
        // All notes off on every channel; the first status byte also ends a cut SysEx downstream.
        for (uint8_t ch = 0; ch < 16; ++ch)
            sendShort(static_cast<uint8_t>(0xB0 + ch), 123, 0);
        return kMidiOk;
    }

    int close() override {
        if (!open_)
            return kMidiInvalidHandle;
        // What is still queued goes out first, and the cycle that carried the last of it ends
        // before the port goes (the other program may read it only in the next cycle), as long
        // as something still carries them.
        if (!drained() && linkState(*client_, *this, goneReported_) == kMidiOk && running())
            return kMidiStillPlaying;
        open_ = false;
        client_->detach(*this);
        return kMidiOk;
    }

    // Process thread.
    void process(uint32_t frames) override {
        const uint64_t cycle = cycles_.fetch_add(1) + 1;
        void* buffer = jack_port_get_buffer(port, frames);
        jack_midi_clear_buffer(buffer);
        bool moved = false;
        const uint32_t flush = flushRequest_.load(std::memory_order_acquire);
        if (flush != flushDone_.load(std::memory_order_relaxed)) {
            taken_.fetch_add(ring_.skipAll());
            flushDone_.store(flush, std::memory_order_release);
            moved = true;
        }
        JackRecordRing::Header header;
        while (ring_.peek(header)) {
            if (header.size > jack_midi_max_event_size(buffer))
                break; // the next cycle takes it
            jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, header.size);
            if (!event)
                break;
            // Before the record counts as taken, so that whoever sees it taken sees this cycle.
            lastMove_.store(cycle);
            ring_.read(event);
            taken_.fetch_add(1);
            moved = true;
            if (header.kind == kShort)
                continue;
            sent_.store(sent_.load(std::memory_order_relaxed) + header.size, std::memory_order_release);
            if (header.kind == kLastFragment)
                if (std::atomic<bool>* done = done_.load())
                    done->store(true, std::memory_order_release);
        }
        if (moved)
            wake_.post();
    }

private:
    int usable() {
        if (!open_)
            return kMidiInvalidHandle;
        return linkState(*client_, *this, goneReported_);
    }

    // Everything queued has left the port, and a later cycle has begun: the one that carried
    // the last bytes is over.
    bool drained() const { return taken_.load() == written_ && cycles_.load() > lastMove_.load(); }

    // True while our port still sees process cycles (waits up to a stall's length to tell).
    bool running() {
        const uint64_t start = cycles_.load();
        const auto until = std::chrono::steady_clock::now() + kStall;
        while (cycles_.load() == start && !client_->dead() && std::chrono::steady_clock::now() < until)
            wake_.wait(kPoll);
        return cycles_.load() != start;
    }

    // Asks the callback, which alone reads the ring, to drop everything queued before it sends
    // anything more.
    uint32_t requestFlush() { return flushRequest_.fetch_add(1) + 1; }

    // Drops everything queued and waits until it is gone, so that what is queued next is kept.
    void flush() {
        const uint32_t want = requestFlush();
        const auto until = std::chrono::steady_clock::now() + kStall;
        while (flushDone_.load(std::memory_order_acquire) != want && !client_->dead() &&
               std::chrono::steady_clock::now() < until)
            wake_.wait(kPoll);
    }

    std::shared_ptr<JackClient> client_;
    JackRecordRing ring_;
    size_t fragment_ = JackMidiDriver::kFragmentSize;
    Wake wake_;
    bool open_ = false;
    std::atomic<bool> goneReported_{false};
    std::atomic<size_t> sent_{0};
    std::atomic<std::atomic<bool>*> done_{nullptr};
    std::atomic<uint32_t> flushRequest_{0};
    std::atomic<uint32_t> flushDone_{0};
    std::atomic<uint64_t> cycles_{0};
    std::atomic<uint64_t> written_{0};  // records queued
    std::atomic<uint64_t> taken_{0};    // records the callback took off the queue, sent or dropped
    std::atomic<uint64_t> lastMove_{0}; // the cycle that last put bytes into the port
    std::mutex sendMutex_;
    std::condition_variable idle_;
    bool sending_ = false;
    std::atomic<bool> cut_{false};
};

class JackInputPort final : public StreamInputPort, public JackPortLink {
public:
    JackInputPort(std::shared_ptr<JackClient> client, std::string source, MidiInputEvents events)
        : StreamInputPort(std::move(events)), client_(std::move(client)), ring_(JackMidiDriver::kInputRing) {
        peer = std::move(source);
    }
    ~JackInputPort() override { close(); }

    bool valid() const { return ring_.valid(); }
    void opened() {
        open_ = true;
        reader_ = std::thread([this] { read(); });
    }

    int start() override {
        if (!open_)
            return kMidiInvalidHandle;
        if (client_->dead()) {
            client_->reportShutdown();
            return kMidiError;
        }
        return StreamInputPort::start();
    }

    int close() override {
        if (!open_)
            return kMidiInvalidHandle;
        open_ = false;
        client_->detach(*this);
        stop_.store(true);
        wake_.post();
        if (reader_.joinable())
            reader_.join();
        return kMidiOk;
    }

    // Process thread. An event that finds the ring full is dropped, and the loss is marked in
    // the ring before anything else gets in (this cycle or a later one), so the input thread
    // never splices what follows onto what came before.
    void process(uint32_t frames) override {
        void* buffer = jack_port_get_buffer(port, frames);
        const uint32_t count = jack_midi_get_event_count(buffer);
        bool wrote = lostPending_ && markLost();
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0)
                continue;
            if ((!lostPending_ || markLost()) && ring_.write(kEvent, event.buffer, event.size)) {
                wrote = true;
                continue;
            }
            lostPending_ = true;
            lost_ += event.size;
        }
        if (wrote)
            wake_.post();
    }

private:
    bool markLost() {
        const uint64_t lost = lost_;
        if (!ring_.write(kLost, reinterpret_cast<const uint8_t*>(&lost), sizeof lost))
            return false;
        lost_ = 0;
        lostPending_ = false;
        return true;
    }

    // The input thread: hands what the callback queued to the parser, in order.
    void read() {
        std::vector<uint8_t> bytes(JackMidiDriver::kFragmentSize);
        bool ended = false;
        while (!stop_.load()) {
            wake_.wait(kPoll);
            JackRecordRing::Header header;
            while (!stop_.load() && ring_.peek(header)) {
                if (header.kind == kLost) {
                    uint64_t lost = 0;
                    ring_.read(reinterpret_cast<uint8_t*>(&lost));
                    interrupt(lost);
                    continue;
                }
                if (bytes.size() < header.size)
                    bytes.resize(header.size);
                ring_.read(bytes.data());
                receive(bytes.data(), header.size);
            }
            // A message under way when the source went away is over: its part is returned.
            if (!ended && linkState(*client_, *this, goneReported_) != kMidiOk) {
                ended = true;
                interrupt(0);
            }
        }
    }

    std::shared_ptr<JackClient> client_;
    JackRecordRing ring_;
    Wake wake_;
    bool open_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> goneReported_{false};
    std::thread reader_;
    bool lostPending_ = false; // process thread only
    uint64_t lost_ = 0;        // process thread only
};

void toStandardError(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace

// Lines are written under the lock, so that a log replaced by setLog is never called afterwards.
struct JackMidiDriver::LogSink {
    std::mutex mutex;
    std::function<void(const std::string&)> initial;
    std::function<void(const std::string&)> current;
    void write(const std::string& line) {
        std::lock_guard lock(mutex);
        current(line);
    }
};

JackMidiDriver::JackMidiDriver(std::string clientName, std::function<void(const std::string&)> log)
    : clientName_(std::move(clientName)), log_(std::make_shared<LogSink>()) {
    log_->initial = log ? std::move(log) : toStandardError;
    log_->current = log_->initial;
}

void JackMidiDriver::setLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(log_->mutex);
    log_->current = log ? std::move(log) : log_->initial;
}

JackMidiDriver::~JackMidiDriver() = default;

std::shared_ptr<JackClient> JackMidiDriver::client() {
    if (client_ && client_->dead()) {
        // libjack must be done with a connection the server dropped before another one opens.
        client_->reportShutdown();
        client_->close();
        client_.reset();
    }
    if (!client_)
        client_ =
            JackClient::open(clientName_, [sink = log_](const std::string& line) { sink->write(line); });
    return client_;
}

int JackMidiDriver::inputCount() {
    const auto c = client();
    inputs_ = c ? c->otherPorts(false) : std::vector<std::string>();
    return static_cast<int>(inputs_.size());
}

int JackMidiDriver::outputCount() {
    const auto c = client();
    outputs_ = c ? c->otherPorts(true) : std::vector<std::string>();
    return static_cast<int>(outputs_.size());
}

std::string JackMidiDriver::inputName(int index) {
    if (index < 0 || index >= static_cast<int>(inputs_.size()))
        return {};
    return inputs_[static_cast<size_t>(index)];
}

std::string JackMidiDriver::outputName(int index) {
    if (index < 0 || index >= static_cast<int>(outputs_.size()))
        return {};
    return outputs_[static_cast<size_t>(index)];
}

size_t JackMidiDriver::portBufferSize() {
    const auto c = client();
    return c ? c->midiBufferSize() : 0;
}

int JackMidiDriver::openInput(int index, MidiInputEvents events, std::unique_ptr<MidiInputPort>& port) {
    port.reset();
    if (index < 0 || index >= static_cast<int>(inputs_.size()))
        return kMidiBadDeviceId;
    const auto c = client();
    if (!c)
        return kMidiError;
    auto in = std::make_unique<JackInputPort>(c, inputs_[static_cast<size_t>(index)], std::move(events));
    if (!in->valid())
        return kMidiNoMemory;
    if (const int result = c->attach(*in, true); result != kMidiOk)
        return result;
    in->opened();
    port = std::move(in);
    return kMidiOk;
}

int JackMidiDriver::openOutput(int index, std::unique_ptr<MidiOutputPort>& port) {
    port.reset();
    if (index < 0 || index >= static_cast<int>(outputs_.size()))
        return kMidiBadDeviceId;
    const auto c = client();
    if (!c)
        return kMidiError;
    auto out = std::make_unique<JackOutputPort>(c, outputs_[static_cast<size_t>(index)]);
    if (!out->valid())
        return kMidiNoMemory;
    if (const int result = c->attach(*out, false); result != kMidiOk)
        return result;
    out->opened();
    port = std::move(out);
    return kMidiOk;
}

} // namespace vk350
