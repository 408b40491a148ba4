// Speed of each sound shaping step over a full 512 KiB sample.
#include "sound_shaping.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

using namespace vk350;

namespace {

constexpr std::int32_t kFull = SampleBuffer::Capacity;

// A decaying tone with a little DC and 1000 samples of silence in front and behind.
const std::vector<std::uint8_t>& source() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b(kFull, 128);
        for (std::int32_t i = 1000; i < kFull - 1000; ++i)
            b[std::size_t(i)] = std::uint8_t(130 + 120 * std::exp(-i / 200000.0) * std::sin(i * 0.031));
        return b;
    }();
    return bytes;
}

// Times step on a fresh copy of the sample each time.
template <class Step> void onBytes(benchmark::State& state, Step step) {
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        state.PauseTiming();
        bytes = source();
        state.ResumeTiming();
        step(std::span(bytes));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * kFull);
}

template <class Step> void onDocument(benchmark::State& state, std::int32_t length, Step step) {
    SampleDocument document;
    for (auto _ : state) {
        state.PauseTiming();
        document.Assign(std::span(source()).first(std::size_t(length)), length);
        state.ResumeTiming();
        step(document);
        benchmark::DoNotOptimize(document.Bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * length);
}

FadeCurve curveOf(const benchmark::State& state) {
    return state.range(0) ? FadeCurve::Exponential : FadeCurve::Linear;
}

void BM_FadeIn(benchmark::State& state) {
    onBytes(state, [&](std::span<std::uint8_t> b) { fadeIn(b, curveOf(state)); });
}
BENCHMARK(BM_FadeIn)->ArgName("exponential")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FadeOut(benchmark::State& state) {
    onBytes(state, [&](std::span<std::uint8_t> b) { fadeOut(b, curveOf(state)); });
}
BENCHMARK(BM_FadeOut)->ArgName("exponential")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ApplyGain(benchmark::State& state) {
    onBytes(state, [](std::span<std::uint8_t> b) { benchmark::DoNotOptimize(applyGain(b, 6.0)); });
}
BENCHMARK(BM_ApplyGain)->Unit(benchmark::kMicrosecond);

void BM_PeakDbfs(benchmark::State& state) {
    onBytes(state, [](std::span<std::uint8_t> b) { benchmark::DoNotOptimize(peakDbfs(b)); });
}
BENCHMARK(BM_PeakDbfs)->Unit(benchmark::kMicrosecond);

void BM_Normalise(benchmark::State& state) {
    onBytes(state, [](std::span<std::uint8_t> b) { benchmark::DoNotOptimize(normalise(b, -0.1)); });
}
BENCHMARK(BM_Normalise)->Unit(benchmark::kMicrosecond);

void BM_RemoveDcOffset(benchmark::State& state) {
    onBytes(state, [](std::span<std::uint8_t> b) { benchmark::DoNotOptimize(removeDcOffset(b)); });
}
BENCHMARK(BM_RemoveDcOffset)->Unit(benchmark::kMicrosecond);

void BM_TrimSilence(benchmark::State& state) {
    onDocument(state, kFull, [](SampleDocument& d) { benchmark::DoNotOptimize(trimSilence(d, -30.0)); });
}
BENCHMARK(BM_TrimSilence)->Unit(benchmark::kMicrosecond);

// The first half goes: the whole second half moves.
void BM_DeleteRange(benchmark::State& state) {
    onDocument(state, kFull, [](SampleDocument& d) { deleteRange(d, 0, kFull / 2); });
}
BENCHMARK(BM_DeleteRange)->Unit(benchmark::kMicrosecond);

// Half the sample inserted at its start, filling the buffer.
void BM_InsertAt(benchmark::State& state) {
    onDocument(state, kFull / 2, [](SampleDocument& d) { insertAt(d, 0, d.Bytes()); });
}
BENCHMARK(BM_InsertAt)->Unit(benchmark::kMicrosecond);

// To the largest slot (64 K): the front trimmed, then cut with a 10 ms fade at 22050 Hz.
void BM_FitToLocation(benchmark::State& state) {
    onDocument(state, kFull,
               [](SampleDocument& d) { fitToLocation(d, 65536, 220, -48.0, FadeCurve::Exponential); });
}
BENCHMARK(BM_FitToLocation)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
