// The numbers behind the spectrogram view: every block becomes one column of palette indices,
// one per row of the drawing area, low frequencies at the bottom, written into an 8-bit picture
// that the view shows through Palette(). The picture includes the position bar.
//
// Window thread only: the chain hands blocks over there.
#pragma once

#include "analysis_frame.h"
#include "analysis_types.h"
#include "bin_map.h"
#include "block_transform.h"
#include "pcm_input.h"
#include "spectrogram_palette.h"
#include "wave_format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

enum SpectrogramGain : std::int32_t { sgrNone, sgr6db, sgr12db };

// Palette entries of the position bar, outside the colour scale.
constexpr std::uint8_t kBarColorIndex = 1;
constexpr std::uint8_t kBarTickColorIndex = 2;

class SpectrogramAnalysis : public AnalysisFrame {
public:
    struct ScaleTick {
        std::int32_t row;  // in the drawing area
        std::string label; // kHz
    };

    SpectrogramAnalysis();
    SpectrogramAnalysis(const SpectrogramAnalysis&) = delete;
    SpectrogramAnalysis& operator=(const SpectrogramAnalysis&) = delete;

    std::function<void()> OnPcmOverflow;

    // The picture's place in the control: the scales take 32 pixels on each side.
    const AnalysisRect& DrawArea() const { return area_; }

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
    SpectrogramGain Gain() const { return gain_; }
    void SetGain(SpectrogramGain value);
    bool LogAmp() const { return logAmp_; }
    void SetLogAmp(bool value);
    std::int32_t Sensitivy() const { return sensitivy_; }
    void SetSensitivy(std::int32_t value); // -90..-9
    std::int32_t AmplitudeScale() const { return amplitudeScale_; }
    void SetAmplitudeScale(std::int32_t value); // 0..1000 percent
    std::int32_t FrequencyScale() const { return frequencyScale_; }
    void SetFrequencyScale(std::int32_t value); // 1..16
    // Lowest frequency shown; held where the shown range stays at least 1000 Hz / zoom wide.
    std::int32_t FrequencyBase() const { return frequencyBase_; }
    void SetFrequencyBase(std::int32_t value);
    PaletteKind PaletteTyp() const { return paletteTyp_; }
    void SetPaletteTyp(PaletteKind value);
    bool PaletteMapped() const { return paletteMapped_; }
    void SetPaletteMapped(bool value);
    bool PaletteRealize() const { return paletteRealize_; }
    void SetPaletteRealize(bool value);
    bool Scroll() const { return scroll_; }
    void SetScroll(bool value);
    bool Accelerate() const { return accelerate_; }
    void SetAccelerate(bool value);
    // Relief: each row shows its change against the previous column.
    bool Embossed() const { return embossed_; }
    void SetEmbossed(bool value);
    bool DrawScale() const { return drawScale_; }
    void SetDrawScale(bool value);
    std::uint32_t BarColor() const { return barColor_; }
    void SetBarColor(std::uint32_t value);
    std::uint32_t BarTickColor() const { return barTickColor_; }
    void SetBarTickColor(std::uint32_t value);
    std::int32_t BarWidth() const { return barWidth_; }
    void SetBarWidth(std::int32_t value); // 1..32
    bool ShowInfo() const { return showInfo_; }
    void SetShowInfo(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    // The chain's interface. An invalid format throws SpectrogramError and keeps the old one.
    void SetPCMWaveFormat(const WaveFormatEx& format);
    std::int32_t BytesPerSpectrogram() const { return input_.BytesPerFrame() * FFTLength(); }
    // Analyses one block and writes its column; false (nothing done) while disabled.
    bool RefreshPCMData(const std::uint8_t* block);
    // A block shorter than BytesPerSpectrogram is refused.
    bool RefreshPCMData(const std::uint8_t* block, std::size_t size);
    // FFTLength 16-bit values: (re, im) of bins 0 .. FFTLength/2 - 1.
    bool RefreshFFTData(const std::int16_t* spectrum);
    // FFTLength/2 colour values per bin, used as they are.
    bool RefreshMagnitudeData(const std::int32_t* values);
    // Clears the picture and starts writing from the beginning again.
    void ResetData();

    // The picture: DrawArea().width x height palette indices, row by row from the top.
    const std::vector<std::uint8_t>& Picture() const { return picture_; }
    std::uint8_t PixelAt(std::int32_t column, std::int32_t row) const;
    // The 256 colours of the picture: the scale of PaletteTyp plus the bar's two colours.
    PaletteColors Palette() const;
    // Colour value per bin of the latest block, before clamping.
    const std::int32_t* BinValues() const { return values_.get(); }
    // The latest column, one palette index per row from the top.
    const std::vector<std::uint8_t>& Column() const { return column_; }
    // Where the next column goes, and how many were written since the last reset.
    std::int32_t WritePosition() const { return writePos_; }
    std::int32_t ColumnsWritten() const { return written_; }
    const BinMap& RowMap() const { return rowMap_; }

    const std::vector<ScaleTick>& ScaleTicks() const { return scaleTicks_; }
    // "KHz" is written under the scales only for the plain 0 Hz based, unzoomed axis.
    bool ScaleUnitShown() const { return frequencyBase_ == 0 && frequencyScale_ == 1; }

    // Frequency at a control position; 0 outside the drawing area.
    double GetFrequency(std::int32_t x, std::int32_t y) const;
    std::string InfoText(std::int32_t x, std::int32_t y) const;

private:
    void Changed() override; // also clears the picture
    void SetupYScale();
    void SetupScaleTicks();
    void LimitFrequencyBase();
    void ClearPicture();
    void CalcMagnitude(const std::int16_t* spectrum);
    void DrawData();
    void PlaceColumn();
    void DrawBar(std::int32_t from);
    void ShiftLeft();
    std::int32_t Bins() const { return FFTLength() / 2; }
    template <class T> void Assign(T& field, T value);

    AnalysisRect area_;

    std::int32_t sampleRate_ = 11025;
    SpectrogramGain gain_ = sgrNone;
    bool logAmp_ = false;
    std::int32_t sensitivy_ = -90;
    std::int32_t amplitudeScale_ = 100;
    std::int32_t frequencyScale_ = 1;
    std::int32_t frequencyBase_ = 0;
    PaletteKind paletteTyp_ = spThreshold;
    bool paletteMapped_ = false;
    bool paletteRealize_ = true;
    bool scroll_ = false;
    bool accelerate_ = true;
    bool embossed_ = false;
    bool drawScale_ = false;
    std::uint32_t barColor_ = 8421504;      // gray
    std::uint32_t barTickColor_ = 16777215; // white
    std::int32_t barWidth_ = 5;
    bool showInfo_ = true;
    bool enabled_ = true;

    PcmInput input_;
    BlockTransform transform_;
    std::unique_ptr<std::int32_t[]> values_;
    BinMap rowMap_;
    std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> column_;
    std::vector<std::int32_t> rowValues_;
    std::vector<std::int32_t> previousRowValues_;
    std::int32_t writePos_ = 0;
    std::int32_t written_ = 0;
    std::vector<ScaleTick> scaleTicks_;
};

} // namespace vk350
