#include "sound_shaping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace vk350;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr double kSilence = -HUGE_VAL;

double levelOf(int step) {
    return 20.0 * std::log10(step / 127.0);
}

int distance(std::uint8_t b) {
    return std::abs(int(b) - 128);
}

// A loud test sound: full-scale swings, both rails and every level between.
Bytes loud(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = std::uint8_t(i % 2 ? 255 - (i * 7) % 100 : (i * 7) % 100);
    return b;
}

Bytes bytesOf(const SampleDocument& d) {
    return {d.Bytes().begin(), d.Bytes().end()};
}

void fill(SampleDocument& d, const Bytes& bytes) {
    d.Assign(bytes, std::int32_t(bytes.size()));
}

} // namespace

TEST(SoundShaping, PeakLevels) {
    const struct {
        Bytes bytes;
        double dbfs;
    } cases[] = {
        {{}, kSilence},      {{128, 128}, kSilence},    {{128, 255}, 0.0},        {{1, 128}, 0.0},
        {{0}, levelOf(128)}, {{192, 100}, levelOf(64)}, {{129, 127}, levelOf(1)},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(peakDbfs(c.bytes), c.dbfs) << ::testing::PrintToString(c.bytes);
}

// Each fade reaches silence at its quiet end, keeps the level at its loud end, never gets louder,
// and a fade-out is the fade-in run backwards. The exponential one falls faster.
TEST(SoundShaping, FadesEndAtSilence) {
    for (const FadeCurve curve : {FadeCurve::Linear, FadeCurve::Exponential}) {
        for (const std::size_t n : {1u, 2u, 3u, 220u, 524288u}) {
            SCOPED_TRACE(::testing::Message() << "curve " << int(curve) << ", " << n << " samples");
            const Bytes source = loud(n);
            Bytes in = source, out = source;
            fadeIn(in, curve);
            fadeOut(out, curve);
            EXPECT_LE(distance(in.front()), 1);
            EXPECT_LE(distance(out.back()), 1);
            if (n > 1) {
                EXPECT_EQ(in.back(), source.back());
                EXPECT_EQ(out.front(), source.front());
            }
            Bytes mirrored(source.rbegin(), source.rend());
            fadeOut(mirrored, curve);
            EXPECT_EQ(Bytes(mirrored.rbegin(), mirrored.rend()), in);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_LE(distance(out[i]), distance(source[i])) << i;
        }
    }
    Bytes linear(1001, 255), exponential(1001, 255);
    fadeOut(linear, FadeCurve::Linear);
    fadeOut(exponential, FadeCurve::Exponential);
    EXPECT_NEAR(distance(linear[500]), 64, 1);
    EXPECT_LT(distance(exponential[500]), 127 / 10); // more than 20 dB down halfway
    EXPECT_GT(distance(exponential[100]), 127 / 2);  // and less than 6 dB a tenth in
}

TEST(SoundShaping, GainRoundsAndCountsClips) {
    const double twice = 20.0 * std::log10(2.0);
    const struct {
        double dB;
        Bytes in, out;
        int clipped;
    } cases[] = {
        {0.0, {0, 1, 128, 200, 255}, {0, 1, 128, 200, 255}, 0},
        {twice, {128, 160, 191, 192, 64, 63, 0}, {128, 192, 254, 255, 0, 0, 0}, 3},
        {-twice, {130, 126, 254, 0, 136}, {129, 127, 191, 64, 132}, 0},
        {-200.0, {0, 255, 129}, {128, 128, 128}, 0},
    };
    for (const auto& c : cases) {
        Bytes b = c.in;
        EXPECT_EQ(applyGain(b, c.dB), c.clipped) << c.dB;
        EXPECT_EQ(b, c.out) << c.dB;
    }
}

// The peak lands within 0.1 dB of the level, and no sample moves further from its exact scaled
// value than rounding does: nothing clipped.
TEST(SoundShaping, NormaliseReachesTheLevelWithoutClipping) {
    const Bytes sounds[] = {{128, 130, 126, 129}, {0, 200, 128}, {255, 160, 100}, {129}, loud(5000)};
    for (const double level : {-0.1, -6.0, 0.0}) {
        for (const Bytes& sound : sounds) {
            SCOPED_TRACE(::testing::Message() << level << " dBFS, " << sound.size() << " samples");
            Bytes b = sound;
            const std::optional<double> gain = normalise(b, level);
            ASSERT_TRUE(gain);
            EXPECT_NEAR(peakDbfs(b), level, 0.1);
            const double factor = std::pow(10.0, *gain / 20.0);
            for (std::size_t i = 0; i < b.size(); ++i)
                ASSERT_LE(std::abs((b[i] - 128) - (sound[i] - 128) * factor), 0.5 + 1e-9) << i;
        }
    }
    Bytes quiet(10, 128);
    EXPECT_FALSE(normalise(quiet, -0.1));
    EXPECT_EQ(quiet, Bytes(10, 128));
    Bytes beyond = {200, 1};
    normalise(beyond, 3.0); // above full scale: stops at the first rail reached, here 128 steps down
    EXPECT_EQ(beyond, (Bytes{201, 0}));
}

TEST(SoundShaping, DcOffsetIsSubtractedAndClipped) {
    const struct {
        Bytes in, out;
        int offset;
    } cases[] = {
        {{}, {}, 0},
        {{130, 130, 130}, {128, 128, 128}, 2},
        {{138, 118, 140}, {134, 114, 136}, 4},
        {{255, 255, 0}, {213, 213, 0}, 42},
        {{120, 121}, {128, 129}, -8}, // -7.5 rounds away from zero
    };
    for (const auto& c : cases) {
        Bytes b = c.in;
        EXPECT_EQ(removeDcOffset(b), c.offset);
        EXPECT_EQ(b, c.out);
    }
}

TEST(SoundShaping, TrimSilenceKeepsFromTheFirstToTheLastSampleAtTheThreshold) {
    const struct {
        Bytes in;
        double threshold;
        Bytes out;
    } cases[] = {
        {{128, 128, 129, 200, 129, 128}, -48.0, {129, 200, 129}},
        {{128, 140, 141, 128, 115, 120}, -20.0, {141, 128, 115}}, // 12 steps lie below -20 dBFS, 13 not
        {{200, 128, 1}, -48.0, {200, 128, 1}},
        {{128, 129, 127}, -20.0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.in));
        SampleDocument d;
        fill(d, c.in);
        EXPECT_EQ(trimSilence(d, c.threshold), std::int32_t(c.in.size() - c.out.size()));
        EXPECT_EQ(bytesOf(d), c.out);
        if (c.out.size() < c.in.size()) {
            EXPECT_EQ(d.Buffer().GetData()[c.out.size()], 128) << "freed bytes are silence";
        }
    }
    // Every step given as the threshold is kept, and the step below it is not.
    for (int step = 1; step < 128; ++step) {
        SampleDocument d;
        fill(d, {std::uint8_t(128 + step - 1), std::uint8_t(128 - step), std::uint8_t(128 + step - 1)});
        trimSilence(d, levelOf(step));
        EXPECT_EQ(bytesOf(d), Bytes{std::uint8_t(128 - step)}) << step;
    }
}

