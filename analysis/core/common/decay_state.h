// Smoothing of successive frames of values (the bins of a spectrum, or a meter's one level):
// instant rise with exponential fall, an exponential average, or a moving average over a ring
// of the latest frames.
#pragma once

#include "analysis_types.h"

#include <cstdint>
#include <memory>

namespace vk350 {

class DecayState {
public:
    static constexpr std::int32_t kMaxRing = 32;
    static constexpr std::int32_t kMinDecay = 1;
    static constexpr std::int32_t kMaxDecay = 16;

    // Room for `capacity` values per frame, with the whole ring, allocated once.
    explicit DecayState(std::int32_t capacity);

    DecayKind Mode() const { return mode_; }
    // A new mode clears the state; returns whether it changed.
    bool SetMode(DecayKind value);
    std::int32_t Decay() const { return decay_; }
    // Clamped to 1..16. Sets the factor to 0.0001 taken through n square roots and the ring to
    // 2n - 2 frames (1..32); clears the state when the moving average is active.
    bool SetDecay(std::int32_t value);
    float Factor() const { return factor_; }
    std::int32_t RingLength() const { return ringLength_; }
    std::int32_t Capacity() const { return capacity_; }

    void Clear();
    // Called once before the values of each frame.
    void BeginFrame();
    // The smoothed value for slot j (0 <= j < Capacity) given this frame's value a.
    std::int32_t Apply(std::int32_t j, std::int32_t a);

private:
    std::int32_t capacity_;
    DecayKind mode_ = dmNone;
    std::int32_t decay_ = 1;
    // A new instance starts slower than Decay 1 gives; only a change of Decay sets these.
    float factor_ = 0.0001f;
    std::int32_t ringLength_ = 1;
    std::int32_t ringIndex_ = 0;
    std::int32_t ringCount_ = 0;
    std::unique_ptr<float[]> state_;
    std::unique_ptr<std::int32_t[]> sums_;
    std::unique_ptr<std::int32_t[]> ring_;
};

} // namespace vk350
