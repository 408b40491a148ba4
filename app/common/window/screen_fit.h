// Keeps windows on a screen, frame included: a stored or built-in place that puts a window's frame
// (title bar and borders) partly off every screen moves it just enough to lie on the nearest one,
// and a window larger than that screen is made to fit. On a first run, a window opens where it
// and the windows already open cover as little of each other's title bars as the screen allows.
#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vk350 {

// Where the frame goes: unchanged when it lies whole on one of the screens' available areas;
// otherwise the least move that puts it on the screen it overlaps most (or, overlapping none, the
// nearest). A frame larger than that screen is cut to its size, but not below least; one still
// larger keeps its top-left corner on the screen. No screens: unchanged.
QRect fitFrameOnScreens(const QRect& frame, const QList<QRect>& screens, const QSize& least = QSize());

// A corner and a size read from the settings, brought within the screens' available areas before
// any arithmetic is done with them (a stored 2147483647 would overflow the first sum): the corner
// inside the rectangle that bounds the areas, the size no larger than it. fitFrameOnScreens then
// finds the exact place. No screens: within a range that leaves room for any sum of a window.
QPoint clampStoredCorner(int x, int y, const QList<QRect>& screens);
QSize clampStoredSize(int width, int height, const QList<QRect>& screens);

// A shown window as placement sees it: its frame and the height of the title bar at its top.
struct OpenWindow {
    QRect frame;
    int titleHeight = 0;
};

// Where a window opening among the open ones goes, inside the area: the place where the fewest
// title bar pixels are covered, its own by their frames and theirs by its frame; among equals,
// the one nearest to its own place. Places are tried against each open window's edges and the
// area's; a frame larger than the area stays where it is.
QPoint placeAmongOpenWindows(const QRect& frame, int titleHeight, const QList<OpenWindow>& open,
                             const QRect& area);

// The title bar and borders between a window's frame and its inside; none when the two cannot be
// a frame around an inside, as while the window system is still mapping the window.
QMargins frameMargins(const QRect& frame, const QRect& inner);

// The title bar and borders around a window: its own once the window system has told them, else
// those of another shown window of the program, else a common desktop's.
QMargins frameMarginsOf(const QWidget* window);

// Moves (and if need be shrinks) a top-level window by fitFrameOnScreens, against the screens'
// available areas, with its frame counted.
void keepOnScreen(QWidget* window);

// move and resize with values read from the settings, clamped against the screens' available
// areas by clampStoredCorner and clampStoredSize.
void moveToStoredCorner(QWidget* window, int x, int y);
void resizeToStoredSize(QWidget* window, int width, int height);

// Runs keepOnScreen now, again whenever the window is shown and once more when the window system
// first tells its frame. With firstRun, the window's first showing also places it among the
// program's windows already shown by placeAmongOpenWindows.
void keepOnScreenWhenShown(QWidget* window, bool firstRun = false);

} // namespace vk350
