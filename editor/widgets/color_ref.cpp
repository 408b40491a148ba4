#include "color_ref.h"

#include <QApplication>
#include <QPalette>

namespace vk350 {

namespace {

// System colours follow the running desktop's palette.
QRgb SystemColor(int index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 5: // window
        return palette.color(QPalette::Base).rgb();
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase).rgb();
    case 7:  // menu text
    case 8:  // window text
    case 9:  // caption text
    case 18: // button text
        return palette.color(QPalette::WindowText).rgb();
    case 13:
        return palette.color(QPalette::Highlight).rgb();
    case 14:
        return palette.color(QPalette::HighlightedText).rgb();
    case 16: // button shadow
        return palette.color(QPalette::Mid).rgb();
    case 17:
        return palette.color(QPalette::PlaceholderText).rgb();
    case 20: // button highlight
        return palette.color(QPalette::Light).rgb();
    case 21:
        return palette.color(QPalette::Shadow).rgb();
    case 22:
        return palette.color(QPalette::Midlight).rgb();
    case 23:
        return palette.color(QPalette::ToolTipText).rgb();
    default: // faces, menus, captions, scroll bars, desktop
        return palette.color(QPalette::Window).rgb();
    }
}

} // namespace

QRgb ColorToRgb(BgrColor color) {
    const std::uint32_t top = color >> 24;
    if (top == 0x80 || top == 0xFF)
        return SystemColor(static_cast<int>(color & 0xFF));
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

BgrColor RgbToColor(QRgb rgb) {
    return static_cast<BgrColor>(qRed(rgb)) | (static_cast<BgrColor>(qGreen(rgb)) << 8) |
           (static_cast<BgrColor>(qBlue(rgb)) << 16);
}

} // namespace vk350
