// The colours and gradient of a waveform control as the options window's Colors page sets them:
// one swatch per row, a gradient type and a number of gradient steps.
#pragma once

#include "color_ref.h"
#include "sample_view.h"

#include <array>

namespace vk350 {

// The rows of swatches, in the page's order.
enum class Swatch { Back, Lines, Text, Selection, Markers, Axes, Locator, Gradient, Axes2 };
inline constexpr int kSwatchCount = 9;
inline constexpr std::array<Swatch, kSwatchCount> kSwatches = {
    Swatch::Back, Swatch::Lines,   Swatch::Text,     Swatch::Selection, Swatch::Markers,
    Swatch::Axes, Swatch::Locator, Swatch::Gradient, Swatch::Axes2};

// The button face: the system colour that the swatches start with.
inline constexpr BgrColor kButtonFace = 0x8000000F;

struct WaveLook {
    std::array<BgrColor, kSwatchCount> colors{};
    int gradientType = -1; // -1: no entry chosen
    int steps = 100;

    BgrColor& operator[](Swatch row) { return colors[static_cast<size_t>(row)]; }
    BgrColor operator[](Swatch row) const { return colors[static_cast<size_t>(row)]; }
};

// The colour a row stands for on a control (Text is kept for no control: the button face).
BgrColor swatchColorOf(const SampleView& edit, Swatch row);
// The control's own colours in every row.
WaveLook lookOf(const SampleView& edit);
// Sets the colour of one row on the control (its setter redraws on a change); Text changes nothing.
void applySwatch(SampleView& edit, Swatch row, BgrColor color);
// Gradient type from a list entry: ignored unless it names one of the eight types.
void applyGradientType(SampleView& edit, int type);
// What the stored values set when they are read: steps, every colour except markers and text,
// and the gradient type.
void applyStoredLook(SampleView& edit, const WaveLook& look);

} // namespace vk350
