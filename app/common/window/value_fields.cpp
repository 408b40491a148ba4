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

// Paints the label it is installed on in place of the label's own painting.
class ValueFieldLook : public QObject {
public:
    explicit ValueFieldLook(QLabel* field) : QObject(field), field_(field) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != field_ || event->type() != QEvent::Paint)
            return false;
        QPainter p(field_);
        const QRect r = field_->rect();
        p.fillRect(r, kBackground);
        p.setPen(kFrame);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(field_->isEnabled() ? kDigits : kFrame);
        p.setFont(field_->font());
        // A framed label keeps half an x clear on the side its text is aligned to.
        QRect text = r.adjusted(1 + kPadding, 1, -1 - kPadding, -1);
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
        return true;
    }

private:
    QLabel* field_;
};

// Paints the button it is installed on as a patch of its colour.
class SwatchLook : public QObject {
public:
    explicit SwatchLook(QWidget* swatch) : QObject(swatch), swatch_(swatch) {}

    QColor color;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != swatch_ || event->type() != QEvent::Paint)
            return false;
        QPainter p(swatch_);
        const QRect r = swatch_->rect();
        p.fillRect(r, color);
        p.setPen(kSwatchFrame);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        return true;
    }

private:
    QWidget* swatch_;
};

} // namespace

void showSwatchColor(QWidget* swatch, const QColor& color) {
    SwatchLook* look = nullptr;
    for (QObject* child : swatch->children())
        if (auto* found = dynamic_cast<SwatchLook*>(child))
            look = found;
    if (!look) {
        look = new SwatchLook(swatch);
        swatch->installEventFilter(look);
    }
    look->color = color;
    swatch->update();
}

void styleValueField(QLabel* field) {
    field->installEventFilter(new ValueFieldLook(field));
}

} // namespace vk350
