#include "level_analysis.h"

#include "analysis_errors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vk350 {

LevelAnalysis::LevelAnalysis() : AnalysisFrame(200, 17) {
    Changed();
}

std::int32_t LevelAnalysis::Length() const {
    return kind_ == lkVertical ? area_.height : area_.width;
}
std::int32_t LevelAnalysis::Breadth() const {
    return kind_ == lkVertical ? area_.width : area_.height;
}

// Drawing area and spot geometry; a level or peak beyond a shorter bar is cut to it.
void LevelAnalysis::Changed() {
    area_ = {bevel_, bevel_, std::max(1, width_ - 2 * bevel_), std::max(1, height_ - 2 * bevel_)};
    const std::int32_t length = Length();
    spots_ = std::max(1, (length + spotSpace_) / (spotWidth_ + spotSpace_));
    spotOffset_ = (spotSpace_ + length - spots_ * (spotWidth_ + spotSpace_)) / 2;
    threshold1_ = point1_ * spots_ / 100;
    threshold2_ = point2_ * spots_ / 100;
    value_ = std::min(value_, spots_);
    peak_.peak = std::min(peak_.peak, spots_);
}

void LevelAnalysis::SetKind(LevelKind value) {
    if ((value != lkHorizontal && value != lkVertical) || value == kind_)
        return;
    kind_ = value;
    const bool upright = height_ > width_;
    if ((kind_ == lkVertical) != upright && width_ != height_)
        std::swap(width_, height_);
    Changed();
    Redraw();
}

void LevelAnalysis::SetDirection(LevelDirection value) {
    if (value < dirNormal || value > dirSymetric || value == direction_)
        return;
    direction_ = value;
    Redraw();
}

void LevelAnalysis::SetSamples(std::int32_t value) {
    samples_ = std::clamp(value, 1, kMaxSamples);
}

void LevelAnalysis::SetSensitivy(std::int32_t value) {
    value = std::clamp(value, -90, -9);
    if (value == sensitivy_)
        return;
    sensitivy_ = value;
    Redraw();
}

void LevelAnalysis::SetLogAmp(bool value) {
    if (value == logAmp_)
        return;
    logAmp_ = value;
    Redraw();
}

void LevelAnalysis::SetGain(std::int32_t value) {
    if (value >= -8 && value <= 32)
        gain_ = value;
}

void LevelAnalysis::SetDecayMode(DecayKind value) {
    decay_.SetMode(value);
}
void LevelAnalysis::SetDecay(std::int32_t value) {
    decay_.SetDecay(value);
}

void LevelAnalysis::SetNumPeaks(std::int32_t value) {
    value = std::clamp(value, 0, 5);
    if (value == numPeaks_)
        return;
    numPeaks_ = value;
    Redraw();
}

void LevelAnalysis::SetPeakDelay(std::int32_t value) {
    peakDelay_ = std::clamp(value, 0, 50);
}
void LevelAnalysis::SetPeakSpeed(std::int32_t value) {
    peakSpeed_ = std::clamp(value, 0, 50);
}

void LevelAnalysis::SetSpotWidth(std::int32_t value) {
    value = std::clamp(value, 1, std::max(1, Length() / 3));
    if (value == spotWidth_)
        return;
    spotWidth_ = value;
    Changed();
    Redraw();
}

void LevelAnalysis::SetSpotSpace(std::int32_t value) {
    value = std::clamp(value, 0, 10);
    if (value == spotSpace_)
        return;
    spotSpace_ = value;
    Changed();
    Redraw();
}

void LevelAnalysis::SetPoint1(std::int32_t value) {
    value = std::clamp(value, 1, 100);
    if (value == point1_)
        return;
    point1_ = value;
    Changed();
    Redraw();
}

void LevelAnalysis::SetPoint2(std::int32_t value) {
    value = std::clamp(value, 1, 100);
    if (value == point2_)
        return;
    point2_ = value;
    Changed();
    Redraw();
}

void LevelAnalysis::SetBitLength(SampleBits value) {
    input_.SetBitLength(value);
}
void LevelAnalysis::SetMode(ChannelMode value) {
    input_.SetMode(value);
}
void LevelAnalysis::SetChannel(ChannelChoice value) {
    input_.SetChannel(value);
}
void LevelAnalysis::SetDCOffsetL(std::int32_t value) {
    dcOffsetL_ = value;
}
void LevelAnalysis::SetDCOffsetR(std::int32_t value) {
    dcOffsetR_ = value;
}

std::int32_t LevelAnalysis::Value() const {
    return std::int32_t(std::lround(value_ * 100.0 / spots_));
}

void LevelAnalysis::SetValue(std::int32_t percent) {
    percent = std::clamp(percent, 0, 100);
    if (SetData(std::int32_t(std::lround(percent * double(kLevelFullScale) / 100.0))))
        Redraw();
}

void LevelAnalysis::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    ClearValues();
    Redraw();
}

void LevelAnalysis::SetPCMWaveFormat(const WaveFormatEx& format) {
    if (!input_.SetFromFormat(format))
        throw LevelError(kInvalidWaveFormat);
}

