// The numbers behind the spectrum analyser view: each PCM block is windowed, transformed,
// turned into smoothed bin magnitudes, mapped onto the pixel columns and scaled into bar heights
// with held peaks. The view keeps one of these, forwards the chain's calls and its own size to
// it, and draws the column runs, spots, grid and texts it computes.
//
// Window thread only: the chain hands blocks over there and the peak timer runs there.
#pragma once

#include "analysis_frame.h"
#include "analysis_types.h"
#include "bin_map.h"
#include "block_transform.h"
#include "decay_state.h"
#include "pcm_input.h"
#include "peak_hold.h"
#include "wave_format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

enum SpectrumKind : std::int32_t { skDots, skLines, skVLines, skBars, skPeaks, skScroll };
// Frequency tilt in dB per octave.
enum SpectrumGain : std::int32_t { sgNone, sg3db, sg6db, sg9db, sg12db };

// The loudest bin of the latest frame.
struct SpectrumPeak {
    float frequency = 0;    // Hz
    float amplitude = 0;    // 0..1 of full scale
    float level = -100;     // dB
    std::int32_t value = 0; // display value in pixels
    std::int32_t bin = 0;
    std::int32_t column = 0;
};

// A run of pixel columns that shows one bin range.
struct SpectrumRun {
    std::int32_t first = 0; // first column of the drawing area
    std::int32_t end = 0;   // end column, exclusive
    std::int32_t value = 0; // display value in pixels, 0 .. height - 1
    std::int32_t spots = 0; // lit spots of the bar kinds
    PeakHold peak;          // held peak in spots
    std::int32_t firstBin = 0;
    std::int32_t endBin = 1;     // exclusive
    std::int64_t multiplier = 0; // linear axis
};

class SpectrumAnalysis : public AnalysisFrame {
public:
    static constexpr std::int32_t kMaxBins = BlockTransform::kMaxLength / 2;
    // Log units per power doubling and per dB, and the range shown by the log axis.
    static constexpr double kLogUnitsPerOctave = 8192.0;
    static const double kLogUnitsPerDB;
    static constexpr double kLogRangeDB = 60.0;

    SpectrumAnalysis();
    SpectrumAnalysis(const SpectrumAnalysis&) = delete;
    SpectrumAnalysis& operator=(const SpectrumAnalysis&) = delete;

    // Events (and AnalysisFrame::OnRedraw). OnNeedData: the view was enabled.
    std::function<void()> OnNeedData;
    std::function<void()> OnPcmOverflow;
    std::function<void()> OnGainOverflow;
    // Replaces the bin map: fills the first-bin and end-bin table of every column (first bin
    // negative: none). Entries are held to the bins afterwards, whatever they hold.
    std::function<void(std::vector<std::int32_t>& firstBins, std::vector<std::int32_t>& endBins)> OnGetXScale;

    // Control size and the bevel extent on every side; the drawing area is what remains after
    // the bevel and the scales, at least 4 x 4.
    const AnalysisRect& DrawArea() const { return area_; }

