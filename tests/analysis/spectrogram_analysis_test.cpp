#include "spectrogram_analysis.h"

#include "analysis_errors.h"
#include "pcm_blocks.h"
#include "pcm_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vk350 {
namespace {

using test::Block16;
using test::Block8;
using test::Constant;
using test::Sine;

void MainWindowSettings(SpectrogramAnalysis& s) {
    s.SetBounds(424, 194);
    s.SetFFTLength(256);
    s.SetSampleRate(44100);
    s.SetChannel(chLeft);
    s.SetLogAmp(true);
    s.SetSensitivy(-70);
    s.SetPaletteMapped(true);
    s.SetScroll(true);
    s.SetAccelerate(false);
    s.SetDrawScale(true);
    s.SetBarColor(0);
}

WaveFormatEx Format(int bits, int channels, int rate) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, std::uint16_t(bits), std::uint16_t(channels), std::uint32_t(rate));
    return f;
}

// The rows (from the top) that show a bin.
std::vector<std::int32_t> RowsOfBin(const SpectrogramAnalysis& s, int bin) {
    std::vector<std::int32_t> rows;
    const std::int32_t height = s.DrawArea().height;
    for (const BinMap::Run& run : s.RowMap().Runs())
        if (bin >= run.firstBin && bin < run.endBin)
            for (std::int32_t i = run.firstCell; i < run.endCell; ++i)
                rows.push_back(height - 1 - i);
    return rows;
}

TEST(SpectrogramAnalysis, DefaultsAndLimits) {
    SpectrogramAnalysis s;
    EXPECT_EQ(s.FFTLength(), 128);
    EXPECT_EQ(s.Window(), fwHamming);
    EXPECT_EQ(s.SampleRate(), 11025);
    EXPECT_EQ(s.Gain(), sgrNone);
    EXPECT_FALSE(s.LogAmp());
    EXPECT_EQ(s.Sensitivy(), -90);
    EXPECT_EQ(s.AmplitudeScale(), 100);
    EXPECT_EQ(s.FrequencyScale(), 1);
    EXPECT_EQ(s.FrequencyBase(), 0);
    EXPECT_EQ(s.PaletteTyp(), spThreshold);
    EXPECT_FALSE(s.PaletteMapped());
    EXPECT_TRUE(s.PaletteRealize());
    EXPECT_FALSE(s.Scroll());
    EXPECT_TRUE(s.Accelerate());
    EXPECT_EQ(s.BarColor(), 8421504u);
    EXPECT_EQ(s.BarTickColor(), 16777215u);
    EXPECT_EQ(s.BarWidth(), 5);
    EXPECT_EQ(s.Width(), 194);
    EXPECT_EQ(s.Height(), 90);
    EXPECT_EQ(s.BytesPerSpectrogram(), 128);

    struct Case {
        void (SpectrogramAnalysis::*set)(std::int32_t);
        std::int32_t (SpectrogramAnalysis::*get)() const;
        std::int32_t given;
        std::int32_t stored;
    };
    const Case cases[] = {
        {&SpectrogramAnalysis::SetFFTLength, &SpectrogramAnalysis::FFTLength, 300, 256},
        {&SpectrogramAnalysis::SetSampleRate, &SpectrogramAnalysis::SampleRate, 100, 8000},
        {&SpectrogramAnalysis::SetSensitivy, &SpectrogramAnalysis::Sensitivy, -5, -9},
        {&SpectrogramAnalysis::SetSensitivy, &SpectrogramAnalysis::Sensitivy, -100, -90},
        {&SpectrogramAnalysis::SetAmplitudeScale, &SpectrogramAnalysis::AmplitudeScale, 2000, 1000},
        {&SpectrogramAnalysis::SetAmplitudeScale, &SpectrogramAnalysis::AmplitudeScale, -1, 0},
        {&SpectrogramAnalysis::SetFrequencyScale, &SpectrogramAnalysis::FrequencyScale, 17, 16},
        {&SpectrogramAnalysis::SetFrequencyScale, &SpectrogramAnalysis::FrequencyScale, 0, 1},
        {&SpectrogramAnalysis::SetBarWidth, &SpectrogramAnalysis::BarWidth, 0, 1},
        {&SpectrogramAnalysis::SetFrequencyBase, &SpectrogramAnalysis::FrequencyBase, -5, 0},
    };
    for (const Case& c : cases) {
        SpectrogramAnalysis fresh;
        (fresh.*c.set)(c.given);
        EXPECT_EQ((fresh.*c.get)(), c.stored) << "given " << c.given;
    }
}

