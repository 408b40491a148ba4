#include "alsa_wave_device.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace vk350 {

namespace {

// About a tenth of a second queued in ALSA keeps playback steady without a long delay before
// a done notice; done notices follow the sound, not the writes.
constexpr unsigned kBufferMicros = 100000;
constexpr unsigned kPeriodMicros = 25000;

// A sound server that stalls or reconnects fails calls for a while; a device on which one kind
// of call has failed this long, with none going through, is not coming back.
constexpr int64_t kGiveUpMicros = 2000000;

int64_t nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Since when calls of one kind have failed.
struct Trouble {
    int64_t since = -1; // below zero while they go through

    bool active() const { return since >= 0; }
    // Notes a failure; true once they have lasted too long.
    bool lasting() {
        const int64_t now = nowMicros();
        if (since < 0)
            since = now;
        return now - since > kGiveUpMicros;
    }
};

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_format_t alsaFormat(const WaveFormatEx& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels == 0 ||
        f.nBlockAlign != f.nChannels * ((f.wBitsPerSample + 7) / 8))
        return SND_PCM_FORMAT_UNKNOWN;
    switch (f.wBitsPerSample) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    case 24:
        return SND_PCM_FORMAT_S24_3LE;
    case 32:
        return SND_PCM_FORMAT_S32_LE;
    default:
        return SND_PCM_FORMAT_UNKNOWN;
    }
}

std::string firstLine(const char* text) {
    if (!text)
        return std::string();
    const char* end = std::strchr(text, '\n');
    return end ? std::string(text, end) : std::string(text);
}

// How firmly the ring's timing is asked for; each step down leaves more to the device.
enum class Timing { periodAndBuffer, periodOnly, deviceChoice };

// Fills hw with format on pcm; a code other than kWaveOk says why not.
int applyFormat(snd_pcm_t* pcm, snd_pcm_hw_params_t* hw, const WaveFormatEx& f, bool testOnly,
                Timing timing = Timing::periodAndBuffer) {
    const snd_pcm_format_t format = alsaFormat(f);
    if (format == SND_PCM_FORMAT_UNKNOWN)
        return kWaveBadFormat;
    if (snd_pcm_hw_params_any(pcm, hw) < 0)
        return kWaveError;
    if (snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, format) < 0 ||
        snd_pcm_hw_params_set_channels(pcm, hw, f.nChannels) < 0)
        return kWaveBadFormat;
    if (testOnly)
        return snd_pcm_hw_params_test_rate(pcm, hw, f.nSamplesPerSec, 0) < 0 ? kWaveBadFormat : kWaveOk;
    if (snd_pcm_hw_params_set_rate(pcm, hw, f.nSamplesPerSec, 0) < 0)
        return kWaveBadFormat;
    // The period first: plugins that tie the period to a server's cycle (JACK's) refuse a
    // buffer time asked before it, and then no period fits what was left. A refused request
    // leaves hw as it was.
    if (timing != Timing::deviceChoice) {
        unsigned period = kPeriodMicros;
        snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, nullptr);
    }
    if (timing == Timing::periodAndBuffer) {
        unsigned buffer = kBufferMicros;
        snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer, nullptr);
    }
    return kWaveOk;
}

// Applies format and installs it, asking less of the timing on each refusal.
int installFormat(snd_pcm_t* pcm, snd_pcm_hw_params_t* hw, const WaveFormatEx& f) {
    int r = kWaveBadFormat;
    for (Timing t : {Timing::periodAndBuffer, Timing::periodOnly, Timing::deviceChoice}) {
        r = applyFormat(pcm, hw, f, false, t);
        if (r != kWaveOk)
            return r; // the format itself is refused; no timing changes that
        const int err = snd_pcm_hw_params(pcm, hw);
        if (err == 0)
            return kWaveOk;
        r = err == -EINVAL ? kWaveBadFormat : AlsaWaveDevice::resultFromError(err);
        if (err != -EINVAL)
            return r;
    }
    return r;
}

class AlsaWaveOutput : public WaveOutput {
public:
    AlsaWaveOutput(snd_pcm_t* pcm, int wakeFd, uint32_t frameBytes, uint32_t rate, uint32_t periodFrames,
                   bool canPause, WaveDeviceEvents events)
        : pcm_(pcm), wakeFd_(wakeFd), frameBytes_(std::max<uint32_t>(frameBytes, 1)),
          rate_(std::max<uint32_t>(rate, 1)),
          periodMs_(int(std::clamp<uint64_t>(uint64_t(periodFrames) * 1000 / rate_, 1, 100))),
          canPause_(canPause), events_(std::move(events)) {
        thread_ = std::thread([this] { run(); });
    }

