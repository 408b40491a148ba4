// Keeps windows on a screen: a stored or built-in position that puts a window's frame partly off
// every screen moves it just enough to lie on the nearest one.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

class QWidget;

namespace vk350 {

// Where the frame's top-left corner goes: unchanged when the frame lies whole on one of the
// screens' available areas; otherwise the least move that puts it on the screen it overlaps most
// (or, overlapping none, the nearest). A frame larger than that screen keeps its top-left corner
// on it. No screens: unchanged.
QPoint FitFrameOnScreens(const QRect& frame, const QList<QRect>& screens);

// Moves a top-level window by that rule, against the screens' available areas.
void KeepOnScreen(QWidget* window);

// Runs KeepOnScreen now and again when the window is shown, once the frame's size is known.
void KeepOnScreenWhenShown(QWidget* window);

} // namespace vk350
