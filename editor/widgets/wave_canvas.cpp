#include "wave_canvas.h"

#include <algorithm>
#include <cstdlib>

namespace vk350 {

namespace {

constexpr int DotOn = 3;
constexpr int DotPeriod = 6;

} // namespace

WaveCanvas::WaveCanvas(QImage& image)
    : bits_(reinterpret_cast<QRgb*>(image.bits())), stride_(image.bytesPerLine() / 4), width_(image.width()),
      height_(image.height()) {}

void WaveCanvas::SetDotted(bool dotted) {
    dotted_ = dotted;
    phase_ = 0;
}

void WaveCanvas::Line(int x0, int y0, int x1, int y1, QRgb color) {
    phase_ = 0;
    Segment(x0, y0, x1, y1, color, true);
}

void WaveCanvas::Polyline(const QPoint* points, int n, QRgb color) {
    phase_ = 0;
    for (int i = 0; i + 1 < n; ++i)
        Segment(points[i].x(), points[i].y(), points[i + 1].x(), points[i + 1].y(), color, i + 2 == n);
    if (n == 1)
        Segment(points[0].x(), points[0].y(), points[0].x(), points[0].y(), color, true);
}

// Bresenham; the pixel at (x1, y1) only when `last`, so joined segments share no pixel.
void WaveCanvas::Segment(int x0, int y0, int x1, int y1, QRgb color, bool last) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0;
    int y = y0;
    for (;;) {
        const bool end = x == x1 && y == y1;
        if (end && !last)
            return;
        const bool on = !dotted_ || phase_ < DotOn;
        if (on && x >= 0 && x < width_ && y >= 0 && y < height_)
            bits_[y * stride_ + x] = color;
        if (++phase_ == DotPeriod)
            phase_ = 0;
        if (end)
            return;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void WaveCanvas::HSpan(int y, int x0, int x1, QRgb color) {
    if (y < 0 || y >= height_)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_ - 1);
    if (x0 > x1)
        return;
    QRgb* row = bits_ + y * stride_;
    std::fill(row + x0, row + x1 + 1, color);
}

void WaveCanvas::VSpan(int x, int y0, int y1, QRgb color) {
    if (x < 0 || x >= width_)
        return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, height_ - 1);
    for (int y = y0; y <= y1; ++y)
        bits_[y * stride_ + x] = color;
}

void WaveCanvas::Column(int x, int y0, int y1, QRgb color) {
    if (y0 > y1)
        std::swap(y0, y1);
    VSpan(x, y0, y1, color);
}

void WaveCanvas::Frame(int x0, int y0, int x1, int y1, QRgb color) {
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    HSpan(y0, x0, x1, color);
    HSpan(y1, x0, x1, color);
    VSpan(x0, y0 + 1, y1 - 1, color);
    VSpan(x1, y0 + 1, y1 - 1, color);
}

void WaveCanvas::BlendColumns(int x0, int x1, QRgb color, int alpha) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_);
    alpha = std::clamp(alpha, 0, 256);
    const quint32 keep = quint32(256 - alpha);
    // Red and blue, then green, each channel in its own 16 bits so that the products never carry.
    const quint32 rb = (color & 0xFF00FF) * quint32(alpha);
    const quint32 g = (color & 0x00FF00) * quint32(alpha);
    for (int y = 0; y < height_; ++y) {
        QRgb* row = bits_ + y * stride_;
        for (int x = x0; x < x1; ++x) {
            const quint32 p = row[x];
            const quint32 prb = (((p & 0xFF00FF) * keep + rb) >> 8) & 0xFF00FF;
            const quint32 pg = (((p & 0x00FF00) * keep + g) >> 8) & 0x00FF00;
            row[x] = 0xFF000000 | prb | pg;
        }
    }
}

void WaveCanvas::XorColumns(int x0, int x1, QRgb mask) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_);
    mask &= 0x00FFFFFF; // the top byte of RGB32 stays opaque
    for (int y = 0; y < height_; ++y) {
        QRgb* row = bits_ + y * stride_;
        for (int x = x0; x < x1; ++x)
            row[x] ^= mask;
    }
}

} // namespace vk350
