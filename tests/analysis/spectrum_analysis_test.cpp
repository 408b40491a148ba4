#include "spectrum_analysis.h"

#include "analysis_errors.h"
#include "pcm_blocks.h"
#include "pcm_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vk350 {
namespace {

using test::Block16;
using test::Block8;
using test::Constant;
using test::Sine;

// The values the main window stores for its spectrum analyser.
void MainWindowSettings(SpectrumAnalysis& s) {
    s.SetBounds(504, 194);
    s.SetSampleRate(44100);
    s.SetChannel(chLeft);
    s.SetLogAmp(true);
    s.SetDecayMode(dmUniform);
    s.SetPeakDelay(10);
    s.SetPeakSpeed(5);
    s.SetDrawGrid(true);
}

const SpectrumRun& RunOfBin(const SpectrumAnalysis& s, int bin) {
    for (const SpectrumRun& run : s.Runs())
        if (bin >= run.firstBin && bin < run.endBin)
            return run;
    throw std::logic_error("no run shows the bin");
}

WaveFormatEx Format(int bits, int channels, int rate) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, std::uint16_t(bits), std::uint16_t(channels), std::uint32_t(rate));
    return f;
}

TEST(SpectrumAnalysis, NewInstanceDefaults) {
    SpectrumAnalysis s;
    EXPECT_EQ(s.Kind(), skBars);
    EXPECT_EQ(s.FFTLength(), 128);
    EXPECT_EQ(s.Window(), fwHamming);
    EXPECT_EQ(s.SampleRate(), 11025);
    EXPECT_EQ(s.BitLength(), b8Bit);
    EXPECT_EQ(s.Mode(), mMono);
    EXPECT_EQ(s.Channel(), chBoth);
    EXPECT_FALSE(s.LogAmp());
    EXPECT_FALSE(s.LogFreq());
    EXPECT_EQ(s.Gain(), sgNone);
    EXPECT_EQ(s.RefFreq(), 1000);
    EXPECT_EQ(s.VerticalScale(), 100);
    EXPECT_EQ(s.FrequencyScale(), 1);
    EXPECT_EQ(s.DecayMode(), dmNone);
    EXPECT_EQ(s.Decay(), 1);
    EXPECT_EQ(s.NumPeaks(), 1);
    EXPECT_EQ(s.PeakDelay(), 20);
    EXPECT_EQ(s.PeakSpeed(), 0);
    EXPECT_EQ(s.Space(), 1);
    EXPECT_EQ(s.SpotSpace(), 1);
    EXPECT_EQ(s.SpotHeight(), 1);
    EXPECT_EQ(s.Point1(), 50);
    EXPECT_EQ(s.Point2(), 85);
    EXPECT_TRUE(s.ShowInfo());
    EXPECT_TRUE(s.Enabled());
    EXPECT_EQ(s.Width(), 194);
    EXPECT_EQ(s.Height(), 89);
    EXPECT_EQ(s.BytesPerSpectrum(), 128);
}

