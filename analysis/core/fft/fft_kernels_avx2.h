// Kernels for processors with AVX2 and FMA; call only after checking the processor.
#pragma once

#include "fft.h"

#include <cstdint>

namespace vk350 {

void PassesInterleavedAvx2(ComplexFloat* data, const ComplexFloat* passTable, std::int32_t order);
void RealOutputAvx2(ComplexFloat* data, const ComplexFloat* sinTable2, std::int32_t order);

} // namespace vk350
