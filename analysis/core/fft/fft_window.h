// Window functions applied to a block before its transform.
#pragma once

#include <cstdint>

namespace vk350 {

enum FftWindow : std::int32_t {
    fwRectangular,
    fwHamming,
    fwHanning,
    fwBlackman,
    fwGaussian,
    fwWelch,
    fwParzen,
};

// w(i) for a table of length n; 1 for a kind outside the list or n < 1.
float CalcWindowFunc(FftWindow kind, std::int32_t i, std::int32_t n);
// 2^order entries of w(i) * 32767, rounded half up.
void GenWindowTableInt(std::int32_t* table, FftWindow kind, std::int32_t order);
void GenWindowTableFloat(float* table, FftWindow kind, std::int32_t order);
// Multiply 2^order values in place by w(i); the integer form truncates toward zero.
void CalcWindowInt(std::int16_t* data, FftWindow kind, std::int32_t order);
void CalcWindowFloat(float* data, FftWindow kind, std::int32_t order);

} // namespace vk350
