// Work per sample dump against the wire time of the same dump (74911 bytes take about 24 s on a
// MIDI cable at 3125 bytes per second).
#include "sample_byte_maps.h"
#include "sample_dump.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace vk350;

namespace {

std::vector<uint8_t> largestSample() {
    std::mt19937 rng(7);
    std::vector<uint8_t> v(kMaxDumpSamples);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

void BM_PackLargestDump(benchmark::State& state) {
    const auto samples = largestSample();
    std::vector<uint8_t> message(kMaxDumpSize);
    for (auto _ : state) {
        auto copy = samples; // the send path converts a copy to machine form first
        convertSign(copy);
        benchmark::DoNotOptimize(buildSampleDump(7, copy, message));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kMaxDumpSize));
}
BENCHMARK(BM_PackLargestDump)->Unit(benchmark::kMicrosecond);

void BM_CheckAndUnpackLargestDump(benchmark::State& state) {
    const auto samples = largestSample();
    std::vector<uint8_t> message(kMaxDumpSize);
    buildSampleDump(7, samples, message);
    std::vector<uint8_t> out(kMaxDumpSamples);
    for (auto _ : state) {
        const DumpCheck c = unpackSampleDump(message, out);
        convertSign(std::span(out).first(c.count));
        benchmark::DoNotOptimize(c);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kMaxDumpSize));
}
BENCHMARK(BM_CheckAndUnpackLargestDump)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
