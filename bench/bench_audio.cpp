// Conversion of a minute of 16-bit stereo 44100 Hz to the editor's 8-bit mono 22050 Hz, in
// memory and file to file, beside plain copies of the same source file as the floor.
#include "pcm_convert.h"
#include "pcm_support.h"
#include "wave_document.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

using namespace vk350;

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kSeconds = 60;
constexpr uint32_t kRate = 44100;

std::vector<uint8_t> sourceSamples() {
    std::vector<uint8_t> pcm(size_t(kSeconds) * kRate * 4);
    std::minstd_rand random(350);
    for (auto& b : pcm)
        b = uint8_t(random());
    return pcm;
}

WaveFormatEx format(uint16_t bits, uint16_t channels, uint32_t rate) {
    WaveFormatEx w;
    pcmBuildWaveHeader(&w, bits, channels, rate);
    return w;
}

// A folder with the source wave file, made once for all file benchmarks.
struct Files {
    fs::path dir;
    fs::path source;
    Files() {
        dir = fs::temp_directory_path() / ("vk350-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        source = dir / "source.wav";
        const std::vector<uint8_t> pcm = sourceSamples();
        WaveDocument w;
        w.CreateFile(source.string(), format(16, 2, kRate));
        w.WriteDataBytes(pcm.data(), uint32_t(pcm.size()));
        w.CloseFile();
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

void BM_ConvertInMemory(benchmark::State& state) {
    const std::vector<uint8_t> pcm = sourceSamples();
    const PcmWaveFormat src = pcmView(format(16, 2, kRate));
    const PcmWaveFormat dst = pcmView(format(8, 1, 22050));
    const uint32_t block = kRate * 4;
    std::vector<uint8_t> out(size_t(PCMCONVERTSIZEOUTPUTDATA(dst, src, block)) + 1);
    for (auto _ : state) {
        int64_t total = 0;
        // One-second blocks, as the file conversion feeds the converter.
        for (size_t at = 0; at < pcm.size(); at += block)
            total += PCMCONVERT(dst, out, src, pcm.data() + at, block);
        benchmark::DoNotOptimize(total);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pcm.size()));
}
BENCHMARK(BM_ConvertInMemory)->Unit(benchmark::kMillisecond);

void BM_ConvertFileToFile(benchmark::State& state) {
    Files& f = files();
    const WaveFormatEx editor = format(8, 1, 22050);
    const std::string target = (f.dir / "converted.wav").string();
    WaveDocument wave;
    wave.SetFileName(f.source.string());
    for (auto _ : state)
        wave.ConvertFile(target, &editor);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(f.source)));
}
BENCHMARK(BM_ConvertFileToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same file copied by the system's own copy.
void BM_CopyFile(benchmark::State& state) {
    Files& f = files();
    const fs::path target = f.dir / "copy.wav";
    for (auto _ : state)
        fs::copy_file(f.source, target, fs::copy_options::overwrite_existing);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(f.source)));
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// And copied through user space in one-second blocks, as the conversion moves its data.
void BM_CopyFileBlocks(benchmark::State& state) {
    Files& f = files();
    const fs::path target = f.dir / "copy.wav";
    std::vector<char> buffer(kRate * 4);
    for (auto _ : state) {
        std::FILE* in = std::fopen(f.source.c_str(), "rb");
        std::FILE* out = std::fopen(target.c_str(), "wb");
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
            std::fwrite(buffer.data(), 1, n, out);
        std::fclose(out);
        std::fclose(in);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(f.source)));
}
BENCHMARK(BM_CopyFileBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
