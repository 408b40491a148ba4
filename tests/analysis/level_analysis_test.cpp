#include "level_analysis.h"
#include "level_scale_layout.h"

#include "analysis_errors.h"
#include "pcm_blocks.h"
#include "pcm_support.h"

#include <gtest/gtest.h>

namespace vk350 {
namespace {

void MainWindowSettings(LevelAnalysis& l) {
    l.SetBounds(12, 526);
    l.SetBevelExtent(1);
    l.SetKind(lkVertical);
    l.SetSensitivy(-40);
}

WaveFormatEx Format(int bits, int channels, int rate) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, std::uint16_t(bits), std::uint16_t(channels), std::uint32_t(rate));
    return f;
}

std::vector<std::uint8_t> Bytes(std::uint8_t extreme, int count = 50) {
    std::vector<std::uint8_t> block(std::size_t(count), 128);
    block[std::size_t(count / 2)] = extreme;
    return block;
}

std::vector<std::uint8_t> Words(int extreme, int count = 50) {
    std::vector<std::uint8_t> block;
    for (int i = 0; i < count; ++i)
        test::Put16(block, i == count / 2 ? extreme : 0);
    return block;
}

TEST(LevelAnalysis, DefaultsAndLimits) {
    LevelAnalysis l;
    EXPECT_EQ(l.Kind(), lkHorizontal);
    EXPECT_EQ(l.Direction(), dirNormal);
    EXPECT_EQ(l.Samples(), 50);
    EXPECT_EQ(l.Sensitivy(), -35);
    EXPECT_TRUE(l.LogAmp());
    EXPECT_EQ(l.Gain(), 0);
    EXPECT_EQ(l.NumPeaks(), 1);
    EXPECT_EQ(l.PeakDelay(), 20);
    EXPECT_EQ(l.PeakSpeed(), 0);
    EXPECT_EQ(l.SpotWidth(), 1);
    EXPECT_EQ(l.SpotSpace(), 1);
    EXPECT_EQ(l.Width(), 200);
    EXPECT_EQ(l.Height(), 17);
    EXPECT_EQ(l.BytesPerLevel(), 50);
    struct Case {
        void (LevelAnalysis::*set)(std::int32_t);
        std::int32_t (LevelAnalysis::*get)() const;
        std::int32_t given;
        std::int32_t stored;
    };
    const Case cases[] = {
        {&LevelAnalysis::SetSensitivy, &LevelAnalysis::Sensitivy, -5, -9},
        {&LevelAnalysis::SetSensitivy, &LevelAnalysis::Sensitivy, -100, -90},
        {&LevelAnalysis::SetSamples, &LevelAnalysis::Samples, 0, 1},
        {&LevelAnalysis::SetNumPeaks, &LevelAnalysis::NumPeaks, 9, 5},
        {&LevelAnalysis::SetPeakDelay, &LevelAnalysis::PeakDelay, 99, 50},
        {&LevelAnalysis::SetPeakSpeed, &LevelAnalysis::PeakSpeed, -3, 0},
        {&LevelAnalysis::SetSpotSpace, &LevelAnalysis::SpotSpace, 12, 10},
        {&LevelAnalysis::SetSpotWidth, &LevelAnalysis::SpotWidth, 100, 66},
        {&LevelAnalysis::SetPoint1, &LevelAnalysis::Point1, 0, 1},
        {&LevelAnalysis::SetPoint2, &LevelAnalysis::Point2, 120, 100},
        {&LevelAnalysis::SetGain, &LevelAnalysis::Gain, 40, 0},
        {&LevelAnalysis::SetGain, &LevelAnalysis::Gain, -9, 0},
        {&LevelAnalysis::SetGain, &LevelAnalysis::Gain, 32, 32},
    };
    for (const Case& c : cases) {
        LevelAnalysis fresh;
        (fresh.*c.set)(c.given);
        EXPECT_EQ((fresh.*c.get)(), c.stored) << "given " << c.given;
    }
    // A vertical kind turns a wide meter upright.
    l.SetKind(lkVertical);
    EXPECT_EQ(l.Width(), 17);
    EXPECT_EQ(l.Height(), 200);
    l.SetKind(lkHorizontal);
    EXPECT_EQ(l.Width(), 200);
}

