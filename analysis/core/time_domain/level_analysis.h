// The numbers behind the level meter: the peak of each block, its smoothing, its place on a
// decibel or linear scale of spots, the held peak and its fall, and where each spot lies. The view
// keeps one of these, forwards the chain's calls, its size and the peak timer to it, and paints
// the spots it lists.
//
// Window thread only: the chain hands blocks over there and the peak timer runs there.
#pragma once

#include "analysis_frame.h"
#include "analysis_types.h"
#include "decay_state.h"
#include "pcm_input.h"
#include "peak_hold.h"
#include "wave_format.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace vk350 {

enum LevelKind : std::int32_t { lkHorizontal, lkVertical };
enum LevelDirection : std::int32_t { dirNormal, dirReversed, dirSymetric };

// Half the width of the moving marker of dirSymetric, in spots.
constexpr std::int32_t SYNCBARS = 2;
// Full scale of a raw peak.
constexpr std::int32_t kLevelFullScale = 32767;

class LevelAnalysis : public AnalysisFrame {
public:
    LevelAnalysis();
    LevelAnalysis(const LevelAnalysis&) = delete;
    LevelAnalysis& operator=(const LevelAnalysis&) = delete;

    std::function<void()> OnPcmOverflow;
    std::function<void()> OnGainOverflow;

    const AnalysisRect& DrawArea() const { return area_; }

    // Changing the kind turns a meter whose shape does not suit it on its side.
    LevelKind Kind() const { return kind_; }
    void SetKind(LevelKind value);
    LevelDirection Direction() const { return direction_; }
    void SetDirection(LevelDirection value);
    std::int32_t Samples() const { return samples_; }
    // At least 1; at most what keeps BytesPerLevel within its integer for any format.
    static constexpr std::int32_t kMaxSamples = INT32_MAX / 4;
    void SetSamples(std::int32_t value);
    std::int32_t Sensitivy() const { return sensitivy_; }
    void SetSensitivy(std::int32_t value); // -90..-9
    bool LogAmp() const { return logAmp_; }
    void SetLogAmp(bool value);
    // Input gain in eighths: (Gain + 8) / 8; values outside -8..32 are ignored.
    std::int32_t Gain() const { return gain_; }
    void SetGain(std::int32_t value);
    DecayKind DecayMode() const { return decay_.Mode(); }
    void SetDecayMode(DecayKind value);
    std::int32_t Decay() const { return decay_.Decay(); }
    void SetDecay(std::int32_t value);
    std::int32_t NumPeaks() const { return numPeaks_; }
    void SetNumPeaks(std::int32_t value); // 0..5
    std::int32_t PeakDelay() const { return peakDelay_; }
    void SetPeakDelay(std::int32_t value); // 0..50
    std::int32_t PeakSpeed() const { return peakSpeed_; }
    void SetPeakSpeed(std::int32_t value); // 0..50
    std::int32_t SpotWidth() const { return spotWidth_; }
    void SetSpotWidth(std::int32_t value); // 1..length/3
    std::int32_t SpotSpace() const { return spotSpace_; }
    void SetSpotSpace(std::int32_t value); // 0..10
    std::int32_t Point1() const { return point1_; }
    void SetPoint1(std::int32_t value); // 1..100
    std::int32_t Point2() const { return point2_; }
    void SetPoint2(std::int32_t value);
    SampleBits BitLength() const { return input_.BitLength(); }
    void SetBitLength(SampleBits value);
    ChannelMode Mode() const { return input_.Mode(); }
    void SetMode(ChannelMode value);
    ChannelChoice Channel() const { return input_.Channel(); }
    void SetChannel(ChannelChoice value);
    std::int32_t DCOffsetL() const { return dcOffsetL_; }
    void SetDCOffsetL(std::int32_t value);
    std::int32_t DCOffsetR() const { return dcOffsetR_; }
    void SetDCOffsetR(std::int32_t value);
    // The current level in percent of the spots; writing shows a level of 0..100 % of full scale.
    std::int32_t Value() const;
    void SetValue(std::int32_t percent);
    bool Enabled() const { return enabled_; }
    // Either way clears the level and the peak.
    void SetEnabled(bool value);

