// The knob's mouse algorithm: clicks, Shift steps, drags in both orientations, the chords,
// and the rule that changes made from code never fire OnChange.
#include "value_field.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace vk350;

namespace {

// Sends one mouse event with an explicit button state, as a real pointer would.
void Send(ValueField& knob, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(pos), QPointF(knob.mapToGlobal(pos)), button, held, mods);
    QApplication::sendEvent(&knob, &event);
}

void Click(ValueField& knob, Qt::MouseButton button, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPoint p(10, 10);
    Send(knob, QEvent::MouseButtonPress, p, button, button, mods);
    Send(knob, QEvent::MouseButtonRelease, p, button, Qt::NoButton, mods);
}

struct Knob {
    ValueField knob;
    std::vector<int> fired;
    Knob(int min, int max, int cursorRange, int state) {
        knob.SetMin(min);
        knob.SetMax(max);
        knob.SetCursorRange(cursorRange);
        knob.SetState(state);
        knob.OnChange = [this](ValueField& k) { fired.push_back(k.State()); };
    }
};

} // namespace

TEST(Potlab, ConstructionValues) {
    ValueField knob;
    EXPECT_EQ(knob.State(), 0);
    EXPECT_EQ(knob.Min(), 0);
    EXPECT_EQ(knob.Max(), 100);
    EXPECT_EQ(knob.CursorRange(), 15);
    EXPECT_TRUE(knob.AlwayDetect());
    EXPECT_EQ(knob.Mouvement(), posVertical);
    EXPECT_EQ(knob.Caption(), "0");
    EXPECT_EQ(knob.size(), QSize(30, 30));
}

