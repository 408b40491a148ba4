#include "sample_view.h"

#include <QImage>
#include <gtest/gtest.h>
#include <set>

using namespace vk350;

namespace {

QRgb Px(const SampleView& edit, int x, int y) {
    return edit.OffscreenImage().pixel(x, y) & 0xFFFFFF;
}
QRgb Rgb(BgrColor c) {
    return ColorToRgb(c) & 0xFFFFFF;
}

// A plain control: black, no wave markers, no locator; the zero sample lies on the bottom row.
void MakePlain(SampleView& edit, int w, int h) {
    edit.resize(w, h);
    edit.SetMarkerSize(0);
    edit.SetLocatorEnabled(false);
    edit.SetLineColor(0x000000);
}

} // namespace

TEST(SampleEditDraw, ConstructionValues) {
    SampleView edit;
    EXPECT_EQ(edit.width(), 100);
    EXPECT_EQ(edit.height(), 80);
    EXPECT_EQ(edit.Color(), 0x000000u);
    EXPECT_EQ(edit.LineColor(), 0x808000u);
    EXPECT_EQ(edit.AxesColor(), 0x000080u);
    EXPECT_EQ(edit.Axes2Color(), 0x800080u);
    EXPECT_EQ(edit.LocatorColor(), 0x800080u);
    EXPECT_EQ(edit.SelectionColor(), 0xFF0000u);
    EXPECT_EQ(edit.MarkerColor(), 0xFFFF00u);
    EXPECT_EQ(edit.GradientColor(), 0x800000u);
    EXPECT_FALSE(edit.GradientEnabled());
    EXPECT_EQ(edit.GradientNbOfColors(), 64);
    EXPECT_EQ(edit.GradientType(), grxVertCenterToBorder);
    EXPECT_TRUE(edit.AxesEnabled());
    EXPECT_FALSE(edit.Axes2Enabled());
    EXPECT_EQ(edit.MarkerSize(), 1);
    EXPECT_TRUE(edit.LocatorEnabled());
    EXPECT_EQ(edit.LocatorSize(), 3);
    EXPECT_EQ(edit.SelectionStyle(), 0);
    EXPECT_FALSE(edit.SpectrumMode());
    EXPECT_FALSE(edit.SpectrumCenter());
    EXPECT_TRUE(edit.AlwayDetect());
    EXPECT_TRUE(edit.TabStop());
    EXPECT_EQ(edit.focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(edit.Dragging());
    EXPECT_EQ(edit.DragMode(), -1);
    EXPECT_FALSE(edit.GradientValid());
    EXPECT_EQ(edit.Max(), 524288);
    EXPECT_EQ(edit.Zoom(), 1);
    // Colour references keep red in the low byte.
    EXPECT_EQ(Rgb(edit.AxesColor()), 0x800000u);
    EXPECT_EQ(Rgb(edit.SelectionColor()), 0x0000FFu);
    EXPECT_EQ(RgbToColor(qRgb(1, 2, 3)), 0x030201u);
}

TEST(SampleEditDraw, CentreAxisIsADottedLineAcrossTheControl) {
    SampleView edit;
    MakePlain(edit, 100, 81);
    edit.DrawWave();
    const int row = 80 / 2;
    std::set<QRgb> seen;
    for (int x = 0; x < 100; ++x) {
        const QRgb p = Px(edit, x, row);
        ASSERT_TRUE(p == Rgb(edit.AxesColor()) || p == 0) << x;
        seen.insert(p);
        // Three pixels on, three off.
        EXPECT_EQ(p == Rgb(edit.AxesColor()), (x / 3) % 2 == 0) << x;
        EXPECT_EQ(Px(edit, x, row - 1), 0u);
        EXPECT_EQ(Px(edit, x, row + 1), 0u);
    }
    EXPECT_EQ(seen.size(), 2u);
}

TEST(SampleEditDraw, QuarterLines) {
    SampleView edit;
    MakePlain(edit, 60, 81);
    edit.SetAxes2Enabled(true);
    edit.SetAxesEnabled(false);
    const QRgb quarter = Rgb(edit.Axes2Color());
    for (int y = 0; y < 79; ++y)
        EXPECT_EQ(Px(edit, 0, y), (y == 20 || y == 40 || y == 60) ? quarter : 0u) << y;

    // With the axis on, the middle quarter line gives way to it.
    edit.SetAxesEnabled(true);
    EXPECT_EQ(Px(edit, 0, 20), quarter);
    EXPECT_EQ(Px(edit, 0, 40), Rgb(edit.AxesColor()));
    EXPECT_EQ(Px(edit, 0, 60), quarter);
}

TEST(SampleEditDraw, LocatorColumnKeepsItsGapToTheEdges) {
    SampleView edit;
    MakePlain(edit, 100, 81);
    edit.SetAxesEnabled(false);
    edit.SetLocatorEnabled(true);
    edit.SetLocatorSize(5);
    edit.SetLocatorPos(30);
    const QRgb loc = Rgb(edit.LocatorColor());
    for (int y = 0; y < 81; ++y) {
        EXPECT_EQ(Px(edit, 30, y), (y >= 5 && y <= 80 - 5) ? loc : 0u) << y;
        EXPECT_EQ(Px(edit, 29, y), 0u) << y;
        EXPECT_EQ(Px(edit, 31, y), 0u) << y;
    }
    // A gap below zero runs the line over the whole column, however large.
    edit.SetLocatorSize(INT32_MIN);
    for (int y = 0; y < 81; ++y)
        ASSERT_EQ(Px(edit, 30, y), loc) << y;

    // Outside the columns 0 to W - 1 there is no locator.
    edit.SetLocatorPos(99);
    for (int x = 0; x < 100; ++x)
        ASSERT_NE(Px(edit, x, 40), loc) << x;
}

TEST(SampleEditDraw, SelectionIsInvertedOrXoredWithARightEdgeExclusive) {
    SampleView edit;
    MakePlain(edit, 100, 81);
    edit.SetSelectionPos(60);
    edit.SetSelectionLen(-20);
    const QRgb axis = Rgb(edit.AxesColor());
    for (int y : {0, 10, 80}) {
        EXPECT_EQ(Px(edit, 39, y), 0u);
        EXPECT_EQ(Px(edit, 40, y), 0xFFFFFFu);
        EXPECT_EQ(Px(edit, 59, y), 0xFFFFFFu);
        EXPECT_EQ(Px(edit, 60, y), 0u);
    }
    // The axis dots within the range are inverted too (x 42 is on, x 45 off).
    EXPECT_EQ(Px(edit, 42, 40), axis ^ 0xFFFFFFu);
    EXPECT_EQ(Px(edit, 45, 40), 0xFFFFFFu);
    EXPECT_EQ(Px(edit, 36, 40), axis);

    edit.SetSelectionStyle(1);
    edit.SetSelectionColor(0x00F0A0);
    const QRgb sel = Rgb(0x00F0A0);
    EXPECT_EQ(Px(edit, 39, 10), 0u);
    EXPECT_EQ(Px(edit, 40, 10), sel);
    EXPECT_EQ(Px(edit, 59, 10), sel);
    EXPECT_EQ(Px(edit, 60, 10), 0u);
    EXPECT_EQ(Px(edit, 42, 40), axis ^ sel);
    EXPECT_EQ(edit.OffscreenImage().pixel(42, 40) >> 24, 0xFFu) << "RGB32 keeps its opaque top byte";
}

TEST(SampleEditDraw, PointsCoverTheBufferUpToMaxThenTheCentreLine) {
    SampleView edit;
    MakePlain(edit, 1016, 600);
    edit.SetAxesEnabled(false);
    edit.SetMarkerSize(1);
    std::fill(edit.GetData(), edit.GetData() + 100, std::uint8_t{255});
    edit.SetSampleLen(100);
    edit.SetMax(400);
    const int H = 599;
    const QRgb marker = Rgb(edit.MarkerColor());
    const int top = H - 255 * H / 256;
    // Sample bytes at the top, the zeros after them on the bottom row, past Max the centre.
    EXPECT_EQ(Px(edit, 50, top - 1), marker);
    EXPECT_EQ(Px(edit, 50, top + 1), marker);
    EXPECT_EQ(Px(edit, 50, top + 3), 0u);
    EXPECT_EQ(Px(edit, 150, H - 1), marker);
    EXPECT_EQ(Px(edit, 150, H - 3), 0u);
    EXPECT_EQ(Px(edit, 500, H / 2 - 1), marker);
    EXPECT_EQ(Px(edit, 500, H / 2 + 1), marker);
    EXPECT_EQ(Px(edit, 500, H - 1), 0u);
}

TEST(SampleEditDraw, BarsStartAtTheCentreOrTheBottom) {
    SampleView edit;
    MakePlain(edit, 50, 101);
    edit.SetAxesEnabled(false);
    edit.SetLineColor(0x00FF00);
    edit.SetSpectrumMode(true);
    edit.GetData()[10] = 255; // y = 100 - 255 * 100 / 256 = 1
    edit.SetSampleLen(20);
    auto lit = [&](int x, int from, int to) {
        int n = 0;
        for (int y = from; y <= to; ++y)
            n += Px(edit, x, y) == 0x00FF00u;
        return n;
    };
    edit.SetSpectrumCenter(true);
    edit.DrawWave();
    EXPECT_GT(lit(10, 1, 50), 20);
    EXPECT_EQ(lit(10, 0, 0) + lit(10, 51, 100), 0);
    EXPECT_GT(lit(20, 51, 100), 20) << "a zero byte's bar runs down from the centre";

    edit.SetSpectrumCenter(false);
    EXPECT_GT(lit(10, 51, 100), 20);
    EXPECT_EQ(lit(10, 0, 0), 0);

    // Column c shows sample ViewOrigin + c * Zoom: at zoom 2 from 10, sample 30 is column 10.
    edit.GetData()[10] = 0;
    edit.GetData()[30] = 255;
    edit.SetZoom(2);
    edit.SetViewOrigin(10);
    for (int x = 0; x < 49; ++x)
        EXPECT_EQ(lit(x, 1, 50) > 0, x == 10) << x;
}

TEST(SampleEditDraw, GradientBandsFollowMulDivRounding) {
    SampleView edit;
    MakePlain(edit, 100, 10);
    edit.SetAxesEnabled(false);
    edit.SetGradientColor(0x0000FF); // red
    edit.SetGradientNbOfColors(4);
    edit.SetGradientType(grxLeftToRight);
    edit.SetGradientEnabled(true);
    // Red to the middle (128) in the first half, middle to black in the second; the second band
    // of each half is MulDiv(1, d, 2) away, rounded away from zero.
    auto red = [&](int x) { return qRed(Px(edit, x, 2)); };
    EXPECT_EQ(red(0), 255);
    EXPECT_EQ(red(24), 255);
    EXPECT_EQ(red(25), 191);
    EXPECT_EQ(red(49), 191);
    EXPECT_EQ(red(50), 128);
    EXPECT_EQ(red(74), 128);
    EXPECT_EQ(red(75), 64);
    EXPECT_EQ(red(99), 64);

    // Mirrored along y over an odd height: 1 band over 3 rows, then 2 bands over 4 rows.
    edit.resize(20, 7);
    edit.SetGradientColor(0x00FF00);
    edit.SetGradientNbOfColors(3);
    edit.SetGradientType(grxVertCenterToBorder);
    const int expected[7] = {0, 0, 0, 255, 255, 127, 127};
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(qGreen(Px(edit, 5, y)), expected[y]) << y;
}

TEST(SampleEditDraw, GradientCacheAndBandCount) {
    SampleView edit;
    MakePlain(edit, 40, 10);
    edit.SetAxesEnabled(false);
    edit.SetGradientColor(0x0000FF);
    edit.SetGradientType(grxLeftToRight);
    edit.SetGradientEnabled(true);
    EXPECT_TRUE(edit.GradientValid());

    // Band counts other than 0 and 2 to 256 are ignored.
    for (const auto& [value, kept] : {std::pair{1, 64}, {257, 64}, {256, 256}, {300, 256}, {2, 2}, {-1, 2}}) {
        edit.SetGradientNbOfColors(value);
        EXPECT_EQ(edit.GradientNbOfColors(), kept) << value;
    }

    // 0: one band per column here (40 bands); 255 + MulDiv(1, -127, 20) = 249.
    edit.SetGradientNbOfColors(0);
    EXPECT_EQ(edit.GradientNbOfColors(), 0);
    EXPECT_EQ(qRed(Px(edit, 0, 2)), 255);
    EXPECT_EQ(qRed(Px(edit, 1, 2)), 249);
    EXPECT_EQ(qRed(Px(edit, 19, 2)), 134);

    // Neither the colour nor the size invalidates the cache; a gradient setting does.
    edit.SetColor(0xFFFFFF);
    edit.resize(60, 10);
    edit.DrawWave();
    EXPECT_TRUE(edit.GradientValid());
    EXPECT_EQ(edit.GradientImage().width(), 40);
    EXPECT_EQ(qRed(Px(edit, 1, 2)), 249) << "still the old gradient";
    EXPECT_EQ(Px(edit, 50, 2), 0xFFFFFFu) << "beyond the cached image: the background colour";
    edit.SetGradientNbOfColors(255);
    edit.SetGradientNbOfColors(254);
    EXPECT_EQ(edit.GradientImage().width(), 60);
}

TEST(SampleEditDraw, ThePaintCopiesTheFrame) {
    SampleView edit;
    edit.resize(120, 90);
    edit.SetGradientEnabled(true);
    edit.SetSelectionLen(30);
    edit.DrawWave();
    const QImage frame = edit.OffscreenImage().copy();
    const QImage shown = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, frame);

    // Bytes written straight into the buffer of a hidden control show at its next paint.
    edit.SetMarkerSize(0);
    std::fill(edit.GetData(), edit.GetData() + 200, std::uint8_t{255});
    const QImage later = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int top = 89 - 255 * 89 / 256; // x 36 is on the dotted wave, past the selection
    EXPECT_NE(frame.pixel(36, top), later.pixel(36, top));
    EXPECT_EQ(later.pixel(36, top) & 0xFFFFFF, Rgb(edit.LineColor()));
}
