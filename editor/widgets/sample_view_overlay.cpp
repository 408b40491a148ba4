// Drawing over the waveform: the time ruler along the top, the owner's note at its right end,
// and the line of guidance in an empty control.
#include "sample_view.h"
#include "time_ruler.h"

#include <QPainter>

namespace vk350 {

namespace {

// Ticks are at least this many pixels apart, so that their labels never touch.
constexpr int kTickSpacing = 90;
constexpr int kTickLength = 5;

} // namespace

void SampleView::SetEmptyText(const QString& value) {
    if (emptyText_ == value)
        return;
    emptyText_ = value;
    DrawWave();
}

void SampleView::PaintOverlay() {
    const int rate = RulerRate ? RulerRate() : 0;
    const bool empty = GetSampleLen() <= 0 && !emptyText_.isEmpty();
    if (rate < 1 && !empty)
        return;
    QPainter painter(&offscreen_);
    const QColor ink = QColor::fromRgb(ColorToRgb(lineColor_)).lighter(170);
    painter.setPen(ink);
    if (empty)
        painter.drawText(offscreen_.rect(), Qt::AlignCenter, emptyText_);
    if (rate < 1)
        return;
    const QFontMetrics fm = painter.fontMetrics();
    const int columns = width() - 1;
    for (const RulerTick& t : RulerTicks(ViewOrigin(), std::max(1, Zoom()), rate, columns, kTickSpacing)) {
        painter.drawLine(t.column, 0, t.column, kTickLength);
        painter.drawText(t.column + 2, kTickLength + fm.ascent(), t.label);
    }
    if (RulerNote) {
        const QString note = RulerNote();
        const int x = width() - fm.horizontalAdvance(note) - 4;
        painter.drawText(x, kTickLength + fm.ascent() + fm.height(), note);
    }
}

} // namespace vk350
