// Drawing of the waveform control: DrawWave's frame and the gradient cache.
#include "sample_edit.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstring>

namespace {

// A cosmetic pen of three pixels on, three off, as a width-1 dotted pen draws on screen.
QPen DottedPen(QRgb color) {
    QPen pen{QColor(color)};
    pen.setCosmetic(true);
    pen.setWidth(1);
    pen.setDashPattern({3.0, 3.0});
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QPen SolidPen(QRgb color) {
    QPen pen{QColor(color)};
    pen.setCosmetic(true);
    pen.setWidth(1);
    return pen;
}

} // namespace

void TsqSampleEdit::BuildGradient() {
    if (m_gradient.size() != size() || m_gradient.format() != QImage::Format_RGB32)
        m_gradient = QImage(size(), QImage::Format_RGB32);
    FillGradient(m_gradient, m_gradientType, ColorToRgb(m_color), ColorToRgb(m_gradientColor), m_gradientNbOfColors);
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
        std::memcpy(m_offscreen.bits(), m_gradient.constBits(), static_cast<std::size_t>(m_offscreen.sizeInBytes()));
        return;
    }
    // The cache keeps its size until the gradient settings change; what it does not cover
    // shows the background colour.
    m_offscreen.fill(ColorToRgb(m_color));
    QPainter painter(&m_offscreen);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_gradient);
}

void TsqSampleEdit::PaintAxes(QPainter& painter, int w, int h) {
    const int W = w - 1;
    const int H = h - 1;
    if (m_axesEnabled) {
        painter.setPen(DottedPen(ColorToRgb(m_axesColor)));
        painter.drawLine(0, H / 2, W, H / 2);
    }
    if (m_axes2Enabled) {
        painter.setPen(DottedPen(ColorToRgb(m_axes2Color)));
        for (int i = 0; i < 3; ++i) {
            // The centre line is already there when the axis is on.
            if (i == 1 && m_axesEnabled)
                continue;
            const int y = (i + 1) * H / 4;
            painter.drawLine(0, y, W, y);
        }
    }
}

void TsqSampleEdit::PaintWave(QPainter& painter, int w, int h) {
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
    painter.setPen(DottedPen(line));
    painter.setBrush(QColor(line));
    if (!m_spectrumMode) {
        painter.drawPolyline(m_points.data(), W);
    } else {
        const int base = SpectrumCenter() ? H / 2 : H;
        for (const QPoint& p : m_points)
            painter.drawLine(p.x(), p.y(), p.x(), base);
    }

    const int s = m_markerSize;
    if (s > 0) {
        painter.setPen(SolidPen(ColorToRgb(m_markerColor)));
        painter.setBrush(Qt::NoBrush);
        for (const QPoint& p : m_points)
            painter.drawRect(p.x() - s, p.y() - s, 2 * s, 2 * s);
    }
}

void TsqSampleEdit::PaintSelection(int w, int h) {
    const std::int64_t a = SelectionPos();
    const std::int64_t b = a + SelectionLen();
    // Right edge exclusive.
    const int left = static_cast<int>(std::clamp<std::int64_t>(std::min(a, b), 0, w));
    const int right = static_cast<int>(std::clamp<std::int64_t>(std::max(a, b), 0, w));
    if (right <= left)
        return;
    QPainter painter(&m_offscreen);
    if (m_selectionStyle == 0) {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(left, 0, right - left, h, Qt::black);
    } else if (m_selectionStyle == 1) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(left, 0, right - left, h, QColor(ColorToRgb(m_selectionColor)));
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
    {
        QPainter painter(&m_offscreen);
        PaintAxes(painter, w, h);
        PaintWave(painter, w, h);
        if (m_locatorEnabled) {
            const int x = LocatorPos();
            if (x >= 0 && x < w - 1) {
                painter.setPen(SolidPen(ColorToRgb(m_locatorColor)));
                painter.drawLine(x, m_locatorSize, x, h - 1 - m_locatorSize);
            }
        }
    }
    if (SelectionLen() != 0)
        PaintSelection(w, h);
}
