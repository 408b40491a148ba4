// The butterfly passes of the interleaved complex transform, written once for any register width
// and compiled by each kernel source for the instruction set it targets. Everything here has
// internal linkage, so the copies of different sources never mix.
#pragma once

#include "fft.h"

#include <cstdint>
#include <cstring>

namespace vk350 {
namespace {

typedef float V4 __attribute__((vector_size(16)));
typedef float V8 __attribute__((vector_size(32)));

template <class V> inline V LoadV(const float* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V> inline void StoreV(float* p, V v) {
    std::memcpy(p, &v, sizeof v);
}

// (re, im) -> (im, re) for every complex value in the register.
template <class V> inline V SwapReIm(V v) {
    if constexpr (sizeof(V) == 16)
        return __builtin_shufflevector(v, v, 1, 0, 3, 2);
    else
        return __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
}

// (1, -1, 1, -1, ...)
template <class V> inline V AlternateSign() {
    V v;
    for (unsigned i = 0; i < sizeof(V) / sizeof(float); ++i)
        v[i] = i % 2 ? -1.0f : 1.0f;
    return v;
}

// v times the twiddles whose real parts (each twice) are in wr and whose imaginary parts are in
// wi as (-im, im).
template <class V> inline V CMul(V v, V wr, V wi) {
    return v * wr + SwapReIm(v) * wi;
}

// Floats per twiddle in the pass table: (re, re) and (-im, im), so a register of complex values
// meets its twiddles without a shuffle.
constexpr std::int64_t kFloatsPerTwiddle = 4;

// One radix-4 pass over blocks of `block` values (block >= 8, quarter q = block/4 a multiple of
// the register's complex count). tw holds, each 2q floats long, the real and the imaginary
// halves of w^j, w^2j and w^3j for j < q, w = e^(-2*pi*i/block).
template <class V>
inline void Radix4Pass(float* z, std::int64_t length, std::int64_t block, const float* tw) {
    constexpr std::int64_t step = sizeof(V) / sizeof(float);
    const std::int64_t q2 = block / 2; // a quarter block in floats
    const float* wr1 = tw;
    const float* wi1 = wr1 + q2;
    const float* wr2 = wi1 + q2;
    const float* wi2 = wr2 + q2;
    const float* wr3 = wi2 + q2;
    const float* wi3 = wr3 + q2;
    const V minusI = AlternateSign<V>();
    for (std::int64_t g = 0; g < 2 * length; g += 2 * block) {
        float* p0 = z + g;
        float* p1 = p0 + q2;
        float* p2 = p1 + q2;
        float* p3 = p2 + q2;
        for (std::int64_t j = 0; j < q2; j += step) {
            const V x0 = LoadV<V>(p0 + j);
            const V x1 = LoadV<V>(p1 + j);
            const V x2 = LoadV<V>(p2 + j);
            const V x3 = LoadV<V>(p3 + j);
            const V a0 = x0 + x2;
            const V a1 = x0 - x2;
            const V a2 = x1 + x3;
            const V a3 = SwapReIm(x1 - x3) * minusI; // (x1 - x3) * -i
            StoreV(p0 + j, a0 + a2);
            StoreV(p1 + j, CMul(a0 - a2, LoadV<V>(wr2 + j), LoadV<V>(wi2 + j)));
            StoreV(p2 + j, CMul(a1 + a3, LoadV<V>(wr1 + j), LoadV<V>(wi1 + j)));
            StoreV(p3 + j, CMul(a1 - a3, LoadV<V>(wr3 + j), LoadV<V>(wi3 + j)));
        }
    }
}

// (a, b) -> (a + b, a - b) for the two complex values of v.
inline V4 SumDiff(V4 v) {
    const V4 sign = {1.f, 1.f, -1.f, -1.f};
    return __builtin_shufflevector(v, v, 0, 1, 0, 1) + __builtin_shufflevector(v, v, 2, 3, 2, 3) * sign;
}

// The passes that are left once blocks hold 4 or 2 values: they need no twiddles.
inline void LastPass(float* z, std::int64_t length, std::int64_t block) {
    if (block == 4) {
        const V4 sign = {1.f, 1.f, 1.f, -1.f};
        for (std::int64_t g = 0; g < 2 * length; g += 8) {
            const V4 lo = LoadV<V4>(z + g);
            const V4 hi = LoadV<V4>(z + g + 4);
            const V4 d = lo - hi;
            // (z0 - z2, (z1 - z3) * -i)
            const V4 odd = __builtin_shufflevector(d, d, 0, 1, 3, 2) * sign;
            StoreV(z + g, SumDiff(lo + hi));
            StoreV(z + g + 4, SumDiff(odd));
        }
    } else if (block == 2) {
        for (std::int64_t g = 0; g < 2 * length; g += 4)
            StoreV(z + g, SumDiff(LoadV<V4>(z + g)));
    }
}

// (c0, c1, ..., cn) -> (cn, ..., c1, c0) for the complex values of v.
template <class V> inline V ReversePairs(V v) {
    if constexpr (sizeof(V) == 16)
        return __builtin_shufflevector(v, v, 2, 3, 0, 1);
    else
        return __builtin_shufflevector(v, v, 6, 7, 4, 5, 2, 3, 0, 1);
}

// Each complex value's real part twice, and its imaginary part twice.
template <class V> inline V DupRe(V v) {
    if constexpr (sizeof(V) == 16)
        return __builtin_shufflevector(v, v, 0, 0, 2, 2);
    else
        return __builtin_shufflevector(v, v, 0, 0, 2, 2, 4, 4, 6, 6);
}

template <class V> inline V DupIm(V v) {
    if constexpr (sizeof(V) == 16)
        return __builtin_shufflevector(v, v, 1, 1, 3, 3);
    else
        return __builtin_shufflevector(v, v, 1, 1, 3, 3, 5, 5, 7, 7);
}

template <class V> inline V Splat(float f) {
    V v;
    for (unsigned i = 0; i < sizeof(V) / sizeof(float); ++i)
        v[i] = f;
    return v;
}

// X[k] = E + w^k * O and X[M-k] = conj(E - w^k * O), with E = (Z[k] + conj(Z[M-k]))/2 and
// O = -i * (Z[k] - conj(Z[M-k]))/2, M = N/2. A register's worth of k at a time from the front,
// meeting their partners from the back.
template <class V>
inline void RealOutput(ComplexFloat* data, const ComplexFloat* sinTable2, std::int32_t order) {
    constexpr std::int64_t lanes = sizeof(V) / sizeof(float) / 2; // complex values a register
    const std::int64_t m = (std::int64_t(1) << order) / 2;
    const float dc = data[0].re + data[0].im;
    data[0] = {dc, 0.f};
    if (m < 2)
        return;
    data[m / 2].im = -data[m / 2].im;
    float* z = reinterpret_cast<float*>(data);
    const float* w = reinterpret_cast<const float*>(sinTable2);
    const V half = Splat<V>(0.5f);
    const V conj = AlternateSign<V>(); // (1, -1, ...)
    const V wiSign = -conj;            // (-1, 1, ...)
    std::int64_t k = 1;
    for (; k + lanes - 1 < m / 2; k += lanes) {
        const V a = LoadV<V>(z + 2 * k);
        const V back = LoadV<V>(z + 2 * (m - k - (lanes - 1)));
        const V b = ReversePairs(back) * conj;
        const V e = (a + b) * half;
        const V o = SwapReIm((a - b) * half) * conj;
        const V tw = LoadV<V>(w + 2 * k);
        const V t = CMul(o, DupRe(tw), DupIm(tw) * wiSign);
        const V front = e + t;
        const V mirror = (e - t) * conj;
        StoreV(z + 2 * k, front);
        StoreV(z + 2 * (m - k - (lanes - 1)), ReversePairs(mirror));
    }
    for (; k < m / 2; ++k) {
        const ComplexFloat a = data[k];
        const ComplexFloat b = data[m - k];
        const float er = 0.5f * (a.re + b.re);
        const float ei = 0.5f * (a.im - b.im);
        const float or_ = 0.5f * (a.im + b.im);
        const float oi = -0.5f * (a.re - b.re);
        const ComplexFloat tw = sinTable2[k];
        const float tr = tw.re * or_ - tw.im * oi;
        const float ti = tw.re * oi + tw.im * or_;
        data[k] = {er + tr, ei + ti};
        data[m - k] = {er - tr, -(ei - ti)};
    }
}

} // namespace
} // namespace vk350
