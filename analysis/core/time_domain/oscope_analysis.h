// The numbers behind the oscilloscope view: one sample (or one group of samples) per pixel
// column, mapped to pixel rows, and the trace as a list of lines in three inks. The view keeps
// one of these, forwards the chain's calls and its size to it, and draws the lines, the grid and
// the middle line it computes.
//
// Window thread only: the chain hands blocks over there.
#pragma once

#include "analysis_frame.h"
#include "analysis_types.h"
#include "pcm_input.h"
#include "wave_format.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vk350 {

enum OscopeKind : std::int32_t { okDots, okConLines, okVertLines, okMirLines, okSpikes };
enum OscopeEffect : std::int32_t { efNone, efPeak, efSplit };

// efPeak picks out the outer thirds of the height.
constexpr std::int32_t EFFECTLIMIT = 3;

// Which colour a part of the trace takes: ForegroundColor or EffectColor.
enum OscopeInk : std::int32_t { inkForeground, inkEffect };

// One line of the trace, end points included; a dot is a line of one point.
struct OscopeLine {
    std::int32_t x1, y1, x2, y2;
    OscopeInk ink;
    bool operator==(const OscopeLine&) const = default;
};

class OscopeAnalysis : public AnalysisFrame {
public:
    OscopeAnalysis();
    OscopeAnalysis(const OscopeAnalysis&) = delete;
    OscopeAnalysis& operator=(const OscopeAnalysis&) = delete;

    std::function<void()> OnPcmOverflow;
    std::function<void()> OnGainOverflow;

    // The scales take 32 pixels on each side and 40 below.
    const AnalysisRect& DrawArea() const { return area_; }

    OscopeKind Kind() const { return kind_; }
    void SetKind(OscopeKind value);
    // Samples per column: n > 0 takes every n-th sample, n < 0 shows each sample on 1 + |n|
    // columns. Clamped to -9..9; 0 is ignored.
    std::int32_t Zoom() const { return zoom_; }
    void SetZoom(std::int32_t value);
    std::int32_t Steps() const { return steps_; }
    void SetSteps(std::int32_t value); // 1..9
    // Vertical gain in eighths: (Gain + 8) / 8; values outside -8..32 are ignored.
    std::int32_t Gain() const { return gain_; }
    void SetGain(std::int32_t value);
    OscopeEffect Effect() const { return effect_; }
    void SetEffect(OscopeEffect value);
    SampleBits BitLength() const { return input_.BitLength(); }
    void SetBitLength(SampleBits value);
    ChannelMode Mode() const { return input_.Mode(); }
    void SetMode(ChannelMode value);
    ChannelChoice Channel() const { return input_.Channel(); }
    void SetChannel(ChannelChoice value);
    std::int32_t SampleRate() const { return sampleRate_; }
    void SetSampleRate(std::int32_t value); // 8000..88200
    bool DrawMidLine() const { return drawMidLine_; }
    void SetDrawMidLine(bool value);
    bool DrawGrid() const { return drawGrid_; }
    void SetDrawGrid(bool value);
    bool DrawAmpScale() const { return drawAmpScale_; }
    void SetDrawAmpScale(bool value);
    bool DrawTimeScale() const { return drawTimeScale_; }
    void SetDrawTimeScale(bool value);
    bool Accelerate() const { return accelerate_; }
    void SetAccelerate(bool value);
    // Scrolling chart: one column per block showing its span from minimum to maximum.
    bool Scroll() const { return scroll_; }
    void SetScroll(bool value);
    std::int32_t FFTLength() const { return fftLength_; }
    void SetFFTLength(std::int32_t value); // 1..4096, a power of two
    bool LowPass() const { return lowPass_; }
    void SetLowPass(bool value);
    std::int32_t BarWidth() const { return barWidth_; }
    void SetBarWidth(std::int32_t value); // 1..32
    bool ShowInfo() const { return showInfo_; }
    void SetShowInfo(bool value);
    bool Enabled() const { return enabled_; }
    // Disabling only changes the picture: the trace gives way to a line on the middle row.
    void SetEnabled(bool value);

    // The chain's interface. An invalid format throws OscopeError and keeps the old one.
    void SetPCMWaveFormat(const WaveFormatEx& format);
    std::int32_t BytesPerScope() const;
    // Converts one block into the columns; false (nothing done) while disabled.
    bool RefreshPCMData(const std::uint8_t* block);
    // A block shorter than BytesPerScope is refused.
    bool RefreshPCMData(const std::uint8_t* block, std::size_t size);
    // Takes one 16-bit value per column (DrawArea().width values).
    bool SetData(const std::int16_t* columns);
    void ResetData();

    // The latest frame: a value per column (in scrolling mode the block's minimum and maximum
    // in the first two), the pixel row of each, and the trace to draw.
    const std::vector<std::int16_t>& Columns() const { return columns_; }
    const std::vector<std::int32_t>& Rows() const { return rows_; }
    const std::vector<OscopeLine>& Trace() const { return trace_; }
    // Pixel row of a value, and whether it falls in the effect band.
    std::int32_t RowOf(std::int32_t value) const;
    OscopeInk InkOf(std::int32_t value) const;

    std::int32_t MidRow() const { return area_.height / 2; }
    // The line that stands for the trace while disabled: columns 5 .. width - 5 of the middle row.
    OscopeLine DisabledLine() const;
    const std::vector<std::int32_t>& GridRows() const { return gridRows_; }
    const std::vector<std::int32_t>& GridColumns() const { return gridColumns_; }

    // Volts and milliseconds under a control position; 0 outside the drawing area.
    double GetAmplitude(std::int32_t x, std::int32_t y) const;
    double GetTime(std::int32_t x, std::int32_t y) const;
    std::string InfoText(std::int32_t x, std::int32_t y) const;

private:
    void Changed() override; // also clears the trace
    void SetupGrid();
    void MapFrame(bool events);
    void BuildTrace();
    std::int32_t Value(const std::uint8_t* block, std::int32_t frame) const;
    // Milliseconds shown across the width.
    double BlockDuration() const;
    template <class T> void Assign(T& field, T value);

    AnalysisRect area_;

    OscopeKind kind_ = okDots;
    std::int32_t zoom_ = 1;
    std::int32_t steps_ = 1;
    std::int32_t gain_ = 0;
    OscopeEffect effect_ = efNone;
    std::int32_t sampleRate_ = 11025;
    bool drawMidLine_ = false;
    bool drawGrid_ = false;
    bool drawAmpScale_ = false;
    bool drawTimeScale_ = false;
    bool accelerate_ = true;
    bool scroll_ = false;
    std::int32_t fftLength_ = 128;
    bool lowPass_ = false;
    std::int32_t barWidth_ = 5;
    bool showInfo_ = true;
    bool enabled_ = true;

    PcmInput input_;
    std::vector<std::int16_t> columns_;
    std::vector<std::int32_t> rows_;
    std::vector<OscopeLine> trace_;
    std::vector<std::int32_t> gridRows_;
    std::vector<std::int32_t> gridColumns_;
};

} // namespace vk350
