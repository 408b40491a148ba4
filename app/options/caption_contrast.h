// Text that stays readable on a colour the user chose: contrast by the relative luminance of the
// two colours, as accessibility guidelines measure it.
#pragma once

#include <QColor>

namespace vk350 {

// (lighter + 0.05) / (darker + 0.05) of the two colours' relative luminances: 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// Black or white, whichever contrasts more with back; either way at least 4.58 to 1.
QColor captionColorOn(const QColor& back);

} // namespace vk350
