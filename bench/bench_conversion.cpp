// The chosen ways of converting set beside sox in the same run: the time of a minute of 16-bit
// stereo 44100 Hz to 8-bit mono 22050 Hz (vk350 convert and sox as commands, and our
// conversion in-process), and the figures of -6 dBFS tones at 15 kHz and 1 kHz after each
// (counters, dB re full scale: tone level, all that is left above 20 Hz, the level at the
// 7050 Hz alias, THD+N). Needs sox (scripts/setup.sh installs it).
#include "pcm_support.h"
#include "tone_measure.h"
#include "wave_document.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace vk350;

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;
const std::string kSox = "sox";

std::string quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

void writeWave(const fs::path& name, const std::vector<uint8_t>& pcm, uint16_t channels) {
    WaveFormatEx format;
    pcmBuildWaveHeader(&format, 16, channels, 44100);
    WaveDocument w;
    w.CreateFile(name.string(), format);
    w.WriteDataBytes(pcm.data(), uint32_t(pcm.size()));
    w.CloseFile();
}

std::vector<uint8_t> dataOf(const fs::path& name) {
    WaveDocument w;
    w.SetFileName(name.string());
    w.OpenFile();
    std::vector<uint8_t> out(w.GetBytesLeft());
    size_t done = 0;
    while (done < out.size()) {
        const int64_t got = w.ReadDataBytes(out.data() + done, uint32_t(out.size() - done));
        if (got <= 0)
            break;
        done += size_t(got);
    }
    out.resize(done);
    return out;
}

// The source files, made once: a minute of noise in stereo and two seconds of each tone.
struct Files {
    fs::path dir;
    Files() {
        dir = fs::temp_directory_path() / ("vk350-bench-conv-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        std::vector<uint8_t> pcm(size_t(60) * 44100 * 4);
        std::minstd_rand random(350);
        for (auto& b : pcm)
            b = uint8_t(random());
        writeWave(dir / "minute.wav", pcm, 2);
        for (const int hz : {1000, 15000}) {
            std::vector<uint8_t> tone;
            for (int i = 0; i < 2 * 44100; ++i) {
                const auto v = int16_t(std::lround(16384.0 * std::sin(2 * kPi * hz * i / 44100)));
                tone.push_back(uint8_t(v));
                tone.push_back(uint8_t(uint16_t(v) >> 8));
            }
            writeWave(dir / ("tone" + std::to_string(hz) + ".wav"), tone, 1);
        }
    }
    ~Files() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Files& files() {
    static Files f;
    return f;
}

enum Way { kExact, kBest, kSoxWay };

// The command line that converts in to out the given way.
std::string command(Way way, const fs::path& in, const fs::path& out) {
    if (way == kSoxWay)
        return kSox + " " + quoted(in) + " -r 22050 -c 1 -b 8 " + quoted(out) + " rate -v dither";
    return std::string(VK350_TOOL) + " convert " + quoted(in) + " " + quoted(out) +
           (way == kBest ? " --quality best" : " --quality exact");
}

void BM_MinuteCommand(benchmark::State& state) {
    const Way way = Way(state.range(0));
    const std::string line = command(way, files().dir / "minute.wav", files().dir / "out.wav");
    for (auto _ : state)
        if (std::system(line.c_str()) != 0)
            state.SkipWithError(("failed: " + line).c_str());
    state.SetLabel(way == kSoxWay ? "sox rate -v dither"
                   : way == kBest ? "vk350 --quality best"
                                  : "vk350 exact");
}
BENCHMARK(BM_MinuteCommand)
    ->Arg(kExact)
    ->Arg(kBest)
    ->Arg(kSoxWay)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The tool's exact conversion to a wave file and to raw bytes beside cp of the input, the
// cost of reading and writing the file at all.
void BM_MinuteBesideCopy(benchmark::State& state) {
    const fs::path in = files().dir / "minute.wav";
    const char* labels[] = {"cp of the input", "vk350 exact to .wav", "vk350 exact to .bin"};
    const std::string lines[] = {"cp " + quoted(in) + " " + quoted(files().dir / "copy.wav"),
                                 command(kExact, in, files().dir / "out.wav"),
                                 command(kExact, in, files().dir / "out.bin")};
    const std::string& line = lines[state.range(0)];
    for (auto _ : state)
        if (std::system(line.c_str()) != 0)
            state.SkipWithError(("failed: " + line).c_str());
    state.SetLabel(labels[state.range(0)]);
}
BENCHMARK(BM_MinuteBesideCopy)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MinuteInProcess(benchmark::State& state) {
    const ConversionOptions options{
        state.range(0) ? ConversionQuality::BandLimited : ConversionQuality::Exact, state.range(1) != 0};
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    WaveDocument wave;
    wave.SetFileName((files().dir / "minute.wav").string());
    const std::string target = (files().dir / "in-process.wav").string();
    for (auto _ : state)
        wave.ConvertFile(target, &editor, options);
}
BENCHMARK(BM_MinuteInProcess)
    ->ArgNames({"best", "normalise"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ToneFigures(benchmark::State& state) {
    const int hz = int(state.range(0));
    const Way way = Way(state.range(1));
    const fs::path out = files().dir / "tone-out.wav";
    const std::string line = command(way, files().dir / ("tone" + std::to_string(hz) + ".wav"), out);
    ToneFigures f;
    for (auto _ : state) {
        if (std::system(line.c_str()) != 0) {
            state.SkipWithError(("failed: " + line).c_str());
            break;
        }
        f = MeasureTone(FromUnsigned8(dataOf(out)), 22050, hz > 11025 ? 7050 : hz, 7050);
    }
    state.counters["tone_dB"] = f.toneDb;
    state.counters["total_dB"] = f.totalDb;
    state.counters["at7050_dB"] = f.atDb;
    state.counters["thdn_dB"] = f.thdnDb;
    state.SetLabel(way == kSoxWay ? "sox" : way == kBest ? "best" : "exact");
}
BENCHMARK(BM_ToneFigures)
    ->ArgNames({"hz", "way"})
    ->ArgsProduct({{1000, 15000}, {kExact, kBest, kSoxWay}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