TEST(SpectrumAnalysis, ClampedAndIgnoredValues) {
    SpectrumAnalysis s;
    struct Clamp {
        void (SpectrumAnalysis::*set)(std::int32_t);
        std::int32_t (SpectrumAnalysis::*get)() const;
        std::int32_t given;
        std::int32_t stored;
    };
    const Clamp clamps[] = {
        {&SpectrumAnalysis::SetFFTLength, &SpectrumAnalysis::FFTLength, 100, 64},
        {&SpectrumAnalysis::SetFFTLength, &SpectrumAnalysis::FFTLength, 5000, 4096},
        {&SpectrumAnalysis::SetFFTLength, &SpectrumAnalysis::FFTLength, 3, 8},
        {&SpectrumAnalysis::SetSampleRate, &SpectrumAnalysis::SampleRate, 5000, 8000},
        {&SpectrumAnalysis::SetSampleRate, &SpectrumAnalysis::SampleRate, 200000, 100000},
        {&SpectrumAnalysis::SetRefFreq, &SpectrumAnalysis::RefFreq, 0, 1},
        {&SpectrumAnalysis::SetRefFreq, &SpectrumAnalysis::RefFreq, 50000, 44100},
        {&SpectrumAnalysis::SetVerticalScale, &SpectrumAnalysis::VerticalScale, 0, 1},
        {&SpectrumAnalysis::SetVerticalScale, &SpectrumAnalysis::VerticalScale, 600, 500},
        {&SpectrumAnalysis::SetFrequencyScale, &SpectrumAnalysis::FrequencyScale, 7, 4},
        {&SpectrumAnalysis::SetFrequencyScale, &SpectrumAnalysis::FrequencyScale, 40, 16},
        {&SpectrumAnalysis::SetDecay, &SpectrumAnalysis::Decay, 0, 1},
        {&SpectrumAnalysis::SetDecay, &SpectrumAnalysis::Decay, 17, 16},
        // Ignored: the value stays at its default.
        {&SpectrumAnalysis::SetNumPeaks, &SpectrumAnalysis::NumPeaks, 6, 1},
        {&SpectrumAnalysis::SetPeakDelay, &SpectrumAnalysis::PeakDelay, 51, 20},
        {&SpectrumAnalysis::SetPeakSpeed, &SpectrumAnalysis::PeakSpeed, -1, 0},
        {&SpectrumAnalysis::SetSpace, &SpectrumAnalysis::Space, 6, 1},
        {&SpectrumAnalysis::SetSpotSpace, &SpectrumAnalysis::SpotSpace, 11, 1},
        {&SpectrumAnalysis::SetSpotHeight, &SpectrumAnalysis::SpotHeight, 0, 1},
        {&SpectrumAnalysis::SetSpotHeight, &SpectrumAnalysis::SpotHeight, 30, 1}, // 89 / 3 = 29
        {&SpectrumAnalysis::SetPoint1, &SpectrumAnalysis::Point1, 0, 50},
        {&SpectrumAnalysis::SetPoint2, &SpectrumAnalysis::Point2, 101, 85},
    };
    for (const Clamp& c : clamps) {
        SpectrumAnalysis fresh;
        (fresh.*c.set)(c.given);
        EXPECT_EQ((fresh.*c.get)(), c.stored) << "given " << c.given;
    }
    s.SetSpotHeight(29);
    EXPECT_EQ(s.SpotHeight(), 29);
}

TEST(SpectrumAnalysis, SettersRedrawOnlyOnChange) {
    SpectrumAnalysis s;
    int redraws = 0;
    s.OnRedraw = [&] { ++redraws; };
    s.SetSampleRate(11025);
    s.SetKind(skBars);
    s.SetFFTLength(130); // rounds down to the current 128
    s.SetNumPeaks(9);
    EXPECT_EQ(redraws, 0);
    s.SetSampleRate(44100);
    s.SetKind(skDots);
    s.SetFFTLength(256);
    EXPECT_EQ(redraws, 3);
}

