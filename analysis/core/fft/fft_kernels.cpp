#include "fft_kernels.h"

#include "fft_passes.h"

#if defined(VK350_HAVE_AVX2_KERNELS)
#include "fft_kernels_avx2.h"
#endif

#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

namespace vk350 {

namespace {

void MulScalar(float* data, float factor, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        data[i] *= factor;
}

void MulComplex(ComplexFloat* data, const ComplexFloat* factors, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) {
        const float re = data[i].re * factors[i].re - data[i].im * factors[i].im;
        const float im = data[i].re * factors[i].im + data[i].im * factors[i].re;
        data[i] = {re, im};
    }
}

void ZeroFloats(float* data, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        data[i] = 0.0f;
}

void ZeroComplex(ComplexFloat* data, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        data[i] = {0.0f, 0.0f};
}

// Every entry rewrites both of its places with a select instead of a branch: half the entries
// swap and half do not, in no order a predictor could learn.
template <class T, class Bits> void BitReverse(T* data, const std::int32_t* table, std::int32_t count) {
    static_assert(sizeof(T) == sizeof(Bits));
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t r = table[i];
        Bits a, b;
        std::memcpy(&a, data + i, sizeof a);
        std::memcpy(&b, data + r, sizeof b);
        const bool swap = r > i;
        const Bits first = swap ? b : a;
        const Bits second = swap ? a : b;
        std::memcpy(data + i, &first, sizeof first);
        std::memcpy(data + r, &second, sizeof second);
    }
}

void BitReverseFloats(float* data, const std::int32_t* table, std::int32_t count) {
    BitReverse<float, std::uint32_t>(data, table, count);
}

void BitReverseComplex(ComplexFloat* data, const std::int32_t* table, std::int32_t count) {
    BitReverse<ComplexFloat, std::uint64_t>(data, table, count);
}

void SwapPairsComplex(ComplexFloat* data, const std::int32_t* pairs, std::int32_t count) {
    for (std::int32_t k = 0; k < count; ++k)
        std::swap(data[pairs[2 * k]], data[pairs[2 * k + 1]]);
}

ComplexFloat Twiddle(std::int64_t j, std::int64_t length) {
    // Angles in double so that the tables of long transforms stay exact to the last float bit.
    const double a = -2.0 * std::numbers::pi * double(j) / double(length);
    return {float(std::cos(a)), float(std::sin(a))};
}

void SinTable(ComplexFloat* table, std::int32_t order, std::int32_t count) {
    const std::int64_t length = std::int64_t(1) << order;
    for (std::int32_t j = 0; j < count; ++j)
        table[j] = Twiddle(j, length);
}

// The interleaved passes are radix 4 while a block holds 8 or more values; blocks of 4 or 2
// values need no twiddle. See Radix4Pass for the layout of one pass's twiddles.
void PassTable(ComplexFloat* table, std::int32_t order) {
    float* out = reinterpret_cast<float*>(table);
    for (std::int64_t block = std::int64_t(1) << order; block >= 8; block /= 4) {
        const std::int64_t quarter = block / 4;
        for (std::int64_t m = 1; m <= 3; ++m) {
            float* re = out;
            float* im = out + 2 * quarter;
            for (std::int64_t j = 0; j < quarter; ++j) {
                const ComplexFloat w = Twiddle(m * j, block);
                re[2 * j] = re[2 * j + 1] = w.re;
                im[2 * j] = -w.im;
                im[2 * j + 1] = w.im;
            }
            out += 4 * quarter;
        }
    }
}

// Radix-2 decimation in frequency on separate arrays, twiddles read with a stride from the
// table of the full length.
void PassesSplit(float* re, float* im, const ComplexFloat* sinTable, std::int32_t order) {
    const std::int64_t length = std::int64_t(1) << order;
    std::int64_t stride = 1;
    for (std::int64_t half = length / 2; half >= 1; half /= 2, stride *= 2) {
        for (std::int64_t g = 0; g < length; g += 2 * half) {
            for (std::int64_t j = 0; j < half; ++j) {
                const ComplexFloat w = sinTable[j * stride];
                const std::int64_t a = g + j;
                const std::int64_t b = a + half;
                const float dr = re[a] - re[b];
                const float di = im[a] - im[b];
                re[a] += re[b];
                im[a] += im[b];
                re[b] = dr * w.re - di * w.im;
                im[b] = dr * w.im + di * w.re;
            }
        }
    }
}

} // namespace

void DoCplxFFT2Portable(ComplexFloat* data, const ComplexFloat* passTable, std::int32_t order) {
    const std::int64_t length = std::int64_t(1) << order;
    float* z = reinterpret_cast<float*>(data);
    const float* tw = reinterpret_cast<const float*>(passTable);
    std::int64_t block = length;
    for (; block >= 8; block /= 4) {
        Radix4Pass<V4>(z, length, block, tw);
        tw += 3 * kFloatsPerTwiddle * (block / 4);
    }
    LastPass(z, length, block);
}

void BuildRealOutputPortable(ComplexFloat* data, const ComplexFloat* sinTable2, std::int32_t order) {
    RealOutput<V4>(data, sinTable2, order);
}

std::int32_t PassTableSize(std::int32_t order) {
    std::int64_t floats = 0;
    for (std::int64_t block = std::int64_t(1) << order; block >= 8; block /= 4)
        floats += 3 * kFloatsPerTwiddle * (block / 4);
    return std::int32_t(floats / 2);
}

FvecMul1Proc fvecMul1 = MulScalar;
FvecMul2Proc fvecMul2 = MulComplex;
FvecZero1Proc fvecZero1 = ZeroFloats;
FvecZero2Proc fvecZero2 = ZeroComplex;
FvecBitRev1Proc fvecBitRev1 = BitReverseFloats;
FvecBitRev2Proc fvecBitRev2 = BitReverseComplex;
FvecSwapPairs2Proc fvecSwapPairs2 = SwapPairsComplex;
GenSinTable1Proc GenSinTable1 = SinTable;
GenSinTable2Proc GenSinTable2 = PassTable;
DoCplxFFT1Proc DoCplxFFT1 = PassesSplit;
DoCplxFFT2Proc DoCplxFFT2 = DoCplxFFT2Portable;
BuildRealOutputProc BuildRealOutput = BuildRealOutputPortable;

namespace {

// Picks the kernels for the processor once, before main runs.
struct KernelSelection {
    KernelSelection() {
#if defined(VK350_HAVE_AVX2_KERNELS)
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
            DoCplxFFT2 = PassesInterleavedAvx2;
            BuildRealOutput = RealOutputAvx2;
        }
#endif
    }
} kernelSelection;

} // namespace

} // namespace vk350
