#include "mulaw_tables.h"
#include "sample_buffer.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

TEST(MuLawTables, ExpandTableMatchesCheckRows) {
    const auto& t = MuLawTables::Instance().ExpandTable;
    const std::vector<std::pair<int, int>> rows = {{0x00, 128}, {0x01, 127}, {0x40, 120}, {0x7F, 0},
                                                   {0x80, 128}, {0x90, 128}, {0xA0, 129}, {0xC0, 135},
                                                   {0xF0, 194}, {0xFF, 255}};
    for (const auto& [index, value] : rows)
        EXPECT_EQ(t[index], value) << "ExpandTable[" << index << "]";
    for (int i = 0; i < 256; ++i) {
        ASSERT_GE(t[i], 0);
        ASSERT_LE(t[i], 255);
    }
}

TEST(MuLawTables, CompressTableMatchesCheckRows) {
    const auto& t = MuLawTables::Instance().CompressTable;
    const std::vector<std::pair<int, int>> rows = {{0, 127},   {64, 111},  {126, 25},  {127, 0},
                                                   {128, 128}, {129, 153}, {130, 165}, {160, 224},
                                                   {192, 239}, {255, 255}};
    for (const auto& [index, value] : rows)
        EXPECT_EQ(t[index], value) << "CompressTable[" << index << "]";
    // Codes grow with the linear value on each side.
    for (int i = 129; i < 256; ++i)
        ASSERT_GE(t[i], t[i - 1]) << i;
    for (int i = 1; i < 128; ++i)
        ASSERT_LE(t[i], t[i - 1]) << i;
}

// Linear -> µ-law and back the way the main window chains the operations, so µ-law data stays
// offset binary in the buffer.
TEST(MuLawTables, LinearToMuLawAndBackRoundTrip) {
    SampleBuffer buffer;
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> cases = {
        {255, 255}, {128, 128}, {0, 0}, {127, 128}, {200, 202}};
    for (std::size_t i = 0; i < cases.size(); ++i)
        buffer.GetData()[i] = cases[i].first;
    buffer.SetSampleLen(static_cast<std::int32_t>(cases.size()));

    buffer.LinearToMuLaw(false);
    buffer.ConvertSign(true, false);
    buffer.FixZero(true);
    // Coded, a negative zero is held as 128 and no byte is 0.
    EXPECT_EQ(buffer.GetData()[3], 128);
    EXPECT_EQ(buffer.GetData()[2], 1);

    buffer.ConvertSign(true, false);
    buffer.MuLawToLinear(true);
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(buffer.GetData()[i], cases[i].second) << "from " << int(cases[i].first);
}