TEST(SpectrumAnalysis, MainWindowGeometry) {
    SpectrumAnalysis s;
    MainWindowSettings(s);
    EXPECT_EQ(s.DrawArea(), (AnalysisRect{0, 0, 504, 194}));
    EXPECT_EQ(s.Spots(), 97);
    EXPECT_EQ(s.Threshold1(), 48);
    EXPECT_EQ(s.Threshold2(), 82);
    EXPECT_EQ(s.SpotOffset(), 0);
    EXPECT_EQ(s.SpotTop(1), 193);
    EXPECT_EQ(s.SpotTop(97), 1);
    EXPECT_EQ(s.SpotBand(48), 0);
    EXPECT_EQ(s.SpotBand(49), 1);
    EXPECT_EQ(s.SpotBand(82), 1);
    EXPECT_EQ(s.SpotBand(83), 2);
    EXPECT_EQ(s.GridRows(), (std::vector<std::int32_t>{0, 32, 64, 96, 128, 160, 193}));
    EXPECT_EQ(s.GridColumns().size(), 33u);
    EXPECT_EQ(s.GridColumns().back(), 503);
    // 64 bars of 7 or 8 columns, side by side over the whole width.
    ASSERT_EQ(s.Runs().size(), 64u);
    std::int32_t next = 0;
    for (std::size_t i = 0; i < s.Runs().size(); ++i) {
        const SpectrumRun& run = s.Runs()[i];
        EXPECT_EQ(run.first, next);
        EXPECT_EQ(run.firstBin, std::int32_t(i));
        EXPECT_EQ(run.endBin, std::int32_t(i) + 1);
        EXPECT_TRUE(run.end - run.first == 7 || run.end - run.first == 8) << run.end - run.first;
        next = run.end;
    }
    EXPECT_EQ(next, 504);
    // A bar loses Space (1) pixel; every bin the same width at 512.
    EXPECT_EQ(s.BarColumns(s.Runs()[0]), std::make_pair(0, 7));
    EXPECT_EQ(s.GetOptimalWidth(504), 512);
    s.SetBevelExtent(2);
    EXPECT_EQ(s.DrawArea(), (AnalysisRect{2, 2, 500, 190}));
    EXPECT_EQ(s.GetOptimalWidth(504), 516);
    s.SetDrawAmpScale(true);
    s.SetDrawFreqScale(true);
    EXPECT_EQ(s.DrawArea(), (AnalysisRect{34, 2, 436, 150}));
}

TEST(SpectrumAnalysis, LinearGridAndSmallSizes) {
    SpectrumAnalysis s;
    s.SetBounds(504, 194);
    EXPECT_EQ(s.GridRows(), (std::vector<std::int32_t>{193, 174, 155, 135, 116, 97, 77, 58, 38, 19, 0}));
    s.SetBounds(30, 25);
    // 25 rows leave room for 2 divisions, 30 columns for 2.
    EXPECT_EQ(s.GridRows(), (std::vector<std::int32_t>{24, 12, 0}));
    EXPECT_EQ(s.GridColumns(), (std::vector<std::int32_t>{0, 14, 29}));
    s.SetBounds(1, 1);
    EXPECT_EQ(s.DrawArea(), (AnalysisRect{0, 0, 4, 4}));
}

TEST(SpectrumAnalysis, SinePeaksAtItsBinAndReadsItsFrequencyUnderTheMouse) {
    for (int bin : {3, 10, 41, 63}) {
        SCOPED_TRACE("bin " + std::to_string(bin));
        SpectrumAnalysis s;
        MainWindowSettings(s);
        s.SetDisplayPeak(true);
        const auto block = Block8(Sine(128, bin, 0.9));
        ASSERT_TRUE(s.RefreshPCMData(block.data(), block.size()));
        const SpectrumPeak peak = s.GetPeak();
        EXPECT_EQ(peak.bin, bin);
        const SpectrumRun& run = RunOfBin(s, bin);
        EXPECT_EQ(peak.column, run.first);
        EXPECT_EQ(peak.value, run.value);
        const double binWidth = 44100.0 / 128;
        EXPECT_NEAR(peak.frequency, (bin + 0.5) * binWidth, 0.01);
        // 0.9 of full scale through a Hamming window: |X| = 0.9 * 32768 * 0.54.
        EXPECT_NEAR(peak.amplitude, 0.9 * 0.54, 0.01);
        EXPECT_NEAR(peak.level, 20 * std::log10(0.9 * 0.54), 0.2);
        // The mouse over the bar reads a frequency within the bin's width of the sine's.
        for (int x = run.first; x < run.end; ++x)
            EXPECT_NEAR(s.GetFrequencyAtPos(x, 100), bin * binWidth, binWidth);
        EXPECT_EQ(s.PeakText().size(), 10u);
        EXPECT_EQ(s.PeakText().substr(7), " Hz");
        s.SetDisplayPeak(false);
        EXPECT_EQ(s.PeakText(), "");
        for (const SpectrumRun& other : s.Runs()) {
            if (&other != &run) {
                EXPECT_LT(other.value, run.value);
            }
        }
    }
}

