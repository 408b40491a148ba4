#include "sample_buffer.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

using namespace vk350;

namespace {

// A buffer holding a ramp 1, 2, 3, ... (mod 256, never 0) of `len` bytes, counting redraws.
class SampleBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        buffer.OnRedraw = [this] { ++redraws; };
    }

    void FillRamp(std::int32_t len) {
        for (std::int32_t i = 0; i < len; ++i)
            buffer.GetData()[i] = Ramp(i);
        buffer.SetSampleLen(len);
    }
    static std::uint8_t Ramp(std::int64_t i) { return static_cast<std::uint8_t>(i % 255 + 1); }
    std::uint8_t At(std::int32_t i) const { return buffer.GetData()[i]; }

    SampleBuffer buffer;
    int redraws = 0;
};

} // namespace

TEST_F(SampleBufferTest, StartsZeroedWithItsConstructionValues) {
    EXPECT_EQ(buffer.Max(), 524288);
    EXPECT_EQ(buffer.GetSampleLen(), 0);
    EXPECT_EQ(buffer.ClipboardLen(), 0);
    EXPECT_EQ(buffer.Zoom(), 1);
    EXPECT_EQ(buffer.ViewOrigin(), 0);
    EXPECT_EQ(buffer.SelectionLen(), 0);
    EXPECT_FALSE(buffer.SpectrumCenter());
    EXPECT_EQ(buffer.SilenceValue(), 0);
    const auto zero = [](const std::uint8_t* p) {
        return std::all_of(p, p + SampleBuffer::Capacity, [](std::uint8_t b) { return b == 0; });
    };
    EXPECT_TRUE(zero(buffer.GetData()));
    EXPECT_TRUE(zero(buffer.Clipboard()));
    EXPECT_TRUE(zero(buffer.UndoData()));
}

TEST_F(SampleBufferTest, PropertiesRedrawOnlyWhenTheyChange) {
    buffer.SetLocatorPos(10);
    buffer.SetLocatorPos(10);
    buffer.SetSelectionPos(3);
    buffer.SetSelectionLen(-2);
    buffer.SetZoom(1);
    buffer.SetViewOrigin(0);
    buffer.SetSpectrumCenter(true);
    buffer.SetSpectrumCenter(true);
    EXPECT_EQ(redraws, 4);
    EXPECT_EQ(buffer.SilenceValue(), 128);

    // SampleLen is limited to Max and never redraws; Max cannot pass the buffers' size.
    buffer.SetMax(1000);
    redraws = 0;
    buffer.SetSampleLen(5000);
    EXPECT_EQ(buffer.GetSampleLen(), 1000);
    buffer.SetSampleLen(-4);
    EXPECT_EQ(buffer.GetSampleLen(), 0);
    EXPECT_EQ(redraws, 0);
    buffer.SetMax(600000);
    EXPECT_EQ(buffer.Max(), SampleBuffer::Capacity);
    buffer.SetZoom(0);
    EXPECT_EQ(buffer.Zoom(), 1);

    // SetSampleValue redraws only when the byte changes, and never writes at or past Max.
    redraws = 0;
    buffer.SetSampleValue(7, 5);
    buffer.SetSampleValue(7, 5);
    buffer.SetSampleValue(9, SampleBuffer::Capacity);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(buffer.GetSampleValue(5), 7);
    EXPECT_EQ(buffer.GetSampleValue(-1), 0);
}

TEST_F(SampleBufferTest, LeftwardSelectionIsNormalisedAndStoredByEveryOperation) {
    FillRamp(1000);
    buffer.SetSelectionPos(500);
    buffer.SetSelectionLen(-300);
    redraws = 0;
    buffer.CopySelection();
    EXPECT_EQ(buffer.SelectionPos(), 200);
    EXPECT_EQ(buffer.SelectionLen(), 300);
    EXPECT_EQ(buffer.ClipboardLen(), 300);
    EXPECT_EQ(buffer.Clipboard()[0], Ramp(200));
    EXPECT_EQ(redraws, 0) << "copy does not redraw";

    // Dragged past column 0, the start becomes 0 and the length keeps its size.
    buffer.SetSelectionPos(20);
    buffer.SetSelectionLen(-50);
    buffer.MuteSelection();
    EXPECT_EQ(buffer.SelectionPos(), 0);
    EXPECT_EQ(buffer.SelectionLen(), 50);
    EXPECT_EQ(At(49), 0);
    EXPECT_EQ(At(50), Ramp(50));
}