    // Published properties; setters clamp or ignore as noted and act only on a change.
    SpectrumKind Kind() const { return kind_; }
    void SetKind(SpectrumKind value);
    std::int32_t FFTLength() const { return transform_.FFTLength(); }
    void SetFFTLength(std::int32_t value); // 8..4096, a power of two
    FftWindow Window() const { return transform_.Window(); }
    void SetWindow(FftWindow value);
    std::int32_t SampleRate() const { return sampleRate_; }
    void SetSampleRate(std::int32_t value); // 8000..100000
    SampleBits BitLength() const { return input_.BitLength(); }
    void SetBitLength(SampleBits value);
    ChannelMode Mode() const { return input_.Mode(); }
    void SetMode(ChannelMode value);
    ChannelChoice Channel() const { return input_.Channel(); }
    void SetChannel(ChannelChoice value);
    bool LogAmp() const { return logAmp_; }
    void SetLogAmp(bool value);
    bool LogFreq() const { return logFreq_; }
    void SetLogFreq(bool value);
    SpectrumGain Gain() const { return gain_; }
    void SetGain(SpectrumGain value);
    std::int32_t RefFreq() const { return refFreq_; }
    void SetRefFreq(std::int32_t value); // 1..44100
    std::int32_t VerticalScale() const { return verticalScale_; }
    void SetVerticalScale(std::int32_t value); // 1..500 percent
    std::int32_t FrequencyScale() const { return frequencyScale_; }
    void SetFrequencyScale(std::int32_t value); // 1..16, a power of two
    DecayKind DecayMode() const { return decay_.Mode(); }
    void SetDecayMode(DecayKind value);
    std::int32_t Decay() const { return decay_.Decay(); }
    void SetDecay(std::int32_t value); // 1..16
    std::int32_t NumPeaks() const { return numPeaks_; }
    void SetNumPeaks(std::int32_t value); // 0..5, others ignored
    std::int32_t PeakDelay() const { return peakDelay_; }
    void SetPeakDelay(std::int32_t value); // 0..50, others ignored
    std::int32_t PeakSpeed() const { return peakSpeed_; }
    void SetPeakSpeed(std::int32_t value); // 0..50, others ignored
    bool DisplayPeak() const { return displayPeak_; }
    void SetDisplayPeak(bool value);
    std::int32_t Space() const { return space_; }
    void SetSpace(std::int32_t value); // 0..5, others ignored
    std::int32_t SpotSpace() const { return spotSpace_; }
    void SetSpotSpace(std::int32_t value); // 0..10, others ignored
    std::int32_t SpotHeight() const { return spotHeight_; }
    void SetSpotHeight(std::int32_t value); // 1..height/3, others ignored
    std::int32_t Point1() const { return point1_; }
    void SetPoint1(std::int32_t value); // 1..100, others ignored
    std::int32_t Point2() const { return point2_; }
    void SetPoint2(std::int32_t value);
    bool DrawGrid() const { return drawGrid_; }
    void SetDrawGrid(bool value);
    bool DrawFreqScale() const { return drawFreqScale_; }
    void SetDrawFreqScale(bool value);
    bool DrawAmpScale() const { return drawAmpScale_; }
    void SetDrawAmpScale(bool value);
    bool ShowInfo() const { return showInfo_; }
    void SetShowInfo(bool value);
    bool Enabled() const { return enabled_; }
    // Either way clears all data; enabling fires OnNeedData.
    void SetEnabled(bool value);

    // The chain's interface. An invalid format throws SpectrumError and keeps the old one.
    void SetPCMWaveFormat(const WaveFormatEx& format);
    // Bytes per block: (BitLength + 1) * (Mode + 1) * FFTLength.
    std::int32_t BytesPerSpectrum() const { return input_.BytesPerFrame() * FFTLength(); }
    // Analyses BytesPerSpectrum bytes; false (nothing done) while disabled.
    bool RefreshPCMData(const std::uint8_t* block);
    // The same for a block of known size: a block shorter than BytesPerSpectrum is refused.
    bool RefreshPCMData(const std::uint8_t* block, std::size_t size);
    // FFTLength 16-bit values: (re, im) of bins 0 .. FFTLength/2 - 1.
    bool RefreshFFTData(const std::int16_t* spectrum);
    // FFTLength/2 values used as the smoothed magnitudes as they are.
    bool RefreshMagnitudeData(const std::int32_t* magnitudes);
    void ResetData();

    // One tick of the 25 ms peak timer; returns whether a held peak changed.
    bool PeakTick();
    // Whether the view should run its peak timer.
    bool PeakTimerActive() const { return enabled_ && numPeaks_ > 0; }

    // Results of the latest frame.
    const std::vector<SpectrumRun>& Runs() const { return runs_; }
    // Smoothed magnitude per bin (16 * |X| or, without decay on the log axis, log units).
    const std::int32_t* Magnitudes() const { return magnitudes_.get(); }
    const std::int16_t* Spectrum() const { return transform_.Spectrum(); }
    const BinMap& Map() const { return binMap_; }

