// The colour palettes of the spectrogram's 8-bit picture.
#pragma once

#include <array>
#include <cstdint>

namespace vk350 {

enum PaletteKind : std::int32_t {
    spHSV,
    spThreshold,
    spBlackWhite,
    spWhiteBlack,
    spBone,
    spCopper,
    spCool,
    spHot,
};

// First palette index of the colour scale and the number of its entries (10..245).
constexpr std::int32_t MIN_COLOR = 10;
constexpr std::int32_t NUM_COLORS = 236;

// Colour references (red in the low byte, then green, then blue).
using PaletteColors = std::array<std::uint32_t, 256>;

constexpr std::uint32_t ColorRef(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

// Entries MIN_COLOR .. MIN_COLOR + NUM_COLORS - 1 run through the palette's colour scale; all
// others are black.
PaletteColors SpectrogramPalette(PaletteKind kind);

} // namespace vk350