TEST_F(SampleBufferTest, CopyIsLimitedToMaxAndUsesTheZoom) {
    FillRamp(2000);
    buffer.SetMax(1000);
    buffer.SetZoom(4);
    buffer.SetViewOrigin(100);
    buffer.SetSelectionPos(200);
    buffer.SetSelectionLen(100); // would end at 100 + 300 * 4 = 1300
    buffer.CopySelection();
    EXPECT_EQ(buffer.SelectionLen(), (1000 - 100) / 4 - 200);
    EXPECT_EQ(buffer.ClipboardLen(), 25 * 4);
    EXPECT_EQ(buffer.Clipboard()[0], Ramp(900));
    EXPECT_EQ(buffer.Clipboard()[99], Ramp(999));
}

TEST_F(SampleBufferTest, PasteNeedsASelectionAndOverwritesWithoutChangingTheLength) {
    FillRamp(100);
    buffer.SetSelectionPos(0);
    buffer.SetSelectionLen(10);
    buffer.CopySelection();
    buffer.SetSelectionLen(0);
    buffer.SetLocatorPos(50);
    redraws = 0;
    buffer.PasteAtLocator();
    EXPECT_EQ(At(50), Ramp(50)) << "no selection, no paste";
    EXPECT_EQ(redraws, 0);

    buffer.SetSelectionLen(-1);
    buffer.SetLocatorPos(95);
    redraws = 0;
    buffer.PasteAtLocator();
    // Overwrites, reaching past SampleLen, which stays.
    EXPECT_EQ(buffer.GetSampleLen(), 100);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(At(95 + i), Ramp(i)) << i;
    EXPECT_EQ(At(94), Ramp(94));
    EXPECT_EQ(redraws, 1);

    // Near Max only the bytes below Max are written; the limit is Max, not a shorter sample.
    buffer.SetMax(100);
    buffer.SetSampleLen(90);
    buffer.SetLocatorPos(96);
    buffer.PasteAtLocator();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(At(96 + i), Ramp(i)) << i;
    EXPECT_EQ(At(100), Ramp(5)) << "from the earlier paste, untouched";
    buffer.SetLocatorPos(100);
    buffer.PasteAtLocator();
    EXPECT_EQ(At(100), Ramp(5));
}

TEST_F(SampleBufferTest, CutAtTheEndStopsOneColumnShortAndPadsWithSilence) {
    FillRamp(100);
    buffer.SetSpectrumCenter(true);
    buffer.SetSelectionPos(90);
    buffer.SetSelectionLen(20); // reaches past the end
    buffer.CutSelection(true);
    EXPECT_EQ(buffer.SelectionLen(), 100 - 90 - 1);
    EXPECT_EQ(buffer.ClipboardLen(), 9);
    EXPECT_EQ(buffer.Clipboard()[0], Ramp(90));
    EXPECT_EQ(buffer.GetSampleLen(), 100);
    EXPECT_EQ(At(89), Ramp(89));
    EXPECT_EQ(At(90), Ramp(99)) << "the last byte closes the gap";
    for (int i = 91; i < 100; ++i)
        EXPECT_EQ(At(i), 128) << i;

    // A selection ending exactly at the sample's end is shortened too, and at zoom 2 the
    // columns count double.
    FillRamp(100);
    buffer.SetZoom(2);
    buffer.SetSelectionPos(10);
    buffer.SetSelectionLen(40);
    buffer.CutSelection(true);
    EXPECT_EQ(buffer.SelectionLen(), 39);
    EXPECT_EQ(buffer.ClipboardLen(), 78);
    EXPECT_EQ(At(19), Ramp(19));
    EXPECT_EQ(At(20), Ramp(98));
    EXPECT_EQ(At(22), 128);

    // Nothing left to cut: nothing changes.
    FillRamp(100);
    buffer.SetZoom(1);
    buffer.SetSelectionPos(99);
    buffer.SetSelectionLen(5);
    redraws = 0;
    buffer.CutSelection(true);
    EXPECT_EQ(At(99), Ramp(99));
    EXPECT_EQ(buffer.SelectionLen(), 5);
    EXPECT_EQ(redraws, 0);
}

TEST_F(SampleBufferTest, CutWithoutShiftBlanksTheSelection) {
    FillRamp(100);
    buffer.SetSelectionPos(10);
    buffer.SetSelectionLen(5);
    buffer.CutSelection(false);
    EXPECT_EQ(buffer.ClipboardLen(), 5);
    EXPECT_EQ(buffer.Clipboard()[4], Ramp(14));
    EXPECT_EQ(At(9), Ramp(9));
    for (int i = 10; i < 15; ++i)
        EXPECT_EQ(At(i), 0) << i;
    EXPECT_EQ(At(15), Ramp(15));
}