std::int32_t LevelAnalysis::Measure(const std::uint8_t* block) const {
    std::int32_t peak = 0;
    for (std::int32_t i = 0; i < samples_; ++i) {
        std::int32_t v = 0;
        const std::int32_t left = input_.Left(block, i) + dcOffsetL_;
        if (!input_.Stereo() || input_.Channel() == chLeft)
            v = left;
        else if (input_.Channel() == chRight)
            v = input_.Right(block, i) + dcOffsetR_;
        else
            v = (left + input_.Right(block, i) + dcOffsetR_) / 2;
        if (input_.BitLength() == b8Bit)
            v = (v - 128) * 256;
        peak = std::max(peak, std::abs(v));
    }
    return peak;
}

bool LevelAnalysis::RefreshPCMData(const std::uint8_t* block) {
    if (!enabled_ || !block)
        return false;
    rawPeak_ = Measure(block);
    if (rawPeak_ >= kLevelFullScale && OnPcmOverflow)
        OnPcmOverflow();
    return SetData(rawPeak_);
}

bool LevelAnalysis::RefreshPCMData(const std::uint8_t* block, std::size_t size) {
    if (size < std::size_t(BytesPerLevel()))
        return false;
    return RefreshPCMData(block);
}

bool LevelAnalysis::SetData(std::int32_t peak) {
    if (!enabled_)
        return false;
    std::int32_t b = std::abs(peak);
    if (b == 0 && value_ == 0 && !peakChanged_)
        return false;
    if (decay_.Mode() != dmNone) {
        decay_.BeginFrame();
        b = decay_.Apply(0, b);
    }
    const double d = double(std::int64_t(b) * (gain_ + 8) / 8);
    const double full = kLevelFullScale;
    double spots = 0;
    if (logAmp_) {
        const double db = 20.0 * std::log10(std::max(1e-6, d / full));
        spots = (db - sensitivy_) * spots_ / -sensitivy_;
    } else {
        const double floor = full / std::pow(10.0, -sensitivy_ / 20.0);
        spots = (d - floor) * spots_ / (full - floor);
    }
    std::int32_t c = std::max(0, std::int32_t(std::nearbyint(spots)));
    if (direction_ == dirSymetric)
        c /= 2;
    if (c > spots_) {
        if (OnGainOverflow)
            OnGainOverflow();
        c = spots_;
    }
    if (peak_.Catch(c, numPeaks_, peakDelay_))
        peakChanged_ = true;
    if (c == value_ && !peakChanged_)
        return false;
    peakChanged_ = false;
    value_ = c;
    return true;
}

void LevelAnalysis::ClearValues() {
    rawPeak_ = 0;
    value_ = 0;
    peak_.Reset();
    peakChanged_ = false;
    decay_.Clear();
}

void LevelAnalysis::ResetData() {
    ClearValues();
    Redraw();
}

bool LevelAnalysis::PeakTick() {
    if (!PeakTimerActive() || !peak_.Tick(peakSpeed_))
        return false;
    peakChanged_ = true;
    return true;
}

std::int32_t LevelAnalysis::GetPeak() const {
    return std::int32_t(std::lround(peak_.peak * 100.0 / spots_));
}

std::int32_t LevelAnalysis::GetPeakValue() const {
    if (peak_.peak <= 0 || gain_ <= -8)
        return 0;
    const double spots = peak_.peak * (direction_ == dirSymetric ? 2.0 : 1.0);
    const double full = kLevelFullScale;
    double d = 0;
    if (logAmp_) {
        d = full * std::pow(10.0, (spots * -sensitivy_ / spots_ + sensitivy_) / 20.0);
    } else {
        const double floor = full / std::pow(10.0, -sensitivy_ / 20.0);
        d = floor + spots * (full - floor) / spots_;
    }
    return std::clamp(std::int32_t(std::lround(d * 8.0 / (gain_ + 8))), 0, kLevelFullScale);
}

AnalysisRect LevelAnalysis::SpotRect(std::int32_t n) const {
    const std::int32_t length = Length();
    const std::int32_t along = spotOffset_ + (n - 1) * (spotWidth_ + spotSpace_);
    // dirNormal grows from the bottom or the left, dirReversed from the top or the right.
    const bool fromFarEnd = (kind_ == lkVertical) == (direction_ != dirReversed);
    const std::int32_t start = fromFarEnd ? length - along - spotWidth_ : along;
    if (kind_ == lkVertical)
        return {0, start, Breadth(), spotWidth_};
    return {start, 0, spotWidth_, Breadth()};
}

std::int32_t LevelAnalysis::SpotBand(std::int32_t n) const {
    return n > threshold2_ ? 2 : n > threshold1_ ? 1 : 0;
}

LevelAnalysis::LitRange LevelAnalysis::Lit() const {
    if (direction_ != dirSymetric)
        return {1, value_, -1};
    const std::int32_t centre = std::clamp(value_, 1, spots_);
    return {std::max(1, centre - SYNCBARS), std::min(spots_, centre + SYNCBARS), SpotBand(centre)};
}

std::pair<std::int32_t, std::int32_t> LevelAnalysis::PeakMarker() const {
    if (numPeaks_ <= 0 || value_ >= peak_.peak)
        return {0, 0};
    return {peak_.peak, std::min(numPeaks_, peak_.peak)};
}

} // namespace vk350
