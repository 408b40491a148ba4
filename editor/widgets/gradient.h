#pragma once

#include <QImage>
#include <QRgb>

namespace vk350 {

// Shapes of the waveform control's background gradient, in their stored order.
enum tGradientTypex {
    grxLeftToRight,
    grxRightToLeft,
    grxTopToBottom,
    grxBottomToTop,
    grxHorizCenterToBorder,
    grxHorizBorderToCenter,
    grxVertCenterToBorder,
    grxVertBorderToCenter,
};

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// Fills the whole image with colour bands. The stepping extent splits into two halves with
// nbOfColors div 2 and the remaining bands; linear types run c1 -> middle -> c2, mirrored types
// c1 -> c2 -> c1. nbOfColors 0 takes the extent (2 to 256) as the band count.
void FillGradient(QImage& image, tGradientTypex type, QRgb color, QRgb gradientColor, int nbOfColors);

} // namespace vk350
