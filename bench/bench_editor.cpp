// Speed of the waveform control's redraw and of every editing operation over a full buffer.
#include "sample_buffer.h"
#include "sample_view.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

using namespace vk350;

namespace {

void FillSample(std::uint8_t* data) {
    for (std::int32_t i = 0; i < SampleBuffer::Capacity; ++i)
        data[i] =
            static_cast<std::uint8_t>(128 + 120 * std::exp(-i / 90000.0) * std::sin(i * 0.031) + (i % 7));
}

// The main window's look, at the size the main window gives its editor.
void SetUpMainView(SampleView& edit) {
    edit.resize(1016, 600);
    edit.SetGradientEnabled(true);
    edit.SetGradientType(grxBottomToTop);
    edit.SetGradientNbOfColors(254);
    edit.SetAxes2Enabled(true);
    edit.SetMarkerSize(0);
    edit.SetLocatorSize(5);
    edit.SetSelectionStyle(1);
    edit.SetSpectrumCenter(true);
    FillSample(edit.GetData());
    edit.SetSampleLen(SampleBuffer::Capacity);
    edit.SetZoom(SampleBuffer::Capacity / 1015 + 1);
    edit.SetLocatorPos(300);
    edit.SetSelectionPos(100);
    edit.SetSelectionLen(400);
}

void BM_DrawWave(benchmark::State& state) {
    SampleView edit;
    SetUpMainView(edit);
    edit.SetSpectrumMode(state.range(0) != 0);
    edit.SetMarkerSize(static_cast<int>(state.range(1)));
    edit.SetSelectionLen(static_cast<int>(state.range(2)));
    edit.SetGradientEnabled(state.range(3) != 0);
    // The whole sample fitted to the width (dense, long lines), or zoom 1 (smooth).
    if (state.range(4) == 0)
        edit.SetZoom(1);
    edit.DrawWave();
    for (auto _ : state) {
        edit.DrawWave();
        benchmark::DoNotOptimize(edit.OffscreenImage().constBits());
    }
}
BENCHMARK(BM_DrawWave)
    ->ArgNames({"bars", "marker", "selection", "gradient", "fit"})
    ->Args({0, 0, 400, 1, 1})
    ->Args({0, 0, 400, 1, 0})
    ->Args({1, 0, 400, 1, 1})
    ->Args({1, 0, 400, 1, 0})
    ->Args({0, 1, 400, 1, 1})
    ->Args({0, 0, 0, 1, 1})
    ->Args({0, 0, 0, 0, 1})
    ->Unit(benchmark::kMicrosecond);

// The main window's look, plain (minmax:0) or with the min/max envelope (minmax:1), at zooms
// from one sample per column to the whole sample fitted to the width (517).
void BM_DrawWaveMinMax(benchmark::State& state) {
    SampleView edit;
    SetUpMainView(edit);
    // The main window's new look: envelope, washed selection, time ruler with its note.
    if (state.range(1) != 0) {
        edit.SetMinMaxMode(true);
        edit.SetSelectionTint(true);
        edit.RulerRate = [] { return 22050; };
        edit.RulerNote = [] { return QStringLiteral("Loc 0.329 s   Selection 0.100 s to 0.250 s"); };
    }
    edit.SetZoom(static_cast<int>(state.range(0)));
    edit.DrawWave();
    for (auto _ : state) {
        edit.DrawWave();
        benchmark::DoNotOptimize(edit.OffscreenImage().constBits());
    }
}
BENCHMARK(BM_DrawWaveMinMax)
    ->ArgNames({"zoom", "minmax"})
    ->ArgsProduct({{1, 2, 8, 64, 256, 517}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

void BM_BuildGradient(benchmark::State& state) {
    SampleView edit;
    SetUpMainView(edit);
    for (auto _ : state) {
        edit.BuildGradient();
        benchmark::DoNotOptimize(edit.GradientImage().constBits());
    }
}
BENCHMARK(BM_BuildGradient)->Unit(benchmark::kMicrosecond);

// Every operation works on the whole 524288-byte sample: zoom 1, the selection over all of it.
template <typename Op> void RunOperation(benchmark::State& state, Op op) {
    SampleBuffer buffer;
    FillSample(buffer.GetData());
    buffer.SetSampleLen(SampleBuffer::Capacity);
    for (auto _ : state) {
        state.PauseTiming();
        buffer.SetViewOrigin(0);
        buffer.SetSelectionPos(0);
        buffer.SetSelectionLen(SampleBuffer::Capacity);
        buffer.SetLocatorPos(0);
        buffer.SetSampleLen(SampleBuffer::Capacity);
        state.ResumeTiming();
        op(buffer);
        benchmark::DoNotOptimize(buffer.GetData()[SampleBuffer::Capacity - 1]);
    }
    state.SetBytesProcessed(state.iterations() * SampleBuffer::Capacity);
}

#define EDIT_BENCH(name, body)                                                                               \
    void BM_##name(benchmark::State& state) {                                                                \
        RunOperation(state, [](SampleBuffer& b) { body; });                                                  \
    }                                                                                                        \
    BENCHMARK(BM_##name)->Unit(benchmark::kMicrosecond)

EDIT_BENCH(CopySelection, b.CopySelection());
EDIT_BENCH(PasteAtLocator, (b.CopySelection(), b.PasteAtLocator()));
EDIT_BENCH(CutSelection, b.CutSelection(true));
// From sample 1, so the whole rest of the sample moves down.
EDIT_BENCH(CropSelection, (b.SetSelectionPos(1), b.CropSelection()));
EDIT_BENCH(MuteSelection, b.MuteSelection());
EDIT_BENCH(SaveUndo, b.SaveUndo());
EDIT_BENCH(Undo, b.Undo());
EDIT_BENCH(ConvertSign, b.ConvertSign(true, true));
EDIT_BENCH(Reverse, b.Reverse());
EDIT_BENCH(AddOffset, b.AddOffset(b.GetData(), 3));
EDIT_BENCH(GetMaxValue, benchmark::DoNotOptimize(b.GetMaxValue(b.GetData())));
EDIT_BENCH(GetMinValue, benchmark::DoNotOptimize(b.GetMinValue(b.GetData())));
EDIT_BENCH(FixZero, b.FixZero(true));
EDIT_BENCH(LinearToMuLaw, b.LinearToMuLaw(true));
EDIT_BENCH(MuLawToLinear, b.MuLawToLinear(true));
EDIT_BENCH(Clear, b.Clear(true));

// A crop from sample 1 of the full sample, taken back and done again: the step holds the moved
// bytes, before and after.
void BM_UndoRedoCrop(benchmark::State& state) {
    SampleBuffer b;
    FillSample(b.GetData());
    b.SetSampleLen(SampleBuffer::Capacity);
    b.History().Reset(b.GetData(), b.GetSampleLen());
    b.SetSelectionPos(1);
    b.SetSelectionLen(SampleBuffer::Capacity);
    b.CropSelection();
    b.RecordStep("Crop");
    for (auto _ : state) {
        b.UndoStep();
        b.RedoStep();
        benchmark::DoNotOptimize(b.GetData()[0]);
    }
    state.counters["step_bytes"] = static_cast<double>(b.History().BytesHeld());
}
BENCHMARK(BM_UndoRedoCrop)->Unit(benchmark::kMicrosecond);

// The bytes held by the full count of steps, each changing `range` bytes of the full sample, and
// the time each record takes (it compares the whole buffer with the history's copy).
void BM_SmallEditSteps(benchmark::State& state) {
    const auto range = static_cast<std::int32_t>(state.range(0));
    SampleBuffer b;
    FillSample(b.GetData());
    b.SetSampleLen(SampleBuffer::Capacity);
    b.History().Reset(b.GetData(), b.GetSampleLen());
    std::int32_t at = 0;
    for (auto _ : state) {
        for (std::int32_t i = 0; i < range; ++i)
            b.GetData()[(at + i) % SampleBuffer::Capacity] ^= 0x55;
        at = (at + 7919) % SampleBuffer::Capacity;
        b.RecordStep("Val");
    }
    state.counters["steps"] = b.History().StepCount();
    state.counters["bytes_held"] = static_cast<double>(b.History().BytesHeld());
    state.counters["bytes_per_step"] =
        static_cast<double>(b.History().BytesHeld()) / std::max(1, b.History().StepCount());
}
BENCHMARK(BM_SmallEditSteps)->Arg(1)->Arg(64)->Arg(4096)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
