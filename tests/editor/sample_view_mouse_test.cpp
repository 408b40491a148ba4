#include "sample_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace vk350;

namespace {

class SampleEditMouse : public ::testing::Test {
protected:
    void SetUp() override {
        edit.resize(1016, 109);
        edit.OnChange = [this](SampleView* e) {
            EXPECT_EQ(e, &edit);
            ++changes;
        };
        edit.OnLocatorChange = [this](SampleView*) { ++locatorChanges; };
        edit.OnSelectorChange = [this](SampleView*) { ++selectorChanges; };
    }

    void Send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
        QMouseEvent event(type, QPointF(x, y), edit.mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&edit, &event);
    }
    void Press(Qt::MouseButton b, int x, int y = 50) { Send(QEvent::MouseButtonPress, b, b, x, y); }
    void Move(Qt::MouseButtons held, int x, int y = 50) { Send(QEvent::MouseMove, Qt::NoButton, held, x, y); }
    void Release(Qt::MouseButton b, int x, int y = 50) {
        Send(QEvent::MouseButtonRelease, b, Qt::NoButton, x, y);
    }

    bool Inverted(int x) const { return (edit.OffscreenImage().pixel(x, 10) & 0xFFFFFF) == 0xFFFFFF; }

    SampleView edit;
    int changes = 0;
    int locatorChanges = 0;
    int selectorChanges = 0;
};

} // namespace

TEST_F(SampleEditMouse, RightToLeftDragShowsTheRangeAndIsNormalisedOnRelease) {
    edit.SetLocatorPos(900);
    Press(Qt::LeftButton, 500);
    EXPECT_EQ(edit.DragMode(), -1);
    EXPECT_TRUE(edit.Dragging());
    EXPECT_EQ(edit.SelectionPos(), 500);
    EXPECT_EQ(selectorChanges, 0) << "the press fires nothing";

    Move(Qt::LeftButton, 200);
    EXPECT_EQ(edit.SelectionPos(), 500);
    EXPECT_EQ(edit.SelectionLen(), -300);
    EXPECT_EQ(selectorChanges, 1);
    EXPECT_FALSE(Inverted(199));
    EXPECT_TRUE(Inverted(200));
    EXPECT_TRUE(Inverted(499));
    EXPECT_FALSE(Inverted(500));

    Release(Qt::LeftButton, 200);
    EXPECT_EQ(edit.SelectionPos(), 200);
    EXPECT_EQ(edit.SelectionLen(), 300);
    EXPECT_EQ(selectorChanges, 2);
    EXPECT_FALSE(edit.Dragging());
    EXPECT_EQ(locatorChanges, 0);
    EXPECT_EQ(edit.LocatorPos(), 900);

    // A plain click away from the locator starts an empty selection at the click.
    Press(Qt::LeftButton, 700);
    Release(Qt::LeftButton, 700);
    EXPECT_EQ(edit.SelectionPos(), 700);
    EXPECT_EQ(edit.SelectionLen(), 0);
}

TEST_F(SampleEditMouse, SelectionStartAndEndStayInsideTheControl) {
    edit.SetLocatorPos(100);
    Press(Qt::LeftButton, 1015);
    EXPECT_EQ(edit.SelectionPos(), 1013) << "past width - 2 the start is width - 3";
    Press(Qt::LeftButton, -8);
    EXPECT_EQ(edit.SelectionPos(), 0);
    Move(Qt::LeftButton, 5000);
    EXPECT_EQ(edit.SelectionLen(), 1014);
}

TEST_F(SampleEditMouse, LocatorDragIsClampedToTheControl) {
    edit.SetLocatorPos(50);
    Press(Qt::LeftButton, 54);
    EXPECT_EQ(edit.DragMode(), 0);
    EXPECT_EQ(edit.LocatorPos(), 54);
    EXPECT_EQ(locatorChanges, 0);

    Move(Qt::LeftButton, -40);
    EXPECT_EQ(edit.LocatorPos(), 0);
    Move(Qt::LeftButton, 3000);
    EXPECT_EQ(edit.LocatorPos(), 1014);
    EXPECT_EQ(locatorChanges, 2);
    Release(Qt::LeftButton, 5000);
    EXPECT_EQ(edit.LocatorPos(), 1014);
    EXPECT_EQ(locatorChanges, 3);
    EXPECT_EQ(selectorChanges, 0);

    // Five columns away is no longer a hit.
    Press(Qt::LeftButton, 1009);
    EXPECT_EQ(edit.DragMode(), -1);
    EXPECT_EQ(edit.LocatorPos(), 1014);
}

TEST_F(SampleEditMouse, RightButtonDrawsValuesAtZoomOne) {
    edit.SetSampleLen(1016);
    edit.SetViewOrigin(4);
    Press(Qt::RightButton, 10, 0);
    EXPECT_EQ(edit.GetSampleValue(14), 255) << "top row";
    EXPECT_TRUE(edit.Dragging());
    EXPECT_EQ(changes, 0);

    Move(Qt::RightButton, 11, 108);
    EXPECT_EQ(edit.GetSampleValue(15), 0) << "bottom row of a 109-pixel control";
    EXPECT_EQ(changes, 1);

    Release(Qt::RightButton, 12, 50);
    EXPECT_EQ(edit.GetSampleValue(16), (107 - 50) * 256 / 107);
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(edit.Dragging());

    // Without AlwayDetect only the release reports; past the sample nothing is drawn.
    edit.SetAlwayDetect(false);
    edit.SetSampleLen(20);
    Press(Qt::RightButton, 14, 0);
    Move(Qt::RightButton, 15, 0);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit.GetSampleValue(18), 255);
    EXPECT_EQ(edit.GetSampleValue(19), 255);
    Release(Qt::RightButton, 16, 0);
    EXPECT_EQ(edit.GetSampleValue(20), 0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(locatorChanges + selectorChanges, 0);
}

TEST_F(SampleEditMouse, RightButtonAtZoomTwoChangesNothing) {
    edit.SetSampleLen(1016);
    edit.SetZoom(2);
    Press(Qt::RightButton, 10, 0);
    EXPECT_FALSE(edit.Dragging());
    Move(Qt::RightButton, 11, 0);
    Release(Qt::RightButton, 12, 0);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(edit.GetSampleValue(i), 0) << i;
    EXPECT_EQ(changes, 0);
}

TEST(SampleEditFocus, PressTakesTheFocus) {
    QWidget window;
    QWidget first(&window);
    first.setFocusPolicy(Qt::StrongFocus);
    auto* edit = new SampleView(&window);
    first.setFocus();
    ASSERT_EQ(window.focusWidget(), &first);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 20), QPointF(50, 20), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &press);
    EXPECT_EQ(window.focusWidget(), edit);
}