TEST(SpectrogramAnalysis, FrequencyBaseStaysBelowTheTopOfTheAxis) {
    SpectrogramAnalysis s;
    s.SetSampleRate(44100);
    s.SetFFTLength(4096);
    s.SetFrequencyBase(30000);
    EXPECT_EQ(s.FrequencyBase(), 21050);
    // With a zoom the axis tops out at 22050 / 4: the base keeps 250 Hz below that.
    s.SetFrequencyScale(4);
    EXPECT_EQ(s.FrequencyBase(), 5262);
    EXPECT_GT(s.GetFrequency(10, 0), s.GetFrequency(10, s.DrawArea().height - 1));
    // Rows climb in frequency from the bottom up.
    const auto& runs = s.RowMap().Runs();
    ASSERT_GT(runs.size(), 10u);
    for (std::size_t i = 1; i < runs.size(); ++i)
        EXPECT_GT(runs[i].firstBin, runs[i - 1].firstBin);
    EXPECT_EQ(s.ScaleTicks().front().label, "5.26");
    EXPECT_FALSE(s.ScaleUnitShown());
}

TEST(SpectrogramAnalysis, MainWindowRowsAndScale) {
    SpectrogramAnalysis s;
    MainWindowSettings(s);
    EXPECT_EQ(s.DrawArea(), (AnalysisRect{32, 0, 360, 194}));
    EXPECT_EQ(s.BytesPerSpectrogram(), 256);
    // 128 bins over 194 rows: each bin on one or two rows, the top row on bin 127.
    EXPECT_EQ(RowsOfBin(s, 127).front(), 0);
    EXPECT_EQ(RowsOfBin(s, 0).front(), 193);
    for (int bin = 0; bin < 128; ++bin) {
        const auto rows = RowsOfBin(s, bin);
        EXPECT_TRUE(rows.size() == 1 || rows.size() == 2) << bin;
    }
    std::vector<std::string> labels;
    std::vector<std::int32_t> rows;
    for (const auto& tick : s.ScaleTicks()) {
        labels.push_back(tick.label);
        rows.push_back(tick.row);
    }
    EXPECT_EQ(labels,
              (std::vector<std::string>{"0", "2", "4", "6", "8", "10", "12", "14", "16", "18", "20", "22"}));
    EXPECT_EQ(rows.front(), 193);
    EXPECT_EQ(rows[1], 176);
    EXPECT_EQ(rows.back(), 0);
    EXPECT_TRUE(s.ScaleUnitShown());
    EXPECT_NEAR(s.GetFrequency(32, 0), 22050, 1e-9);
    EXPECT_NEAR(s.GetFrequency(391, 193), 0, 1e-9);
    EXPECT_EQ(s.GetFrequency(31, 100), 0);
    EXPECT_EQ(s.InfoText(32, 0), "22.050 KHz");
}

TEST(SpectrogramAnalysis, SilenceAndSineColumns) {
    SpectrogramAnalysis s;
    MainWindowSettings(s);
    const auto silent = Block8(Constant(256, 0));
    ASSERT_TRUE(s.RefreshPCMData(silent.data(), silent.size()));
    for (std::uint8_t index : s.Column())
        EXPECT_EQ(index, MIN_COLOR);
    EXPECT_EQ(s.Palette()[MIN_COLOR], 0u) << "silence is black";

    // A quiet 16-bit sine on bin 40: its rows take trunc(20 ln P - 40) + 10, with P the power
    // of its bin, and bins well away from it stay at the darkest colour.
    s.SetBitLength(b16Bit);
    const auto sine = Block16(Sine(256, 40, 0.002));
    ASSERT_TRUE(s.RefreshPCMData(sine.data(), sine.size()));
    const double magnitude = 0.002 * 32767 * 0.54;
    const int expected = int(std::trunc(20 * std::log(magnitude * magnitude) - 40)) + MIN_COLOR;
    for (std::int32_t row : RowsOfBin(s, 40))
        EXPECT_NEAR(s.Column()[std::size_t(row)], expected, 2);
    for (int bin : {0, 10, 30, 50, 100, 127})
        for (std::int32_t row : RowsOfBin(s, bin))
            EXPECT_EQ(s.Column()[std::size_t(row)], MIN_COLOR) << bin;
    const auto loudest = std::max_element(s.Column().begin(), s.Column().end());
    const std::int32_t row = std::int32_t(loudest - s.Column().begin());
    // Rows stand for the bottom edge of their bins, so allow a bin and a half.
    EXPECT_NEAR(s.GetFrequency(32, row), 40 * 44100.0 / 256, 1.5 * 44100.0 / 256);
    // Loud enough, the column reaches the brightest colour and no further.
    const auto loud = Block16(Sine(256, 40, 0.9));
    s.RefreshPCMData(loud.data());
    EXPECT_EQ(*std::max_element(s.Column().begin(), s.Column().end()), MIN_COLOR + NUM_COLORS - 1);
}

