// One drawn frame of the spectrum and one drawn column of the spectrogram at the main window's
// sizes and settings: the analysis and the composition of the picture together, offscreen.
#include "main_window_views.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

std::vector<std::uint8_t> Tone(int frames) {
    std::vector<std::uint8_t> block(std::size_t(frames), 128);
    for (int i = 0; i < frames; ++i)
        block[std::size_t(i)] =
            std::uint8_t(128 + std::lround(90 * std::sin(0.39 * i) + 30 * std::sin(2.1 * i)));
    return block;
}

void BM_SpectrumFrame(benchmark::State& state) {
    QWidget holder;
    auto* view = new vk350::SpectrumView(&holder);
    vk350::SetupSpectrum1(*view);
    const std::vector<std::uint8_t> block = Tone(int(view->BlockLength()));
    for (auto _ : state) {
        view->RefreshPCMData(block.data());
        benchmark::DoNotOptimize(view->Canvas().constBits());
    }
}
BENCHMARK(BM_SpectrumFrame);

void BM_SpectrogramColumn(benchmark::State& state) {
    QWidget holder;
    auto* view = new vk350::SpectrogramView(&holder);
    vk350::SetupSpectrogram1(*view);
    const std::vector<std::uint8_t> block = Tone(int(view->BlockLength()));
    // Past the first sweep: every column now moves the picture.
    for (int i = 0; i < 400; ++i)
        view->RefreshPCMData(block.data());
    for (auto _ : state) {
        view->RefreshPCMData(block.data());
        benchmark::DoNotOptimize(view->Canvas().constBits());
    }
}
BENCHMARK(BM_SpectrogramColumn);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