    ~AlsaWaveOutput() override { close(); }

    int write(ChainBuffer* header) override {
        bool idle = false;
        {
            std::lock_guard lock(mutex_);
            if (!pcm_)
                return kWaveInvalidHandle;
            if (failed_)
                return failed_;
            if (!header || !header->lpData)
                return kWaveInvalidParam;
            header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
            // With buffers already waiting the thread waits for room in the ring and writes
            // this one after them; only a thread with nothing to write needs waking.
            idle = pending_.empty();
            pending_.push_back(header);
        }
        if (idle)
            wake();
        return kWaveOk;
    }

    int pause() override {
        std::lock_guard lock(mutex_);
        if (!pcm_)
            return kWaveInvalidHandle;
        paused_ = true;
        if (canPause_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING)
            snd_pcm_pause(pcm_, 1);
        return kWaveOk;
    }

    int restart() override {
        {
            std::lock_guard lock(mutex_);
            if (!pcm_)
                return kWaveInvalidHandle;
            paused_ = false;
            if (snd_pcm_state(pcm_) == SND_PCM_STATE_PAUSED)
                snd_pcm_pause(pcm_, 0);
        }
        wake();
        return kWaveOk;
    }

    int reset() override {
        std::lock_guard deliver(deliverMutex_);
        std::vector<ChainBuffer*> done;
        {
            std::lock_guard lock(mutex_);
            if (!pcm_)
                return kWaveInvalidHandle;
            if (!failed_) {
                snd_pcm_drop(pcm_);
                snd_pcm_prepare(pcm_);
            }
            takeAll(done);
            written_ = 0;
            heard_ = 0;
        }
        deliverDone(done);
        return kWaveOk;
    }

    int position(uint32_t& frames) override {
        std::lock_guard lock(mutex_);
        if (!pcm_)
            return kWaveInvalidHandle;
        frames = uint32_t(playedFrames());
        return kWaveOk;
    }

    int close() override {
        {
            std::lock_guard lock(mutex_);
            if (!pcm_)
                return kWaveInvalidHandle;
            closing_ = true;
        }
        wake();
        if (thread_.joinable())
            thread_.join();
        reset();
        int err;
        {
            std::lock_guard deliver(deliverMutex_);
            std::lock_guard lock(mutex_);
            err = snd_pcm_close(pcm_);
            pcm_ = nullptr;
            ::close(wakeFd_);
        }
        if (events_.onClose)
            events_.onClose();
        // A vanished device cannot close cleanly, but it is closed for us all the same.
        return err < 0 && !failed_ ? AlsaWaveDevice::resultFromError(err) : kWaveOk;
    }

private:
    struct Written {
        ChainBuffer* header;
        uint64_t end; // frames written once this buffer was
    };

    void wake() {
        const uint64_t one = 1;
        if (::write(wakeFd_, &one, sizeof one) < 0) {
            // Only a full counter fails, and then the thread is awake anyway.
        }
    }

    // Frames heard so far: written minus what waits in the ring. Under mutex_.
    uint64_t playedFrames() {
        if (failed_)
            return written_;
        snd_pcm_sframes_t delay = 0;
        const int err = snd_pcm_delay(pcm_, &delay);
        if (err == -EPIPE || snd_pcm_state(pcm_) == SND_PCM_STATE_XRUN) {
            // Ran dry: everything written has been played. Ready for more.
            snd_pcm_prepare(pcm_);
            delayTrouble_ = {};
            return heard_ = written_;
        }
        if (err < 0) {
            // Nothing more is known to be heard until the device answers again.
            trouble(err, delayTrouble_);
            return heard_;
        }
        delayTrouble_ = {};
        const uint64_t waiting =
            uint64_t(std::clamp<snd_pcm_sframes_t>(delay, 0, snd_pcm_sframes_t(written_)));
        return heard_ = written_ - waiting;
    }

