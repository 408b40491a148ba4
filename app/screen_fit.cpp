#include "screen_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace vk350 {

namespace {

// Distance between two rectangles, 0 when they touch or overlap.
long long Gap(const QRect& a, const QRect& b) {
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

// One axis: the least shift that puts [start, start + size) inside [low, low + room).
int Shift(int start, int size, int low, int room) {
    if (size >= room)
        return low - start;
    if (start < low)
        return low - start;
    if (start + size > low + room)
        return low + room - (start + size);
    return 0;
}

class ShowWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            KeepOnScreen(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

QPoint FitFrameOnScreens(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return frame.topLeft();
    for (const QRect& s : screens)
        if (s.contains(frame))
            return frame.topLeft();
    const QRect* best = nullptr;
    long long bestArea = 0;
    long long bestGap = std::numeric_limits<long long>::max();
    for (const QRect& s : screens) {
        const QRect common = s.intersected(frame);
        const long long area = common.isEmpty() ? 0 : (long long)common.width() * common.height();
        const long long gap = Gap(frame, s);
        if (area > bestArea || (bestArea == 0 && area == 0 && gap < bestGap)) {
            best = &s;
            bestArea = area;
            bestGap = gap;
        }
    }
    return frame.topLeft() + QPoint(Shift(frame.left(), frame.width(), best->left(), best->width()),
                                    Shift(frame.top(), frame.height(), best->top(), best->height()));
}

void KeepOnScreen(QWidget* window) {
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas << s->availableGeometry();
    // Before the first show the frame is not known yet; the window's own rectangle stands for it.
    const QRect frame = window->frameGeometry();
    const QPoint place = FitFrameOnScreens(frame, areas);
    if (place != frame.topLeft())
        window->move(place);
}

void KeepOnScreenWhenShown(QWidget* window) {
    KeepOnScreen(window);
    window->installEventFilter(new ShowWatcher(window));
}

} // namespace vk350
