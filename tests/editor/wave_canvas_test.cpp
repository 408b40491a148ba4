#include "wave_canvas.h"

#include <QImage>
#include <gtest/gtest.h>
#include <string>

using namespace vk350;

namespace {

constexpr QRgb Ink = 0xFF102030;

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(0xFF000000);
    return image;
}

// One character per pixel of a row: '#' inked, '.' not.
std::string Row(const QImage& image, int y) {
    std::string s;
    for (int x = 0; x < image.width(); ++x)
        s += image.pixel(x, y) == Ink ? '#' : '.';
    return s;
}

std::string Column(const QImage& image, int x) {
    std::string s;
    for (int y = 0; y < image.height(); ++y)
        s += image.pixel(x, y) == Ink ? '#' : '.';
    return s;
}

} // namespace

TEST(WaveCanvas, DotPatternRunsOnAcrossPolylineSegments) {
    QImage image = Blank(8, 8);
    WaveCanvas canvas(image);
    canvas.SetDotted(true);
    const QPoint points[] = {{0, 0}, {5, 0}, {5, 5}};
    canvas.Polyline(points, 3, Ink);
    // The corner pixel belongs to the second segment: 0-4 then 5 (off), and on from there.
    EXPECT_EQ(Row(image, 0), "###.....");
    EXPECT_EQ(Column(image, 5), ".###....");

    // A separate line starts its pattern afresh.
    canvas.Line(7, 7, 7, 0, Ink);
    EXPECT_EQ(Column(image, 7), "##...###") << "drawn upwards from row 7";
}

TEST(WaveCanvas, SolidLinesIncludeBothEndsAndEverythingIsClipped) {
    QImage image = Blank(6, 6);
    WaveCanvas canvas(image);
    canvas.Line(2, -3, 2, 3, Ink);
    EXPECT_EQ(Column(image, 2), "####..");
    canvas.Frame(-2, 4, 3, 9, Ink);
    EXPECT_EQ(Row(image, 3), "..#...") << "nothing above the frame";
    EXPECT_EQ(Row(image, 4), "####..");
    EXPECT_EQ(Row(image, 5), "...#..");
    canvas.Line(-10, -10, 20, 20, Ink); // the diagonal
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image.pixel(i, i), Ink) << i;
}

TEST(WaveCanvas, XorColumnsKeepsTheImageOpaque) {
    QImage image = Blank(5, 3);
    image.setPixel(1, 1, 0xFF00FF00);
    WaveCanvas canvas(image);
    canvas.XorColumns(1, 9, 0xFFFFFFFF);
    EXPECT_EQ(image.pixel(0, 1), 0xFF000000u);
    EXPECT_EQ(image.pixel(1, 1), 0xFFFF00FFu);
    EXPECT_EQ(image.pixel(4, 2), 0xFFFFFFFFu);
}
