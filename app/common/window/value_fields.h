// The look of the value fields (the knobs that show a number): the waveform view's dark
// background, cyan digits and a grey frame, greyed digits when disabled. Painted directly rather
// than by a style sheet, which costs the start-up milliseconds per window that holds one.
#pragma once

class QLabel;

namespace vk350 {

// Gives field that look from now on; its text, alignment and font stay its own.
void styleValueField(QLabel* field);

} // namespace vk350
