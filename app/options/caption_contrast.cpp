#include "caption_contrast.h"

#include <algorithm>
#include <cmath>

namespace vk350 {

namespace {

double toLinear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminanceOf(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * toLinear(rgb.red()) + 0.7152 * toLinear(rgb.green()) + 0.0722 * toLinear(rgb.blue());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminanceOf(a);
    const double lb = luminanceOf(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor captionColorOn(const QColor& back) {
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(back, white) >= contrastRatio(back, black) ? white : black;
}

} // namespace vk350
