#include "gradient.h"

#include <gtest/gtest.h>

using namespace vk350;

TEST(Gradient, MulDivRoundsToNearestWithHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(1, 7, 3), 2);
    EXPECT_EQ(MulDiv(2, 7, 3), 5);
    EXPECT_EQ(MulDiv(1, 5, 2), 3);
    EXPECT_EQ(MulDiv(1, -5, 2), -3);
    EXPECT_EQ(MulDiv(1, -127, 2), -64);
    EXPECT_EQ(MulDiv(-4, 1, 3), -1);
    EXPECT_EQ(MulDiv(5, 1, -2), -3);
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000) << "no overflow in the product";
    EXPECT_EQ(MulDiv(3, 4, 0), -1);
}

namespace {

// Red channel of the first and last position along the stepping axis and of the middle.
struct Ends {
    int first, middle, last;
};

Ends Probe(tGradientTypex type, bool alongX) {
    QImage image(alongX ? 64 : 4, alongX ? 4 : 64, QImage::Format_RGB32);
    image.fill(Qt::gray);
    FillGradient(image, type, qRgb(0, 0, 0), qRgb(240, 0, 0), 64);
    auto red = [&](int i) { return qRed(alongX ? image.pixel(i, 3) : image.pixel(3, i)); };
    return {red(0), red(32), red(63)};
}

} // namespace

TEST(Gradient, EveryTypeRunsItsWayAndFillsTheImage) {
    // Linear types: c1 -> middle (120) -> c2, the last band short of c2 by one step.
    const Ends l2r = Probe(grxLeftToRight, true);
    EXPECT_EQ(l2r.first, 240);
    EXPECT_EQ(l2r.middle, 120);
    EXPECT_EQ(l2r.last, 120 - MulDiv(31, 120, 32));
    const Ends r2l = Probe(grxRightToLeft, true);
    EXPECT_EQ(r2l.first, 0);
    EXPECT_EQ(r2l.middle, 120);
    EXPECT_EQ(r2l.last, 120 + MulDiv(31, 120, 32));
    EXPECT_EQ(Probe(grxTopToBottom, false).first, 240);
    EXPECT_EQ(Probe(grxBottomToTop, false).first, 0);

    // Mirrored types: c1 -> c2 -> c1.
    const Ends hc = Probe(grxHorizCenterToBorder, true);
    EXPECT_EQ(hc.first, 0);
    EXPECT_EQ(hc.middle, 240);
    EXPECT_EQ(hc.last, 240 - MulDiv(31, 240, 32));
    const Ends hb = Probe(grxHorizBorderToCenter, true);
    EXPECT_EQ(hb.first, 240);
    EXPECT_EQ(hb.middle, 0);
    EXPECT_EQ(Probe(grxVertCenterToBorder, false).middle, 240);
    EXPECT_EQ(Probe(grxVertBorderToCenter, false).middle, 0);

    // No pixel keeps the image's old content, across the full other extent too.
    for (tGradientTypex type : {grxLeftToRight, grxVertBorderToCenter}) {
        QImage image(33, 17, QImage::Format_RGB32);
        image.fill(qRgb(1, 2, 3));
        FillGradient(image, type, qRgb(0, 0, 0), qRgb(240, 0, 0), 0);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_NE(image.pixel(x, y) & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFFu) << x << "," << y;
    }
}
