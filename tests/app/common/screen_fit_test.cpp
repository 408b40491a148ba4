// Windows on the screen: frames larger than the screen cut to it, a frame the window system has
// not told yet counted all the same, and first-run places among the windows already open.
#include "screen_fit.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>
#include <limits>

using namespace vk350;

namespace {

// Title bar pixels of a that b's frame covers.
long long Covered(const OpenWindow& a, const OpenWindow& b) {
    const QRect common = QRect(a.frame.topLeft(), QSize(a.frame.width(), a.titleHeight)).intersected(b.frame);
    return common.isEmpty() ? 0 : (long long)common.width() * common.height();
}

} // namespace

TEST(ScreenFit, AFrameLargerThanItsScreenIsCutToItButNotBelowItsLeast) {
    const QList<QRect> one = {QRect(0, 0, 1366, 740)};
    const struct {
        const char* what;
        QRect frame;
        QSize least;
        QRect fitted;
    } cases[] = {
        {"fits: stays", QRect(100, 50, 1138, 680), QSize(), QRect(100, 50, 1138, 680)},
        {"too tall", QRect(100, 50, 1138, 1000), QSize(870, 200), QRect(100, 0, 1138, 740)},
        {"too wide and tall", QRect(-30, 20, 1600, 900), QSize(), QRect(0, 0, 1366, 740)},
        {"least wider than the screen", QRect(-30, 20, 1600, 900), QSize(1500, 100), QRect(0, 0, 1500, 740)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitFrameOnScreens(c.frame, one, c.least), c.fitted) << c.what;
}

// Stored corners and sizes are brought within the box around the screens before any sum: a
// corner at the integer limits lands on its edge, a size no larger than the box.
TEST(ScreenFit, StoredPlacesAreClampedToTheBoxAroundTheScreens) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const QList<QRect> two = {QRect(0, 24, 1920, 1056), QRect(1920, -200, 1280, 1024)};
    const struct {
        const char* what;
        QList<QRect> screens;
        QPoint corner, clamped;
        QSize size, cut;
    } cases[] = {
        {"inside stays", two, QPoint(100, 50), QPoint(100, 50), QSize(800, 600), QSize(800, 600)},
        {"at the upper limits", two, QPoint(kMax, kMax), QPoint(3199, 1079), QSize(kMax, kMax),
         QSize(3200, 1280)},
        {"at the lower limits", two, QPoint(kMin, kMin), QPoint(0, -200), QSize(kMin, -1), QSize(0, 0)},
        {"no screens", {}, QPoint(kMax, kMin), QPoint(16383, -16384), QSize(100000, 5), QSize(32768, 5)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(clampStoredCorner(c.corner.x(), c.corner.y(), c.screens), c.clamped) << c.what;
        EXPECT_EQ(clampStoredSize(c.size.width(), c.size.height(), c.screens), c.cut) << c.what;
    }
}

TEST(ScreenFit, FrameMarginsOnlyWhereTheRectanglesCanBeAFrameAroundAnInside) {
    const struct {
        QRect frame, inner;
        QMargins margins;
    } cases[] = {
        {QRect(222, 0, 1138, 676), QRect(223, 20, 1136, 651), QMargins(1, 20, 1, 5)},
        {QRect(10, 10, 300, 200), QRect(10, 10, 300, 200), QMargins()},      // no frame (yet)
        {QRect(582, 842, 422, 285), QRect(600, 850, 1124, 288), QMargins()}, // half way through a mapping
        {QRect(0, 0, 1920, 1080), QRect(600, 850, 422, 285), QMargins()},    // no frame is that wide
        {QRect(100, 100, 400, 300), QRect(90, 120, 400, 270), QMargins()},   // inside sticking out
    };
    for (const auto& c : cases)
        EXPECT_EQ(frameMargins(c.frame, c.inner), c.margins) << c.frame.x() << "," << c.inner.x();
}

// Before the window system tells a window's frame (some tell it only once the window is up), the
// frame of another shown window stands for it, or a common desktop's: a window that fits only
// without its frame still comes up whole.
TEST(ScreenFit, AFrameNotToldYetIsCountedAllTheSame) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.height(), 1080);
    QWidget window;
    window.resize(1136, 1040);
    window.move(0, 20); // the inside alone would end at the foot of the screen
    keepOnScreen(&window);
    const QMargins guess = frameMarginsOf(&window);
    EXPECT_GE(guess.top(), 20) << "a title bar is counted";
    EXPECT_EQ(window.y() + guess.top() + 1040 + guess.bottom(), area.bottom() + 1) << "moved up just enough";

    QWidget other;
    other.show();
    const QMargins told(other.geometry().left() - other.frameGeometry().left(),
                        other.geometry().top() - other.frameGeometry().top(),
                        other.frameGeometry().right() - other.geometry().right(),
                        other.frameGeometry().bottom() - other.geometry().bottom());
    ASSERT_FALSE(told.isNull()) << "the offscreen platform draws a frame";
    EXPECT_EQ(frameMarginsOf(&window), told) << "a shown window's frame stands for one not told";
}