    // A call of the kind that kind counts failed with err: the device is brought back to a
    // state that plays, as the system's own player does. It fails for good when gone, or when
    // such calls have failed for a while. Under mutex_.
    void trouble(int err, Trouble& kind) {
        if (err == -ENODEV || err == -ESHUTDOWN || snd_pcm_state(pcm_) == SND_PCM_STATE_DISCONNECTED) {
            failWith(err);
            return;
        }
        // Underruns, suspends and interrupts are recover's; a server that dropped the stream
        // leaves it stopped.
        if (snd_pcm_recover(pcm_, err, 1) < 0) {
            const snd_pcm_state_t state = snd_pcm_state(pcm_);
            if (state == SND_PCM_STATE_XRUN || state == SND_PCM_STATE_SETUP ||
                state == SND_PCM_STATE_SUSPENDED)
                snd_pcm_prepare(pcm_);
        }
        if (kind.lasting())
            failWith(err);
    }

    void takeAll(std::vector<ChainBuffer*>& done) {
        for (const Written& w : inFlight_)
            done.push_back(w.header);
        for (ChainBuffer* h : pending_)
            done.push_back(h);
        inFlight_.clear();
        pending_.clear();
        offset_ = 0;
        for (ChainBuffer* h : done)
            h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    }

    void deliverDone(const std::vector<ChainBuffer*>& done) {
        for (ChainBuffer* h : done)
            if (events_.onDone)
                events_.onDone(h);
    }

    // The device is gone for good. Under mutex_.
    void failWith(int err) {
        if (failed_)
            return;
        failed_ = AlsaWaveDevice::resultFromError(err);
        if (failed_ == kWaveOk)
            failed_ = kWaveError;
        failure_ = true;
    }

    // Writes what the ring takes. Under mutex_.
    void fill() {
        while (!pending_.empty() && !paused_ && !failed_) {
            ChainBuffer* h = pending_.front();
            // Never past the allocation, and whole frames only.
            const uint32_t length = std::min(h->dwBufferLength, h->dwCapacity) / frameBytes_ * frameBytes_;
            if (offset_ < length) {
                const snd_pcm_sframes_t n =
                    snd_pcm_writei(pcm_, h->lpData + offset_, (length - offset_) / frameBytes_);
                // A prepared ring that is full takes nothing until started.
                if (n == -EAGAIN || n == 0)
                    break;
                if (n < 0) {
                    // Tried again after a pause, not at once: a device in trouble may stay
                    // ready to poll.
                    trouble(int(n), writeTrouble_);
                    break;
                }
                writeTrouble_ = {};
                offset_ += uint32_t(n) * frameBytes_;
                written_ += uint64_t(n);
                if (offset_ < length)
                    continue;
            }
            pending_.pop_front();
            offset_ = 0;
            inFlight_.push_back({h, written_});
        }
        // Written and not yet heard: the ring plays. A refused start is tried again.
        if (!paused_ && !failed_ && written_ > heard_ && snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) {
            if (const int err = snd_pcm_start(pcm_); err < 0)
                trouble(err, writeTrouble_);
        }
    }

    void run() {
        const int count = snd_pcm_poll_descriptors_count(pcm_);
        std::vector<pollfd> fds(size_t(std::max(count, 0)) + 1);
        if (count > 0)
            snd_pcm_poll_descriptors(pcm_, fds.data() + 1, unsigned(count));
        fds[0] = {wakeFd_, POLLIN, 0};
        uint64_t lastPlayed = UINT64_MAX;
        for (;;) {
            std::vector<ChainBuffer*> done;
            bool failedNow = false;
            int code = 0;
            bool writing = false;
            int timeout = -1;
            {
                std::lock_guard deliver(deliverMutex_);
                {
                    std::lock_guard lock(mutex_);
                    if (closing_)
                        return;
                    fill();
                    const uint64_t played = playedFrames();
                    while (!inFlight_.empty() && inFlight_.front().end <= played) {
                        ChainBuffer* h = inFlight_.front().header;
                        h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
                        done.push_back(h);
                        inFlight_.pop_front();
                    }
                    if (failure_) {
                        failure_ = false;
                        failedNow = true;
                        code = failed_;
                        takeAll(done);
                    }
                    writing = !pending_.empty() && !paused_ && !failed_;
                    const bool retrying = writing && writeTrouble_.active();
                    // Awake again when the oldest buffer written has been heard; a paused
                    // device that really pauses hears nothing meanwhile.
                    if (!inFlight_.empty() && !failed_ && !(paused_ && canPause_)) {
                        const uint64_t left = inFlight_.front().end - played;
                        timeout = int(std::min<uint64_t>(left * 1000 / rate_ + 1, 1000));
                        // A plugin that tells its delay a server cycle at a time shows no
                        // progress in between: then wait a period rather than poll for it.
                        if (played == lastPlayed)
                            timeout = std::max(timeout, periodMs_);
                    }
                    lastPlayed = played;
                    if (retrying) {
                        writing = false;
                        timeout = timeout < 0 ? periodMs_ : std::min(timeout, periodMs_);
                    } else if (delayTrouble_.active() && timeout < 0) {
                        timeout = periodMs_;
                    }
                }
                if (failedNow && events_.onError)
                    events_.onError(code);
                deliverDone(done);
            }
            // Wait for room in the ring (a period's worth), for the next buffer to be heard, or
            // for a command.
            const nfds_t n = writing ? fds.size() : 1;
            if (::poll(fds.data(), n, timeout) < 0 && errno != EINTR)
                return;
            if (writing && count > 0) {
                // Plugins (a sound server's, for one) clear their wake-up here.
                unsigned short revents = 0;
                std::lock_guard lock(mutex_);
                snd_pcm_poll_descriptors_revents(pcm_, fds.data() + 1, unsigned(count), &revents);
            }
            if (fds[0].revents & POLLIN) {
                uint64_t value;
                if (::read(wakeFd_, &value, sizeof value) < 0) {
                    // Nothing to drain.
                }
            }
        }
    }

