// Small pixel routines shared by the analysis views: colour references to Qt colours, and the
// filled, dotted and plain rectangles and lines the views compose their frames from. Every
// routine clips to the image, so no caller can write outside it.
#pragma once

#include "analysis_types.h"

#include <QImage>
#include <QRgb>
#include <cstdint>

namespace vk350 {

// A colour reference: red in the low byte, then green, then blue.
using BgrColor = std::uint32_t;

// Named colour references of the views' defaults.
namespace clr {
constexpr BgrColor Black = 0;
constexpr BgrColor Maroon = 128;
constexpr BgrColor Green = 32768;
constexpr BgrColor Olive = 32896;
constexpr BgrColor Navy = 8388608;
constexpr BgrColor Purple = 8388736;
constexpr BgrColor Teal = 8421376;
constexpr BgrColor Gray = 8421504;
constexpr BgrColor Red = 255;
constexpr BgrColor Lime = 65280;
constexpr BgrColor Yellow = 65535;
constexpr BgrColor Blue = 16711680;
constexpr BgrColor Aqua = 16776960;
constexpr BgrColor White = 16777215;
} // namespace clr

inline QRgb RgbOf(BgrColor color) {
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// Fills [x, x + w) x [y, y + h); dotted sets only every other pixel of every other row.
void FillBox(QImage& image, int x, int y, int w, int h, QRgb rgb, bool dotted = false);
inline void FillBox(QImage& image, const AnalysisRect& r, QRgb rgb, bool dotted = false) {
    FillBox(image, r.left, r.top, r.width, r.height, rgb, dotted);
}
// Dotted lines: every other pixel from the start.
void DottedHLine(QImage& image, int x1, int x2, int y, QRgb rgb);
void DottedVLine(QImage& image, int x, int y1, int y2, QRgb rgb);
// A line with both end points, clipped to the image and, when given, to clip.
void PlainLine(QImage& image, int x1, int y1, int x2, int y2, QRgb rgb, const AnalysisRect* clip = nullptr);

} // namespace vk350
