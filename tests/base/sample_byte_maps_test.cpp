// The shared byte maps: the sign-magnitude map, the µ-law tables' check rows, and the editor's
// two µ-law conversions.
#include "sample_byte_maps.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using vk350::MuLawTables;

TEST(SampleByteMaps, SignMagnitudeIsItsOwnInverse) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    auto converted = all;
    vk350::convertSign(converted);
    const std::vector<std::pair<int, int>> rows = {{0x00, 0x00}, {0x01, 0x7F}, {0x40, 0x40},
                                                   {0x7F, 0x01}, {0x80, 0x80}, {0xFF, 0xFF}};
    for (const auto& [from, to] : rows)
        EXPECT_EQ(converted[static_cast<std::size_t>(from)], to) << from;
    vk350::convertSign(converted);
    EXPECT_EQ(converted, all);
}

TEST(SampleByteMaps, ExpandTableMatchesCheckRows) {
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

TEST(SampleByteMaps, CompressTableMatchesCheckRows) {
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

// Linear to µ-law and back: the codes stay offset binary, a negative zero is held as 128 and no
// code is 0.
TEST(SampleByteMaps, LinearToMuLawAndBackRoundTrip) {
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> cases = {
        {255, 255}, {128, 128}, {0, 0}, {127, 128}, {200, 202}};
    std::vector<std::uint8_t> bytes;
    for (const auto& c : cases)
        bytes.push_back(c.first);
    vk350::linearToMuLawCodes(bytes);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{255, 128, 1, 128, 242}));
    vk350::muLawCodesToLinear(bytes);
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(bytes[i], cases[i].second) << "from " << int(cases[i].first);
}