TEST(Potlab, ZoomKnobClicksAndShiftStep) {
    Knob z(1, 1000, 256, 1);
    Click(z.knob, Qt::LeftButton);
    EXPECT_EQ(z.knob.State(), 1) << "a left click at Min stays at Min";
    Click(z.knob, Qt::RightButton);
    EXPECT_EQ(z.knob.State(), 2);
    Click(z.knob, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(z.knob.State(), 102) << "Shift steps by Max div 10";
    Click(z.knob, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(z.knob.State(), 2);
    EXPECT_EQ(z.knob.Caption(), "2");
    EXPECT_EQ(z.fired, (std::vector<int>{1, 2, 102, 2}))
        << "every mouse release fires, even without a change";

    z.knob.SetState(995);
    Click(z.knob, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(z.knob.State(), 1000) << "a step up stops at Max";
}

TEST(Potlab, VerticalDragSpansRangeOverCursorRange) {
    Knob loc(0, 500000, 150, 0);
    const QPoint start(10, 200);
    Send(loc.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Send(loc.knob, QEvent::MouseMove, start - QPoint(0, 75), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(loc.knob.State(), 250000);
    EXPECT_EQ(loc.knob.Caption(), "250000");
    Send(loc.knob, QEvent::MouseMove, start - QPoint(0, 150), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(loc.knob.State(), 500000);
    Send(loc.knob, QEvent::MouseMove, start - QPoint(0, 400), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(loc.knob.State(), 500000) << "further travel stays at Max";
    Send(loc.knob, QEvent::MouseMove, start + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(loc.knob.State(), 0) << "moving below the start stops at Min";
    Send(loc.knob, QEvent::MouseButtonRelease, start - QPoint(0, 75), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(loc.knob.State(), 250000) << "the release sets the value from the displacement, not a step";
    EXPECT_EQ(loc.fired, (std::vector<int>{250000, 500000, 500000, 0, 250000}));

    // A move without the left button held changes nothing.
    Send(loc.knob, QEvent::MouseMove, start - QPoint(0, 150), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(loc.knob.State(), 250000);

    // A second drag starts from the current value.
    Send(loc.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Send(loc.knob, QEvent::MouseMove, start - QPoint(0, 15), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(loc.knob.State(), 300000);
    Send(loc.knob, QEvent::MouseButtonRelease, start - QPoint(0, 15), Qt::LeftButton, Qt::NoButton);
}

TEST(Potlab, HorizontalKnobDraggedRightDecreases) {
    Knob k(0, 100, 100, 50);
    k.knob.SetMouvement(posHorizontal);
    const QPoint start(40, 10);
    Send(k.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Send(k.knob, QEvent::MouseMove, start + QPoint(0, -60), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(k.knob.State(), 50) << "vertical travel does not drive a horizontal knob";
    Send(k.knob, QEvent::MouseMove, start + QPoint(20, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(k.knob.State(), 30);
    Send(k.knob, QEvent::MouseButtonRelease, start + QPoint(-10, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(k.knob.State(), 60);
}

TEST(Potlab, NegativeRangeDrag) {
    Knob offset(-255, 255, 150, 0);
    const QPoint start(10, 100);
    Send(offset.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Send(offset.knob, QEvent::MouseMove, start + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(offset.knob.State(), -102);
    Send(offset.knob, QEvent::MouseMove, start + QPoint(0, 300), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(offset.knob.State(), -255);
    Send(offset.knob, QEvent::MouseButtonRelease, start + QPoint(0, 300), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(offset.knob.Caption(), "-255");
}

TEST(Potlab, AlwayDetectFalseFiresOnceAtRelease) {
    Knob loc(0, 500000, 150, 0);
    loc.knob.SetAlwayDetect(false);
    const QPoint start(10, 200);
    Send(loc.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    for (int dy = 5; dy <= 75; dy += 5)
        Send(loc.knob, QEvent::MouseMove, start - QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(loc.knob.State(), 250000) << "the value still follows the drag";
    EXPECT_TRUE(loc.fired.empty());
    Send(loc.knob, QEvent::MouseButtonRelease, start - QPoint(0, 75), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(loc.fired, (std::vector<int>{250000}));
}

TEST(Potlab, CodeChangesClampAndNeverFire) {
    Knob val(0, 255, 150, 0);
    val.knob.SetState(5000);
    EXPECT_EQ(val.knob.State(), 255);
    EXPECT_EQ(val.knob.Caption(), "255");
    val.knob.SetState(-7);
    EXPECT_EQ(val.knob.State(), 0);
    EXPECT_EQ(val.knob.Caption(), "0");

    val.knob.SetState(200);
    val.knob.SetMax(100);
    EXPECT_EQ(val.knob.State(), 200) << "lowering Max does not re-limit the value";
    EXPECT_EQ(val.knob.Caption(), "200");
    Click(val.knob, Qt::LeftButton);
    EXPECT_EQ(val.knob.State(), 100) << "the next change applies the new limit";
    EXPECT_EQ(val.fired, (std::vector<int>{100}));

    // An owner's decorated caption stays until the next change.
    val.knob.SetCaption("100Ko");
    val.knob.SetState(100);
    EXPECT_EQ(val.knob.Caption(), "100Ko");
    val.knob.SetState(50);
    EXPECT_EQ(val.knob.Caption(), "50");
}

// Two buttons at once. All mouse state is cleared at every release, so only a chord whose held
// button is released first gives Min (left held) or Max (right held); the release of the other
// button then leaves that value alone. Any other order is two plain clicks.
TEST(Potlab, ChordsAndOverlappingClicks) {
    const Qt::MouseButton L = Qt::LeftButton, R = Qt::RightButton;
    struct Case {
        const char* name;
        Qt::MouseButton first, second, firstUp;
        int afterFirstUp, afterSecondUp;
    };
    const Case cases[] = {
        {"left held, right clicked inside", L, R, R, 46, 45},
        {"left held, right pressed, left released first", L, R, L, 1, 1},
        {"right held, left pressed, right released first", R, L, R, 1000, 1000},
        {"right held, left clicked inside", R, L, L, 44, 45},
    };
    const QPoint p(10, 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Knob k(1, 1000, 256, 45);
        const Qt::MouseButton secondUp = c.firstUp == L ? R : L;
        Send(k.knob, QEvent::MouseButtonPress, p, c.first, c.first);
        Send(k.knob, QEvent::MouseButtonPress, p, c.second, L | R);
        Send(k.knob, QEvent::MouseButtonRelease, p, c.firstUp, secondUp);
        EXPECT_EQ(k.knob.State(), c.afterFirstUp);
        // A move with the remaining button held drags nothing: the first release ended the drag.
        Send(k.knob, QEvent::MouseMove, p - QPoint(0, 50), Qt::NoButton, secondUp);
        Send(k.knob, QEvent::MouseButtonRelease, p - QPoint(0, 50), secondUp, Qt::NoButton);
        EXPECT_EQ(k.knob.State(), c.afterSecondUp);
        Click(k.knob, L);
        EXPECT_EQ(k.knob.State(), std::max(c.afterSecondUp - 1, 1)) << "plain clicks work again afterwards";
    }
}

TEST(Potlab, DegenerateSettingsDoNotCrash) {
    Knob k(0, 100, 0, 40);
    const QPoint start(10, 50);
    Send(k.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Send(k.knob, QEvent::MouseMove, start - QPoint(0, 20), Qt::NoButton, Qt::LeftButton);
    Send(k.knob, QEvent::MouseButtonRelease, start - QPoint(0, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(k.knob.State(), 40) << "a zero CursorRange leaves the value where it was";

    Knob wide(INT32_MIN / 2, INT32_MAX / 2, 1, 0);
    Send(wide.knob, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Send(wide.knob, QEvent::MouseMove, start - QPoint(0, 3000), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(wide.knob.State(), INT32_MAX / 2)
        << "a long drag over a wide range clamps instead of overflowing";
    Send(wide.knob, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
}

// A double click opens the editor on the value shown before its first click; Enter applies the
// typed number within the limits and fires once, anything else leaves the value as it was.
TEST(Potlab, TypedValuesClampLikeTheKnob) {
    struct Case {
        const char* typed;
        Qt::Key key;
        int expected;
        bool fires;
    };
    const Case cases[] = {
        {"100", Qt::Key_Return, 100, true},  {" -40 ", Qt::Key_Enter, -40, true},
        {"9999", Qt::Key_Return, 255, true}, {"-9999", Qt::Key_Return, -255, true},
        {"abc", Qt::Key_Return, 7, false},   {"", Qt::Key_Return, 7, false},
        {"100", Qt::Key_Escape, 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Knob offset(-255, 255, 150, 7);
        offset.knob.SetTypedEntry(true);
        const QPoint p(10, 10);
        Send(offset.knob, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        Send(offset.knob, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        ASSERT_EQ(offset.knob.State(), 6) << "the first click steps as ever";
        Send(offset.knob, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        Send(offset.knob, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        ASSERT_NE(offset.knob.Editor(), nullptr);
        EXPECT_EQ(offset.knob.State(), 7) << "the step is taken back";
        EXPECT_EQ(offset.knob.Editor()->text(), "7");
        offset.fired.clear();
        offset.knob.Editor()->setText(QString::fromLatin1(c.typed));
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QApplication::sendEvent(offset.knob.Editor(), &press);
        EXPECT_EQ(offset.knob.Editor(), nullptr) << "the editor closes";
        EXPECT_EQ(offset.knob.State(), c.expected);
        EXPECT_EQ(offset.knob.Caption(), QString::number(c.expected));
        EXPECT_EQ(offset.fired, c.fires ? std::vector<int>{c.expected} : std::vector<int>{});
    }
    // Without typing a double click is two clicks, as before.
    Knob plain(0, 100, 100, 50);
    const QPoint p(10, 10);
    Send(plain.knob, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Send(plain.knob, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    Send(plain.knob, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    Send(plain.knob, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(plain.knob.State(), 48);
    EXPECT_EQ(plain.knob.Editor(), nullptr);
}