// Windows opened one after the other on a first run, at their built-in places. No window covers
// the title bar of one opened before it. At 1920 x 1080 none covers any other's either; at
// 1366 x 768, where four cannot all be clear, the main window's title bar stays whole and the bank
// and patterns windows keep a good stretch of theirs in view, whichever window is on top.
TEST(ScreenFit, FirstRunWindowsCoverAsLittleOfEachOthersTitleBarsAsTheScreenAllows) {
    struct Built {
        QPoint place;
        QSize frame;
    };
    const Built windows[] = {
        {{675, 0}, {1138, 676}},   // main, at the top of the screen on a first run
        {{104, 842}, {1124, 288}}, // bank
        {{582, 842}, {422, 285}},  // patterns
        {{7, 818}, {442, 365}},    // options
    };
    constexpr int kTitle = 20;
    for (const QRect area : {QRect(0, 0, 1920, 1080), QRect(0, 0, 1366, 768)}) {
        SCOPED_TRACE(area.width());
        QList<OpenWindow> open;
        for (const Built& w : windows) {
            const QRect fitted = fitFrameOnScreens(QRect(w.place, w.frame), {area});
            const QPoint place = placeAmongOpenWindows(fitted, kTitle, open, area);
            open << OpenWindow{QRect(place, w.frame), kTitle};
            EXPECT_TRUE(area.contains(open.back().frame)) << open.size();
        }
        for (int a = 0; a < open.size(); ++a) {
            long long hidden = 0;
            for (int b = 0; b < open.size(); ++b) {
                if (b > a) {
                    EXPECT_EQ(Covered(open[a], open[b]), 0) << "window " << b << " over " << a;
                }
                if (b != a)
                    hidden += Covered(open[a], open[b]);
            }
            const long long whole = (long long)open[a].frame.width() * kTitle;
            if (area.width() == 1920 || a == 0) {
                EXPECT_EQ(hidden, 0) << "window " << a;
            } else if (a < 3) {
                EXPECT_GE(whole - hidden, 200LL * kTitle) << "window " << a;
            }
        }
    }
}

// A shown dialog counts among the open windows on a first run: a window opening after it, at the
// same built-in place, keeps clear of its title bar.
TEST(ScreenFit, AFirstRunWindowKeepsClearOfAShownDialog) {
    QDialog dialog;
    dialog.resize(400, 200);
    dialog.move(100, 100);
    dialog.show();
    const QRect frame = dialog.frameGeometry();
    const QRect title(frame.topLeft(), QSize(frame.width(), dialog.geometry().top() - frame.top()));
    ASSERT_GT(title.height(), 0) << "the offscreen platform draws a frame";
    QWidget window;
    window.resize(400, 200);
    window.move(100, 100);
    keepOnScreenWhenShown(&window, true);
    window.show();
    EXPECT_FALSE(window.frameGeometry().intersects(title))
        << window.frameGeometry().x() << "," << window.frameGeometry().y();
}
