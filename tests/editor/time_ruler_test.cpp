// The time ruler's ticks: round steps, each tick in the column that holds its sample.
#include "time_ruler.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vk350;

TEST(TimeRuler, TicksSitAtRoundSecondsInTheColumnsOfTheirSamples) {
    struct Case {
        int64_t origin;
        int zoom, rate, columns;
        double step;
        std::vector<std::pair<int, const char*>> firstTicks;
    };
    const Case cases[] = {
        // 90 columns of 517 samples at 22050 Hz are 2.11 s: a step of 5 s.
        {0, 517, 22050, 1015, 5, {{0, "0"}, {213, "5"}, {426, "10"}}},
        // One sample per column: 90 samples are 4.08 ms, a step of 5 ms.
        {0, 1, 22050, 1015, 0.005, {{0, "0.000"}, {110, "0.005"}, {220, "0.010"}}},
        // 0.1 s in columns of 8 samples at 44100 Hz is column 551.25: the tick is in column 551.
        {0, 8, 44100, 1015, 0.02, {{0, "0.00"}, {110, "0.02"}, {220, "0.04"}}},
        // A view not starting on a tick: the first tick is the next round value.
        {1000, 4, 8000, 300, 0.05, {{50, "0.15"}, {150, "0.20"}}},
        {22049, 1, 22050, 100, 0.005, {{1, "1.000"}}},
        // Steps of 2: 90 columns of 1000 samples at 44100 Hz are 2.04 s.
        {0, 1000, 44100, 1015, 5, {{0, "0"}, {220, "5"}}},
        {0, 400, 44100, 1015, 1, {{0, "0"}, {110, "1"}, {220, "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.origin << " " << c.zoom << " " << c.rate);
        EXPECT_DOUBLE_EQ(RulerStep(c.zoom, c.rate, 90), c.step);
        const std::vector<RulerTick> ticks = RulerTicks(c.origin, c.zoom, c.rate, c.columns, 90);
        ASSERT_GE(ticks.size(), c.firstTicks.size());
        for (size_t i = 0; i < c.firstTicks.size(); ++i) {
            EXPECT_EQ(ticks[i].column, c.firstTicks[i].first) << i;
            EXPECT_EQ(ticks[i].label, c.firstTicks[i].second) << i;
        }
        for (size_t i = 1; i < ticks.size(); ++i)
            EXPECT_GE(ticks[i].column - ticks[i - 1].column, 89) << "ticks never crowd";
        EXPECT_LT(ticks.back().column, c.columns);
        // Every tick's column holds the sample at its time.
        for (const RulerTick& t : ticks) {
            const double sample = t.label.toDouble() * c.rate;
            EXPECT_LE(double(t.column) * c.zoom + c.origin, sample + 1e-6);
            EXPECT_GT(double(t.column + 1) * c.zoom + c.origin, sample);
        }
    }
    EXPECT_TRUE(RulerTicks(0, 1, 0, 100, 90).empty());
    EXPECT_TRUE(RulerTicks(0, 0, 22050, 100, 90).empty());
    EXPECT_EQ(Seconds(33075, 22050), "1.500 s");
}