    // Spot geometry of the bar kinds.
    std::int32_t Spots() const { return spots_; }
    std::int32_t SpotOffset() const { return spotOffset_; }
    // Spot n (1-based) lies in rows [SpotTop(n), SpotTop(n) + SpotHeight) of the drawing area.
    std::int32_t SpotTop(std::int32_t n) const;
    // Colour band of spot n: 0 up to Point1, 1 up to Point2, 2 above.
    std::int32_t SpotBand(std::int32_t n) const;
    std::int32_t Threshold1() const { return threshold1_; }
    std::int32_t Threshold2() const { return threshold2_; }
    // Rows of Point1 and Point2 for the line kinds (for skScroll as a third of the height).
    std::int32_t ThresholdRow(std::int32_t point) const;
    // Columns [left, right) of a run's bar, narrowed by Space.
    std::pair<std::int32_t, std::int32_t> BarColumns(const SpectrumRun& run) const;
    // Spots of the peak marker: from the held spot down, count spots; count 0 draws none.
    std::pair<std::int32_t, std::int32_t> PeakMarker(const SpectrumRun& run) const;

    // Dotted grid lines inside the drawing area.
    const std::vector<std::int32_t>& GridRows() const { return gridRows_; }
    const std::vector<std::int32_t>& GridColumns() const { return gridColumns_; }

    // Mouse positions are in control coordinates; outside the drawing area they give 0.
    SpectrumPeak GetPeak() const { return peak_; }
    double GetFrequencyAtPos(std::int32_t x, std::int32_t y) const;
    // dB on the log axis, volts on the linear one.
    double GetAmplitudeAtPos(std::int32_t x, std::int32_t y) const;
    // The text of the info box at a position.
    std::string InfoText(std::int32_t x, std::int32_t y) const;
    // The loudest-bin readout, empty unless DisplayPeak is set and the loudest value exceeds 5.
    std::string PeakText() const;
    // For bars and vertical lines on the linear axis: the nearest control width at which every
    // bin gets the same number of columns; other widths unchanged.
    std::int32_t GetOptimalWidth(std::int32_t width) const;

private:
    void Changed() override;
    void SetupXScale();
    void SetupScales();
    void SetupSpots();
    void SetupGrid();
    void ResetPeaks();
    void ClearFrame();
    void CalcMagnitude(const std::int16_t* spectrum);
    void CalcDisplayValues();
    void UpdatePeak();
    double PeakFrequency(std::int32_t bin) const;
    double BinTilt(std::int32_t bin) const;
    std::int32_t Bins() const { return FFTLength() / 2; }
    template <class T> void Assign(T& field, T value, bool resetPeaks = false);

    AnalysisRect area_;

    SpectrumKind kind_ = skBars;
    std::int32_t sampleRate_ = 11025;
    bool logAmp_ = false;
    bool logFreq_ = false;
    SpectrumGain gain_ = sgNone;
    std::int32_t refFreq_ = 1000;
    std::int32_t verticalScale_ = 100;
    std::int32_t frequencyScale_ = 1;
    std::int32_t numPeaks_ = 1;
    std::int32_t peakDelay_ = 20;
    std::int32_t peakSpeed_ = 0;
    bool displayPeak_ = false;
    std::int32_t space_ = 1;
    std::int32_t spotSpace_ = 1;
    std::int32_t spotHeight_ = 1;
    std::int32_t point1_ = 50;
    std::int32_t point2_ = 85;
    bool drawGrid_ = false;
    bool drawFreqScale_ = false;
    bool drawAmpScale_ = false;
    bool showInfo_ = true;
    bool enabled_ = true;

    PcmInput input_;
    BlockTransform transform_;
    DecayState decay_;
    std::unique_ptr<std::int32_t[]> magnitudes_;
    std::unique_ptr<std::int32_t[]> offsets_;
    // Magnitudes came straight from RefreshMagnitudeData, not from the spectrum.
    bool magnitudesGiven_ = false;

    BinMap binMap_;
    std::vector<SpectrumRun> runs_;
    double freqBase_ = 0;
    double logScale_ = 0; // pixels per log unit
    std::int32_t linShift_ = 4;
    std::int64_t logMultiplier_ = 0;
    std::int32_t logShift_ = 0;

    std::int32_t spots_ = 1;
    std::int32_t spotOffset_ = 0;
    std::int32_t threshold1_ = 0;
    std::int32_t threshold2_ = 0;
    std::vector<std::int32_t> gridRows_;
    std::vector<std::int32_t> gridColumns_;
    SpectrumPeak peak_;
};

} // namespace vk350