TEST(SpectrumAnalysis, LogAndLinearAmplitudeScales) {
    // A 16-bit sine centred on bin 8, rectangular window: |X| = amplitude * 32767.
    struct Case {
        bool logAmp;
        DecayKind decay;
        std::int32_t verticalScale;
        double amplitude;
        std::int32_t value;
        bool overflow;
    };
    const Case cases[] = {
        // Log axis: (20 log10(|X| / 32768) + 60) * 194 / 60.
        {true, dmStepUp, 100, 1.0, 193, false},
        {true, dmStepUp, 100, 0.1, 129, false},
        {true, dmStepUp, 100, 0.01, 64, false},
        {true, dmStepUp, 100, 0.001, 0, false},
        // Without smoothing the bins carry log units themselves; same picture.
        {true, dmNone, 100, 1.0, 193, false},
        {true, dmNone, 100, 0.1, 129, false},
        {true, dmNone, 100, 0.01, 64, false},
        {true, dmNone, 100, 0.0005, 0, false},
        // Linear axis: |X| * 194 / (32768 * VerticalScale / 100).
        {false, dmNone, 100, 1.0, 193, false},
        {false, dmNone, 100, 0.5, 97, false},
        {false, dmNone, 200, 1.0, 97, false},
        {false, dmNone, 400, 0.5, 24, false},
        {false, dmNone, 50, 0.5, 193, false},
        {false, dmNone, 50, 0.6, 193, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "log " << c.logAmp << " decay " << c.decay << " scale "
                                        << c.verticalScale << " amplitude " << c.amplitude);
        SpectrumAnalysis s;
        MainWindowSettings(s);
        s.SetBitLength(b16Bit);
        s.SetWindow(fwRectangular);
        s.SetLogAmp(c.logAmp);
        s.SetDecayMode(c.decay);
        s.SetVerticalScale(c.verticalScale);
        int overflows = 0;
        s.OnGainOverflow = [&] { ++overflows; };
        const auto block = Block16(Sine(128, 8, c.amplitude));
        s.RefreshPCMData(block.data());
        EXPECT_NEAR(RunOfBin(s, 8).value, c.value, 1);
        EXPECT_EQ(overflows > 0, c.overflow);
        EXPECT_EQ(RunOfBin(s, 20).value, 0);
    }
}

TEST(SpectrumAnalysis, FrequencyTiltIsUnityAtTheReferenceFrequency) {
    // Bin 10 at 44100 Hz is 3445 Hz; the half-octave steps refer to the top of the bin.
    struct Case {
        SpectrumGain gain;
        std::int32_t refFreq;
    };
    const Case cases[] = {{sg3db, 3790}, {sg6db, 3445}, {sg9db, 3445}, {sg12db, 3445}};
    for (bool logAmp : {true, false}) {
        SpectrumAnalysis flat;
        MainWindowSettings(flat);
        flat.SetLogAmp(logAmp);
        flat.SetBitLength(b16Bit);
        const auto block = Block16(Sine(128, 10, 0.3));
        flat.RefreshPCMData(block.data());
        const std::int32_t expected = RunOfBin(flat, 10).value;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "log " << logAmp << " gain " << c.gain);
            SpectrumAnalysis s;
            MainWindowSettings(s);
            s.SetLogAmp(logAmp);
            s.SetBitLength(b16Bit);
            s.SetGain(c.gain);
            s.SetRefFreq(c.refFreq);
            s.RefreshPCMData(block.data());
            const std::int32_t tolerance = c.gain == sg9db ? 3 : 2;
            EXPECT_NEAR(RunOfBin(s, 10).value, expected, tolerance);
        }
    }
}

