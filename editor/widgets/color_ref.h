#pragma once

#include <QRgb>
#include <cstdint>

namespace vk350 {

// A colour as the settings store holds it: 0x00BBGGRR, red in the low byte. Values with the
// top byte 0x80 or 0xFF name a system colour by its index in the low byte.
using BgrColor = std::uint32_t;

// Resolves a colour, system colours included, to the RGB value that is drawn.
QRgb ColorToRgb(BgrColor color);
// The colour reference of an RGB value.
BgrColor RgbToColor(QRgb rgb);

} // namespace vk350