TEST(LevelAnalysis, MainWindowGeometry) {
    LevelAnalysis l;
    MainWindowSettings(l);
    EXPECT_EQ(l.DrawArea(), (AnalysisRect{1, 1, 10, 524}));
    EXPECT_EQ(l.Length(), 524);
    EXPECT_EQ(l.Breadth(), 10);
    EXPECT_EQ(l.Spots(), 262);
    EXPECT_EQ(l.Threshold1(), 131);
    EXPECT_EQ(l.Threshold2(), 222);
    EXPECT_EQ(l.SpotRect(1), (AnalysisRect{0, 523, 10, 1}));
    EXPECT_EQ(l.SpotRect(262), (AnalysisRect{0, 1, 10, 1}));
    EXPECT_EQ(l.SpotBand(131), 0);
    EXPECT_EQ(l.SpotBand(132), 1);
    EXPECT_EQ(l.SpotBand(223), 2);
    l.SetDirection(dirReversed);
    EXPECT_EQ(l.SpotRect(1), (AnalysisRect{0, 0, 10, 1}));
    // Horizontal: left to right, or right to left reversed.
    LevelAnalysis h;
    h.SetSpotWidth(3);
    EXPECT_EQ(h.Spots(), 50); // (200 + 1) / 4
    EXPECT_EQ(h.SpotOffset(), 0);
    EXPECT_EQ(h.SpotRect(2), (AnalysisRect{4, 0, 3, 17}));
    h.SetDirection(dirReversed);
    EXPECT_EQ(h.SpotRect(1), (AnalysisRect{197, 0, 3, 17}));
    // The main window sizes the meter to its panel, which changes the spot count.
    l.SetBounds(12, 300);
    EXPECT_EQ(l.Spots(), 149);
}

TEST(LevelAnalysis, ReadsFullScaleAndMinusSixDecibels) {
    struct Case {
        int bits;
        int extreme;
        bool logAmp;
        std::int32_t gain;
        std::int32_t spots;
        bool pcmOverflow;
        bool gainOverflow;
    };
    const Case cases[] = {
        // Byte 192 is 16384, -6.02 dB: round((-6.02 + 40) * 262 / 40) = 223, one above T2.
        {8, 192, true, 0, 223, false, false},
        {8, 255, true, 0, 262, false, false},
        {8, 0, true, 0, 262, true, false},
        {16, 16384, true, 0, 223, false, false},
        {16, -16384, true, 0, 223, false, false},
        {16, 32767, true, 0, 262, true, false},
        {16, -32768, true, 0, 262, true, false},
        {16, 16384, true, 8, 262, false, false},
        {16, 16384, true, 16, 262, false, true},
        {16, 327, true, 0, 0, false, false},
        // Linear: from the floor 32767 / 100 up to full scale.
        {16, 16384, false, 0, 130, false, false},
        {16, 32767, false, 0, 262, true, false},
        {16, 300, false, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, extreme " << c.extreme << ", log " << c.logAmp
                                        << ", gain " << c.gain);
        LevelAnalysis l;
        MainWindowSettings(l);
        l.SetPCMWaveFormat(Format(c.bits, 1, 22050));
        l.SetLogAmp(c.logAmp);
        l.SetGain(c.gain);
        int pcm = 0, gain = 0;
        l.OnPcmOverflow = [&] { ++pcm; };
        l.OnGainOverflow = [&] { ++gain; };
        const auto block = c.bits == 8 ? Bytes(std::uint8_t(c.extreme)) : Words(c.extreme);
        ASSERT_EQ(block.size(), std::size_t(l.BytesPerLevel()));
        EXPECT_EQ(l.RefreshPCMData(block.data(), block.size()), c.spots > 0);
        EXPECT_EQ(l.LitValue(), c.spots);
        EXPECT_EQ(pcm > 0, c.pcmOverflow);
        EXPECT_EQ(gain > 0, c.gainOverflow);
    }
}

TEST(LevelAnalysis, SilenceDropsAtOnceAndThePeakHolds) {
    LevelAnalysis l;
    MainWindowSettings(l);
    const auto loud = Bytes(192);
    const auto silent = Bytes(128);
    EXPECT_FALSE(l.RefreshPCMData(silent.data())) << "silence after silence draws nothing";
    EXPECT_TRUE(l.RefreshPCMData(loud.data()));
    EXPECT_EQ(l.Value(), 85);
    EXPECT_EQ(l.GetPeak(), 85);
    EXPECT_NEAR(l.GetPeakValue(), 16384, 200);
    // Reaching the held peak again restarts its hold and draws; below it, an unchanged level
    // draws nothing.
    EXPECT_TRUE(l.RefreshPCMData(loud.data()));
    const auto quieter = Bytes(176);
    EXPECT_TRUE(l.RefreshPCMData(quieter.data()));
    EXPECT_FALSE(l.RefreshPCMData(quieter.data()));
    EXPECT_TRUE(l.RefreshPCMData(silent.data()));
    EXPECT_EQ(l.LitValue(), 0);
    EXPECT_EQ(l.PeakSpots(), 223);
    EXPECT_EQ(l.PeakMarker(), std::make_pair(223, 1));
    EXPECT_FALSE(l.RefreshPCMData(silent.data()));
    // Held 2 * 20 + 1 ticks, then gone (PeakSpeed 0); the change shows with the next block.
    for (int tick = 1; tick <= 40; ++tick)
        EXPECT_FALSE(l.PeakTick());
    EXPECT_TRUE(l.PeakTick());
    EXPECT_EQ(l.PeakSpots(), 0);
    EXPECT_TRUE(l.RefreshPCMData(silent.data()));
    EXPECT_FALSE(l.RefreshPCMData(silent.data()));
    // With a peak speed the peak steps down.
    l.SetPeakDelay(0);
    l.SetPeakSpeed(2);
    l.RefreshPCMData(loud.data());
    l.RefreshPCMData(silent.data());
    l.PeakTick();
    EXPECT_EQ(l.PeakSpots(), 222);
    l.PeakTick();
    EXPECT_EQ(l.PeakSpots(), 222);
    l.PeakTick();
    EXPECT_EQ(l.PeakSpots(), 221);
    // No peaks: no timer, no marker.
    l.SetNumPeaks(0);
    EXPECT_FALSE(l.PeakTimerActive());
    EXPECT_EQ(l.PeakMarker(), std::make_pair(0, 0));
    l.ResetData();
    EXPECT_EQ(l.PeakSpots(), 0);
    EXPECT_EQ(l.GetPeakValue(), 0);
}