    snd_pcm_t* pcm_;
    const int wakeFd_;
    const uint32_t frameBytes_;
    const uint32_t rate_;
    const int periodMs_;
    const bool canPause_;
    WaveDeviceEvents events_;
    std::thread thread_;
    std::mutex deliverMutex_; // keeps the done notices in order across threads
    std::mutex mutex_;
    std::deque<ChainBuffer*> pending_; // not yet wholly written
    std::deque<Written> inFlight_;     // written, not yet heard
    uint32_t offset_ = 0;              // bytes of pending_.front() written
    uint64_t written_ = 0;             // frames since open or reset
    uint64_t heard_ = 0;               // of those, known to have been played
    Trouble writeTrouble_;
    Trouble delayTrouble_;
    bool paused_ = false;
    bool closing_ = false;
    int failed_ = kWaveOk; // the code of a device that is gone
    bool failure_ = false; // failed, not yet reported
};

} // namespace

AlsaWaveDevice::AlsaWaveDevice() {
    // libasound reports every failed lookup on standard error; ours become result codes.
    snd_lib_error_set_handler(quietAlsa);
}

int AlsaWaveDevice::resultFromError(int error) {
    switch (-error) {
    case 0:
        return kWaveOk;
    case ENOENT:
    case ENXIO:
        return kWaveBadDeviceId;
    case ENODEV:
    case EBADFD:
    case ESHUTDOWN:
        return kWaveNoDriver;
    case EBUSY:
    case EAGAIN:
        return kWaveAllocated;
    case ENOMEM:
        return kWaveNoMemory;
    case EINVAL:
        return kWaveInvalidParam;
    default:
        return kWaveError;
    }
}

std::vector<AlsaWaveDevice::Output> AlsaWaveDevice::pickOutputs(const std::vector<Hint>& hints,
                                                                std::string& defaultName) {
    std::vector<Output> plug;
    std::vector<Output> hw;
    for (const Hint& h : hints) {
        if (!h.direction.empty() && h.direction != "Output")
            continue; // capture only
        const std::string name = firstLine(h.description.c_str());
        if (h.name == "default" && !name.empty())
            defaultName = name;
        else if (h.name.starts_with("plughw:"))
            plug.push_back({h.name, name});
        else if (h.name.starts_with("hw:"))
            hw.push_back({"plug" + h.name, name}); // converting what the card lacks
    }
    return plug.empty() ? hw : plug;
}

void AlsaWaveDevice::scan() {
    std::vector<Hint> list;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) == 0) {
        for (void** h = hints; *h; ++h) {
            char* name = snd_device_name_get_hint(*h, "NAME");
            char* desc = snd_device_name_get_hint(*h, "DESC");
            char* ioid = snd_device_name_get_hint(*h, "IOID");
            list.push_back({name ? name : "", desc ? desc : "", ioid ? ioid : ""});
            std::free(name);
            std::free(desc);
            std::free(ioid);
        }
        snd_device_name_free_hint(hints);
    }
    std::string defaultName = "Default";
    std::vector<Output> outputs = pickOutputs(list, defaultName);
    if (outputs.empty()) {
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) == 0) {
            snd_pcm_close(pcm);
            outputs.push_back({"default", defaultName});
        }
    }
    std::lock_guard lock(mutex_);
    outputs_ = std::move(outputs);
    defaultName_ = defaultName;
    scanned_ = true;
}

