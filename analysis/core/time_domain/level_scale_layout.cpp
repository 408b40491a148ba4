#include "level_scale_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vk350 {

void LevelScaleLayout::SetKind(LevelKind value) {
    if (value == lkHorizontal || value == lkVertical)
        kind_ = value;
}

void LevelScaleLayout::SetDirection(LevelDirection value) {
    if (value >= dirNormal && value <= dirSymetric)
        direction_ = value;
}

void LevelScaleLayout::SetScaleTicks(std::int32_t value) {
    scaleTicks_ = std::max(value, 2);
}
void LevelScaleLayout::SetSensitivy(std::int32_t value) {
    sensitivy_ = std::clamp(value, -90, -9);
}
void LevelScaleLayout::SetPoint1(std::int32_t value) {
    point1_ = std::clamp(value, 1, 100);
}
void LevelScaleLayout::SetPoint2(std::int32_t value) {
    point2_ = std::clamp(value, 1, 100);
}

void LevelScaleLayout::SetScalePos(ScalePosition value) {
    if (value >= spAboveOrLeft && value <= spBoth)
        scalePos_ = value;
}

void LevelScaleLayout::SetBounds(std::int32_t width, std::int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
}

std::int32_t LevelScaleLayout::TickValue(std::int32_t k) const {
    const double last = scaleTicks_ - 1;
    if (logAmp_)
        return std::int32_t(std::nearbyint(k * sensitivy_ / last));
    // Linear: evenly spaced amplitudes from the meter's floor up to full scale.
    const double full = kLevelFullScale;
    const double floor = full / std::pow(10.0, -sensitivy_ / 20.0);
    const double fromFloor = last - k;
    return std::int32_t(
        std::nearbyint(20.0 * std::log10((floor + (full - floor) * fromFloor / last) / full)));
}

// Bands follow the meter's: the share of the length between the floor and the tick.
std::int32_t LevelScaleLayout::TickBand(std::int32_t k) const {
    const double share = 100.0 * (scaleTicks_ - 1 - k) / (scaleTicks_ - 1);
    return share > point2_ ? 2 : share > point1_ ? 1 : 0;
}

std::int32_t LevelScaleLayout::LabelStep(std::int32_t textWidth, std::int32_t textHeight) const {
    const std::int32_t length = kind_ == lkVertical ? height_ : width_;
    const std::int32_t extent = std::max(1, kind_ == lkVertical ? textHeight : textWidth);
    std::int32_t step = 1;
    while ((scaleTicks_ - 1) / step * extent > length && step < scaleTicks_)
        ++step;
    return step;
}

std::vector<LevelScaleLabel> LevelScaleLayout::Labels(std::int32_t textWidth, std::int32_t textHeight) const {
    std::vector<LevelScaleLabel> labels;
    const std::int32_t step = LabelStep(textWidth, textHeight);
    const std::int32_t last = scaleTicks_ - 1;
    const bool vertical = kind_ == lkVertical;
    const std::int32_t length = vertical ? height_ : width_;
    for (std::int32_t t = 0; t <= last; t += step) {
        // Tick t counted along the control from the top or the left.
        const std::int32_t p = std::int32_t(std::nearbyint(double(t) * (length - 1) / last));
        // kFar: the tick counted from the far end of the bar (where the meter is full).
        std::int32_t kFar = (direction_ == dirReversed) == vertical ? last - t : t;
        std::int32_t value = 0;
        std::string prefix;
        if (direction_ == dirSymetric) {
            // The meter's marker reaches 0 dB in the middle; the far half mirrors the near one
            // above 0 dB.
            kFar = vertical ? t : last - t;
            const std::int32_t fromMiddle = std::abs(2 * t - last);
            value = TickValue(fromMiddle);
            if (2 * kFar < last) {
                prefix = "+";
                value = std::abs(value);
            }
        } else {
            value = TickValue(kFar);
        }
        LevelScaleLabel label{prefix + std::to_string(value), {}, TickBand(kFar)};
        if (vertical) {
            label.box = {(width_ - textWidth) / 2, p, textWidth, textHeight};
            if (direction_ == dirReversed)
                label.box.top = p - textHeight + 1;
            if (label.box.top < 0 || label.box.top + textHeight > height_)
                continue;
        } else {
            // Centred on the tick, moved inside at the two ends.
            const std::int32_t left = std::clamp(p - textWidth / 2, 0, std::max(0, width_ - textWidth));
            label.box = {left, (height_ - textHeight) / 2, textWidth, textHeight};
        }
        labels.push_back(label);
    }
    return labels;
}

} // namespace vk350
