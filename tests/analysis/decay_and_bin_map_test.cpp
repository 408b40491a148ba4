#include "bin_map.h"
#include "decay_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace vk350 {
namespace {

TEST(DecayState, FactorAndRingFollowDecay) {
    DecayState fresh(4);
    // A new instance starts at 0.0001 and one frame until Decay changes.
    EXPECT_FLOAT_EQ(fresh.Factor(), 0.0001f);
    EXPECT_EQ(fresh.RingLength(), 1);
    EXPECT_FALSE(fresh.SetDecay(1));
    EXPECT_FLOAT_EQ(fresh.Factor(), 0.0001f);
    struct Case {
        std::int32_t decay;
        float factor;
        std::int32_t ring;
    };
    const Case cases[] = {
        {2, 0.1f, 2}, {1, 0.01f, 1}, {3, 0.316228f, 4}, {16, 0.99986f, 30}, {40, 0.99986f, 30}};
    for (const Case& c : cases) {
        fresh.SetDecay(c.decay);
        EXPECT_NEAR(fresh.Factor(), c.factor, 1e-5) << c.decay;
        EXPECT_EQ(fresh.RingLength(), c.ring) << c.decay;
    }
}

TEST(DecayState, ModesOverSuccessiveFrames) {
    struct Case {
        DecayKind mode;
        std::int32_t decay;
        std::vector<std::int32_t> in;
        std::vector<std::int32_t> out;
    };
    const Case cases[] = {
        {dmNone, 2, {1000, 0, 500}, {1000, 0, 500}},
        // Instant rise, then times 0.1 per frame.
        {dmStepUp, 2, {1000, 0, 0, 50, 0}, {1000, 100, 10, 50, 5}},
        // d = 0.1 d + 0.9 a, floored.
        {dmExponential, 2, {1000, 0, 1000}, {900, 90, 909}},
        // Mean of the last 2 * 3 - 2 = 4 frames, over the frames seen so far.
        {dmUniform, 3, {400, 0, 0, 0, 0, 800}, {400, 200, 133, 100, 0, 200}},
        {dmUniform, 1, {400, 0, 800}, {400, 0, 800}},
    };
    for (const Case& c : cases) {
        DecayState d(3);
        d.SetMode(c.mode);
        d.SetDecay(c.decay);
        std::vector<std::int32_t> out;
        for (std::int32_t a : c.in) {
            d.BeginFrame();
            out.push_back(d.Apply(1, a));
            // The other slots are independent.
            EXPECT_EQ(d.Apply(2, 0), 0);
        }
        EXPECT_EQ(out, c.out) << "mode " << c.mode;
        // Slots outside the capacity pass their value through.
        EXPECT_EQ(d.Apply(3, 77), 77);
        EXPECT_EQ(d.Apply(-1, 77), 77);
    }
}

TEST(DecayState, ChangesClearTheState) {
    DecayState d(1);
    d.SetMode(dmStepUp);
    d.SetDecay(3);
    d.BeginFrame();
    d.Apply(0, 1000);
    // A new mode starts from nothing.
    d.SetMode(dmExponential);
    d.BeginFrame();
    EXPECT_EQ(d.Apply(0, 0), 0);
    d.SetMode(dmUniform);
    d.BeginFrame();
    d.Apply(0, 1000);
    d.SetDecay(4); // clears while averaging
    d.BeginFrame();
    EXPECT_EQ(d.Apply(0, 0), 0);
    EXPECT_FALSE(d.SetMode(DecayKind(9)));
    EXPECT_EQ(d.Mode(), dmUniform);
}

TEST(BinMap, RunsJoinRepeatsAndSpanRanges) {
    struct Case {
        std::vector<std::int32_t> edges; // bin of every cell edge, cells + 1 entries
        std::int32_t bins;
        std::vector<BinMap::Run> runs;
    };
    const Case cases[] = {
        // Two cells per bin.
        {{0, 0, 1, 1, 2}, 4, {{0, 2, 0, 1}, {2, 4, 1, 2}}},
        // A cell over several bins shows their maximum; a cell whose range ends one bin above
        // its own shows that bin alone.
        {{0, 3, 5, 6}, 8, {{0, 1, 0, 3}, {1, 2, 3, 5}, {2, 3, 5, 6}}},
        // Bins past the end are held to the last one.
        {{2, 3, 9, 12}, 4, {{0, 1, 2, 3}, {1, 3, 3, 4}}},
    };
    for (const Case& c : cases) {
        BinMap map;
        const std::int32_t cells = std::int32_t(c.edges.size()) - 1;
        map.Resize(cells, c.bins);
        map.Fill([&](std::int32_t i) { return c.edges[std::size_t(i)]; });
        map.Finish();
        ASSERT_EQ(map.Runs().size(), c.runs.size());
        for (std::size_t i = 0; i < c.runs.size(); ++i) {
            EXPECT_EQ(map.Runs()[i].firstCell, c.runs[i].firstCell) << i;
            EXPECT_EQ(map.Runs()[i].endCell, c.runs[i].endCell) << i;
            EXPECT_EQ(map.Runs()[i].firstBin, c.runs[i].firstBin) << i;
            EXPECT_EQ(map.Runs()[i].endBin, c.runs[i].endBin) << i;
        }
    }
}

} // namespace
} // namespace vk350