TEST(SpectrumAnalysis, PeaksHoldThenFallAsTimed) {
    SpectrumAnalysis s;
    MainWindowSettings(s);
    const auto loud = Block8(Sine(128, 10, 1.0));
    const auto silent = Block8(Constant(128, 0));
    s.RefreshPCMData(loud.data());
    const std::int32_t caught = RunOfBin(s, 10).spots;
    ASSERT_GT(caught, 40);
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, caught);
    s.RefreshPCMData(silent.data());
    for (const SpectrumRun& run : s.Runs())
        EXPECT_EQ(run.spots, 0);
    EXPECT_EQ(s.PeakMarker(RunOfBin(s, 10)), std::make_pair(caught, 1));
    // Held 2 * PeakDelay + 1 = 21 ticks, then one spot every PeakSpeed = 5 ticks.
    for (int tick = 1; tick <= 20; ++tick)
        EXPECT_FALSE(s.PeakTick()) << tick;
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, caught);
    EXPECT_TRUE(s.PeakTick());
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, caught - 1);
    for (int tick = 1; tick <= 4; ++tick)
        s.PeakTick();
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, caught - 1);
    s.PeakTick();
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, caught - 2);
    // A louder frame catches the peak again; a quieter one leaves it.
    s.RefreshPCMData(loud.data());
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, caught);
    // Without peak speed the peak drops at once when its hold ends.
    s.SetPeakSpeed(0);
    s.RefreshPCMData(loud.data());
    for (int tick = 1; tick <= 21; ++tick)
        s.PeakTick();
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, 0);
    // No peaks: the timer stops and nothing is caught.
    s.SetNumPeaks(0);
    EXPECT_FALSE(s.PeakTimerActive());
    s.RefreshPCMData(loud.data());
    EXPECT_EQ(RunOfBin(s, 10).peak.peak, 0);
    EXPECT_EQ(s.PeakMarker(RunOfBin(s, 10)), std::make_pair(0, 0));
    s.SetNumPeaks(3);
    EXPECT_TRUE(s.PeakTimerActive());
    s.RefreshPCMData(loud.data());
    s.RefreshPCMData(silent.data());
    EXPECT_EQ(s.PeakMarker(RunOfBin(s, 10)), std::make_pair(caught, 3));
}

TEST(SpectrumAnalysis, DecaySmoothsSuccessiveBlocks) {
    SpectrumAnalysis s;
    MainWindowSettings(s);
    s.SetLogAmp(false);
    s.SetDecay(3); // a moving average over 4 frames
    const auto loud = Block8(Sine(128, 10, 1.0));
    const auto silent = Block8(Constant(128, 0));
    s.RefreshPCMData(loud.data());
    const std::int32_t a = s.Magnitudes()[10];
    ASSERT_GT(a, 0);
    std::vector<std::int32_t> seen;
    for (int i = 0; i < 4; ++i) {
        s.RefreshPCMData(silent.data());
        seen.push_back(s.Magnitudes()[10]);
    }
    EXPECT_EQ(seen, (std::vector<std::int32_t>{a / 2, a / 3, a / 4, 0}));
    // Instant rise, exponential fall with factor 0.1 (Decay 2).
    s.SetDecayMode(dmStepUp);
    s.SetDecay(2);
    s.RefreshPCMData(loud.data());
    EXPECT_EQ(s.Magnitudes()[10], a);
    s.RefreshPCMData(silent.data());
    EXPECT_NEAR(s.Magnitudes()[10], a / 10, 1);
    s.RefreshPCMData(silent.data());
    EXPECT_NEAR(s.Magnitudes()[10], a / 100, 1);
}