TEST(LevelAnalysis, InputChannelsOffsetsAndDecay) {
    struct Case {
        int bits;
        ChannelChoice channel;
        std::int32_t offsetL, offsetR;
        std::vector<int> frame;
        std::int32_t raw;
    };
    const Case cases[] = {
        {16, chBoth, 100, -100, {1000, 3000}, 2000},  {16, chBoth, 0, 0, {-3001, 0}, 1500},
        {16, chRight, 100, -100, {1000, 3000}, 2900}, {16, chLeft, 100, -100, {1000, 3000}, 1100},
        {8, chBoth, 0, 0, {192, 128}, 8192},          {8, chLeft, 64, 0, {128, 0}, 16384},
        {8, chRight, 0, 0, {128, 0}, 32768},
    };
    for (const Case& c : cases) {
        LevelAnalysis l;
        l.SetPCMWaveFormat(Format(c.bits, 2, 44100));
        l.SetSamples(3);
        l.SetChannel(c.channel);
        l.SetDCOffsetL(c.offsetL);
        l.SetDCOffsetR(c.offsetR);
        std::vector<std::uint8_t> block;
        for (int i = 0; i < 3; ++i)
            for (int v : c.frame) {
                if (c.bits == 8)
                    block.push_back(std::uint8_t(v));
                else
                    test::Put16(block, v);
            }
        ASSERT_EQ(block.size(), std::size_t(l.BytesPerLevel()));
        l.RefreshPCMData(block.data());
        EXPECT_EQ(l.RawPeak(), c.raw) << c.bits << " bits channel " << c.channel;
    }
    // A moving average over two blocks (Decay 2) halves a single loud block.
    LevelAnalysis l;
    MainWindowSettings(l);
    l.SetDecayMode(dmUniform);
    l.SetDecay(2);
    l.SetData(16384);
    EXPECT_EQ(l.LitValue(), 223);
    l.SetData(0);
    EXPECT_EQ(l.LitValue(), 183); // 8192 is -12.04 dB
    // No gain at all reads nothing.
    l.SetDecayMode(dmNone);
    l.SetGain(-8);
    l.SetData(32767);
    EXPECT_EQ(l.LitValue(), 0);
}

TEST(LevelAnalysis, SymmetricMarkerAndValueWrite) {
    LevelAnalysis l;
    MainWindowSettings(l);
    l.SetDirection(dirSymetric);
    l.SetValue(50);
    EXPECT_EQ(l.LitValue(), 111); // 223 halved
    const LevelAnalysis::LitRange lit = l.Lit();
    EXPECT_EQ(lit.first, 109);
    EXPECT_EQ(lit.last, 113);
    EXPECT_EQ(lit.sharedBand, 0);
    l.ResetData();
    EXPECT_EQ(l.Lit().first, 1);
    EXPECT_EQ(l.Lit().last, 3);
    l.SetDirection(dirNormal);
    l.SetValue(100);
    EXPECT_EQ(l.Value(), 100);
    EXPECT_EQ(l.Lit().first, 1);
    EXPECT_EQ(l.Lit().last, 262);
    EXPECT_EQ(l.Lit().sharedBand, -1);
}

