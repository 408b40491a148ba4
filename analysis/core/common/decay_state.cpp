#include "decay_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vk350 {

DecayState::DecayState(std::int32_t capacity)
    : capacity_(std::max(capacity, 1)), state_(new float[std::size_t(capacity_)]()),
      sums_(new std::int32_t[std::size_t(capacity_)]()),
      ring_(new std::int32_t[std::size_t(capacity_) * kMaxRing]()) {}

bool DecayState::SetMode(DecayKind value) {
    if (value < dmNone || value > dmUniform || value == mode_)
        return false;
    mode_ = value;
    Clear();
    return true;
}

bool DecayState::SetDecay(std::int32_t value) {
    value = std::clamp(value, kMinDecay, kMaxDecay);
    if (value == decay_)
        return false;
    decay_ = value;
    double factor = 0.0001;
    for (std::int32_t i = 0; i < value; ++i)
        factor = std::sqrt(factor);
    factor_ = float(factor);
    ringLength_ = std::clamp(2 * value - 2, 1, kMaxRing);
    if (mode_ == dmUniform)
        Clear();
    return true;
}

void DecayState::Clear() {
    std::memset(state_.get(), 0, sizeof(float) * std::size_t(capacity_));
    std::memset(sums_.get(), 0, sizeof(std::int32_t) * std::size_t(capacity_));
    std::memset(ring_.get(), 0, sizeof(std::int32_t) * std::size_t(capacity_) * kMaxRing);
    ringIndex_ = 0;
    ringCount_ = 0;
}

void DecayState::BeginFrame() {
    if (mode_ != dmUniform)
        return;
    if (++ringIndex_ >= ringLength_)
        ringIndex_ = 0;
    ringCount_ = std::min(ringCount_ + 1, ringLength_);
}

std::int32_t DecayState::Apply(std::int32_t j, std::int32_t a) {
    if (j < 0 || j >= capacity_)
        return a;
    switch (mode_) {
    case dmStepUp: {
        float& d = state_[std::size_t(j)];
        d *= factor_;
        if (float(a) >= d) {
            d = float(a);
            return a;
        }
        return std::int32_t(d);
    }
    case dmExponential: {
        float& d = state_[std::size_t(j)];
        d = d * factor_ + (1.0f - factor_) * float(a);
        return std::int32_t(std::floor(d));
    }
    case dmUniform: {
        std::int32_t& slot = ring_[std::size_t(ringIndex_) * std::size_t(capacity_) + std::size_t(j)];
        sums_[std::size_t(j)] += a - slot;
        slot = a;
        return sums_[std::size_t(j)] / std::max(ringCount_, 1);
    }
    case dmNone:
    default:
        return a;
    }
}

} // namespace vk350