TEST(SpectrumAnalysis, InputConventions) {
    // A sine in one channel and silence in the other: the channel choice decides what is seen.
    struct Case {
        int bits;
        ChannelChoice channel;
        bool sineSeen;
        double level;
    };
    const Case cases[] = {
        {8, chLeft, true, 1.0},  {8, chRight, false, 0},  {8, chBoth, true, 0.5},
        {16, chLeft, true, 1.0}, {16, chRight, false, 0}, {16, chBoth, true, 0.5},
    };
    const std::vector<double> sine = Sine(128, 12, 0.8);
    const std::vector<double> silence = Constant(128, 0);
    double full = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, channel " << c.channel);
        SpectrumAnalysis s;
        s.SetLogAmp(false);
        s.SetPCMWaveFormat(Format(c.bits, 2, 22050));
        s.SetChannel(c.channel);
        EXPECT_EQ(s.BytesPerSpectrum(), c.bits / 8 * 2 * 128);
        const auto block = c.bits == 8 ? Block8(sine, &silence) : Block16(sine, &silence);
        ASSERT_EQ(block.size(), std::size_t(s.BytesPerSpectrum()));
        s.RefreshPCMData(block.data());
        const double magnitude = s.Magnitudes()[12] / 16.0;
        if (c.channel == chLeft)
            full = magnitude;
        if (c.sineSeen)
            EXPECT_NEAR(magnitude / full, c.level, 0.02);
        else
            EXPECT_LT(magnitude, 2.0);
    }
    // 8-bit and 16-bit input of the same wave give the same spectrum.
    SpectrumAnalysis eight, sixteen;
    sixteen.SetBitLength(b16Bit);
    const auto block8 = Block8(sine);
    const auto block16 = Block16(sine);
    eight.RefreshPCMData(block8.data());
    sixteen.RefreshPCMData(block16.data());
    EXPECT_NEAR(eight.Magnitudes()[12], sixteen.Magnitudes()[12], sixteen.Magnitudes()[12] / 100);
}

TEST(SpectrumAnalysis, OverflowIsCountedPerClippedSample) {
    struct Case {
        std::vector<std::uint8_t> block;
        int bits;
        int channels;
        ChannelChoice channel;
        int overflows;
    };
    std::vector<std::uint8_t> square;
    for (int i = 0; i < 128; ++i)
        square.push_back(i % 2 ? 255 : 0);
    auto words = [](std::initializer_list<int> values, int repeat) {
        std::vector<std::uint8_t> out;
        for (int r = 0; r < repeat; ++r)
            for (int v : values)
                test::Put16(out, v);
        return out;
    };
    const Case cases[] = {
        {square, 8, 1, chBoth, 64},
        {std::vector<std::uint8_t>(128, 254), 8, 1, chBoth, 0},
        {words({32767}, 128), 16, 1, chBoth, 128},
        {words({32766}, 128), 16, 1, chBoth, 0},
        {words({-32768}, 128), 16, 1, chBoth, 0},
        {words({32766, 32766}, 128), 16, 2, chBoth, 128},
        {words({32765, 32767}, 128), 16, 2, chBoth, 128},
        {words({32765, 32766}, 128), 16, 2, chBoth, 0},
        {words({32767, 0}, 128), 16, 2, chRight, 0},
        {words({32767, 0}, 128), 16, 2, chLeft, 128},
    };
    for (const Case& c : cases) {
        SpectrumAnalysis s;
        s.SetPCMWaveFormat(Format(c.bits, c.channels, 44100));
        s.SetChannel(c.channel);
        int overflows = 0;
        s.OnPcmOverflow = [&] { ++overflows; };
        ASSERT_EQ(c.block.size(), std::size_t(s.BytesPerSpectrum()));
        s.RefreshPCMData(c.block.data());
        EXPECT_EQ(overflows, c.overflows) << c.bits << " bits " << c.channels << " channels";
    }
}

