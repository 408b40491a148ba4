// The min/max drawing: each column shows exactly the range of the samples it covers.
#include "sample_view.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace vk350;

namespace {

constexpr QRgb kLine = 0x00FF00;

// Rows of column x that hold the line colour, as (first, last); (-1, -1) for none. The envelope
// must be one unbroken run, so any gap shows as a count mismatch.
std::pair<int, int> LitRun(const QImage& image, int x, int* count) {
    int first = -1;
    int last = -1;
    *count = 0;
    for (int y = 0; y < image.height(); ++y)
        if ((image.pixel(x, y) & 0xFFFFFF) == kLine) {
            if (first < 0)
                first = y;
            last = y;
            ++*count;
        }
    return {first, last};
}

} // namespace

TEST(SampleEditEnvelope, EachColumnSpansItsSamplesMinimumToMaximum) {
    struct Case {
        int zoom;
        int origin;
        int max; // the buffer's drawn end; columns past it sit on the centre line
    };
    const Case cases[] = {{2, 0, 524288},   {3, 17, 524288}, {7, 1000, 524288},  {64, 5, 524288},
                          {517, 0, 524288}, {100, 0, 30050}, {5, 524000, 524288}};
    std::mt19937 random(22);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " origin " << c.origin << " max " << c.max);
        SampleView edit;
        edit.resize(300, 201);
        edit.SetMarkerSize(0);
        edit.SetLocatorEnabled(false);
        edit.SetAxesEnabled(false);
        edit.SetLineColor(ColorToRgb(kLine) & 0xFFFFFF); // green is symmetrical in 0x00BBGGRR
        // Runs of random length and level, so that columns see both narrow and full ranges.
        uint8_t* data = edit.GetData();
        for (int i = 0; i < 524288;) {
            const int run = 1 + int(random() % 300);
            const int centre = int(random() % 256);
            const int spread = int(random() % 128);
            for (int k = 0; k < run && i < 524288; ++k, ++i)
                data[i] = uint8_t(std::clamp(centre + int(random() % (2 * spread + 1)) - spread, 0, 255));
        }
        edit.SetSampleLen(524288);
        edit.SetMax(c.max);
        edit.SetZoom(c.zoom);
        edit.SetViewOrigin(c.origin);
        edit.SetMinMaxMode(true);
        edit.DrawWave();
        const int H = 200;
        for (int x = 0; x < 299; ++x) {
            const int64_t first = int64_t(x) * c.zoom + c.origin;
            const int64_t end = std::min<int64_t>(first + c.zoom, c.max);
            int top = H / 2;
            int bottom = H / 2;
            if (first < end) {
                const auto [lo, hi] = std::minmax_element(data + first, data + end);
                top = H - (*hi * H) / 256;
                bottom = H - (*lo * H) / 256;
            }
            int count = 0;
            const auto run = LitRun(edit.OffscreenImage(), x, &count);
            ASSERT_EQ(run, std::make_pair(top, bottom)) << "column " << x;
            ASSERT_EQ(count, bottom - top + 1) << "column " << x;
        }
        // The last column of the control never holds a point.
        int count = 0;
        EXPECT_EQ(LitRun(edit.OffscreenImage(), 299, &count).first, -1);
    }
}

// At one sample per column, and with the setting off, the line drawing is the one of old.
TEST(SampleEditEnvelope, OneSamplePerColumnAndTheSettingOffDrawTheLine) {
    for (int zoom : {1, 4}) {
        SampleView plain;
        SampleView minMax;
        for (SampleView* e : {&plain, &minMax}) {
            e->resize(200, 120);
            for (int i = 0; i < 4000; ++i)
                e->GetData()[i] = uint8_t(128 + 100 * ((i / 13) % 2 ? 1 : -1) + i % 9);
            e->SetSampleLen(4000);
            e->SetZoom(zoom);
        }
        minMax.SetMinMaxMode(true);
        minMax.SetMinMaxMode(zoom == 1); // at zoom 4 switched back off
        plain.DrawWave();
        minMax.DrawWave();
        EXPECT_EQ(minMax.OffscreenImage(), plain.OffscreenImage()) << "zoom " << zoom;
    }
}

// The washed selection mixes its colour into every pixel of its columns, right edge exclusive,
// whichever way it was dragged; the wave inside keeps a colour of its own.
TEST(SampleEditEnvelope, TheWashedSelectionKeepsTheWaveReadable) {
    struct Case {
        int pos, len, left, right;
    };
    const Case cases[] = {{20, 50, 20, 70}, {70, -50, 20, 70}, {-10, 30, 0, 20}, {190, 40, 190, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos << " " << c.len);
        SampleView edit;
        edit.resize(200, 100);
        edit.SetGradientEnabled(true);
        edit.SetGradientType(grxBottomToTop);
        for (int i = 0; i < 2000; ++i)
            edit.GetData()[i] = uint8_t(128 + 100 * std::sin(i * 0.05));
        edit.SetSampleLen(2000);
        edit.SetZoom(3);
        edit.SetMinMaxMode(true);
        edit.SetSelectionTint(true);
        edit.DrawWave();
        const QImage plain = edit.OffscreenImage().copy();
        edit.SetSelectionPos(c.pos);
        edit.SetSelectionLen(c.len);
        const QImage washed = edit.OffscreenImage();
        const QRgb tint = ColorToRgb(edit.SelectionColor());
        int waveInside = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) {
                const QRgb p = plain.pixel(x, y);
                QRgb expected = p;
                if (x >= c.left && x < c.right) {
                    expected = qRgb((qRed(p) * 176 + qRed(tint) * 80) >> 8,
                                    (qGreen(p) * 176 + qGreen(tint) * 80) >> 8,
                                    (qBlue(p) * 176 + qBlue(tint) * 80) >> 8);
                    waveInside += (p & 0xFFFFFF) == (ColorToRgb(edit.LineColor()) & 0xFFFFFF);
                }
                ASSERT_EQ(washed.pixel(x, y), expected) << x << "," << y;
            }
        EXPECT_GT(waveInside, 0) << "the selection covers part of the wave";
    }
}
