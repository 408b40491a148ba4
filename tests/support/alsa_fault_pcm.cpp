// An ALSA output device for tests, loaded by libasound as an external plugin: it plays at its
// rate against the monotonic clock, keeps every frame it is given in a file, and fails a chosen
// call a chosen number of times, the way a sound server does while it stalls or reconnects.
//
//   pcm_type.vk350fault { lib "/path/to/libasound_module_pcm_vk350fault.so" }
//   pcm.!default { type vk350fault record "/path/frames.raw" calls "/path/calls"
//                  fault "delay" error 5 count 3 }
//
// fault: "delay", "write" or "start"; error: the errno it fails with; count: how many calls
// fail (-1: all of them). calls: a file that holds how often the device was asked for its poll
// events, for a test that checks who waits on it.
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

struct FaultPcm {
    snd_pcm_ioplug_t io{};
    std::string record;
    std::string calls;
    std::string fault;
    int error = EIO;
    long count = 0; // faults still to come; below zero: without end
    long reventsCalls = 0;
    snd_pcm_uframes_t boundary = 0;
    uint64_t base = 0;      // frames played before the clock last started
    int64_t startedAt = -1; // ns; below zero while stopped
};

int64_t nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FaultPcm* self(snd_pcm_ioplug_t* io) {
    return static_cast<FaultPcm*>(io->private_data);
}

// Whether this call of kind fails now.
bool failsNow(FaultPcm* p, const char* kind) {
    if (p->fault != kind || p->count == 0)
        return false;
    if (p->count > 0)
        --p->count;
    return true;
}

// Frames the clock has played; more than were written means the device ran dry.
uint64_t clockFrames(FaultPcm* p) {
    if (p->startedAt < 0)
        return p->base;
    return p->base + uint64_t(nowNs() - p->startedAt) * p->io.rate / 1000000000;
}

bool ranDry(FaultPcm* p) {
    return p->io.state == SND_PCM_STATE_RUNNING && clockFrames(p) > p->io.appl_ptr;
}

uint64_t played(FaultPcm* p) {
    return std::min<uint64_t>(clockFrames(p), uint64_t(p->io.appl_ptr));
}

int faultStart(snd_pcm_ioplug_t* io) {
    FaultPcm* p = self(io);
    if (failsNow(p, "start"))
        return -p->error;
    p->base = io->hw_ptr;
    p->startedAt = nowNs();
    return 0;
}

int faultStop(snd_pcm_ioplug_t* io) {
    FaultPcm* p = self(io);
    p->base = played(p);
    p->startedAt = -1;
    return 0;
}

snd_pcm_sframes_t faultPointer(snd_pcm_ioplug_t* io) {
    FaultPcm* p = self(io);
    if (ranDry(p))
        return -EPIPE;
    return snd_pcm_sframes_t(played(p) % std::max<snd_pcm_uframes_t>(p->boundary, 1));
}

int faultDelay(snd_pcm_ioplug_t* io, snd_pcm_sframes_t* delay) {
    FaultPcm* p = self(io);
    if (io->state == SND_PCM_STATE_RUNNING && failsNow(p, "delay"))
        return -p->error;
    if (ranDry(p))
        return -EPIPE;
    *delay = snd_pcm_sframes_t(io->appl_ptr - played(p));
    return 0;
}