TEST(SpectrumAnalysis, FormatChangesAndBadFormats) {
    SpectrumAnalysis s;
    s.SetPCMWaveFormat(Format(16, 2, 22050));
    EXPECT_EQ(s.BitLength(), b16Bit);
    EXPECT_EQ(s.Mode(), mStereo);
    EXPECT_EQ(s.SampleRate(), 22050);
    EXPECT_EQ(s.BytesPerSpectrum(), 512);
    s.SetFFTLength(1024);
    EXPECT_EQ(s.BytesPerSpectrum(), 4096);
    WaveFormatEx bad = Format(16, 2, 22050);
    bad.wBitsPerSample = 24;
    try {
        s.SetPCMWaveFormat(bad);
        ADD_FAILURE() << "no error";
    } catch (const SpectrumError& e) {
        EXPECT_STREQ(e.what(), "Invalid WaveFormat");
    }
    EXPECT_EQ(s.BitLength(), b16Bit);
    EXPECT_EQ(s.SampleRate(), 22050);
    // A slow rate is held to the lowest the analyser shows.
    s.SetPCMWaveFormat(Format(8, 1, 4000));
    EXPECT_EQ(s.SampleRate(), 8000);
    EXPECT_EQ(s.BytesPerSpectrum(), 1024);
}

TEST(SpectrumAnalysis, NeverReadsOutsideItsBuffers) {
    SpectrumAnalysis s;
    MainWindowSettings(s);
    // A block shorter than a spectrum is refused.
    std::vector<std::uint8_t> shortBlock(127, 200);
    EXPECT_FALSE(s.RefreshPCMData(shortBlock.data(), shortBlock.size()));
    EXPECT_FALSE(s.RefreshPCMData(nullptr));
    for (const SpectrumRun& run : s.Runs())
        EXPECT_EQ(run.value, 0);
    // A bin map handler that returns anything at all.
    s.OnGetXScale = [](std::vector<std::int32_t>& first, std::vector<std::int32_t>& end) {
        for (std::size_t i = 0; i < first.size(); ++i) {
            first[i] = i % 3 == 0 ? 5000 : i % 3 == 1 ? -7 : std::int32_t(i);
            end[i] = 99999;
        }
        first.resize(3);
    };
    s.SetFFTLength(256);
    ASSERT_FALSE(s.Runs().empty());
    for (const SpectrumRun& run : s.Runs()) {
        EXPECT_GE(run.firstBin, 0);
        EXPECT_LE(run.endBin, 128);
        EXPECT_LT(run.firstBin, run.endBin);
        EXPECT_LE(run.end, 504);
    }
    const auto block = Block8(Sine(256, 20, 1));
    EXPECT_TRUE(s.RefreshPCMData(block.data(), block.size()));
}

TEST(SpectrumAnalysis, LoudBinsAreHeldNotWrapped) {
    // Full-scale negative DC through a rectangular window is -65534 after scaling: held to
    // -32768 rather than wrapped to a small positive number.
    SpectrumAnalysis s;
    s.SetBitLength(b16Bit);
    s.SetWindow(fwRectangular);
    const auto block = Block16(Constant(128, -1.0));
    s.RefreshPCMData(block.data());
    EXPECT_EQ(s.Spectrum()[0], -32768);
    EXPECT_EQ(s.GetPeak().bin, 0);
    // A bin of (-32768, -32768) has a power of 2^31, which must not read as silence.
    std::vector<std::int16_t> spectrum(128, 0);
    spectrum[6] = spectrum[7] = -32768;
    SpectrumAnalysis log;
    log.SetLogAmp(true);
    int overflows = 0;
    log.OnGainOverflow = [&] { ++overflows; };
    log.RefreshFFTData(spectrum.data());
    EXPECT_EQ(RunOfBin(log, 3).value, log.DrawArea().height - 1);
    EXPECT_EQ(overflows, 1);
}

