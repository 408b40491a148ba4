// Drawing of the waveform control: DrawWave's frame and the gradient cache.
#include "sample_view.h"
#include "wave_canvas.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

namespace vk350 {

void SampleView::BuildGradient() {
    if (gradient_.size() != size() || gradient_.format() != QImage::Format_RGB32)
        gradient_ = QImage(size(), QImage::Format_RGB32);
    FillGradient(gradient_, gradientType_, ColorToRgb(color_), ColorToRgb(gradientColor_),
                 gradientNbOfColors_);
    gradientValid_ = true;
}

void SampleView::PaintBackground() {
    if (!gradientEnabled_) {
        offscreen_.fill(ColorToRgb(color_));
        return;
    }
    if (!gradientValid_)
        BuildGradient();
    if (gradient_.size() == offscreen_.size()) {
        std::memcpy(offscreen_.bits(), gradient_.constBits(),
                    static_cast<std::size_t>(offscreen_.sizeInBytes()));
        return;
    }
    // The cache keeps its size until a gradient setting changes; what it does not cover shows
    // the background colour.
    offscreen_.fill(ColorToRgb(color_));
    QPainter painter(&offscreen_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, gradient_);
}

void SampleView::PaintAxes(WaveCanvas& canvas, int w, int h) {
    const int W = w - 1;
    const int H = h - 1;
    if (axesEnabled_)
        canvas.Line(0, H / 2, W, H / 2, ColorToRgb(axesColor_));
    if (axes2Enabled_) {
        const QRgb color = ColorToRgb(axes2Color_);
        for (int i = 0; i < 3; ++i) {
            // The centre line is already there when the axis is on.
            if (i == 1 && axesEnabled_)
                continue;
            const int y = (i + 1) * H / 4;
            canvas.Line(0, y, W, y, color);
        }
    }
}

void SampleView::PaintWave(WaveCanvas& canvas, int w, int h) {
    const int W = w - 1;
    const int H = h - 1;
    if (W <= 0)
        return;
    // One point per column, however long the sample.
    points_.resize(static_cast<std::size_t>(W));
    const std::uint8_t* bytes = GetData();
    const std::int64_t max = Max();
    const std::int64_t zoom = Zoom();
    const std::int64_t origin = ViewOrigin();
    for (int c = 0; c < W; ++c) {
        const std::int64_t k = c * zoom + origin;
        const int y = (k >= 0 && k < max) ? H - (bytes[k] * H) / 256 : H / 2;
        points_[static_cast<std::size_t>(c)] = QPoint(c, y);
    }

    const QRgb line = ColorToRgb(lineColor_);
    if (!spectrumMode_ && minMaxMode_ && zoom > 1) {
        PaintEnvelope(canvas, w, h);
    } else if (!spectrumMode_) {
        canvas.Polyline(points_.data(), W, line);
    } else {
        const int base = SpectrumCenter() ? H / 2 : H;
        for (const QPoint& p : points_)
            canvas.Line(p.x(), p.y(), p.x(), base, line);
    }

    // A frame larger than the control has no visible edge; the limit keeps x + s from overflowing.
    const int s = std::min(markerSize_, std::max(w, h));
    if (s > 0) {
        const QRgb marker = ColorToRgb(markerColor_);
        for (const QPoint& p : points_)
            canvas.Frame(p.x() - s, p.y() - s, p.x() + s, p.y() + s, marker);
    }
}

namespace {

// Lowest and highest byte of n bytes. Whole blocks of a fixed length let the compiler use
// vector instructions at the usual optimisation level; a full sample is scanned in microseconds.
void ByteRange(const std::uint8_t* p, std::int64_t n, std::uint8_t& lo, std::uint8_t& hi) {
    constexpr int kBlock = 64;
    std::uint8_t mn = 255;
    std::uint8_t mx = 0;
    for (; n >= kBlock; n -= kBlock, p += kBlock) {
        std::uint8_t bmn = 255;
        std::uint8_t bmx = 0;
        for (int i = 0; i < kBlock; ++i) {
            bmn = std::min(bmn, p[i]);
            bmx = std::max(bmx, p[i]);
        }
        mn = std::min(mn, bmn);
        mx = std::max(mx, bmx);
    }
    for (std::int64_t i = 0; i < n; ++i) {
        mn = std::min(mn, p[i]);
        mx = std::max(mx, p[i]);
    }
    lo = mn;
    hi = mx;
}

} // namespace

// Column c covers the samples c × Zoom + ViewOrigin up to the next column's first; the part of
// them inside the buffer (up to Max) is drawn from its highest to its lowest value, and a column
// with none is drawn on the centre line, as the line drawing does.
void SampleView::PaintEnvelope(WaveCanvas& canvas, int w, int h) {
    const int W = w - 1;
    const int H = h - 1;
    const std::uint8_t* bytes = GetData();
    const std::int64_t max = Max();
    const std::int64_t zoom = Zoom();
    const std::int64_t origin = ViewOrigin();
    const QRgb line = ColorToRgb(lineColor_);
    for (int c = 0; c < W; ++c) {
        const std::int64_t first = std::max<std::int64_t>(c * zoom + origin, 0);
        const std::int64_t end = std::min<std::int64_t>((c + 1) * zoom + origin, max);
        if (first >= end) {
            canvas.Column(c, H / 2, H / 2, line);
            continue;
        }
        std::uint8_t lo = 0;
        std::uint8_t hi = 0;
        ByteRange(bytes + first, end - first, lo, hi);
        canvas.Column(c, H - (hi * H) / 256, H - (lo * H) / 256, line);
    }
}

void SampleView::Render() {
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0)
        return;
    stale_ = false;
    if (offscreen_.size() != size())
        offscreen_ = QImage(size(), QImage::Format_RGB32);
    PaintBackground();

    WaveCanvas canvas(offscreen_);
    canvas.SetDotted(true);
    PaintAxes(canvas, w, h);
    PaintWave(canvas, w, h);
    canvas.SetDotted(false);
    if (locatorEnabled_) {
        const int x = LocatorPos();
        // Only the columns that have a point show the locator.
        if (x >= 0 && x < w - 1) {
            // A solid line may be clipped to the control first; any gap size stays in range.
            const int top = static_cast<int>(std::clamp<std::int64_t>(locatorSize_, -1, h));
            const int bottom =
                static_cast<int>(std::clamp<std::int64_t>(std::int64_t{h} - 1 - locatorSize_, -1, h));
            canvas.Line(x, top, x, bottom, ColorToRgb(locatorColor_));
        }
    }

    const std::int64_t a = SelectionPos();
    const std::int64_t b = a + SelectionLen();
    // Right edge exclusive; style 0 inverts, style 1 combines with the selection colour, the
    // wash mixes it in.
    const int left = static_cast<int>(std::clamp<std::int64_t>(std::min(a, b), 0, w));
    const int right = static_cast<int>(std::clamp<std::int64_t>(std::max(a, b), 0, w));
    if (a != b && selectionTint_)
        canvas.BlendColumns(left, right, ColorToRgb(selectionColor_), 80);
    else if (a != b && (selectionStyle_ == 0 || selectionStyle_ == 1))
        canvas.XorColumns(left, right, selectionStyle_ == 0 ? 0xFFFFFF : ColorToRgb(selectionColor_));
    PaintOverlay();
}

} // namespace vk350
