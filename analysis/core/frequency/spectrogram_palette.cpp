#include "spectrogram_palette.h"

#include <cmath>

namespace vk350 {

namespace {

// Components wrap like bytes; fractions are cut off.
std::uint32_t Byte(double v) {
    return std::uint32_t(std::int64_t(std::trunc(v))) & 0xFF;
}

std::uint32_t Rgb(double r, double g, double b) {
    return ColorRef(Byte(r), Byte(g), Byte(b));
}

std::uint32_t Hsv(double g) {
    if (g < 64)
        return Rgb(0, 4 * g, 255);
    if (g < 128)
        return Rgb(0, 255, 510 - 4 * g);
    if (g < 192)
        return Rgb(4 * g - 510, 255, 0);
    return Rgb(255, 1020 - 4 * g, 0);
}

std::uint32_t ScaleColor(PaletteKind kind, double g) {
    switch (kind) {
    case spHSV:
        return Hsv(g);
    case spThreshold:
        return g <= 15 ? 0 : Hsv(g);
    case spBlackWhite:
        return Rgb(g, g, g);
    case spWhiteBlack:
        return Rgb(255 - g, 255 - g, 255 - g);
    case spBone:
        if (g < 96)
            return Rgb(0.88889 * g, 0.88889 * g, 1.2 * g);
        if (g < 192)
            return Rgb(0.88889 * g, 1.2 * g - 29, 0.88889 * g + 29);
        return Rgb(1.2 * g - 60, 0.88889 * g + 29, 0.88889 * g + 29);
    case spCopper:
        return g < 208 ? Rgb(1.23 * g, 0.78 * g, 0.5 * g) : Rgb(255, 0.78 * g, 0.5 * g);
    case spCool:
        return Rgb(g, 255 - g, 255);
    case spHot:
        if (g < 96)
            return Rgb(2.66667 * g + 0.5, 0, 0);
        if (g < 192)
            return Rgb(255, 2.66667 * g - 254, 0);
        return Rgb(255, 255, 4 * g - 766);
    }
    return 0;
}

} // namespace

PaletteColors SpectrogramPalette(PaletteKind kind) {
    PaletteColors colors{};
    for (std::int32_t index = MIN_COLOR; index < MIN_COLOR + NUM_COLORS; ++index)
        colors[std::size_t(index)] = ScaleColor(kind, double((index - MIN_COLOR) * 256 / NUM_COLORS));
    return colors;
}

} // namespace vk350
