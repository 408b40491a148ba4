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

QRect boundsOf(const QList<QRect>& screens) {
    QRect box;
    for (const QRect& s : screens)
        box = box.united(s);
    return box.isEmpty() ? kNoScreenBounds : box;
}

// Distance between two rectangles, 0 when they touch or overlap.
long long gapBetween(const QRect& a, const QRect& b) {
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

// One axis: the least shift that puts [start, start + size) inside [low, low + room).
int shiftInto(int start, int size, int low, int room) {
    if (size >= room)
        return low - start;
    if (start < low)
        return low - start;
    if (start + size > low + room)
        return low + room - (start + size);
    return 0;
}

QMargins knownMargins(const QWidget* w) {
    return frameMargins(w->frameGeometry(), w->geometry());
}

bool isFrameKnown(const QWidget* w) {
    return !knownMargins(w).isNull();
}

bool isShownWindow(const QWidget* w) {
    return w->isVisible() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog);
}

QList<QRect> availableAreas() {
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return areas;
}

// The window's frame with its top-left corner at place, fitted on the screens.
QRect fittedFrame(const QWidget* window, const QPoint& place) {
    const QMargins m = frameMarginsOf(window);
    const QRect frame(place, window->size().grownBy(m));
    return fitFrameOnScreens(frame, availableAreas(), window->minimumSize().grownBy(m));
}

// Moves the window's frame to the fitted place, cutting the window to the screen if need be.
void fitFrom(QWidget* window, const QPoint& place) {
    const QRect fitted = fittedFrame(window, place);
    const QSize inner = fitted.size().shrunkBy(frameMarginsOf(window));
    if (inner != window->size() && !inner.isEmpty())
        window->resize(inner);
    if (fitted.topLeft() != window->pos())
        window->move(fitted.topLeft());
}

// The fitted place of the window, placed among the program's shown windows.
QPoint placeAmongShownWindows(const QWidget* window, const QPoint& place) {
    QList<OpenWindow> open;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || !isShownWindow(w))
            continue;
        const QMargins m = frameMarginsOf(w);
        open << OpenWindow{QRect(w->frameGeometry().topLeft(), w->size().grownBy(m)), m.top()};
    }
    const QRect fitted = fittedFrame(window, place);
    const QScreen* screen = QGuiApplication::screenAt(fitted.center());
    if (!screen)
        return fitted.topLeft();
    return placeAmongOpenWindows(fitted, frameMarginsOf(window).top(), open, screen->availableGeometry());
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
                keepOnScreen(window_);
                break;
            }
            shown_ = true;
            if (firstRun_)
                wanted_ = placeAmongShownWindows(window_, wanted_);
            fitFrom(window_, wanted_);
            frameKnown_ = isFrameKnown(window_);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::Paint:
            if (shown_ && !frameKnown_ && isFrameKnown(window_)) {
                frameKnown_ = true;
                fitFrom(window_, wanted_);
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

QRect fitFrameOnScreens(const QRect& frame, const QList<QRect>& screens, const QSize& least) {
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
        const long long gap = gapBetween(frame, s);
        if (area > bestArea || (bestArea == 0 && area == 0 && gap < bestGap)) {
            best = &s;
            bestArea = area;
            bestGap = gap;
        }
    }
    const QSize size(std::min(frame.width(), std::max(best->width(), least.width())),
                     std::min(frame.height(), std::max(best->height(), least.height())));
    return QRect(frame.topLeft() + QPoint(shiftInto(frame.left(), size.width(), best->left(), best->width()),
                                          shiftInto(frame.top(), size.height(), best->top(), best->height())),
                 size);
}

QPoint clampStoredCorner(int x, int y, const QList<QRect>& screens) {
    const QRect box = boundsOf(screens);
    return QPoint(std::clamp(x, box.left(), box.right()), std::clamp(y, box.top(), box.bottom()));
}

QSize clampStoredSize(int width, int height, const QList<QRect>& screens) {
    const QRect box = boundsOf(screens);
    return QSize(std::clamp(width, 0, box.width()), std::clamp(height, 0, box.height()));
}

QPoint placeAmongOpenWindows(const QRect& frame, int titleHeight, const QList<OpenWindow>& open,
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

QMargins frameMargins(const QRect& frame, const QRect& inner) {
    constexpr int kWidest = 200;
    const QMargins m(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                     frame.bottom() - inner.bottom());
    for (const int side : {m.left(), m.top(), m.right(), m.bottom()})
        if (side < 0 || side > kWidest)
            return QMargins();
    return m;
}

QMargins frameMarginsOf(const QWidget* window) {
    if (isFrameKnown(window))
        return knownMargins(window);
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != window && isShownWindow(w) && isFrameKnown(w))
            return knownMargins(w);
    return kCommonFrame;
}

void keepOnScreen(QWidget* window) {
    fitFrom(window, window->pos());
}

void moveToStoredCorner(QWidget* window, int x, int y) {
    window->move(clampStoredCorner(x, y, availableAreas()));
}

void resizeToStoredSize(QWidget* window, int width, int height) {
    window->resize(clampStoredSize(width, height, availableAreas()));
}

void keepOnScreenWhenShown(QWidget* window, bool firstRun) {
    // The keeper takes the place as given, before it is fitted with a frame only guessed at.
    window->installEventFilter(new ScreenKeeper(window, firstRun));
    keepOnScreen(window);
}

} // namespace vk350
