// The labels of the level meter's scale: which decibel values are written, where, and in which
// of the three colour bands. The view supplies its font's text sizes and paints the texts.
#pragma once

#include "analysis_types.h"
#include "level_analysis.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vk350 {

enum ScalePosition : std::int32_t { spAboveOrLeft, spBelowOrRight, spBoth };
enum ScaleOrigin : std::int32_t { soInner, soOuter };

struct LevelScaleLabel {
    std::string text;
    // Vertical scales: the text goes right-aligned in this box, and a label that would reach out
    // of the scale is left out; horizontal ones: centred, the end labels moved inside.
    AnalysisRect box;
    // 0: Scale1Color, 1: Scale2Color, 2: Scale3Color.
    std::int32_t band;
};

class LevelScaleLayout {
public:
    LevelKind Kind() const { return kind_; }
    void SetKind(LevelKind value);
    LevelDirection Direction() const { return direction_; }
    void SetDirection(LevelDirection value);
    std::int32_t ScaleTicks() const { return scaleTicks_; }
    void SetScaleTicks(std::int32_t value); // at least 2
    std::int32_t Sensitivy() const { return sensitivy_; }
    void SetSensitivy(std::int32_t value); // -90..-9
    bool LogAmp() const { return logAmp_; }
    void SetLogAmp(bool value) { logAmp_ = value; }
    std::int32_t Point1() const { return point1_; }
    void SetPoint1(std::int32_t value); // 1..100
    std::int32_t Point2() const { return point2_; }
    void SetPoint2(std::int32_t value);
    ScalePosition ScalePos() const { return scalePos_; }
    void SetScalePos(ScalePosition value);
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    void SetBounds(std::int32_t width, std::int32_t height);

    // The text of the lowest value (the widest label), for the view to measure.
    std::string SensitivyText() const { return std::to_string(sensitivy_); }
    // Labels for a font whose "W" is textHeight high and whose SensitivyText is textWidth wide.
    std::vector<LevelScaleLabel> Labels(std::int32_t textWidth, std::int32_t textHeight) const;
    // Every how many ticks a label fits.
    std::int32_t LabelStep(std::int32_t textWidth, std::int32_t textHeight) const;

private:
    // The value of tick k counted from the 0 dB end, in dB.
    std::int32_t TickValue(std::int32_t k) const;
    // The band of tick k counted from the far end of the bar.
    std::int32_t TickBand(std::int32_t k) const;

    LevelKind kind_ = lkHorizontal;
    LevelDirection direction_ = dirNormal;
    std::int32_t scaleTicks_ = 8;
    std::int32_t sensitivy_ = -35;
    bool logAmp_ = true;
    std::int32_t point1_ = 50;
    std::int32_t point2_ = 85;
    ScalePosition scalePos_ = spBoth;
    std::int32_t width_ = 200;
    std::int32_t height_ = 7;
};

} // namespace vk350