TEST(SpectrumAnalysis, DirectFeedsAndReset) {
    SpectrumAnalysis s;
    MainWindowSettings(s);
    std::vector<std::int32_t> magnitudes(64, 0);
    magnitudes[5] = 16 * 3277; // -20 dB
    ASSERT_TRUE(s.RefreshMagnitudeData(magnitudes.data()));
    EXPECT_NEAR(RunOfBin(s, 5).value, 129, 1);
    EXPECT_EQ(s.GetPeak().bin, 5);
    EXPECT_NEAR(s.GetPeak().level, -20, 0.01);
    std::vector<std::int16_t> spectrum(128, 0);
    spectrum[2 * 9] = 3277;
    ASSERT_TRUE(s.RefreshFFTData(spectrum.data()));
    EXPECT_NEAR(RunOfBin(s, 9).value, 129, 1);
    EXPECT_EQ(RunOfBin(s, 5).value, 0);
    int redraws = 0;
    s.OnRedraw = [&] { ++redraws; };
    s.ResetData();
    EXPECT_EQ(redraws, 1);
    for (const SpectrumRun& run : s.Runs()) {
        EXPECT_EQ(run.value, 0);
        EXPECT_EQ(run.peak.peak, 0);
    }
    EXPECT_EQ(s.GetPeak().level, -100);
    EXPECT_EQ(s.GetPeak().frequency, 0);
    EXPECT_EQ(s.PeakText(), "");
}

TEST(SpectrumAnalysis, DisabledViewIgnoresData) {
    SpectrumAnalysis s;
    int needs = 0;
    s.OnNeedData = [&] { ++needs; };
    const auto block = Block8(Sine(128, 10, 1));
    s.RefreshPCMData(block.data());
    s.SetEnabled(false);
    EXPECT_FALSE(s.PeakTimerActive());
    for (const SpectrumRun& run : s.Runs())
        EXPECT_EQ(run.value, 0);
    const std::vector<std::int16_t> spectrum(std::size_t(s.FFTLength()), 3277);
    const std::vector<std::int32_t> magnitudes(std::size_t(s.FFTLength()), 1 << 20);
    EXPECT_FALSE(s.RefreshPCMData(block.data()));
    EXPECT_FALSE(s.RefreshFFTData(spectrum.data()));
    EXPECT_FALSE(s.RefreshMagnitudeData(magnitudes.data()));
    EXPECT_FALSE(s.PeakTick());
    for (const SpectrumRun& run : s.Runs())
        EXPECT_EQ(run.value, 0);
    EXPECT_EQ(needs, 0);
    s.SetEnabled(true);
    EXPECT_EQ(needs, 1);
    EXPECT_TRUE(s.RefreshPCMData(block.data()));
    EXPECT_FALSE(s.RefreshFFTData(nullptr));
    EXPECT_FALSE(s.RefreshMagnitudeData(nullptr));
}

TEST(SpectrumAnalysis, InfoTexts) {
    SpectrumAnalysis s;
    MainWindowSettings(s);
    struct Case {
        bool logAmp;
        std::int32_t verticalScale;
        SpectrumKind kind;
        std::int32_t x, y;
        const char* text;
    };
    const Case cases[] = {
        {true, 100, skBars, 503, 193, "22.050 KHz -60.0 dB"}, {true, 100, skBars, 0, 0, "0.000 KHz 0.0 dB"},
        {false, 100, skBars, 0, 0, "0.000 KHz 1.00 V"},       {false, 5, skBars, 0, 0, "0.000 KHz 0.050 V"},
        {false, 100, skScroll, 503, 0, "22.050 KHz"},
    };
    for (const Case& c : cases) {
        s.SetLogAmp(c.logAmp);
        s.SetVerticalScale(c.verticalScale);
        s.SetKind(c.kind);
        EXPECT_EQ(s.InfoText(c.x, c.y), c.text);
    }
    EXPECT_EQ(s.GetFrequencyAtPos(504, 10), 0);
    EXPECT_EQ(s.GetAmplitudeAtPos(10, -1), 0);
    // The log frequency axis runs from one bin width to half the rate.
    s.SetLogFreq(true);
    EXPECT_NEAR(s.GetFrequencyAtPos(0, 0), 44100.0 / 128, 1e-6);
    EXPECT_NEAR(s.GetFrequencyAtPos(503, 0), 22050, 1e-6);
    EXPECT_EQ(s.Runs().front().firstBin, 0);
    EXPECT_EQ(s.Runs().back().firstBin, 63);
}

} // namespace
} // namespace vk350
