// ValueField: a text label that works like a knob. It shows an integer value as its caption;
// dragging sets the value from the distance moved, a left click steps down, a right click up.
// Window thread only.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <cstdint>
#include <functional>

namespace vk350 {

enum tOrientation { posVertical, posHorizontal };

class ValueField : public QLabel {
public:
    explicit ValueField(QWidget* parent = nullptr);

    // Setting the value from code clamps it and never fires OnChange, so owners can update
    // knobs from their handlers without feedback loops.
    int State() const { return state_; }
    void SetState(int value);

    // Limits and mouse settings only store: the current value is not re-limited.
    int Min() const { return min_; }
    void SetMin(int value) { min_ = value; }
    int Max() const { return max_; }
    void SetMax(int value) { max_ = value; }
    int CursorRange() const { return cursorRange_; }
    void SetCursorRange(int value) { cursorRange_ = value; }
    bool AlwayDetect() const { return alwayDetect_; }
    void SetAlwayDetect(bool value) { alwayDetect_ = value; }
    tOrientation Mouvement() const { return mouvement_; }
    void SetMouvement(tOrientation value) { mouvement_ = value; }

    // The caption is the display; owners may decorate it after a change ("16Ko").
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

    // Fired after a change made with the mouse or typed.
    std::function<void(ValueField&)> OnChange;

    // With typing on, a double click opens an editor over the value instead of stepping twice:
    // Enter applies the typed number within the knob's limits, Escape or leaving it changes
    // nothing. Off by default.
    bool TypedEntry() const { return typedEntry_; }
    void SetTypedEntry(bool value) { typedEntry_ = value; }
    // The open editor, if any.
    QLineEdit* Editor() const { return editor_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Coordinate(const QMouseEvent* event) const;
    int ValueFromDrag(int c) const;
    void Show(int64_t value, bool lowerLimit);
    void ResetMouse();
    void Fire();
    void OpenEditor();
    void CloseEditor(bool apply);

    int state_ = 0;
    int min_ = 0;
    int max_ = 100;
    int cursorRange_ = 15;
    bool alwayDetect_ = true;
    tOrientation mouvement_ = posVertical;

    bool dragging_ = false;
    bool moved_ = false;
    int anchor_ = 0;
    Qt::MouseButton lastButton_ = Qt::NoButton;
    // A chord (one button held while the other clicks) sets Min or Max on the first release;
    // the release of the button still held must not step the value away from it again.
    Qt::MouseButton swallowRelease_ = Qt::NoButton;

    bool typedEntry_ = false;
    // The value before the last click, which the first click of a double click steps away from.
    int beforeClick_ = 0;
    QPointer<QLineEdit> editor_;
};

} // namespace vk350