TEST(SpectrogramAnalysis, ColourValues) {
    // Single bins fed as spectra: (re, im) at bin 3.
    struct Case {
        bool logAmp;
        std::int32_t sensitivy;
        std::int32_t scale;
        std::int16_t re;
        std::int32_t value;
    };
    const Case cases[] = {
        {true, -70, 100, 0, 10 - 40},          // P < 1 counts as 1
        {true, -70, 100, 100, 10 + 144},       // 20 ln 10000 = 184.2
        {true, -90, 50, 100, 10 + 92},         // halved, no offset
        {false, -90, 100, 300, 10 + 300},      // linear: |X|
        {false, -60, 100, 300, 10 + 300 - 30}, // offset -90 - (-60)
        {false, -90, 25, -400, 10 + 100},
    };
    for (const Case& c : cases) {
        SpectrogramAnalysis s;
        s.SetLogAmp(c.logAmp);
        s.SetSensitivy(c.sensitivy);
        s.SetAmplitudeScale(c.scale);
        std::vector<std::int16_t> spectrum(128, 0);
        spectrum[6] = c.re;
        s.RefreshFFTData(spectrum.data());
        EXPECT_EQ(s.BinValues()[3], c.value) << "log " << c.logAmp << " re " << c.re;
    }
}

TEST(SpectrogramAnalysis, ScrollingPlacesColumnsAndKeepsTheBarRight) {
    SpectrogramAnalysis s;
    MainWindowSettings(s);
    const std::int32_t w = s.DrawArea().width;
    const std::int32_t bar = s.BarWidth();
    constexpr std::int32_t kRow = 100; // not a scale tick row
    std::vector<std::int32_t> values(128, 0);
    auto frame = [&](int f) {
        std::fill(values.begin(), values.end(), MIN_COLOR + f % 200);
        s.RefreshMagnitudeData(values.data());
    };
    // The first BarWidth frames fall left of the picture; the bar follows the write position.
    for (int f = 1; f <= bar; ++f) {
        frame(f);
        EXPECT_EQ(s.PixelAt(0, kRow), kBarColorIndex) << f;
    }
    frame(bar + 1);
    EXPECT_EQ(s.PixelAt(0, kRow), MIN_COLOR + bar + 1);
    for (int x = 1; x <= bar; ++x)
        EXPECT_EQ(s.PixelAt(x, kRow), kBarColorIndex);
    EXPECT_EQ(s.PixelAt(bar + 1, kRow), 0);
    EXPECT_EQ(s.PixelAt(1, 193), kBarTickColorIndex);
    for (int f = bar + 2; f <= w + 7; ++f)
        frame(f);
    // Full and moving: newest just left of the bar, which stays at the right edge.
    EXPECT_EQ(s.ColumnsWritten(), w);
    EXPECT_EQ(s.WritePosition(), w - bar);
    EXPECT_EQ(s.PixelAt(w - bar - 1, kRow), MIN_COLOR + (w + 7) % 200);
    EXPECT_EQ(s.PixelAt(w - bar - 2, kRow), MIN_COLOR + (w + 6) % 200);
    EXPECT_EQ(s.PixelAt(0, kRow), MIN_COLOR + (bar + 8) % 200);
    for (int x = w - bar; x < w; ++x)
        EXPECT_EQ(s.PixelAt(x, kRow), kBarColorIndex) << x;
    // A reset starts again from the left.
    s.ResetData();
    EXPECT_EQ(s.WritePosition(), -bar);
    EXPECT_EQ(s.PixelAt(w - 1, kRow), 0);
}

TEST(SpectrogramAnalysis, WithoutScrollingTheWritePositionWraps) {
    SpectrogramAnalysis s;
    s.SetBounds(10, 20);
    std::vector<std::int32_t> values(64, MIN_COLOR + 50);
    for (int f = 0; f < 10; ++f)
        s.RefreshMagnitudeData(values.data());
    EXPECT_EQ(s.WritePosition(), 0);
    values.assign(64, MIN_COLOR + 80);
    s.RefreshMagnitudeData(values.data());
    EXPECT_EQ(s.PixelAt(0, 5), MIN_COLOR + 80);
    EXPECT_EQ(s.PixelAt(1, 5), kBarColorIndex);
    EXPECT_EQ(s.PixelAt(6, 5), MIN_COLOR + 50);
}