int AlsaWaveDevice::deviceCount() {
    scan();
    std::lock_guard lock(mutex_);
    return int(outputs_.size());
}

std::string AlsaWaveDevice::deviceName(int device) {
    if (!scanned_)
        scan();
    std::lock_guard lock(mutex_);
    if (outputs_.empty() || device < WAVE_MAPPER || device >= int(outputs_.size()))
        return std::string();
    return device == WAVE_MAPPER ? defaultName_ : outputs_[size_t(device)].name;
}

std::string AlsaWaveDevice::pcmName(int device) {
    if (!scanned_)
        scan();
    std::lock_guard lock(mutex_);
    if (outputs_.empty() || device < WAVE_MAPPER || device >= int(outputs_.size()))
        return std::string();
    return device == WAVE_MAPPER ? std::string("default") : outputs_[size_t(device)].pcm;
}

int AlsaWaveDevice::query(int device, const WaveFormatEx& format) {
    const std::string pcmName = this->pcmName(device);
    if (pcmName.empty())
        return kWaveBadDeviceId;
    if (alsaFormat(format) == SND_PCM_FORMAT_UNKNOWN)
        return kWaveBadFormat;
    snd_pcm_t* pcm = nullptr;
    const int err = snd_pcm_open(&pcm, pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0)
        return resultFromError(err);
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_malloc(&hw);
    const int r = hw ? applyFormat(pcm, hw, format, true) : kWaveNoMemory;
    snd_pcm_hw_params_free(hw);
    snd_pcm_close(pcm);
    return r;
}

int AlsaWaveDevice::open(int device, const WaveFormatEx& format, WaveDeviceEvents events,
                         std::unique_ptr<WaveOutput>& output) {
    output.reset();
    const std::string pcmName = this->pcmName(device);
    if (pcmName.empty())
        return kWaveBadDeviceId;
    snd_pcm_t* pcm = nullptr;
    int err = snd_pcm_open(&pcm, pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0)
        return resultFromError(err);
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_hw_params_malloc(&hw);
    snd_pcm_sw_params_malloc(&sw);
    int r = hw && sw ? installFormat(pcm, hw, format) : kWaveNoMemory;
    bool canPause = false;
    snd_pcm_uframes_t period = 0;
    if (r == kWaveOk) {
        canPause = snd_pcm_hw_params_can_pause(hw) != 0;
        snd_pcm_uframes_t ring = 0;
        snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
        snd_pcm_hw_params_get_buffer_size(hw, &ring);
        // Started by us once the first frames are written (a short sample must play even when
        // it fills less than the ring), never by a write: a write whose start fails reports
        // the failure and not the frames it took, which would then be written twice.
        snd_pcm_uframes_t boundary = 0;
        snd_pcm_sw_params_current(pcm, sw);
        snd_pcm_sw_params_get_boundary(sw, &boundary);
        snd_pcm_sw_params_set_start_threshold(pcm, sw, boundary);
        // Woken to write when half the ring is free (whole periods): the other half still plays
        // meanwhile, and a ring of many short periods does not wake us on each.
        const snd_pcm_uframes_t half =
            period ? std::max<snd_pcm_uframes_t>(ring / 2 / period, 1) * period : 1;
        snd_pcm_sw_params_set_avail_min(pcm, sw, std::max<snd_pcm_uframes_t>(half, 1));
        if ((err = snd_pcm_sw_params(pcm, sw)) < 0)
            r = resultFromError(err);
    }
    snd_pcm_hw_params_free(hw);
    snd_pcm_sw_params_free(sw);
    const int wakeFd = r == kWaveOk ? eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
    if (r == kWaveOk && wakeFd < 0)
        r = kWaveNoMemory;
    if (r != kWaveOk) {
        snd_pcm_close(pcm);
        return r;
    }
    auto onOpen = events.onOpen;
    output = std::make_unique<AlsaWaveOutput>(pcm, wakeFd, format.nBlockAlign, format.nSamplesPerSec,
                                              uint32_t(period), canPause, std::move(events));
    if (onOpen)
        onOpen();
    return kWaveOk;
}

} // namespace vk350
