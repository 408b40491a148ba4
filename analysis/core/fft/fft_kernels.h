// The vector kernels under the transforms. Each is reached through a routine variable, set once
// when the program starts to the fastest version the processor runs, so a caller (or a test) may
// put its own version in place. Counts are in elements of the pointed-to type.
#pragma once

#include "fft.h"

#include <cstdint>

namespace vk350 {

using FvecMul1Proc = void (*)(float* data, float factor, std::int32_t count);
using FvecMul2Proc = void (*)(ComplexFloat* data, const ComplexFloat* factors, std::int32_t count);
using FvecZero1Proc = void (*)(float* data, std::int32_t count);
using FvecZero2Proc = void (*)(ComplexFloat* data, std::int32_t count);
using FvecBitRev1Proc = void (*)(float* data, const std::int32_t* table, std::int32_t count);
using FvecBitRev2Proc = void (*)(ComplexFloat* data, const std::int32_t* table, std::int32_t count);
using FvecSwapPairs2Proc = void (*)(ComplexFloat* data, const std::int32_t* pairs, std::int32_t count);
using GenSinTable1Proc = void (*)(ComplexFloat* table, std::int32_t order, std::int32_t count);
using GenSinTable2Proc = void (*)(ComplexFloat* table, std::int32_t order);
using DoCplxFFT1Proc = void (*)(float* re, float* im, const ComplexFloat* sinTable, std::int32_t order);
using DoCplxFFT2Proc = void (*)(ComplexFloat* data, const ComplexFloat* passTable, std::int32_t order);
using BuildRealOutputProc = void (*)(ComplexFloat* data, const ComplexFloat* sinTable2, std::int32_t order);

// data[i] *= factor.
extern FvecMul1Proc fvecMul1;
// data[i] *= factors[i], complex.
extern FvecMul2Proc fvecMul2;
extern FvecZero1Proc fvecZero1;
extern FvecZero2Proc fvecZero2;
// Permutes data by a bit-reverse table in place: data[i] and data[table[i]] change places.
extern FvecBitRev1Proc fvecBitRev1;
extern FvecBitRev2Proc fvecBitRev2;
// Exchanges data[pairs[2k]] and data[pairs[2k+1]] for k < count: a permutation's swaps only.
extern FvecSwapPairs2Proc fvecSwapPairs2;
// table[j] = e^(-2*pi*i*j/2^order) for j = 0..count-1.
extern GenSinTable1Proc GenSinTable1;
// The twiddles of DoCplxFFT2 for 2^order values, PassTableSize(order) entries.
extern GenSinTable2Proc GenSinTable2;
// The butterfly passes of a forward complex transform of 2^order values in place; the result is
// in bit-reversed order. Form 1: separate arrays, twiddles from the table of GenSinTable1 with
// count 2^order/2. Form 2: interleaved values, twiddles from GenSinTable2.
extern DoCplxFFT1Proc DoCplxFFT1;
extern DoCplxFFT2Proc DoCplxFFT2;
// Turns the natural-order spectrum Z of the 2^order/2 complex values z[n] = x[2n] + i*x[2n+1]
// into the first half of the spectrum of the 2^order reals x, in place; sinTable2 holds
// 2^order/4 entries of GenSinTable1(order).
extern BuildRealOutputProc BuildRealOutput;

// The portable version of DoCplxFFT2, which it holds on processors without a faster one.
void DoCplxFFT2Portable(ComplexFloat* data, const ComplexFloat* passTable, std::int32_t order);
// The portable version of BuildRealOutput.
void BuildRealOutputPortable(ComplexFloat* data, const ComplexFloat* sinTable2, std::int32_t order);

// Entries that GenSinTable2 writes for 2^order values.
std::int32_t PassTableSize(std::int32_t order);

} // namespace vk350
