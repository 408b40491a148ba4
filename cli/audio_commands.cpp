#include "audio_commands.h"

#include "commands.h"
#include "component_error.h"
#include "connector.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "wave_device_factory.h"
#include "wave_player.h"
#include "wave_source.h"

#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace vk350::cli {

using namespace vk350;

namespace {

constexpr int64_t kPositionEveryMicros = 100000;

bool parseInt(std::string_view text, int low, int high, int& value) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        return false;
    value = v;
    return true;
}

// Component texts put a line break after the failing step; one line reads better here.
std::string oneLine(std::string text) {
    for (size_t at; (at = text.find("\n\r")) != std::string::npos;)
        text.replace(at, 2, " ");
    return text;
}

std::unique_ptr<WaveDevice> chosenDevice(std::string& name) {
    name = audioDriverNameFromEnvironment();
    return createWaveDevice(name);
}

int unknownDriver(const std::string& name) {
    return fail(kExitUsage, "unknown audio driver '" + name + "' in VK350_AUDIO_DRIVER (alsa or virtual)");
}

std::string describe(const WaveFormatEx& f, uint32_t frames) {
    char text[128];
    std::snprintf(text, sizeof text, "%u-bit %s %u Hz, %.3f s", unsigned(f.wBitsPerSample),
                  f.nChannels == 1   ? "mono"
                  : f.nChannels == 2 ? "stereo"
                                     : "multichannel",
                  unsigned(f.nSamplesPerSec), f.nSamplesPerSec ? double(frames) / f.nSamplesPerSec : 0.0);
    return text;
}

} // namespace

int runDevices(std::span<char*> args) {
    if (!args.empty())
        return fail(kExitUsage, "usage: vk350 devices");
    std::string name;
    auto device = chosenDevice(name);
    if (!device)
        return unknownDriver(name);
    const int count = device->deviceCount();
    std::printf("audio driver: %s\noutputs:\n", name.c_str());
    if (count == 0) {
        std::printf("  (none): No wave audio playing device found\n");
        return kExitOk;
    }
    for (int i = WAVE_MAPPER; i < count; ++i)
        std::printf("  %2d  %s%s\n", i, device->deviceName(i).c_str(), i == WAVE_MAPPER ? " (default)" : "");
    return kExitOk;
}

int runPlay(std::span<char*> args) {
    std::string file;
    int loops = 1;
    int deviceId = WAVE_MAPPER;
    const char* usage = "usage: vk350 play FILE.wav [--loop N] [--device I]";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--loop" || a == "--device") {
            if (i + 1 >= args.size())
                return fail(kExitUsage, std::string(a) + " needs a value; " + usage);
            const std::string_view v = args[++i];
            const bool ok = a == "--loop" ? parseInt(v, 0, 65536, loops) : parseInt(v, -1, 1000, deviceId);
            if (!ok)
                return fail(kExitUsage,
                            "bad " + std::string(a) + " value '" + std::string(v) + "'; " + usage);
        } else if (a.starts_with("--") || !file.empty()) {
            return fail(kExitUsage, "unexpected '" + std::string(a) + "'; " + usage);
        } else {
            file = a;
        }
    }
    if (file.empty())
        return fail(kExitUsage, usage);

    // Interrupts are taken by a thread of our own with sigwait, blocked before any device
    // thread starts so that every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::string driverName;
    auto device = chosenDevice(driverName);
    if (!device)
        return unknownDriver(driverName);

    QueueDispatcher dispatcher;
    ConnectorHub hub(dispatcher);
    QueuePump pump(dispatcher, hub);
    // The position line is the only display: the pump runs at its pace.
    pump.setPauseMicros(kPositionEveryMicros);
    WaveSource source;
    WavePlayer out(*device, dispatcher);
    Connector connector(hub);
    source.SetOutput(&out);
    out.SetOutput(&connector);
    try {
        source.Wave().SetFileName(file);
    } catch (const ComponentError& e) {
        return fail(kExitBadFile, file + ": " + e.what());
    }
    if (source.Wave().Empty())
        return fail(kExitBadFile, file + ": no audio data");
    if (out.NumDevs() == 0)
        return fail(kExitBadFile, "No wave audio playing device found (audio driver " + driverName + ")");
    out.SetDeviceID(deviceId);
    if (out.DeviceID() != deviceId)
        return fail(kExitBadFile, "no audio output " + std::to_string(deviceId) + " (driver " + driverName +
                                      " has " + std::to_string(out.NumDevs()) +
                                      ", from 0; -1 is the default)");
    // --loop N plays N times in all; 0 repeats until interrupted.
    out.SetLooping(loops != 1);
    out.SetLoopCount(uint16_t(loops > 1 ? loops - 1 : 0));
    out.SetTimeFormat(tfMillisecond);

    std::atomic<bool> done{false};
    std::string failure;
    const auto noteFailure = [&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            if (failure.empty())
                failure = oneLine(e.what());
        }
    };
    dispatcher.OnException = noteFailure;
    out.OnStop = [&](WavePlayer&) { done = true; };
    const bool showPosition = isatty(STDERR_FILENO);
    const double length = double(source.Wave().GetLengthSamples()) / source.Wave().SampleRate();
    int64_t shown = 0;
    connector.OnTrigger = [&](Connector&) {
        const int64_t now = steadyMicroClock().now();
        if (!showPosition || now - shown < kPositionEveryMicros)
            return;
        shown = now;
        std::fprintf(stderr, "\r  %8.3f s of %.3f s ", double(out.GetPosition()) / 1000, length);
    };

    std::printf("%s: %s on %s\n", file.c_str(),
                describe(*source.GetPWaveFormat(), source.Wave().GetLengthSamples()).c_str(),
                out.productName().c_str());
    std::fflush(stdout);
    std::atomic<bool> interrupted{false};
    std::thread waiter([&] {
        int sig = 0;
        sigwait(&signals, &sig);
        if (sig == SIGINT || !done) {
            interrupted = true;
            dispatcher.post([&] { out.Stop(); });
        }
    });
    const auto endWaiter = [&] {
        if (!interrupted)
            pthread_kill(waiter.native_handle(), SIGTERM); // ends the waiter's sigwait
        waiter.join();
    };
    try {
        out.Start();
    } catch (const ComponentError& e) {
        done = true;
        endWaiter();
        return fail(kExitBadFile, oneLine(e.what()));
    }
    while (!dispatcher.runUntil([&] { return done.load(); }, 1000000)) {
    }
    const int64_t stoppedAt = out.FinalPosition();
    try {
        out.Close();
    } catch (const ComponentError& e) {
        noteFailure(std::make_exception_ptr(e));
    }
    endWaiter();
    if (showPosition)
        std::fprintf(stderr, "\r%40s\r", "");
    if (interrupted)
        std::printf("stopped at %.3f s\n", double(stoppedAt) / 1000);
    if (!failure.empty())
        return fail(kExitBadFile, failure);
    return kExitOk;
}

} // namespace vk350::cli
