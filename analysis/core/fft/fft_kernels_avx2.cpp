// The interleaved butterfly passes for processors with AVX2 and FMA: four complex values per
// register. Built with those instruction sets enabled, so nothing outside this file may call into
// it except through the routine variable that is set only after the processor was checked.
#include "fft_kernels_avx2.h"

#include "fft_passes.h"

namespace vk350 {

void PassesInterleavedAvx2(ComplexFloat* data, const ComplexFloat* passTable, std::int32_t order) {
    const std::int64_t length = std::int64_t(1) << order;
    float* z = reinterpret_cast<float*>(data);
    const float* tw = reinterpret_cast<const float*>(passTable);
    std::int64_t block = length;
    for (; block >= 8; block /= 4) {
        if (block >= 16)
            Radix4Pass<V8>(z, length, block, tw);
        else
            Radix4Pass<V4>(z, length, block, tw);
        tw += 3 * kFloatsPerTwiddle * (block / 4);
    }
    LastPass(z, length, block);
}

void RealOutputAvx2(ComplexFloat* data, const ComplexFloat* sinTable2, std::int32_t order) {
    RealOutput<V8>(data, sinTable2, order);
}

} // namespace vk350
