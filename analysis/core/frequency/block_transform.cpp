#include "block_transform.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

namespace vk350 {

BlockTransform::BlockTransform()
    : windowTable_(new std::int32_t[kMaxLength]), work_(new float[kMaxLength]),
      spectrum_(new std::int16_t[kMaxLength]()) {
    Rebuild();
}

BlockTransform::~BlockTransform() {
    DoneRealFFT(plan_);
}

std::int32_t BlockTransform::ClampLength(std::int32_t value) {
    const std::int32_t clamped = std::clamp(value, kMinLength, kMaxLength);
    return std::int32_t(std::bit_floor(std::uint32_t(clamped)));
}

bool BlockTransform::SetFFTLength(std::int32_t value) {
    value = ClampLength(value);
    if (value == length_)
        return false;
    length_ = value;
    order_ = std::countr_zero(std::uint32_t(value));
    Rebuild();
    return true;
}

bool BlockTransform::SetWindow(FftWindow value) {
    if (value < fwRectangular || value > fwParzen || value == window_)
        return false;
    window_ = value;
    GenWindowTableInt(windowTable_.get(), window_, order_);
    return true;
}

void BlockTransform::SetDifference(std::int32_t order) {
    difference_ = std::clamp(order, 0, 2);
}

void BlockTransform::Rebuild() {
    RealFft* plan = InitRealFFT(order_);
    if (!plan)
        throw std::bad_alloc();
    DoneRealFFT(plan_);
    plan_ = plan;
    GenWindowTableInt(windowTable_.get(), window_, order_);
    Clear();
}

void BlockTransform::Clear() {
    std::memset(spectrum_.get(), 0, sizeof(std::int16_t) * kMaxLength);
}

void BlockTransform::SetSpectrum(const std::int16_t* values) {
    if (values)
        std::memcpy(spectrum_.get(), values, sizeof(std::int16_t) * std::size_t(length_));
}

std::int32_t BlockTransform::Centred(const std::uint8_t* block, const PcmInput& input, std::int32_t i,
                                     std::int32_t& overflows) const {
    std::int32_t s = 0;
    bool averaged = false;
    if (!input.Stereo() || input.Channel() == chLeft) {
        s = input.Left(block, i);
    } else if (input.Channel() == chRight) {
        s = input.Right(block, i);
    } else {
        s = (input.Left(block, i) + input.Right(block, i)) / 2;
        averaged = true;
    }
    // Only the positive extreme counts as clipping.
    if (input.BitLength() == b8Bit) {
        if (s >= 255)
            ++overflows;
        return s - 128;
    }
    if (s >= (averaged ? 32766 : 32767))
        ++overflows;
    return s;
}

std::int32_t BlockTransform::Transform(const std::uint8_t* block, const PcmInput& input) {
    std::int32_t overflows = 0;
    if (!block)
        return 0;
    const std::int64_t divisor = input.BitLength() == b8Bit ? 128 : 32768;
    const std::int32_t* w = windowTable_.get();
    float* x = work_.get();
    std::int32_t prev1 = 0;
    std::int32_t prev2 = 0;
    for (std::int32_t i = 0; i < length_; ++i) {
        const std::int32_t c = Centred(block, input, i, overflows);
        if (i == 0)
            prev1 = prev2 = c;
        std::int32_t v = c;
        if (difference_ == 1)
            v = c - prev1;
        else if (difference_ == 2)
            v = c + prev2 - 2 * prev1;
        prev2 = prev1;
        prev1 = c;
        x[i] = float(std::int64_t(v) * w[i] / divisor);
    }
    DoRealFFT(plan_, x, 1);
    // Held to 16 bits rather than wrapped: a loud low bin must not come out as a quiet one.
    const float half = float(length_ / 2);
    std::int16_t* out = spectrum_.get();
    for (std::int32_t i = 0; i < length_; ++i) {
        const float v = std::trunc(x[i] / half);
        out[i] = std::int16_t(std::clamp(v, -32768.0f, 32767.0f));
    }
    return overflows;
}

} // namespace vk350