TEST(SpectrogramAnalysis, Palettes) {
    // Indices 10, 25, 128 and 245 stand for g = 0, 16, 128 and 254.
    struct Case {
        PaletteKind kind;
        std::uint32_t colors[4];
    };
    const Case cases[] = {
        {spHSV, {ColorRef(0, 0, 255), ColorRef(0, 64, 255), ColorRef(2, 255, 0), ColorRef(255, 4, 0)}},
        {spThreshold, {0, ColorRef(0, 64, 255), ColorRef(2, 255, 0), ColorRef(255, 4, 0)}},
        {spBlackWhite, {0, ColorRef(16, 16, 16), ColorRef(128, 128, 128), ColorRef(254, 254, 254)}},
        {spWhiteBlack,
         {ColorRef(255, 255, 255), ColorRef(239, 239, 239), ColorRef(127, 127, 127), ColorRef(1, 1, 1)}},
        {spBone, {0, ColorRef(14, 14, 19), ColorRef(113, 124, 142), ColorRef(244, 254, 254)}},
        {spCopper, {0, ColorRef(19, 12, 8), ColorRef(157, 99, 64), ColorRef(255, 198, 127)}},
        {spCool,
         {ColorRef(0, 255, 255), ColorRef(16, 239, 255), ColorRef(128, 127, 255), ColorRef(254, 1, 255)}},
        {spHot, {0, ColorRef(43, 0, 0), ColorRef(255, 87, 0), ColorRef(255, 255, 250)}},
    };
    const std::size_t at[4] = {10, 25, 128, 245};
    for (const Case& c : cases) {
        const PaletteColors colors = SpectrogramPalette(c.kind);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(colors[at[k]], c.colors[k]) << "palette " << c.kind << " index " << at[k];
        for (std::size_t i : {0u, 9u, 246u, 255u})
            EXPECT_EQ(colors[i], 0u);
    }
    // spThreshold is black up to g = 15 (index 24).
    EXPECT_EQ(SpectrogramPalette(spThreshold)[24], 0u);
    SpectrogramAnalysis s;
    s.SetBarColor(0x123456);
    EXPECT_EQ(s.Palette()[kBarColorIndex], 0x123456u);
    EXPECT_EQ(s.Palette()[kBarTickColorIndex], 16777215u);
}

TEST(SpectrogramAnalysis, FormatsOverflowAndDisabledView) {
    SpectrogramAnalysis s;
    s.SetPCMWaveFormat(Format(16, 2, 32000));
    EXPECT_EQ(s.BytesPerSpectrogram(), 512);
    EXPECT_EQ(s.SampleRate(), 32000);
    EXPECT_EQ(s.ScaleTicks().back().label, "16");
    WaveFormatEx bad = Format(8, 3, 32000);
    EXPECT_THROW(s.SetPCMWaveFormat(bad), SpectrogramError);
    EXPECT_EQ(s.BytesPerSpectrogram(), 512);
    s.SetChannel(chRight);
    int overflows = 0;
    s.OnPcmOverflow = [&] { ++overflows; };
    std::vector<std::uint8_t> block;
    for (int i = 0; i < 128; ++i) {
        test::Put16(block, 32767);
        test::Put16(block, i % 4 ? 0 : 32767);
    }
    EXPECT_FALSE(s.RefreshPCMData(block.data(), 511));
    EXPECT_TRUE(s.RefreshPCMData(block.data(), block.size()));
    EXPECT_EQ(overflows, 32);
    s.SetEnabled(false);
    EXPECT_FALSE(s.RefreshPCMData(block.data()));
    EXPECT_EQ(overflows, 32);
    const std::vector<std::uint8_t> before = s.Picture();
    const std::vector<std::int32_t> values(128, MIN_COLOR + 100);
    const std::vector<std::int16_t> spectrum(256, 1000);
    EXPECT_FALSE(s.RefreshMagnitudeData(values.data()));
    EXPECT_FALSE(s.RefreshFFTData(spectrum.data()));
    EXPECT_EQ(s.Picture(), before);
    s.SetEnabled(true);
    EXPECT_FALSE(s.RefreshMagnitudeData(nullptr));
    EXPECT_TRUE(s.RefreshMagnitudeData(values.data()));
    EXPECT_NE(s.Picture(), before);
}

TEST(SpectrogramAnalysis, TinyAreasAndLongTransforms) {
    SpectrogramAnalysis s;
    s.SetBounds(2, 2);
    s.SetFFTLength(4096);
    EXPECT_EQ(s.DrawArea().width, 4);
    EXPECT_EQ(s.Picture().size(), 16u);
    const auto block = Block8(Sine(4096, 100, 1));
    EXPECT_TRUE(s.RefreshPCMData(block.data(), block.size()));
    s.SetScroll(true);
    s.SetBarWidth(32); // wider than the picture
    for (int f = 0; f < 40; ++f)
        s.RefreshPCMData(block.data());
    EXPECT_EQ(s.ColumnsWritten(), 4);
}

} // namespace
} // namespace vk350
