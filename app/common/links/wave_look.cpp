#include "wave_look.h"

namespace vk350 {

BgrColor swatchColorOf(const SampleView& e, Swatch row) {
    switch (row) {
    case Swatch::Back:
        return e.Color();
    case Swatch::Lines:
        return e.LineColor();
    case Swatch::Text:
        return kButtonFace;
    case Swatch::Selection:
        return e.SelectionColor();
    case Swatch::Markers:
        return e.MarkerColor();
    case Swatch::Axes:
        return e.AxesColor();
    case Swatch::Locator:
        return e.LocatorColor();
    case Swatch::Gradient:
        return e.GradientColor();
    case Swatch::Axes2:
        return e.Axes2Color();
    }
    return kButtonFace;
}

WaveLook lookOf(const SampleView& e) {
    WaveLook look;
    for (Swatch row : kSwatches)
        look[row] = swatchColorOf(e, row);
    look.gradientType = static_cast<int>(e.GradientType());
    look.steps = e.GradientNbOfColors();
    return look;
}

void applySwatch(SampleView& e, Swatch row, BgrColor color) {
    switch (row) {
    case Swatch::Back:
        e.SetColor(color);
        break;
    case Swatch::Lines:
        e.SetLineColor(color);
        break;
    case Swatch::Text:
        break; // stored only
    case Swatch::Selection:
        e.SetSelectionColor(color);
        break;
    case Swatch::Markers:
        e.SetMarkerColor(color);
        break;
    case Swatch::Axes:
        e.SetAxesColor(color);
        break;
    case Swatch::Locator:
        e.SetLocatorColor(color);
        break;
    case Swatch::Gradient:
        e.SetGradientColor(color);
        break;
    case Swatch::Axes2:
        e.SetAxes2Color(color);
        break;
    }
}

void applyGradientType(SampleView& e, int type) {
    if (type >= grxLeftToRight && type <= grxVertBorderToCenter)
        e.SetGradientType(static_cast<tGradientTypex>(type));
}

void applyStoredLook(SampleView& e, const WaveLook& look) {
    e.SetGradientNbOfColors(look.steps);
    for (Swatch row : {Swatch::Back, Swatch::Lines, Swatch::Axes, Swatch::Axes2, Swatch::Gradient,
                       Swatch::Locator, Swatch::Selection})
        applySwatch(e, row, look[row]);
    applyGradientType(e, look.gradientType);
}

} // namespace vk350