TEST_F(SampleBufferTest, CropAtZoomThreeKeepsTheSelectionSamples) {
    FillRamp(1000);
    buffer.SetZoom(3);
    buffer.SetViewOrigin(30);
    buffer.SetSelectionPos(110);
    buffer.SetSelectionLen(-100); // columns 10 to 110: samples 60 to 359
    redraws = 0;
    buffer.CropSelection();
    EXPECT_EQ(buffer.GetSampleLen(), 300);
    EXPECT_EQ(buffer.ViewOrigin(), 0);
    EXPECT_EQ(buffer.SelectionPos(), 0);
    EXPECT_EQ(buffer.SelectionLen(), 100);
    EXPECT_EQ(At(0), Ramp(60));
    EXPECT_EQ(At(299), Ramp(359));
    EXPECT_EQ(At(300), 0) << "the old tail is silenced";
    EXPECT_EQ(At(999), 0);
    EXPECT_EQ(redraws, 1);

    // Nothing to crop still redraws.
    buffer.SetSelectionLen(0);
    redraws = 0;
    buffer.CropSelection();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(buffer.GetSampleLen(), 300);

    // A selection reaching past the end is limited to the sample.
    buffer.SetZoom(1);
    buffer.SetSelectionPos(250);
    buffer.SetSelectionLen(100);
    buffer.CropSelection();
    EXPECT_EQ(buffer.GetSampleLen(), 50);
    EXPECT_EQ(buffer.SelectionLen(), 50);
    EXPECT_EQ(At(0), Ramp(310));

    // A selection that starts exactly at the end holds nothing: the sample stays as it is.
    buffer.SetSelectionPos(50);
    buffer.SetSelectionLen(10);
    buffer.CropSelection();
    EXPECT_EQ(buffer.GetSampleLen(), 50);
    EXPECT_EQ(At(0), Ramp(310));
}

TEST_F(SampleBufferTest, UndoTwiceBringsBackTheEditAndLeavesThePreUndoSampleInTheClipboard) {
    FillRamp(64);
    buffer.SaveUndo();
    buffer.Reverse();
    EXPECT_EQ(At(0), Ramp(63));
    redraws = 0;
    buffer.Undo();
    EXPECT_EQ(At(0), Ramp(0));
    EXPECT_EQ(At(63), Ramp(63));
    EXPECT_EQ(buffer.Clipboard()[0], Ramp(63)) << "clipboard holds the sample as it was before undo";
    EXPECT_EQ(buffer.ClipboardLen(), 0) << "ClipboardLen is not touched";
    buffer.Undo();
    EXPECT_EQ(At(0), Ramp(63));
    EXPECT_EQ(At(63), Ramp(0));
    EXPECT_EQ(redraws, 2);
}

TEST_F(SampleBufferTest, ConvertSignIsItsOwnInverseAndLeavesZeroAndTheUpperHalf) {
    for (int i = 0; i < 256; ++i)
        buffer.GetData()[i] = static_cast<std::uint8_t>(i);
    buffer.SetSampleLen(256);
    buffer.ConvertSign(true, false);
    EXPECT_EQ(At(0), 0);
    EXPECT_EQ(At(1), 127);
    EXPECT_EQ(At(127), 1);
    for (int i = 128; i < 256; ++i)
        ASSERT_EQ(At(i), i);
    buffer.ConvertSign(true, false);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(At(i), i);

    // With a selection only its samples change, up to SampleLen.
    buffer.SetZoom(2);
    buffer.SetSelectionPos(60);
    buffer.SetSelectionLen(10); // samples 120 to 139, but SampleLen ends at 256 anyway
    buffer.SetSampleLen(125);
    buffer.ConvertSign(false, true);
    EXPECT_EQ(At(119), 119);
    EXPECT_EQ(At(120), 8);
    EXPECT_EQ(At(124), 4);
    EXPECT_EQ(At(125), 125) << "past SampleLen";
}

TEST_F(SampleBufferTest, AddOffsetClampsAndClampedValuesStayClamped) {
    const std::uint8_t start[] = {0, 5, 100, 250, 255};
    std::memcpy(buffer.GetData(), start, sizeof start);
    buffer.SetSampleLen(sizeof start);
    buffer.AddOffset(buffer.GetData(), 10);
    const std::uint8_t up[] = {10, 15, 110, 255, 255};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), up, sizeof up));
    buffer.AddOffset(buffer.GetData(), -10);
    const std::uint8_t back[] = {0, 5, 100, 245, 245};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), back, sizeof back));
    buffer.AddOffset(buffer.GetData(), -200);
    const std::uint8_t low[] = {0, 0, 0, 45, 45};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), low, sizeof low));

    // From another source, over the selection only.
    std::vector<std::uint8_t> source(16, 200);
    buffer.SetSelectionPos(1);
    buffer.SetSelectionLen(2);
    buffer.AddOffset(source.data(), 100);
    const std::uint8_t sel[] = {0, 255, 255, 45, 45};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), sel, sizeof sel));
}

