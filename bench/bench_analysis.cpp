// The real transform beside FFTW3's at the same lengths, in the same run; then one frame of each
// analysis view at the main window's sizes and settings.
#include "fft.h"
#include "level_analysis.h"
#include "oscope_analysis.h"
#include "spectrogram_analysis.h"
#include "spectrum_analysis.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<float> TestSignal(int n) {
    std::vector<float> x(std::size_t(n), 0.0f);
    for (int i = 0; i < n; ++i)
        x[std::size_t(i)] = float(std::sin(0.37 * i) + 0.25 * std::cos(1.91 * i));
    return x;
}

// Each pass copies the block into the work buffer first, as the views do: the transform works in
// place.
void BM_DoRealFFT(benchmark::State& state) {
    const int n = int(state.range(0));
    const std::vector<float> input = TestSignal(n);
    std::vector<float> data(input.size());
    vk350::RealFft* plan = vk350::InitRealFFT(int(std::log2(n)));
    for (auto _ : state) {
        std::memcpy(data.data(), input.data(), sizeof(float) * input.size());
        vk350::DoRealFFT(plan, data.data(), 1);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    vk350::DoneRealFFT(plan);
}
BENCHMARK(BM_DoRealFFT)->Arg(128)->Arg(1024)->Arg(4096);

// FFTW's single-precision real-to-complex plan, measured for the fastest variant, out of place
// (its input stays intact, so it needs no copy).
void BM_FFTW3_r2c(benchmark::State& state) {
    const int n = int(state.range(0));
    float* in = fftwf_alloc_real(std::size_t(n));
    fftwf_complex* out = fftwf_alloc_complex(std::size_t(n / 2 + 1));
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    const std::vector<float> input = TestSignal(n);
    std::memcpy(in, input.data(), sizeof(float) * input.size());
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}
BENCHMARK(BM_FFTW3_r2c)->Arg(128)->Arg(1024)->Arg(4096);

// An 8-bit block of a chord with some noise, as the editor plays.
std::vector<std::uint8_t> PcmBlock(std::size_t bytes) {
    std::vector<std::uint8_t> block(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        const double v = 0.5 * std::sin(0.21 * double(i)) + 0.3 * std::sin(0.057 * double(i)) +
                         0.1 * std::sin(1.3 * double(i) + double(i % 7));
        block[i] = std::uint8_t(128 + 120 * v);
    }
    return block;
}

// One spectrum frame: 128-point transform, uniform decay, log axis, 504 x 194 bars with peaks.
void BM_SpectrumFrame(benchmark::State& state) {
    vk350::SpectrumAnalysis s;
    s.SetBounds(504, 194);
    s.SetSampleRate(44100);
    s.SetChannel(vk350::chLeft);
    s.SetLogAmp(true);
    s.SetDecayMode(vk350::dmUniform);
    s.SetPeakDelay(10);
    s.SetPeakSpeed(5);
    const auto block = PcmBlock(std::size_t(s.BytesPerSpectrum()));
    for (auto _ : state) {
        s.RefreshPCMData(block.data());
        benchmark::DoNotOptimize(s.Runs().data());
    }
}
BENCHMARK(BM_SpectrumFrame);

// One spectrogram column: 256-point transform, log colours, 360 x 194 scrolling picture (after the
// picture is full, so every column moves the whole picture).
void BM_SpectrogramColumn(benchmark::State& state) {
    vk350::SpectrogramAnalysis s;
    s.SetBounds(424, 194);
    s.SetDrawScale(true);
    s.SetFFTLength(256);
    s.SetSampleRate(44100);
    s.SetChannel(vk350::chLeft);
    s.SetLogAmp(true);
    s.SetSensitivy(-70);
    s.SetScroll(true);
    s.SetAccelerate(false);
    const auto block = PcmBlock(std::size_t(s.BytesPerSpectrogram()));
    for (int i = 0; i < 400; ++i)
        s.RefreshPCMData(block.data());
    for (auto _ : state) {
        s.RefreshPCMData(block.data());
        benchmark::DoNotOptimize(s.Picture().data());
    }
}
BENCHMARK(BM_SpectrogramColumn);

// One oscilloscope frame (200 columns, connected lines) and one level measurement (50 frames).
void BM_OscopeFrame(benchmark::State& state) {
    vk350::OscopeAnalysis o;
    o.SetBounds(200, 194);
    o.SetKind(vk350::okConLines);
    const auto block = PcmBlock(std::size_t(o.BytesPerScope()));
    for (auto _ : state) {
        o.RefreshPCMData(block.data());
        benchmark::DoNotOptimize(o.Trace().data());
    }
}
BENCHMARK(BM_OscopeFrame);

void BM_LevelBlock(benchmark::State& state) {
    vk350::LevelAnalysis l;
    l.SetBounds(12, 526);
    l.SetBevelExtent(1);
    l.SetKind(vk350::lkVertical);
    l.SetSensitivy(-40);
    auto block = PcmBlock(std::size_t(l.BytesPerLevel()));
    std::uint8_t extreme = 0;
    for (auto _ : state) {
        block[25] = extreme++; // a new level every block, so every block is drawn
        benchmark::DoNotOptimize(l.RefreshPCMData(block.data()));
    }
}
BENCHMARK(BM_LevelBlock);

} // namespace

BENCHMARK_MAIN();