TEST(LevelAnalysis, BadInputAndDisabledMeter) {
    LevelAnalysis l;
    EXPECT_THROW(l.SetPCMWaveFormat(Format(8, 1, 200000)), LevelError);
    l.SetPCMWaveFormat(Format(16, 2, 44100));
    EXPECT_EQ(l.BytesPerLevel(), 200);
    const auto block = Words(20000, 100);
    EXPECT_FALSE(l.RefreshPCMData(block.data(), 199));
    EXPECT_TRUE(l.RefreshPCMData(block.data(), 200));
    EXPECT_GT(l.LitValue(), 0);
    int redraws = 0;
    l.OnRedraw = [&] { ++redraws; };
    l.SetEnabled(false);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(l.LitValue(), 0);
    EXPECT_FALSE(l.PeakTimerActive());
    EXPECT_FALSE(l.RefreshPCMData(block.data()));
    EXPECT_FALSE(l.SetData(20000));
    EXPECT_EQ(l.LitValue(), 0);
}

TEST(LevelScaleLayout, MainWindowLabels) {
    LevelScaleLayout s;
    s.SetKind(lkVertical);
    s.SetScaleTicks(40);
    s.SetSensitivy(-40);
    s.SetBounds(18, 526);
    const auto labels = s.Labels(12, 9);
    ASSERT_EQ(labels.size(), 39u) << "the label of -40 would reach below the scale";
    EXPECT_EQ(labels[0].text, "0");
    EXPECT_EQ(labels[1].text, "-1");
    EXPECT_EQ(labels[2].text, "-2");
    EXPECT_EQ(labels[20].text, "-21");
    EXPECT_EQ(labels[38].text, "-39");
    EXPECT_EQ(labels[0].box, (AnalysisRect{3, 0, 12, 9}));
    EXPECT_EQ(labels[1].box.top, 13);
    EXPECT_EQ(labels[38].box.top, 512);
    // Bands as the meter's: the top sixth red, down to half yellow, then green.
    EXPECT_EQ(labels[0].band, 2);
    EXPECT_EQ(labels[5].band, 2);
    EXPECT_EQ(labels[6].band, 1);
    EXPECT_EQ(labels[19].band, 1);
    EXPECT_EQ(labels[20].band, 0);
    EXPECT_EQ(s.SensitivyText(), "-40");
}

TEST(LevelScaleLayout, StepsDirectionsAndLinearLabels) {
    struct Case {
        LevelKind kind;
        LevelDirection direction;
        bool logAmp;
        std::int32_t ticks;
        std::int32_t width, height;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        // 40 ticks on 100 pixels: one label in four fits.
        {lkVertical,
         dirNormal,
         true,
         40,
         18,
         100,
         {"0", "-4", "-8", "-12", "-16", "-21", "-25", "-29", "-33", "-37"}},
        // The label whose box would leave the scale is left out: here the last one.
        {lkVertical, dirReversed, true, 5, 18, 100, {"-30", "-20", "-10", "0"}},
        {lkVertical, dirNormal, false, 5, 18, 100, {"0", "-2", "-6", "-12"}},
        {lkVertical, dirSymetric, true, 9, 18, 200, {"+40", "+30", "+20", "+10", "0", "-10", "-20", "-30"}},
        // Horizontal: 0 dB at the right unless reversed.
        {lkHorizontal, dirNormal, true, 5, 200, 9, {"-40", "-30", "-20", "-10", "0"}},
        {lkHorizontal, dirReversed, true, 5, 212, 9, {"0", "-10", "-20", "-30", "-40"}},
    };
    for (const Case& c : cases) {
        LevelScaleLayout s;
        s.SetKind(c.kind);
        s.SetDirection(c.direction);
        s.SetLogAmp(c.logAmp);
        s.SetScaleTicks(c.ticks);
        s.SetSensitivy(-40);
        s.SetBounds(c.width, c.height);
        std::vector<std::string> texts;
        for (const auto& label : s.Labels(12, 9))
            texts.push_back(label.text);
        EXPECT_EQ(texts, c.texts) << "kind " << c.kind << " direction " << c.direction << " log " << c.logAmp;
    }
    LevelScaleLayout h;
    h.SetBounds(200, 9);
    h.SetScaleTicks(5);
    const auto ends = h.Labels(12, 9);
    ASSERT_EQ(ends.size(), 5u);
    EXPECT_EQ(ends.front().box.left, 0);
    EXPECT_EQ(ends[1].box.left, 44);
    EXPECT_EQ(ends.back().box.left, 188);
    LevelScaleLayout s;
    s.SetScaleTicks(1);
    EXPECT_EQ(s.ScaleTicks(), 2);
    s.SetSensitivy(-3);
    EXPECT_EQ(s.Sensitivy(), -9);
    // A scale position read from elsewhere that names no position is refused.
    s.SetScalePos(spAboveOrLeft);
    for (const std::int32_t bad : {-1, 3, 99})
        s.SetScalePos(static_cast<ScalePosition>(bad));
    EXPECT_EQ(s.ScalePos(), spAboveOrLeft);
}

} // namespace
} // namespace vk350