snd_pcm_sframes_t faultTransfer(snd_pcm_ioplug_t* io, const snd_pcm_channel_area_t* areas,
                                snd_pcm_uframes_t offset, snd_pcm_uframes_t size) {
    FaultPcm* p = self(io);
    if (failsNow(p, "write"))
        return -p->error;
    const size_t frameBytes = size_t(snd_pcm_format_physical_width(io->format) / 8) * io->channels;
    const char* from = static_cast<const char*>(areas[0].addr) + areas[0].first / 8 + offset * frameBytes;
    const int fd = ::open(p->record.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return -EIO;
    const ssize_t n = ::write(fd, from, size * frameBytes);
    ::close(fd);
    return n == ssize_t(size * frameBytes) ? snd_pcm_sframes_t(size) : -EIO;
}

int faultPrepare(snd_pcm_ioplug_t* io) {
    FaultPcm* p = self(io);
    p->base = 0;
    p->startedAt = -1;
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if (snd_pcm_sw_params_current(io->pcm, sw) == 0)
        snd_pcm_sw_params_get_boundary(sw, &p->boundary);
    // The poll descriptor ticks once a period, as a device's interrupt does.
    const int64_t periodNs = int64_t(io->period_size) * 1000000000 / std::max(io->rate, 1u);
    itimerspec tick{};
    tick.it_interval = {time_t(periodNs / 1000000000), long(periodNs % 1000000000)};
    tick.it_value = tick.it_interval;
    timerfd_settime(io->poll_fd, 0, &tick, nullptr);
    return 0;
}

int faultRevents(snd_pcm_ioplug_t* io, pollfd* fds, unsigned int nfds, unsigned short* revents) {
    FaultPcm* p = self(io);
    ++p->reventsCalls;
    if (!p->calls.empty()) {
        const std::string text = std::to_string(p->reventsCalls);
        const int fd = ::open(p->calls.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0 && ::write(fd, text.data(), text.size()) < 0) {
            // The count is only read by a test that then sees it missing.
        }
        if (fd >= 0)
            ::close(fd);
    }
    uint64_t ticks = 0;
    if (nfds > 0 && (fds[0].revents & POLLIN) && ::read(io->poll_fd, &ticks, sizeof ticks) < 0) {
        // Nothing was due.
    }
    *revents = 0;
    if (ranDry(p))
        *revents = POLLOUT | POLLERR;
    else if (io->buffer_size - (io->appl_ptr - played(p)) >= io->period_size)
        *revents = POLLOUT;
    return 0;
}

int faultClose(snd_pcm_ioplug_t* io) {
    FaultPcm* p = self(io);
    ::close(io->poll_fd);
    delete p;
    return 0;
}

const snd_pcm_ioplug_callback_t kCallbacks = [] {
    snd_pcm_ioplug_callback_t c{};
    c.start = faultStart;
    c.stop = faultStop;
    c.pointer = faultPointer;
    c.transfer = faultTransfer;
    c.close = faultClose;
    c.prepare = faultPrepare;
    c.poll_revents = faultRevents;
    c.delay = faultDelay;
    return c;
}();

int constrain(snd_pcm_ioplug_t* io) {
    static const unsigned int access[] = {SND_PCM_ACCESS_RW_INTERLEAVED};
    static const unsigned int formats[] = {SND_PCM_FORMAT_U8, SND_PCM_FORMAT_S16_LE, SND_PCM_FORMAT_S24_3LE,
                                           SND_PCM_FORMAT_S32_LE};
    int err;
    if ((err = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_ACCESS, 1, access)) < 0 ||
        (err = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_FORMAT, 4, formats)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_CHANNELS, 1, 8)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_RATE, 4000, 192000)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIOD_BYTES, 64, 1 << 20)) < 0 ||
        (err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIODS, 2, 64)) < 0)
        return err;
    return 0;
}

} // namespace

extern "C" {

SND_PCM_PLUGIN_DEFINE_FUNC(vk350fault) {
    (void)root;
    if (stream != SND_PCM_STREAM_PLAYBACK)
        return -EINVAL;
    auto* p = new FaultPcm;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* n = snd_config_iterator_entry(i);
        const char* id = nullptr;
        if (snd_config_get_id(n, &id) < 0)
            continue;
        const char* text = nullptr;
        long number = 0;
        if (std::strcmp(id, "record") == 0 && snd_config_get_string(n, &text) == 0)
            p->record = text;
        else if (std::strcmp(id, "calls") == 0 && snd_config_get_string(n, &text) == 0)
            p->calls = text;
        else if (std::strcmp(id, "fault") == 0 && snd_config_get_string(n, &text) == 0)
            p->fault = text;
        else if (std::strcmp(id, "error") == 0 && snd_config_get_integer(n, &number) == 0)
            p->error = int(number);
        else if (std::strcmp(id, "count") == 0 && snd_config_get_integer(n, &number) == 0)
            p->count = number;
    }
    p->io.version = SND_PCM_IOPLUG_VERSION;
    p->io.name = "Test device with faults";
    p->io.callback = &kCallbacks;
    p->io.private_data = p;
    p->io.poll_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    p->io.poll_events = POLLIN;
    p->io.flags = SND_PCM_IOPLUG_FLAG_BOUNDARY_WA;
    int err = p->io.poll_fd < 0 ? -errno : snd_pcm_ioplug_create(&p->io, name, stream, mode);
    if (err < 0) {
        if (p->io.poll_fd >= 0)
            ::close(p->io.poll_fd);
        delete p;
        return err;
    }
    if ((err = constrain(&p->io)) < 0) {
        snd_pcm_ioplug_delete(&p->io); // closes through faultClose
        return err;
    }
    *pcmp = p->io.pcm;
    return 0;
}

SND_PCM_PLUGIN_SYMBOL(vk350fault)
}