TEST_F(SampleBufferTest, MinMaxReverseFixZeroAndMute) {
    EXPECT_EQ(buffer.GetMinValue(buffer.GetData()), 255);
    EXPECT_EQ(buffer.GetMaxValue(buffer.GetData()), 0);

    const std::uint8_t start[] = {0, 40, 0, 200, 7};
    std::memcpy(buffer.GetData(), start, sizeof start);
    buffer.GetData()[5] = 250; // past SampleLen: not scanned, not touched
    buffer.SetSampleLen(sizeof start);
    EXPECT_EQ(buffer.GetMinValue(buffer.GetData()), 0);
    EXPECT_EQ(buffer.GetMaxValue(buffer.GetData()), 200);

    buffer.Reverse();
    const std::uint8_t reversed[] = {7, 200, 0, 40, 0, 250};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), reversed, sizeof reversed));
    buffer.GetData()[6] = 0;
    buffer.FixZero(false);
    const std::uint8_t fixed[] = {7, 200, 128, 40, 128, 250, 0};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), fixed, sizeof fixed));

    // Mute fills with the silence value and stops at Max.
    buffer.SetSpectrumCenter(true);
    buffer.SetMax(6);
    buffer.SetSelectionPos(3);
    buffer.SetSelectionLen(10);
    buffer.MuteSelection();
    const std::uint8_t muted[] = {7, 200, 128, 128, 128, 128, 0};
    EXPECT_EQ(0, std::memcmp(buffer.GetData(), muted, sizeof muted));
}

TEST_F(SampleBufferTest, LoadFromBufferAndClearLeaveTheLengthToTheCaller) {
    const std::vector<std::uint8_t> source(300, 9);
    buffer.SetSampleLen(10);
    buffer.LoadFromBuffer(source.data(), 300);
    EXPECT_EQ(buffer.GetSampleLen(), 10);
    EXPECT_EQ(At(299), 9);
    EXPECT_EQ(redraws, 1);
    buffer.SetMax(200);
    redraws = 0;
    buffer.Clear(false);
    EXPECT_EQ(At(199), 0);
    EXPECT_EQ(At(200), 9) << "Clear stops at Max";
    EXPECT_EQ(buffer.GetSampleLen(), 10);
    EXPECT_EQ(redraws, 0);
}

// Columns before the origin and an origin past the end must not carry a copy or a crop beyond
// the buffer: the length in columns is rounded down, whatever the sign.
TEST_F(SampleBufferTest, SelectionsBeforeAnOriginPastTheEndStayInsideTheBuffer) {
    FillRamp(SampleBuffer::Capacity);
    buffer.SetZoom(3);
    buffer.SetViewOrigin(SampleBuffer::Capacity + 10);
    buffer.SetSelectionPos(-10); // from sample Capacity - 20, ten columns of three
    buffer.SetSelectionLen(10);
    buffer.CopySelection();
    EXPECT_EQ(buffer.SelectionLen(), 6);
    EXPECT_EQ(buffer.ClipboardLen(), 18);
    EXPECT_EQ(buffer.Clipboard()[17], Ramp(SampleBuffer::Capacity - 3));

    buffer.SetSelectionLen(10);
    buffer.CropSelection();
    EXPECT_EQ(buffer.GetSampleLen(), 18);
    EXPECT_EQ(At(0), Ramp(SampleBuffer::Capacity - 20));
    EXPECT_EQ(At(17), Ramp(SampleBuffer::Capacity - 3));

    // Extreme column values are normalised without overflow.
    buffer.SetSelectionPos(5);
    buffer.SetSelectionLen(INT32_MIN);
    buffer.MuteSelection();
    EXPECT_EQ(buffer.SelectionPos(), 0);
    EXPECT_EQ(buffer.SelectionLen(), INT32_MAX);

    // An origin a whole number of columns past Max keeps exactly the columns before Max.
    buffer.SetViewOrigin(SampleBuffer::Capacity + 9);
    buffer.SetSelectionPos(-10);
    buffer.SetSelectionLen(10);
    buffer.CopySelection();
    EXPECT_EQ(buffer.SelectionLen(), 7);
}