TEST(SoundShaping, DeleteAndInsertChangeTheLength) {
    const Bytes start = {10, 11, 12, 13, 14, 15, 16, 17};
    const struct {
        bool insert;
        std::int32_t at, end;
        Bytes bytes, result;
        bool done;
    } cases[] = {
        {false, 2, 5, {}, {10, 11, 15, 16, 17}, true},
        {false, 0, 8, {}, {}, true},
        {false, 6, 20, {}, {10, 11, 12, 13, 14, 15}, true},
        {false, 5, 5, {}, start, true},
        {true, 0, 0, {1, 2}, {1, 2, 10, 11, 12, 13, 14, 15, 16, 17}, true},
        {true, 8, 0, {1, 2}, {10, 11, 12, 13, 14, 15, 16, 17, 1, 2}, true},
        {true, 3, 0, {1, 2}, {10, 11, 12, 1, 2, 13, 14, 15, 16, 17}, true},
        {true, 3, 0, {1, 2, 3}, start, false}, // one past Max (10)
        {true, 9, 0, {1}, start, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.insert ? "insert at " : "delete from ") << c.at);
        SampleDocument d;
        d.Buffer().SetMax(10);
        fill(d, start);
        if (c.insert) {
            EXPECT_EQ(insertAt(d, c.at, c.bytes), c.done);
        } else {
            deleteRange(d, c.at, c.end);
        }
        EXPECT_EQ(bytesOf(d), c.result);
    }
    SampleDocument d;
    fill(d, start);
    ASSERT_TRUE(insertAt(d, 1, d.Bytes().subspan(3, 3))); // its own bytes, from the part that moves
    EXPECT_EQ(bytesOf(d), (Bytes{10, 13, 14, 15, 11, 12, 13, 14, 15, 16, 17}));
}

// At 22050 Hz a fit fades over 10 ms, 220 samples.
TEST(SoundShaping, FitTrimsTheFrontThenCutsWithAFade) {
    constexpr std::int32_t kSize = 8192, kFade = 220;
    const struct {
        std::int32_t silentFront, sound;
        FitOutcome outcome;
    } cases[] = {
        {100, 9000, {100, true, 9100, kSize}},
        {500, 8000, {500, false, 8500, 8000}},
        {100, 8092, {0, false, kSize, kSize}}, // fits as it is: left alone, front silence and all
        {100, 1000, {0, false, 1100, 1100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.silentFront << " + " << c.sound);
        Bytes source(std::size_t(c.silentFront), 128);
        const Bytes sound = loud(std::size_t(c.sound));
        source.insert(source.end(), sound.begin(), sound.end());
        SampleDocument d;
        fill(d, source);
        EXPECT_EQ(fitToLocation(d, kSize, kFade, -48.0, FadeCurve::Exponential), c.outcome);
        const Bytes kept = bytesOf(d);
        ASSERT_EQ(kept.size(), std::size_t(c.outcome.lengthAfter));
        const auto from = source.begin() + c.outcome.trimmedFront;
        const std::size_t untouched = kept.size() - (c.outcome.faded ? kFade : 0);
        EXPECT_TRUE(std::equal(kept.begin(), kept.begin() + long(untouched), from));
        if (c.outcome.faded) {
            EXPECT_LE(distance(kept.back()), 1);
            EXPECT_EQ(kept[untouched], from[long(untouched)]) << "the fade starts at full level";
        }
    }
}
