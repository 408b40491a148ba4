// Drawing of the waveform control: DrawWave's frame and the gradient cache.
#include "sample_edit.h"
#include "wave_canvas.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

void TsqSampleEdit::BuildGradient() {
    if (m_gradient.size() != size() || m_gradient.format() != QImage::Format_RGB32)
        m_gradient = QImage(size(), QImage::Format_RGB32);
    FillGradient(m_gradient, m_gradientType, ColorToRgb(m_color), ColorToRgb(m_gradientColor),
                 m_gradientNbOfColors);
    m_gradientValid = true;
}

void TsqSampleEdit::PaintBackground() {
    if (!m_gradientEnabled) {
        m_offscreen.fill(ColorToRgb(m_color));
        return;
    }
    if (!m_gradientValid)
        BuildGradient();
    if (m_gradient.size() == m_offscreen.size()) {
        std::memcpy(m_offscreen.bits(), m_gradient.constBits(),
                    static_cast<std::size_t>(m_offscreen.sizeInBytes()));
        return;
    }
    // The cache keeps its size until a gradient setting changes; what it does not cover shows
    // the background colour.
    m_offscreen.fill(ColorToRgb(m_color));
    QPainter painter(&m_offscreen);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_gradient);
}

void TsqSampleEdit::PaintAxes(WaveCanvas& canvas, int w, int h) {
    const int W = w - 1;
    const int H = h - 1;
    if (m_axesEnabled)
        canvas.Line(0, H / 2, W, H / 2, ColorToRgb(m_axesColor));
    if (m_axes2Enabled) {
        const QRgb color = ColorToRgb(m_axes2Color);
        for (int i = 0; i < 3; ++i) {
            // The centre line is already there when the axis is on.
            if (i == 1 && m_axesEnabled)
                continue;
            const int y = (i + 1) * H / 4;
            canvas.Line(0, y, W, y, color);
        }
    }
}

void TsqSampleEdit::PaintWave(WaveCanvas& canvas, int w, int h) {
    const int W = w - 1;
    const int H = h - 1;
    if (W <= 0)
        return;
    // One point per column, however long the sample.
    m_points.resize(static_cast<std::size_t>(W));
    const std::uint8_t* data = GetData();
    const std::int64_t max = Max();
    const std::int64_t zoom = Zoom();
    const std::int64_t origin = ViewOrigin();
    for (int c = 0; c < W; ++c) {
        const std::int64_t k = c * zoom + origin;
        const int y = (k >= 0 && k < max) ? H - (data[k] * H) / 256 : H / 2;
        m_points[static_cast<std::size_t>(c)] = QPoint(c, y);
    }

    const QRgb line = ColorToRgb(m_lineColor);
    if (!m_spectrumMode) {
        canvas.Polyline(m_points.data(), W, line);
    } else {
        const int base = SpectrumCenter() ? H / 2 : H;
        for (const QPoint& p : m_points)
            canvas.Line(p.x(), p.y(), p.x(), base, line);
    }

    // A frame larger than the control has no visible edge; the limit keeps x + s from overflowing.
    const int s = std::min(m_markerSize, std::max(w, h));
    if (s > 0) {
        const QRgb marker = ColorToRgb(m_markerColor);
        for (const QPoint& p : m_points)
            canvas.Frame(p.x() - s, p.y() - s, p.x() + s, p.y() + s, marker);
    }
}

void TsqSampleEdit::Render() {
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0)
        return;
    if (m_offscreen.size() != size())
        m_offscreen = QImage(size(), QImage::Format_RGB32);
    PaintBackground();

    WaveCanvas canvas(m_offscreen);
    canvas.SetDotted(true);
    PaintAxes(canvas, w, h);
    PaintWave(canvas, w, h);
    canvas.SetDotted(false);
    if (m_locatorEnabled) {
        const int x = LocatorPos();
        // Only the columns that have a point show the locator.
        if (x >= 0 && x < w - 1) {
            // A solid line may be clipped to the control first; any gap size stays in range.
            const int top = static_cast<int>(std::clamp<std::int64_t>(m_locatorSize, -1, h));
            const int bottom =
                static_cast<int>(std::clamp<std::int64_t>(std::int64_t{h} - 1 - m_locatorSize, -1, h));
            canvas.Line(x, top, x, bottom, ColorToRgb(m_locatorColor));
        }
    }

    const std::int64_t a = SelectionPos();
    const std::int64_t b = a + SelectionLen();
    if (a != b && (m_selectionStyle == 0 || m_selectionStyle == 1)) {
        // Right edge exclusive; style 0 inverts, style 1 combines with the selection colour.
        const int left = static_cast<int>(std::clamp<std::int64_t>(std::min(a, b), 0, w));
        const int right = static_cast<int>(std::clamp<std::int64_t>(std::max(a, b), 0, w));
        canvas.XorColumns(left, right, m_selectionStyle == 0 ? 0xFFFFFF : ColorToRgb(m_selectionColor));
    }
}
