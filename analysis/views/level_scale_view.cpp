#include "level_scale_view.h"

#include <QPainter>
#include <algorithm>

namespace vk350 {

LevelScaleView::LevelScaleView(QWidget* parent) : QWidget(parent), font_(QStringLiteral("Small Fonts")) {
    font_.setPointSize(6);
    resize(200, 7);
    SetBounds(200, 7);
}

void LevelScaleView::SetColorOf(BgrColor& field, BgrColor value) {
    if (field == value)
        return;
    field = value;
    update();
}

void LevelScaleView::SetScale(const LevelScaleSpan& value) {
    if (value == scale_)
        return;
    scale_ = value;
    scale_.TickCount = std::max(scale_.TickCount, 2);
    scale_.EnlargeEvery = std::max(scale_.EnlargeEvery, 1);
    scale_.Size = std::max(scale_.Size, 1);
    update();
}

void LevelScaleView::SetFont(const QFont& value) {
    font_ = value;
    update();
}

void LevelScaleView::resizeEvent(QResizeEvent*) {
    SetBounds(width(), height());
}

std::vector<LevelScaleLabel> LevelScaleView::CurrentLabels() {
    const QFontMetrics fm(font_);
    // A hidden scale hears of its size only when shown; the labels follow the size it has.
    SetBounds(width(), height());
    const int textHeight = fm.boundingRect(QLatin1Char('W')).height();
    const int textWidth = fm.horizontalAdvance(QString::fromStdString(SensitivyText()));
    return Labels(textWidth, textHeight);
}

// Ticks along the length on the chosen side(s); the bands follow Point1 and Point2 from the
// quiet end, which the direction and kind place at the bottom or left unless reversed.
void LevelScaleView::PaintRuler(QPainter& p) const {
    const bool vertical = Kind() == lkVertical;
    const int length = vertical ? height() : width();
    const int breadth = vertical ? width() : height();
    const int ticks = scale_.TickCount;
    const bool quietAtStart = vertical == (Direction() == dirReversed);
    for (int side = 0; side < 2; ++side) {
        if ((side == 0 && ScalePos() == spBelowOrRight) || (side == 1 && ScalePos() == spAboveOrLeft))
            continue;
        for (int k = 0; k < ticks; ++k) {
            const int along = k * (length - 1) / (ticks - 1);
            const int fromQuiet = quietAtStart ? along : length - 1 - along;
            const int percent = fromQuiet * 100 / std::max(1, length - 1);
            const int band = percent > Point2() ? 2 : percent > Point1() ? 1 : 0;
            const int size = k % scale_.EnlargeEvery == 0 ? scale_.Size : std::max(1, scale_.Size / 2);
            // Inner ticks start at the edge next to the meter (the left or top edge of side 0).
            const bool fromEdge = (scale_.Origin == soOuter) == (side == 0);
            const int start =
                side == 0 ? (fromEdge ? 0 : scale_.Size - size) : breadth - (fromEdge ? size : scale_.Size);
            p.setPen(BandColor(band));
            if (vertical)
                p.drawLine(start, along, start + size - 1, along);
            else
                p.drawLine(along, start, along, start + size - 1);
        }
        if (scale_.Connect) {
            const int at = side == 0 ? (scale_.Origin == soOuter ? 0 : scale_.Size - 1) : breadth - 1;
            p.setPen(BandColor(0));
            if (vertical)
                p.drawLine(at, 0, at, length - 1);
            else
                p.drawLine(0, at, length - 1, at);
        }
    }
}

void LevelScaleView::PaintOn(QPainter& p) {
    p.fillRect(rect(), QColor(RgbOf(color_)));
    if (scale_.Visible)
        PaintRuler(p);
    p.setFont(font_);
    for (const LevelScaleLabel& label : CurrentLabels()) {
        p.setPen(BandColor(label.band));
        const QRect box(label.box.left, label.box.top, label.box.width, label.box.height);
        const Qt::Alignment align =
            Kind() == lkVertical ? Qt::AlignRight | Qt::AlignTop : Qt::AlignHCenter | Qt::AlignTop;
        p.drawText(box, int(align), QString::fromStdString(label.text));
    }
}

void LevelScaleView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintOn(p);
}

QImage LevelScaleView::Picture() {
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter p(&image);
    PaintOn(p);
    return image;
}

} // namespace vk350
