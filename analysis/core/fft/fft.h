// Fast Fourier transforms in single precision: a real transform for the analysis views and a
// complex one in two data layouts.
//
// A plan is made once for a length and used for any number of transforms of that length; a
// transform only reads it, so threads may share one. Plans are plain records with their tables
// behind them in one block; Done* frees that block and clears the caller's pointer.
#pragma once

#include <cstdint>

namespace vk350 {

// One complex value (re, im).
struct ComplexFloat {
    float re;
    float im;
};

// Real transform of N = 2^order values, computed as a complex transform of N/2 values followed by
// a step that separates the spectra of the even and odd samples.
struct RealFft {
    std::int32_t order;
    std::int32_t length;
    float scale;             // 1/N
    std::int32_t* bitRev;    // N/2 entries: the (order-1)-bit reverse table
    ComplexFloat* passTable; // twiddles of the half-length complex transform, in pass order
    ComplexFloat* sinTable;  // N/4 entries e^(-2*pi*i*k/N): the real-output step
    std::int32_t* swaps;     // the pairs (i, j), i < j, that the bit-reverse order exchanges
    std::int32_t swapCount;
};

// Complex transform of N = 2^order values.
struct ComplexFft {
    std::int32_t order;
    std::int32_t length;
    float scale;             // 1/N
    std::int32_t* bitRev;    // N entries
    ComplexFloat* sinTable;  // N/2 entries e^(-2*pi*i*j/N)
    ComplexFloat* passTable; // twiddles in the order the interleaved passes read them
};

// A plan for 2^order values, or nullptr when order <= 0, order >= 32 or memory runs out.
RealFft* InitRealFFT(std::int32_t order);
// In place on plan->length floats. Direction is clamped to -1..1. The result is
// X[k] = sum x[n] e^(-2*pi*i*k*n/N) for k = 0..N/2-1 as (re, im) pairs, except that element 1
// holds 0 instead of the imaginary part of X[0]: the Nyquist term is not kept. A negative
// direction returns the same spectrum scaled by 1/N.
void DoRealFFT(const RealFft* plan, float* data, std::int32_t direction);
void DoneRealFFT(RealFft*& plan);

ComplexFft* InitCplxFFT(std::int32_t order);
// Forward (direction >= 0): X[k] = sum x[n] e^(-2*pi*i*k*n/N). Inverse (direction < 0):
// x[n] = 1/N sum X[k] e^(+2*pi*i*k*n/N). Results in natural order, in place.
// Separate real and imaginary arrays of plan->length values each.
void DoCplxFFTa(const ComplexFft* plan, float* re, float* im, std::int32_t direction);
// Interleaved values.
void DoCplxFFTb(const ComplexFft* plan, ComplexFloat* data, std::int32_t direction);
void DoneCplxFFT(ComplexFft*& plan);

// table[i] = i with its `order` low bits reversed, for i = 0..2^order-1.
void GenBitRevTable(std::int32_t* table, std::int32_t order);

} // namespace vk350
