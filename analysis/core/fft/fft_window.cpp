#include "fft_window.h"

#include <cmath>
#include <numbers>

namespace vk350 {

namespace {

// Long enough for any table the transforms can make.
constexpr std::int32_t kMaxOrder = 30;

std::int32_t TableLength(std::int32_t order) {
    return order >= 0 && order <= kMaxOrder ? std::int32_t(1) << order : 0;
}

} // namespace

float CalcWindowFunc(FftWindow kind, std::int32_t i, std::int32_t n) {
    if (n < 1)
        return 1.0f;
    const double x = double(i);
    const double len = double(n);
    const double phase = 2.0 * std::numbers::pi * x / len;
    const double d = (2.0 * x - len) / (len + 1.0);
    switch (kind) {
    case fwHamming:
        return float(0.54 - 0.46 * std::cos(phase));
    case fwHanning:
        return float(0.5 - 0.5 * std::cos(phase));
    case fwBlackman:
        return float(0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase));
    case fwGaussian: {
        const double t = 2.0 * x - len;
        return float(std::exp(-5.0 * t * t / (len * len)));
    }
    case fwWelch:
        return float(1.0 - d * d);
    case fwParzen:
        return float(1.0 - std::fabs(d));
    case fwRectangular:
    default:
        return 1.0f;
    }
}

void GenWindowTableInt(std::int32_t* table, FftWindow kind, std::int32_t order) {
    const std::int32_t n = TableLength(order);
    for (std::int32_t i = 0; table && i < n; ++i)
        table[i] = std::int32_t(std::floor(double(CalcWindowFunc(kind, i, n)) * 32767.0 + 0.5));
}

void GenWindowTableFloat(float* table, FftWindow kind, std::int32_t order) {
    const std::int32_t n = TableLength(order);
    for (std::int32_t i = 0; table && i < n; ++i)
        table[i] = CalcWindowFunc(kind, i, n);
}

void CalcWindowInt(std::int16_t* data, FftWindow kind, std::int32_t order) {
    const std::int32_t n = TableLength(order);
    for (std::int32_t i = 0; data && i < n; ++i)
        data[i] = std::int16_t(std::trunc(double(data[i]) * double(CalcWindowFunc(kind, i, n))));
}

void CalcWindowFloat(float* data, FftWindow kind, std::int32_t order) {
    const std::int32_t n = TableLength(order);
    for (std::int32_t i = 0; data && i < n; ++i)
        data[i] *= CalcWindowFunc(kind, i, n);
}

} // namespace vk350
