// The vector kernels under the transforms. Each is reached through a routine variable, set once
// when the program starts to the fastest version the processor runs, so a caller (or a test) may
// put its own version in place. Counts are in elements of the pointed-to type.
#pragma once

#include "fft.h"

#include <cstdint>

namespace vk350 {

using TfvecMul1Proc = void (*)(float* data, float factor, std::int32_t count);
using TfvecMul2Proc = void (*)(TfCplx* data, const TfCplx* factors, std::int32_t count);
using TfvecZero1Proc = void (*)(float* data, std::int32_t count);
using TfvecZero2Proc = void (*)(TfCplx* data, std::int32_t count);
using TfvecBitRev1Proc = void (*)(float* data, const std::int32_t* table, std::int32_t count);
using TfvecBitRev2Proc = void (*)(TfCplx* data, const std::int32_t* table, std::int32_t count);
using TfvecSwapPairs2Proc = void (*)(TfCplx* data, const std::int32_t* pairs, std::int32_t count);
using TGenSinTable1Proc = void (*)(TfCplx* table, std::int32_t order, std::int32_t count);
using TGenSinTable2Proc = void (*)(TfCplx* table, std::int32_t order);
using TDoCplxFFT1Proc = void (*)(float* re, float* im, const TfCplx* sinTable, std::int32_t order);
using TDoCplxFFT2Proc = void (*)(TfCplx* data, const TfCplx* passTable, std::int32_t order);
using TBuildRealOutputProc = void (*)(TfCplx* data, const TfCplx* sinTable2, std::int32_t order);

// data[i] *= factor.
extern TfvecMul1Proc fvecMul1;
// data[i] *= factors[i], complex.
extern TfvecMul2Proc fvecMul2;
extern TfvecZero1Proc fvecZero1;
extern TfvecZero2Proc fvecZero2;
// Permutes data by a bit-reverse table in place: data[i] and data[table[i]] change places.
extern TfvecBitRev1Proc fvecBitRev1;
extern TfvecBitRev2Proc fvecBitRev2;
// Exchanges data[pairs[2k]] and data[pairs[2k+1]] for k < count: a permutation's swaps only.
extern TfvecSwapPairs2Proc fvecSwapPairs2;
// table[j] = e^(-2*pi*i*j/2^order) for j = 0..count-1.
extern TGenSinTable1Proc GenSinTable1;
// The twiddles of DoCplxFFT2 for 2^order values, PassTableSize(order) entries.
extern TGenSinTable2Proc GenSinTable2;
// The butterfly passes of a forward complex transform of 2^order values in place; the result is
// in bit-reversed order. Form 1: separate arrays, twiddles from the table of GenSinTable1 with
// count 2^order/2. Form 2: interleaved values, twiddles from GenSinTable2.
extern TDoCplxFFT1Proc DoCplxFFT1;
extern TDoCplxFFT2Proc DoCplxFFT2;
// Turns the natural-order spectrum Z of the 2^order/2 complex values z[n] = x[2n] + i*x[2n+1]
// into the first half of the spectrum of the 2^order reals x, in place; sinTable2 holds
// 2^order/4 entries of GenSinTable1(order).
extern TBuildRealOutputProc BuildRealOutput;

// The portable version of DoCplxFFT2, which it holds on processors without a faster one.
void DoCplxFFT2Portable(TfCplx* data, const TfCplx* passTable, std::int32_t order);
// The portable version of BuildRealOutput.
void BuildRealOutputPortable(TfCplx* data, const TfCplx* sinTable2, std::int32_t order);

// Entries that GenSinTable2 writes for 2^order values.
std::int32_t PassTableSize(std::int32_t order);

} // namespace vk350
