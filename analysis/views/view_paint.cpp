#include "view_paint.h"

#include <algorithm>
#include <cstdlib>

namespace vk350 {

void FillBox(QImage& image, int x, int y, int w, int h, QRgb rgb, bool dotted) {
    const int x1 = std::max(x, 0);
    const int y1 = std::max(y, 0);
    const int x2 = std::min(x + w, image.width());
    const int y2 = std::min(y + h, image.height());
    for (int row = y1; row < y2; ++row) {
        if (dotted && (row - y) % 2 != 0)
            continue;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        if (dotted) {
            for (int col = x1 + (x1 - x) % 2; col < x2; col += 2)
                line[col] = rgb;
        } else {
            std::fill(line + x1, line + std::max(x1, x2), rgb);
        }
    }
}

void DottedHLine(QImage& image, int x1, int x2, int y, QRgb rgb) {
    if (y < 0 || y >= image.height())
        return;
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = std::min(x1, x2); x <= std::max(x1, x2); x += 2)
        if (x >= 0 && x < image.width())
            line[x] = rgb;
}

void DottedVLine(QImage& image, int x, int y1, int y2, QRgb rgb) {
    if (x < 0 || x >= image.width())
        return;
    for (int y = std::min(y1, y2); y <= std::max(y1, y2); y += 2)
        if (y >= 0 && y < image.height())
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = rgb;
}

// Bresenham, so that the same end points always give the same pixels.
void PlainLine(QImage& image, int x1, int y1, int x2, int y2, QRgb rgb, const AnalysisRect* clip) {
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (x1 >= 0 && y1 >= 0 && x1 < image.width() && y1 < image.height() &&
            (!clip || clip->Contains(x1, y1)))
            reinterpret_cast<QRgb*>(image.scanLine(y1))[x1] = rgb;
        if (x1 == x2 && y1 == y2)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x1 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y1 += sy;
        }
    }
}

} // namespace vk350
