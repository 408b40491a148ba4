// Looks painted directly rather than by a style sheet, which costs the start-up milliseconds per
// window that holds one: the value fields (the knobs that show a number), with the waveform
// view's dark background, cyan digits and a grey frame, greyed digits when disabled; and the
// colour swatches, a flat patch of the colour in a dark grey frame.
#pragma once

class QColor;
class QLabel;
class QWidget;

namespace vk350 {

// Gives field that look from now on; its text, alignment and font stay its own.
void styleValueField(QLabel* field);
// Shows swatch (a button with no text or icon) as a patch of color from now on.
void showSwatchColor(QWidget* swatch, const QColor& color);

} // namespace vk350
