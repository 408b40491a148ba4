#include "oscope_analysis.h"

#include "analysis_errors.h"
#include "pcm_blocks.h"
#include "pcm_support.h"

#include <gtest/gtest.h>

namespace vk350 {
namespace {

void MainWindowSettings(OscopeAnalysis& o) {
    o.SetBounds(200, 194);
    o.SetKind(okConLines);
    o.SetChannel(chLeft);
    o.SetSampleRate(44100);
    o.SetDrawMidLine(true);
    o.SetDrawGrid(true);
    o.SetAccelerate(false);
}

WaveFormatEx Format(int bits, int channels, int rate) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, std::uint16_t(bits), std::uint16_t(channels), std::uint32_t(rate));
    return f;
}

TEST(OscopeAnalysis, DefaultsAndLimits) {
    OscopeAnalysis o;
    EXPECT_EQ(o.Kind(), okDots);
    EXPECT_EQ(o.Zoom(), 1);
    EXPECT_EQ(o.Steps(), 1);
    EXPECT_EQ(o.Gain(), 0);
    EXPECT_EQ(o.Effect(), efNone);
    EXPECT_EQ(o.SampleRate(), 11025);
    EXPECT_TRUE(o.Accelerate());
    EXPECT_FALSE(o.Scroll());
    EXPECT_EQ(o.FFTLength(), 128);
    EXPECT_EQ(o.BarWidth(), 5);
    EXPECT_EQ(o.DrawArea(), (AnalysisRect{0, 0, 194, 90}));
    // The readout under the pointer for spikes: full scale on the top row, nothing on the bottom.
    o.SetKind(okSpikes);
    EXPECT_DOUBLE_EQ(o.GetAmplitude(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(o.GetAmplitude(0, 89), 0.0);
    o.SetKind(okDots);
    struct Case {
        void (OscopeAnalysis::*set)(std::int32_t);
        std::int32_t (OscopeAnalysis::*get)() const;
        std::int32_t given;
        std::int32_t stored;
    };
    const Case cases[] = {
        {&OscopeAnalysis::SetZoom, &OscopeAnalysis::Zoom, -12, -9},
        {&OscopeAnalysis::SetZoom, &OscopeAnalysis::Zoom, 10, 9},
        {&OscopeAnalysis::SetZoom, &OscopeAnalysis::Zoom, 0, 1},
        {&OscopeAnalysis::SetSteps, &OscopeAnalysis::Steps, 0, 1},
        {&OscopeAnalysis::SetSteps, &OscopeAnalysis::Steps, 12, 9},
        {&OscopeAnalysis::SetGain, &OscopeAnalysis::Gain, 33, 0},
        {&OscopeAnalysis::SetGain, &OscopeAnalysis::Gain, -9, 0},
        {&OscopeAnalysis::SetGain, &OscopeAnalysis::Gain, -8, -8},
        {&OscopeAnalysis::SetSampleRate, &OscopeAnalysis::SampleRate, 100000, 88200},
        {&OscopeAnalysis::SetSampleRate, &OscopeAnalysis::SampleRate, 4000, 8000},
        {&OscopeAnalysis::SetFFTLength, &OscopeAnalysis::FFTLength, 5000, 4096},
        {&OscopeAnalysis::SetFFTLength, &OscopeAnalysis::FFTLength, 100, 64},
        {&OscopeAnalysis::SetFFTLength, &OscopeAnalysis::FFTLength, 0, 1},
        {&OscopeAnalysis::SetBarWidth, &OscopeAnalysis::BarWidth, 0, 1},
        {&OscopeAnalysis::SetBevelExtent, &OscopeAnalysis::BevelExtent, 3, 3},
        {&OscopeAnalysis::SetBevelExtent, &OscopeAnalysis::BevelExtent, -2, 0},
    };
    for (const Case& c : cases) {
        OscopeAnalysis fresh;
        (fresh.*c.set)(c.given);
        EXPECT_EQ((fresh.*c.get)(), c.stored) << "given " << c.given;
    }
}

TEST(OscopeAnalysis, MainWindowPicture) {
    OscopeAnalysis o;
    MainWindowSettings(o);
    EXPECT_EQ(o.BytesPerScope(), 200);
    EXPECT_EQ(o.MidRow(), 97);
    EXPECT_EQ(o.GridRows().size(), 11u);
    EXPECT_EQ(o.GridRows().front(), 193);
    EXPECT_EQ(o.GridRows().back(), 0);
    EXPECT_EQ(o.GridColumns().size(), 17u);
    EXPECT_EQ(o.GridColumns()[1], 12);
    // A silent block is a flat trace on the middle row.
    const std::vector<std::uint8_t> silent(200, 128);
    ASSERT_TRUE(o.RefreshPCMData(silent.data(), silent.size()));
    for (std::int32_t row : o.Rows())
        EXPECT_EQ(row, 97);
    ASSERT_EQ(o.Trace().size(), 200u);
    EXPECT_EQ(o.Trace().front(), (OscopeLine{0, 97, 1, 97, inkForeground}));
    EXPECT_EQ(o.Trace().back(), (OscopeLine{199, 97, 200, 97, inkForeground}));
    EXPECT_EQ(o.InfoText(199, 0), " 4.5 ms 1.00 V");
    EXPECT_EQ(o.InfoText(0, 193), " 0.0 ms -0.99 V");
    o.SetEnabled(false);
    EXPECT_EQ(o.DisabledLine(), (OscopeLine{5, 97, 195, 97, inkForeground}));
    EXPECT_FALSE(o.RefreshPCMData(silent.data()));
    const std::vector<std::int16_t> columns(200, 1000);
    EXPECT_FALSE(o.SetData(columns.data()));
    o.SetEnabled(true);
    EXPECT_FALSE(o.SetData(nullptr));
    EXPECT_TRUE(o.SetData(columns.data()));
}

TEST(OscopeAnalysis, TraceOfAKnownWave) {
    // A staircase of bytes over the 200 columns: value byte * 256 - 32768 on 194 rows.
    OscopeAnalysis o;
    MainWindowSettings(o);
    o.SetKind(okDots);
    const std::uint8_t steps[5] = {0, 64, 128, 192, 255};
    const std::int32_t rows[5] = {193, 145, 97, 48, 0};
    std::vector<std::uint8_t> block;
    for (int i = 0; i < 200; ++i)
        block.push_back(steps[i / 40]);
    o.RefreshPCMData(block.data());
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(o.Rows()[std::size_t(i)], rows[i / 40]) << i;
    EXPECT_EQ(o.Columns()[0], -32768);
    EXPECT_EQ(o.Columns()[199], 32512);

    // The same wave in every kind: column 40 (value -16384, row 145).
    struct Case {
        OscopeKind kind;
        OscopeLine line;
    };
    const Case cases[] = {
        {okDots, {40, 145, 40, 145, inkForeground}},
        {okConLines, {39, 193, 40, 145, inkForeground}},
        {okVertLines, {40, 97, 40, 145, inkForeground}},
        {okMirLines, {40, 49, 40, 145, inkForeground}},
        // Spikes rise from the bottom on the positive half only: -16384 lies below it.
        {okSpikes, {40, 193, 40, 290, inkForeground}},
    };
    for (const Case& c : cases) {
        o.SetKind(c.kind);
        const auto& trace = o.Trace();
        const auto it =
            std::find_if(trace.begin(), trace.end(), [](const OscopeLine& l) { return l.x2 == 40; });
        ASSERT_NE(it, trace.end()) << c.kind;
        EXPECT_EQ(*it, c.line) << c.kind;
    }
    o.SetKind(okSpikes);
    EXPECT_EQ(o.Rows()[150], 193 - 97); // 16384 * 194 / 32767 = 97
}

TEST(OscopeAnalysis, ZoomStepsAndBlockSizes) {
    OscopeAnalysis o;
    MainWindowSettings(o);
    std::vector<std::uint8_t> ramp;
    for (int i = 0; i < 400; ++i)
        ramp.push_back(std::uint8_t(i));
    struct Case {
        std::int32_t zoom;
        std::int32_t bytes;
        std::int32_t column;
        std::int32_t frame;
    };
    const Case cases[] = {
        {1, 200, 10, 10}, {2, 400, 10, 20}, {-1, 104, 11, 5}, {-3, 52, 11, 2}, {-9, 24, 199, 19},
    };
    for (const Case& c : cases) {
        o.SetZoom(c.zoom);
        EXPECT_EQ(o.BytesPerScope(), c.bytes) << c.zoom;
        o.RefreshPCMData(ramp.data(), ramp.size());
        EXPECT_EQ(o.Columns()[std::size_t(c.column)], ramp[std::size_t(c.frame)] * 256 - 32768) << c.zoom;
    }
    // Zoom -1: each sample on two columns.
    o.SetZoom(-1);
    o.RefreshPCMData(ramp.data());
    EXPECT_EQ(o.Columns()[20], o.Columns()[21]);
    EXPECT_NE(o.Columns()[21], o.Columns()[22]);
    // Steps 3 joins every third column, and a last piece to the next step.
    o.SetZoom(1);
    o.SetSteps(3);
    const auto& trace = o.Trace();
    ASSERT_EQ(trace.size(), 67u);
    EXPECT_EQ(trace[0].x1, 0);
    EXPECT_EQ(trace[0].x2, 3);
    EXPECT_EQ(trace[65].x2, 198);
    EXPECT_EQ(trace[66].x1, 198);
    EXPECT_EQ(trace[66].x2, 201);
    EXPECT_EQ(trace[66].y2, trace[66].y1);
    // Stereo 16-bit doubles the bytes.
    o.SetPCMWaveFormat(Format(16, 2, 22050));
    EXPECT_EQ(o.BytesPerScope(), 800);
    EXPECT_EQ(o.SampleRate(), 22050);
}

TEST(OscopeAnalysis, ChannelsGainEffectsAndLowPass) {
    // 8-bit stereo: the byte average is taken first; 16-bit averages round toward zero.
    struct Case {
        int bits;
        ChannelChoice channel;
        std::vector<int> frame;
        std::int16_t value;
    };
    const Case cases[] = {
        {8, chBoth, {0, 255}, -256}, {8, chLeft, {0, 255}, -32768}, {8, chRight, {0, 255}, 32512},
        {16, chBoth, {-3, 0}, -1},   {16, chBoth, {3, 0}, 1},       {16, chRight, {5, -7}, -7},
    };
    for (const Case& c : cases) {
        OscopeAnalysis o;
        o.SetBounds(4, 4);
        o.SetPCMWaveFormat(Format(c.bits, 2, 44100));
        o.SetChannel(c.channel);
        std::vector<std::uint8_t> block;
        for (int i = 0; i < 4; ++i)
            for (int v : c.frame) {
                if (c.bits == 8)
                    block.push_back(std::uint8_t(v));
                else
                    test::Put16(block, v);
            }
        o.RefreshPCMData(block.data(), block.size());
        EXPECT_EQ(o.Columns()[0], c.value) << c.bits << " bits channel " << c.channel;
    }

    OscopeAnalysis o;
    MainWindowSettings(o);
    // Gain in eighths: +8 doubles, -8 silences.
    o.SetGain(8);
    EXPECT_EQ(o.RowOf(8192), 97 - 49);
    int overflows = 0;
    o.OnGainOverflow = [&] { ++overflows; };
    std::vector<std::int16_t> columns(200, 20000);
    o.SetData(columns.data());
    EXPECT_EQ(overflows, 200);
    // Exactly the height is not over it: 16384 doubled reaches a = 194.
    overflows = 0;
    columns.assign(200, 16384);
    o.SetData(columns.data());
    EXPECT_EQ(overflows, 0);
    EXPECT_EQ(o.Rows()[0], -1);
    o.SetGain(-8);
    EXPECT_EQ(o.RowOf(32000), 97);
    o.SetGain(0);
    // The effect bands: efPeak the outer thirds, efSplit the upper half.
    o.SetEffect(efPeak);
    EXPECT_EQ(o.InkOf(-16384), inkEffect);
    EXPECT_EQ(o.InkOf(0), inkForeground);
    EXPECT_EQ(o.InkOf(16384), inkEffect);
    o.SetEffect(efSplit);
    EXPECT_EQ(o.InkOf(-16384), inkForeground);
    EXPECT_EQ(o.InkOf(16384), inkEffect);
    // Low pass: (previous unsmoothed + 3 * value) / 4, starting from 0.
    o.SetLowPass(true);
    o.SetBitLength(b16Bit);
    std::vector<std::uint8_t> block;
    for (int v : {400, 800, -800})
        test::Put16(block, v);
    block.resize(400, 0);
    o.RefreshPCMData(block.data());
    EXPECT_EQ(o.Columns()[0], 300);
    EXPECT_EQ(o.Columns()[1], 700);
    EXPECT_EQ(o.Columns()[2], -400);
    EXPECT_EQ(o.Columns()[3], -200);
}

TEST(OscopeAnalysis, OverflowScrollingAndBadInput) {
    OscopeAnalysis o;
    o.SetBitLength(b16Bit);
    int overflows = 0;
    o.OnPcmOverflow = [&] { ++overflows; };
    std::vector<std::uint8_t> block(std::size_t(o.BytesPerScope()), 0);
    block[20] = 0xFF;
    block[21] = 0x7F; // 32767 at frame 10
    EXPECT_FALSE(o.RefreshPCMData(block.data(), block.size() - 1));
    EXPECT_TRUE(o.RefreshPCMData(block.data(), block.size()));
    EXPECT_EQ(overflows, 1);
    EXPECT_THROW(o.SetPCMWaveFormat(Format(12, 1, 44100)), OscopeError);
    EXPECT_EQ(o.BitLength(), b16Bit);

    // Scrolling: one block of FFTLength frames gives its minimum and maximum.
    o.SetScroll(true);
    o.SetFFTLength(64);
    o.SetPCMWaveFormat(Format(16, 2, 44100));
    EXPECT_EQ(o.BytesPerScope(), 256);
    std::vector<std::uint8_t> stereo;
    for (int i = 0; i < 64; ++i) {
        test::Put16(stereo, i == 5 ? -1000 : i == 9 ? 3000 : 0);
        test::Put16(stereo, i == 7 ? -3000 : i == 2 ? 1000 : 0);
    }
    o.RefreshPCMData(stereo.data(), stereo.size());
    EXPECT_EQ(o.Columns()[0], -2000);
    EXPECT_EQ(o.Columns()[1], 2000);
    ASSERT_EQ(o.Trace().size(), 1u);
    EXPECT_EQ(o.Trace()[0].x1, 193);
    EXPECT_EQ(o.Trace()[0].y1, o.RowOf(-2000));
    EXPECT_EQ(o.Trace()[0].y2, o.RowOf(2000));
    o.SetChannel(chRight);
    o.RefreshPCMData(stereo.data());
    EXPECT_EQ(o.Columns()[0], -3000);
    EXPECT_EQ(o.Columns()[1], 1000);
    o.ResetData();
    EXPECT_EQ(o.Columns()[0], 0);
}

} // namespace
} // namespace vk350
