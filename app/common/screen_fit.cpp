#include "screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace vk350 {

namespace {

// A title bar and borders as most desktops draw them, for a window whose frame nobody knows yet.
constexpr QMargins kCommonFrame(4, 32, 4, 4);

// With no screen to go by, stored values stay within this, far from overflowing any sum.
constexpr QRect kNoScreenBounds(-16384, -16384, 32768, 32768);

QRect Bounds(const QList<QRect>& screens) {
    QRect box;
    for (const QRect& s : screens)
        box = box.united(s);
    return box.isEmpty() ? kNoScreenBounds : box;
}

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

QMargins KnownMargins(const QWidget* w) {
    return FrameMargins(w->frameGeometry(), w->geometry());
}

bool FrameKnown(const QWidget* w) {
    return !KnownMargins(w).isNull();
}

bool IsShownWindow(const QWidget* w) {
    return w->isVisible() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog);
}

QList<QRect> AvailableAreas() {
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return areas;
}

// The window's frame with its top-left corner at place, fitted on the screens.
QRect FittedFrame(const QWidget* window, const QPoint& place) {
    const QMargins m = FrameMarginsOf(window);
    const QRect frame(place, window->size().grownBy(m));
    return FitFrameOnScreens(frame, AvailableAreas(), window->minimumSize().grownBy(m));
}

// Moves the window's frame to the fitted place, cutting the window to the screen if need be.
void FitFrom(QWidget* window, const QPoint& place) {
    const QRect fitted = FittedFrame(window, place);
    const QSize inner = fitted.size().shrunkBy(FrameMarginsOf(window));
    if (inner != window->size() && !inner.isEmpty())
        window->resize(inner);
    if (fitted.topLeft() != window->pos())
        window->move(fitted.topLeft());
}

// The fitted place of the window, placed among the program's shown windows.
QPoint PlaceAmongShownWindows(const QWidget* window, const QPoint& place) {
    QList<OpenWindow> open;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || !IsShownWindow(w))
            continue;
        const QMargins m = FrameMarginsOf(w);
        open << OpenWindow{QRect(w->frameGeometry().topLeft(), w->size().grownBy(m)), m.top()};
    }
    const QRect fitted = FittedFrame(window, place);
    const QScreen* screen = QGuiApplication::screenAt(fitted.center());
    if (!screen)
        return fitted.topLeft();
    return PlaceAmongOpenWindows(fitted, FrameMarginsOf(window).top(), open, screen->availableGeometry());
}

// Fits the window each time it shows. Its first showing starts from the place it was given (stored
// or built in) rather than wherever the window system put it meanwhile, and is fitted again once
// the window system tells the frame, which some tell only after the window appeared.
class ScreenKeeper : public QObject {
public:
    ScreenKeeper(QWidget* window, bool firstRun)
        : QObject(window), window_(window), wanted_(window->pos()), firstRun_(firstRun) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            if (shown_) {
                KeepOnScreen(window_);
                break;
            }
            shown_ = true;
            if (firstRun_)
                wanted_ = PlaceAmongShownWindows(window_, wanted_);
            FitFrom(window_, wanted_);
            frameKnown_ = FrameKnown(window_);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::Paint:
            if (shown_ && !frameKnown_ && FrameKnown(window_)) {
                frameKnown_ = true;
                FitFrom(window_, wanted_);
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* window_;
    QPoint wanted_;
    bool firstRun_;
    bool shown_ = false;
    bool frameKnown_ = false;
};

} // namespace

QRect FitFrameOnScreens(const QRect& frame, const QList<QRect>& screens, const QSize& least) {
    if (screens.isEmpty())
        return frame;
    for (const QRect& s : screens)
        if (s.contains(frame))
            return frame;
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
    const QSize size(std::min(frame.width(), std::max(best->width(), least.width())),
                     std::min(frame.height(), std::max(best->height(), least.height())));
    return QRect(frame.topLeft() + QPoint(Shift(frame.left(), size.width(), best->left(), best->width()),
                                          Shift(frame.top(), size.height(), best->top(), best->height())),
                 size);
}

QPoint ClampStoredCorner(int x, int y, const QList<QRect>& screens) {
    const QRect box = Bounds(screens);
    return QPoint(std::clamp(x, box.left(), box.right()), std::clamp(y, box.top(), box.bottom()));
}

QSize ClampStoredSize(int width, int height, const QList<QRect>& screens) {
    const QRect box = Bounds(screens);
    return QSize(std::clamp(width, 0, box.width()), std::clamp(height, 0, box.height()));
}

QPoint PlaceAmongOpenWindows(const QRect& frame, int titleHeight, const QList<OpenWindow>& open,
                             const QRect& area) {
    const auto titleOf = [](const QRect& f, int height) {
        return QRect(f.topLeft(), QSize(f.width(), height));
    };
    const auto covered = [](const QRect& a, const QRect& b) {
        const QRect common = a.intersected(b);
        return common.isEmpty() ? 0LL : (long long)common.width() * common.height();
    };
    const auto cost = [&](const QRect& r) {
        long long pixels = 0;
        for (const OpenWindow& w : open)
            pixels += covered(titleOf(w.frame, w.titleHeight), r) + covered(titleOf(r, titleHeight), w.frame);
        return pixels;
    };
    QList<int> xs = {frame.left(), area.left(), area.right() + 1 - frame.width()};
    QList<int> ys = {frame.top(), area.top(), area.bottom() + 1 - frame.height()};
    for (const OpenWindow& w : open) {
        xs << w.frame.left() - frame.width() << w.frame.right() + 1;
        ys << w.frame.top() - frame.height() << w.frame.bottom() + 1 << w.frame.top() + w.titleHeight;
    }
    QPoint best = frame.topLeft();
    long long bestCost = std::numeric_limits<long long>::max();
    long long bestDistance = 0;
    for (const int x : xs)
        for (const int y : ys) {
            const QRect r(QPoint(x, y), frame.size());
            if (!area.contains(r))
                continue;
            const long long c = cost(r);
            const long long dx = x - frame.left(), dy = y - frame.top();
            const long long distance = dx * dx + dy * dy;
            if (c < bestCost || (c == bestCost && distance < bestDistance)) {
                best = r.topLeft();
                bestCost = c;
                bestDistance = distance;
            }
        }
    return best;
}

QMargins FrameMargins(const QRect& frame, const QRect& inner) {
    constexpr int kWidest = 200;
    const QMargins m(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                     frame.bottom() - inner.bottom());
    for (const int side : {m.left(), m.top(), m.right(), m.bottom()})
        if (side < 0 || side > kWidest)
            return QMargins();
    return m;
}

QMargins FrameMarginsOf(const QWidget* window) {
    if (FrameKnown(window))
        return KnownMargins(window);
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != window && IsShownWindow(w) && FrameKnown(w))
            return KnownMargins(w);
    return kCommonFrame;
}

void KeepOnScreen(QWidget* window) {
    FitFrom(window, window->pos());
}

void MoveToStoredCorner(QWidget* window, int x, int y) {
    window->move(ClampStoredCorner(x, y, AvailableAreas()));
}

void ResizeToStoredSize(QWidget* window, int width, int height) {
    window->resize(ClampStoredSize(width, height, AvailableAreas()));
}

void KeepOnScreenWhenShown(QWidget* window, bool firstRun) {
    // The keeper takes the place as given, before it is fitted with a frame only guessed at.
    window->installEventFilter(new ScreenKeeper(window, firstRun));
    KeepOnScreen(window);
}

} // namespace vk350
