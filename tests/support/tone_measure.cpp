#include "tone_measure.h"

#include "fft.h"
#include "fft_window.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vk350 {

namespace {

constexpr int kOrder = 14;
constexpr int kLength = 1 << kOrder;
constexpr int kGuard = 8; // bins each side of a line that its window spreads into

double Db(double meanSquare) {
    return 10.0 * std::log10(std::max(meanSquare, 1e-30));
}

} // namespace

ToneFigures MeasureTone(const std::vector<float>& samples, double rate, double frequency,
                        double atFrequency) {
    if (samples.size() < size_t(kLength))
        throw std::invalid_argument("too few samples to measure");
    std::vector<float> block(samples.begin() + (samples.size() - kLength) / 2,
                             samples.begin() + (samples.size() - kLength) / 2 + kLength);
    double windowEnergy = 0;
    for (int i = 0; i < kLength; ++i) {
        const float w = CalcWindowFunc(fwBlackman, i, kLength);
        block[size_t(i)] *= w;
        windowEnergy += double(w) * w;
    }
    RealFft* plan = InitRealFFT(kOrder);
    DoRealFFT(plan, block.data(), 1);
    DoneRealFFT(plan);

    // Mean square of a band of bins: twice their power (the other half of the spectrum) over
    // the window's energy and the length.
    const auto band = [&](int from, int to) {
        double power = 0;
        for (int k = std::max(from, 1); k <= std::min(to, kLength / 2 - 1); ++k)
            power += double(block[size_t(2 * k)]) * block[size_t(2 * k)] +
                     double(block[size_t(2 * k + 1)]) * block[size_t(2 * k + 1)];
        return 2.0 * power / (double(kLength) * windowEnergy);
    };
    const auto bin = [&](double hz) { return int(std::lround(hz * kLength / rate)); };
    const int low = std::max(bin(20.0), kGuard);
    const int tone = bin(frequency);
    const int at = bin(atFrequency);
    ToneFigures f;
    const double tonePower = band(tone - kGuard, tone + kGuard);
    const double total = band(low, kLength / 2);
    f.toneDb = Db(tonePower);
    f.totalDb = Db(total);
    f.thdnDb = Db(total - tonePower) - Db(tonePower);
    f.atDb = Db(band(at - kGuard, at + kGuard));
    return f;
}

std::vector<float> FromUnsigned8(const std::vector<uint8_t>& bytes) {
    std::vector<float> out(bytes.size());
    std::transform(bytes.begin(), bytes.end(), out.begin(),
                   [](uint8_t b) { return (float(b) - 128.0f) / 128.0f; });
    return out;
}

} // namespace vk350
