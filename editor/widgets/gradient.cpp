#include "gradient.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vk350 {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    if (c < 0) {
        a = -a;
        c = -c;
    }
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t q = p >= 0 ? (p + c / 2) / c : (p - c / 2) / c;
    return static_cast<int>(q);
}

namespace {

struct Rgb {
    int r, g, b;
};

Rgb Channels(QRgb c) {
    return {qRed(c), qGreen(c), qBlue(c)};
}

// Band j of n covers [p + MulDiv(j, L, n), p + MulDiv(j + 1, L, n)) along the stepping axis.
void FillHalf(QImage& image, bool alongX, int p, int extent, int n, Rgb start, Rgb diff) {
    if (n <= 0 || extent <= 0)
        return;
    const int w = image.width();
    const int h = image.height();
    for (int j = 0; j < n; ++j) {
        const int a = p + MulDiv(j, extent, n);
        const int b = p + MulDiv(j + 1, extent, n);
        if (b <= a)
            continue;
        const QRgb color = qRgb(std::clamp(start.r + MulDiv(j, diff.r, n), 0, 255),
                                std::clamp(start.g + MulDiv(j, diff.g, n), 0, 255),
                                std::clamp(start.b + MulDiv(j, diff.b, n), 0, 255));
        if (alongX) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(0));
            std::fill(row + a, row + std::min(b, w), color);
        } else {
            for (int y = a; y < std::min(b, h); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                std::fill(row, row + w, color);
            }
        }
    }
}

} // namespace

void FillGradient(QImage& image, tGradientTypex type, QRgb color, QRgb gradientColor, int nbOfColors) {
    const int w = image.width();
    const int h = image.height();
    if (w <= 0 || h <= 0)
        return;
    bool alongX = false;
    bool mirrored = false;
    QRgb c1 = color;
    QRgb c2 = gradientColor;
    switch (type) {
    case grxLeftToRight:
        alongX = true;
        c1 = gradientColor;
        c2 = color;
        break;
    case grxRightToLeft:
        alongX = true;
        break;
    case grxTopToBottom:
        c1 = gradientColor;
        c2 = color;
        break;
    case grxBottomToTop:
        break;
    case grxHorizCenterToBorder:
        alongX = true;
        mirrored = true;
        break;
    case grxHorizBorderToCenter:
        alongX = true;
        mirrored = true;
        c1 = gradientColor;
        c2 = color;
        break;
    case grxVertCenterToBorder:
        mirrored = true;
        break;
    case grxVertBorderToCenter:
        mirrored = true;
        c1 = gradientColor;
        c2 = color;
        break;
    }
    const int extent = alongX ? w : h;
    const int n = nbOfColors == 0 ? std::clamp(extent, 2, 256) : nbOfColors;
    const int n1 = n / 2;
    const int n2 = n - n1;
    const int half1 = extent / 2;
    const int half2 = extent - half1;

    const Rgb a = Channels(c1);
    const Rgb b = Channels(c2);
    const Rgb toB{b.r - a.r, b.g - a.g, b.b - a.b};
    if (mirrored) {
        FillHalf(image, alongX, 0, half1, n1, a, toB);
        FillHalf(image, alongX, half1, half2, n2, b, {-toB.r, -toB.g, -toB.b});
    } else {
        // The middle colour is halved toward zero, per channel.
        const Rgb m{a.r + toB.r / 2, a.g + toB.g / 2, a.b + toB.b / 2};
        FillHalf(image, alongX, 0, half1, n1, a, {m.r - a.r, m.g - a.g, m.b - a.b});
        FillHalf(image, alongX, half1, half2, n2, m, {b.r - m.r, b.g - m.g, b.b - m.b});
    }
    if (alongX) {
        // Bands along x are the same on every row.
        const auto bytes = static_cast<std::size_t>(w) * sizeof(QRgb);
        for (int y = 1; y < h; ++y)
            std::memcpy(image.scanLine(y), image.constScanLine(0), bytes);
    }
}

} // namespace vk350
