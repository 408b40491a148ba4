#include "value_fields.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

namespace vk350 {

namespace {

const QColor kBackground(0x10, 0x14, 0x18);
const QColor kDigits(0x8e, 0xe8, 0xe8);
const QColor kFrame(0x5a, 0x60, 0x68);
const QColor kSwatchFrame(0x40, 0x40, 0x40);
// Between the frame and the digits, left and right.
constexpr int kPadding = 3;

// Paints the widget it belongs to in place of the widget's own painting: a filled rectangle in
// a one-pixel frame, then what the look adds inside.
class PaintedLook : public QObject {
public:
    PaintedLook(QWidget* widget, QColor fillColor, QColor frameColor)
        : QObject(widget), fill(fillColor), widget_(widget), frame_(frameColor) {
        widget->installEventFilter(this);
    }

    QColor fill;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_ || event->type() != QEvent::Paint)
            return false;
        QPainter p(widget_);
        const QRect r = widget_->rect();
        p.fillRect(r, fill);
        p.setPen(frame_);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        paintInside(p, r.adjusted(1, 1, -1, -1));
        return true;
    }

protected:
    virtual void paintInside(QPainter&, const QRect&) {}

private:
    QWidget* widget_;
    QColor frame_;
};

class ValueFieldLook : public PaintedLook {
public:
    explicit ValueFieldLook(QLabel* field) : PaintedLook(field, kBackground, kFrame), field_(field) {}

protected:
    void paintInside(QPainter& p, const QRect& inside) override {
        p.setPen(field_->isEnabled() ? kDigits : kFrame);
        p.setFont(field_->font());
        // A framed label keeps half an x clear on the side its text is aligned to.
        QRect text = inside.adjusted(kPadding, 0, -kPadding, 0);
        const int indent = field_->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
        const Qt::Alignment align = field_->alignment();
        if (align & Qt::AlignLeft)
            text.setLeft(text.left() + indent);
        if (align & Qt::AlignRight)
            text.setRight(text.right() - indent);
        if (align & Qt::AlignTop)
            text.setTop(text.top() + indent);
        if (align & Qt::AlignBottom)
            text.setBottom(text.bottom() - indent);
        p.drawText(text, int(align), field_->text());
    }

private:
    QLabel* field_;
};

} // namespace

void showSwatchColor(QWidget* swatch, const QColor& color) {
    PaintedLook* look = nullptr;
    for (QObject* child : swatch->children())
        if (auto* found = dynamic_cast<PaintedLook*>(child))
            look = found;
    if (!look)
        look = new PaintedLook(swatch, color, kSwatchFrame);
    look->fill = color;
    swatch->update();
}

void styleValueField(QLabel* field) {
    new ValueFieldLook(field);
}

} // namespace vk350
