#pragma once

#include <QRgb>
#include <cstdint>

namespace vk350 {

// A colour as the settings store holds it: 0x00BBGGRR, red in the low byte. Values with the
// top byte 0x80 or 0xFF name a system colour by its index in the low byte.
using TColor = std::uint32_t;

// Resolves a colour, system colours included, to the RGB value that is drawn.
QRgb ColorToRgb(TColor color);
// The colour reference of an RGB value.
TColor RgbToColor(QRgb rgb);

} // namespace vk350
