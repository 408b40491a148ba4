#include "value_field.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

namespace vk350 {

ValueField::ValueField(QWidget* parent) : QLabel(parent) {
    setText(QStringLiteral("0"));
    resize(30, 30);
    // A right click is a step up, never a context menu of the parent.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void ValueField::SetState(int value) {
    if (value == state_)
        return;
    Show(value, true);
}

int ValueField::Coordinate(const QMouseEvent* event) const {
    const QPoint p = event->position().toPoint();
    return mouvement_ == posVertical ? p.y() : p.x();
}

// Travel of CursorRange pixels spans the whole range; up (or left) raises the value.
int ValueField::ValueFromDrag(int c) const {
    const int64_t range = int64_t(max_) - min_;
    if (cursorRange_ == 0 || range == 0)
        return state_;
    const int64_t v = (int64_t(anchor_) - c) * range / cursorRange_;
    return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Stores the value limited to Max (and to Min when asked) and shows it as the caption.
void ValueField::Show(int64_t value, bool lowerLimit) {
    if (value > max_)
        value = max_;
    if (lowerLimit && value < min_)
        value = min_;
    state_ = int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    setText(QString::number(state_));
    update();
}

// Every release clears the mouse state, the last button included: a click of the other button
// inside a held one is then a plain click, not a chord.
void ValueField::ResetMouse() {
    anchor_ = 0;
    dragging_ = false;
    moved_ = false;
    lastButton_ = Qt::NoButton;
}

void ValueField::Fire() {
    if (OnChange)
        OnChange(*this);
}

void ValueField::mousePressEvent(QMouseEvent* event) {
    swallowRelease_ = Qt::NoButton;
    beforeClick_ = state_;
    if (event->button() == Qt::LeftButton) {
        const int64_t range = int64_t(max_) - min_;
        const int64_t offset = range == 0 ? 0 : int64_t(state_) * cursorRange_ / range;
        anchor_ = int(std::clamp<int64_t>(Coordinate(event) + offset, INT32_MIN, INT32_MAX));
        dragging_ = true;
        lastButton_ = Qt::LeftButton;
    } else if (event->button() == Qt::RightButton) {
        lastButton_ = Qt::RightButton;
    }
    event->accept();
}

void ValueField::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (dragging_) {
        Show(ValueFromDrag(Coordinate(event)), true);
        moved_ = true;
        if (alwayDetect_)
            Fire();
    }
    update();
}

void ValueField::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const Qt::MouseButton button = event->button();
    if (button == swallowRelease_) {
        swallowRelease_ = Qt::NoButton;
        ResetMouse();
        return;
    }
    const int64_t step = (event->modifiers() & Qt::ShiftModifier) ? max_ / 10 : 1;
    if (button == Qt::LeftButton) {
        const bool chord = !moved_ && lastButton_ == Qt::RightButton;
        if (moved_)
            Show(ValueFromDrag(Coordinate(event)), true);
        else if (chord)
            Show(min_, true);
        else
            Show(int64_t(state_) - step, true);
        if (chord && (event->buttons() & Qt::RightButton))
            swallowRelease_ = Qt::RightButton;
        Fire();
    } else if (button == Qt::RightButton) {
        const bool chord = lastButton_ == Qt::LeftButton;
        if (chord)
            Show(max_, false);
        else
            Show(int64_t(state_) + step, false);
        if (chord && (event->buttons() & Qt::LeftButton))
            swallowRelease_ = Qt::LeftButton;
        Fire();
    }
    ResetMouse();
}

// The first click of the double click has stepped the value and told the owner; that step is
// taken back, so that typing starts from the value the user saw.
void ValueField::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!typedEntry_ || event->button() != Qt::LeftButton) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    swallowRelease_ = Qt::LeftButton;
    if (state_ != beforeClick_) {
        Show(beforeClick_, true);
        Fire();
    }
    OpenEditor();
}

void ValueField::OpenEditor() {
    if (editor_)
        return;
    editor_ = new QLineEdit(QString::number(state_), this);
    editor_->setGeometry(rect());
    editor_->setAlignment(alignment());
    editor_->selectAll();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::returnPressed, this, [this] { CloseEditor(true); });
    editor_->show();
    editor_->setFocus();
}

// A number outside the limits is brought within them as a drag would; text that is no number
// changes nothing.
void ValueField::CloseEditor(bool apply) {
    if (!editor_)
        return;
    QLineEdit* editor = editor_;
    editor_ = nullptr;
    bool ok = false;
    const qlonglong typed = editor->text().trimmed().toLongLong(&ok);
    editor->removeEventFilter(this);
    editor->deleteLater();
    editor->hide();
    if (apply && ok) {
        Show(std::clamp<qlonglong>(typed, INT32_MIN, INT32_MAX), true);
        Fire();
    }
}

bool ValueField::eventFilter(QObject* watched, QEvent* event) {
    if (editor_ && watched == editor_) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            CloseEditor(false);
            return true;
        }
        if (event->type() == QEvent::FocusOut)
            CloseEditor(false);
    }
    return QLabel::eventFilter(watched, event);
}

} // namespace vk350
