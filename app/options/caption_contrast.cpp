#include "caption_contrast.h"

#include <algorithm>
#include <cmath>

namespace vk350 {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor CaptionColorOn(const QColor& back) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(back, white) >= ContrastRatio(back, black) ? white : black;
}

} // namespace vk350
