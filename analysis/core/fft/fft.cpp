#include "fft.h"

#include "fft_kernels.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace vk350 {

namespace {

// Above this the length no longer fits the plan's 32-bit fields.
constexpr std::int32_t kMaxOrder = 30;
constexpr std::size_t kAlign = 64;

std::size_t Aligned(std::size_t n) {
    return (n + kAlign - 1) / kAlign * kAlign;
}

// One block for the record and its tables, each table on its own cache line.
template <class Plan> Plan* AllocatePlan(std::size_t tableBytes, std::byte*& tables) {
    void* block = ::operator new(Aligned(sizeof(Plan)) + tableBytes, std::align_val_t(kAlign), std::nothrow);
    if (!block)
        return nullptr;
    tables = static_cast<std::byte*>(block) + Aligned(sizeof(Plan));
    return new (block) Plan{};
}

template <class T> T* Take(std::byte*& cursor, std::int64_t count) {
    T* p = reinterpret_cast<T*>(cursor);
    cursor += Aligned(sizeof(T) * std::size_t(count));
    return p;
}

template <class Plan> void FreePlan(Plan*& plan) {
    if (!plan)
        return;
    plan->~Plan();
    ::operator delete(static_cast<void*>(plan), std::align_val_t(kAlign));
    plan = nullptr;
}

std::int32_t ClampDirection(std::int32_t direction) {
    return std::clamp(direction, -1, 1);
}

} // namespace

void GenBitRevTable(std::int32_t* table, std::int32_t order) {
    if (!table || order < 0 || order > kMaxOrder)
        return;
    const std::int64_t length = std::int64_t(1) << order;
    table[0] = 0;
    // Each entry doubles the one of half its index and moves the low bit to the top.
    for (std::int64_t i = 1; i < length; ++i)
        table[i] = std::int32_t((table[i >> 1] >> 1) | ((i & 1) << (order - 1)));
}

RealFft* InitRealFFT(std::int32_t order) {
    if (order <= 0 || order >= 32 || order > kMaxOrder)
        return nullptr;
    const std::int64_t half = std::int64_t(1) << (order - 1);
    const std::int64_t quarter = half / 2;
    const std::int64_t passes = PassTableSize(order - 1);
    std::byte* cursor = nullptr;
    // At most half of the entries change places, two indices a pair.
    auto* plan = AllocatePlan<RealFft>(Aligned(sizeof(std::int32_t) * std::size_t(half)) +
                                           Aligned(sizeof(ComplexFloat) * std::size_t(passes)) +
                                           Aligned(sizeof(ComplexFloat) * std::size_t(quarter)) +
                                           Aligned(sizeof(std::int32_t) * std::size_t(half)),
                                       cursor);
    if (!plan)
        return nullptr;
    plan->order = order;
    plan->length = std::int32_t(half * 2);
    plan->scale = 1.0f / float(plan->length);
    plan->bitRev = Take<std::int32_t>(cursor, half);
    plan->passTable = Take<ComplexFloat>(cursor, passes);
    plan->sinTable = Take<ComplexFloat>(cursor, quarter);
    plan->swaps = Take<std::int32_t>(cursor, half);
    GenBitRevTable(plan->bitRev, order - 1);
    for (std::int64_t i = 0; i < half; ++i) {
        if (plan->bitRev[i] > i) {
            plan->swaps[2 * plan->swapCount] = std::int32_t(i);
            plan->swaps[2 * plan->swapCount + 1] = plan->bitRev[i];
            ++plan->swapCount;
        }
    }
    GenSinTable2(plan->passTable, order - 1);
    GenSinTable1(plan->sinTable, order, std::int32_t(quarter));
    return plan;
}

void DoRealFFT(const RealFft* plan, float* data, std::int32_t direction) {
    if (!plan || !data)
        return;
    auto* z = reinterpret_cast<ComplexFloat*>(data);
    DoCplxFFT2(z, plan->passTable, plan->order - 1);
    fvecSwapPairs2(z, plan->swaps, plan->swapCount);
    BuildRealOutput(z, plan->sinTable, plan->order);
    if (ClampDirection(direction) < 0)
        fvecMul1(data, plan->scale, plan->length);
}

void DoneRealFFT(RealFft*& plan) {
    FreePlan(plan);
}

ComplexFft* InitCplxFFT(std::int32_t order) {
    if (order <= 0 || order >= 32 || order > kMaxOrder)
        return nullptr;
    const std::int64_t length = std::int64_t(1) << order;
    const std::int64_t passes = PassTableSize(order);
    std::byte* cursor = nullptr;
    auto* plan = AllocatePlan<ComplexFft>(Aligned(sizeof(std::int32_t) * std::size_t(length)) +
                                              Aligned(sizeof(ComplexFloat) * std::size_t(length / 2)) +
                                              Aligned(sizeof(ComplexFloat) * std::size_t(passes)),
                                          cursor);
    if (!plan)
        return nullptr;
    plan->order = order;
    plan->length = std::int32_t(length);
    plan->scale = 1.0f / float(length);
    plan->bitRev = Take<std::int32_t>(cursor, length);
    plan->sinTable = Take<ComplexFloat>(cursor, length / 2);
    plan->passTable = Take<ComplexFloat>(cursor, passes);
    GenBitRevTable(plan->bitRev, order);
    GenSinTable1(plan->sinTable, order, std::int32_t(length / 2));
    GenSinTable2(plan->passTable, order);
    return plan;
}

void DoCplxFFTa(const ComplexFft* plan, float* re, float* im, std::int32_t direction) {
    if (!plan || !re || !im)
        return;
    // The inverse is the forward transform with the roles of the two arrays exchanged.
    const bool inverse = ClampDirection(direction) < 0;
    if (inverse)
        std::swap(re, im);
    DoCplxFFT1(re, im, plan->sinTable, plan->order);
    fvecBitRev1(re, plan->bitRev, plan->length);
    fvecBitRev1(im, plan->bitRev, plan->length);
    if (inverse) {
        fvecMul1(re, plan->scale, plan->length);
        fvecMul1(im, plan->scale, plan->length);
    }
}

void DoCplxFFTb(const ComplexFft* plan, ComplexFloat* data, std::int32_t direction) {
    if (!plan || !data)
        return;
    // The inverse is the conjugate of the forward transform of the conjugate.
    const bool inverse = ClampDirection(direction) < 0;
    if (inverse)
        for (std::int32_t i = 0; i < plan->length; ++i)
            data[i].im = -data[i].im;
    DoCplxFFT2(data, plan->passTable, plan->order);
    fvecBitRev2(data, plan->bitRev, plan->length);
    if (inverse)
        for (std::int32_t i = 0; i < plan->length; ++i)
            data[i] = {data[i].re * plan->scale, -data[i].im * plan->scale};
}

void DoneCplxFFT(ComplexFft*& plan) {
    FreePlan(plan);
}

} // namespace vk350
