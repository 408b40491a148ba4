// Playback cost and start delay of the whole chain: wave file -> wave out -> connector.
//
//   BM_RealTime*: plays a few seconds in real time over the virtual device, with the connector's
//     pump passing every millisecond as in the editor; cpu_ms_per_audio_s is the process CPU
//     time spent per second of audio.
//   BM_AlsaFlatOut*: plays through the real ALSA library into its file plugin (/dev/null), which
//     takes data as fast as it comes: the work of the chain and driver per second of audio.
//   BM_StartToFirstByte*: from the call of Start to the device's first played frame (virtual
//     device in real time, ALSA file plugin), and how long Start itself takes.
//   BM_LoopedMinuteHeld/RECORDING: a minute of a looped sample on the clocked virtual device;
//     held_bytes is what the device keeps of it, with its recording off (0) or asked for (1).
#include "connector.h"
#include "drivers/alsa_wave_device.h"
#include "drivers/virtual_wave_device.h"
#include "pcm_support.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "wave_player.h"
#include "wave_source.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace vk350;

namespace {

fs::path scratch() {
    static const fs::path dir = [] {
        fs::path d =
            fs::temp_directory_path() / ("vk350-bench-play-" + std::to_string(std::random_device{}()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// A wave file of the given format and length, made once.
std::string waveFile(uint16_t bits, uint16_t channels, uint32_t rate, double seconds) {
    const std::string name =
        (scratch() / ("w" + std::to_string(bits) + "_" + std::to_string(channels) + "_" +
                      std::to_string(rate) + "_" + std::to_string(int(seconds * 10)) + ".wav"))
            .string();
    if (fs::exists(name))
        return name;
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, bits, channels, rate);
    WaveDocument w;
    w.CreateFile(name, f);
    std::vector<uint8_t> data(size_t(seconds * f.nAvgBytesPerSec) / f.nBlockAlign * f.nBlockAlign);
    std::minstd_rand random(350);
    for (auto& b : data)
        b = uint8_t(random());
    w.WriteDataBytes(data.data(), uint32_t(data.size()));
    w.CloseFile();
    return name;
}

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The editor's chain on a window thread of our own.
struct Chain {
    explicit Chain(WaveDevice& device) : out(device, dispatcher) {
        file.SetOutput(&out);
        out.SetOutput(&connector);
        out.SetDeviceID(WAVE_MAPPER);
        out.OnStop = [this](WavePlayer&) { stopped = true; };
        connector.OnTrigger = [this](Connector&) { benchmark::DoNotOptimize(out.GetPosition()); };
    }
    void play(const std::string& name) {
        file.Wave().SetFileName(name);
        stopped = false;
        out.Start();
        dispatcher.runUntil([this] { return stopped; }, 600000000);
        out.Close();
    }
    QueueDispatcher dispatcher;
    ConnectorHub hub{dispatcher};
    QueuePump pump{dispatcher, hub};
    WaveSource file;
    WavePlayer out;
    Connector connector{hub};
    bool stopped = false;
};

void playAndCount(benchmark::State& state, WaveDevice& device, uint16_t bits, uint16_t channels,
                  uint32_t rate, double seconds) {
    const std::string name = waveFile(bits, channels, rate, seconds);
    Chain chain(device);
    double cpu = 0, audio = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        chain.play(name);
        cpu += processCpuSeconds() - before;
        audio += seconds;
    }
    state.counters["cpu_ms_per_audio_s"] = 1000 * cpu / audio;
}

void BM_RealTime_8bitMono22050(benchmark::State& state) {
    VirtualWaveDevice device;
    playAndCount(state, device, 8, 1, 22050, 3);
}
BENCHMARK(BM_RealTime_8bitMono22050)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RealTime_16bitStereo44100(benchmark::State& state) {
    VirtualWaveDevice device;
    playAndCount(state, device, 16, 2, 44100, 3);
}
BENCHMARK(BM_RealTime_16bitStereo44100)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AlsaFlatOut_8bitMono22050(benchmark::State& state) {
    AlsaWaveDevice device;
    playAndCount(state, device, 8, 1, 22050, 60);
}
BENCHMARK(BM_AlsaFlatOut_8bitMono22050)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AlsaFlatOut_16bitStereo44100(benchmark::State& state) {
    AlsaWaveDevice device;
    playAndCount(state, device, 16, 2, 44100, 60);
}
BENCHMARK(BM_AlsaFlatOut_16bitStereo44100)->Unit(benchmark::kMillisecond)->UseRealTime();

// Start -> the device's first played frame, polled as the editor's trigger reads it.
void startToFirstByte(benchmark::State& state, WaveDevice& device) {
    const std::string name = waveFile(8, 1, 22050, 2);
    Chain chain(device);
    chain.file.Wave().SetFileName(name);
    chain.out.SetTimeFormat(tfSample);
    chain.out.Open(); // as the program does: the device is closed after every playback...
    chain.out.Close();
    double startCall = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        chain.out.Start(); // ...and opened again by Start
        const auto t1 = std::chrono::steady_clock::now();
        // Read a little less often than the hardware could change it, as the editor's 1 ms
        // trigger does, so the reads do not crowd out the device thread.
        while (chain.out.GetPosition() == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        const auto t2 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
        startCall += std::chrono::duration<double>(t1 - t0).count();
        chain.out.Stop();
        chain.out.Close();
        chain.dispatcher.runPending();
    }
    state.counters["start_call_us"] = 1e6 * startCall / double(state.iterations());
}

void BM_StartToFirstByte_Virtual(benchmark::State& state) {
    VirtualWaveDevice device;
    startToFirstByte(state, device);
}
BENCHMARK(BM_StartToFirstByte_Virtual)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

void BM_StartToFirstByte_Alsa(benchmark::State& state) {
    AlsaWaveDevice device;
    startToFirstByte(state, device);
}
BENCHMARK(BM_StartToFirstByte_Alsa)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

void BM_LoopedMinuteHeld(benchmark::State& state) {
    constexpr uint32_t kBuffer = 2205; // 100 ms of 8-bit mono at 22050 Hz
    WaveFormatEx format;
    pcmBuildWaveHeader(&format, 8, 1, 22050);
    std::vector<uint8_t> sample(kBuffer, 0x80);
    for (auto _ : state) {
        ManualMicroClock clock;
        VirtualWaveDevice device(clock);
        device.setRecording(state.range(0) != 0);
        std::vector<ChainBuffer*> done;
        WaveDeviceEvents events;
        events.onDone = [&done](ChainBuffer* h) { done.push_back(h); };
        std::unique_ptr<WaveOutput> output;
        if (device.open(0, format, events, output) != kWaveOk) {
            state.SkipWithError("the virtual device did not open");
            return;
        }
        ChainBuffer headers[2];
        for (ChainBuffer& h : headers) {
            h.lpData = sample.data();
            h.dwBufferLength = h.dwBytesRecorded = h.dwCapacity = kBuffer;
            output->write(&h);
        }
        // The loop: every buffer played goes back into the queue, for a minute of the clock.
        for (int tick = 0; tick < 6000; ++tick) {
            clock.advance(10000);
            device.tick();
            for (ChainBuffer* h : done)
                output->write(h);
            done.clear();
        }
        state.counters["held_bytes"] = double(device.played().size());
        output->reset();
        output->close();
    }
}
BENCHMARK(BM_LoopedMinuteHeld)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // ALSA's "default" goes to its file plugin over the null device: the real library, no card.
    const fs::path conf = scratch() / "asound.conf";
    std::ofstream(conf)
        << "pcm.!default { type file slave.pcm \"null\" file \"/dev/null\" format \"raw\" }\n";
    setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + conf.string()).c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(scratch(), ec);
    return 0;
}