    // The chain's interface. An invalid format throws LevelError and keeps the old one.
    void SetPCMWaveFormat(const WaveFormatEx& format);
    std::int32_t BytesPerLevel() const { return input_.BytesPerFrame() * samples_; }
    // Measures Samples frames; returns whether the meter needs drawing.
    bool RefreshPCMData(const std::uint8_t* block);
    // A block shorter than BytesPerLevel is refused.
    bool RefreshPCMData(const std::uint8_t* block, std::size_t size);
    // Feeds a raw peak (0..32767 scale); returns whether the meter needs drawing.
    bool SetData(std::int32_t peak);
    void ResetData();

    // One tick of the 25 ms peak timer; returns whether the held peak changed. The new peak is
    // drawn with the next block.
    bool PeakTick();
    bool PeakTimerActive() const { return enabled_ && numPeaks_ > 0; }

    // Spots lit now, and the held peak, both in spots.
    std::int32_t LitValue() const { return value_; }
    std::int32_t PeakSpots() const { return peak_.peak; }
    // Held peak in percent of the spots and on the 0..32767 scale.
    std::int32_t GetPeak() const;
    std::int32_t GetPeakValue() const;
    std::int32_t RawPeak() const { return rawPeak_; }

    // Geometry along the bar: its length and breadth in pixels, spot count, first spot offset and
    // the two threshold spots.
    std::int32_t Length() const;
    std::int32_t Breadth() const;
    std::int32_t Spots() const { return spots_; }
    std::int32_t SpotOffset() const { return spotOffset_; }
    std::int32_t Threshold1() const { return threshold1_; }
    std::int32_t Threshold2() const { return threshold2_; }
    // Spot n (1-based) in drawing-area coordinates.
    AnalysisRect SpotRect(std::int32_t n) const;
    // Colour band of spot n: 0 up to Threshold1, 1 up to Threshold2, 2 above.
    std::int32_t SpotBand(std::int32_t n) const;
    // The spots to light, first to last (first > last: none), and the band they all take, or -1
    // when each takes its own (only the symmetric marker shares one).
    struct LitRange {
        std::int32_t first;
        std::int32_t last;
        std::int32_t sharedBand;
    };
    LitRange Lit() const;
    // The peak marker: from the held spot toward the start, count spots (0: none).
    std::pair<std::int32_t, std::int32_t> PeakMarker() const;

private:
    void Changed() override;
    void ClearValues();
    std::int32_t Measure(const std::uint8_t* block) const;

    AnalysisRect area_;

    LevelKind kind_ = lkHorizontal;
    LevelDirection direction_ = dirNormal;
    std::int32_t samples_ = 50;
    std::int32_t sensitivy_ = -35;
    bool logAmp_ = true;
    std::int32_t gain_ = 0;
    std::int32_t numPeaks_ = 1;
    std::int32_t peakDelay_ = 20;
    std::int32_t peakSpeed_ = 0;
    std::int32_t spotWidth_ = 1;
    std::int32_t spotSpace_ = 1;
    std::int32_t point1_ = 50;
    std::int32_t point2_ = 85;
    std::int32_t dcOffsetL_ = 0;
    std::int32_t dcOffsetR_ = 0;
    bool enabled_ = true;

    PcmInput input_;
    DecayState decay_{1};
    std::int32_t rawPeak_ = 0;
    std::int32_t value_ = 0;
    PeakHold peak_;
    bool peakChanged_ = false;

    std::int32_t spots_ = 1;
    std::int32_t spotOffset_ = 0;
    std::int32_t threshold1_ = 0;
    std::int32_t threshold2_ = 0;
};

} // namespace vk350
