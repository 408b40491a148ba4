// Moving through a sample: the wheel, zooming around the pointer or the locator, the scroll bar
// in samples, and the stored choice of the min/max drawing.
#include "window_fixture.h"

#include <QAction>
#include <QScrollBar>
#include <QWheelEvent>

using namespace vk350;

namespace {

class NavigationTest : public WindowTest {
protected:
    // Turns of the wheel over column x, in eighths of a degree (120 = one notch, up = positive).
    void Wheel(int x, int angle, Qt::KeyboardModifiers mods = Qt::NoModifier, bool sideways = false) {
        SampleView* e = findEditor(*window);
        const QPointF p(x, e->height() / 2);
        const QPoint delta = sideways ? QPoint(angle, 0) : QPoint(0, angle);
        QWheelEvent event(p, e->mapToGlobal(p), QPoint(), delta, Qt::NoButton, mods, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(e, &event);
    }

    MainWindow& OpenLong(size_t n = 524288) {
        MainWindow& w = Open();
        LoadThroughKeys(WriteFile("long.bin", Ramp(n)));
        return w;
    }

    int Columns() const { return findEditor(*window)->width() - 1; }
};

} // namespace

// Ctrl+wheel halves or doubles the zoom per notch, parts of a notch add up, and the sample under
// the pointer stays there unless the view would leave the sample.
TEST_F(NavigationTest, CtrlWheelZoomKeepsThePointedSampleUnderThePointer) {
    struct Case {
        int zoom;
        int orig;
        int x;
        std::vector<int> turns;
        int zoomAfter; // 0: the fit value
        int origAfter; // -1: the pointed sample stays; else where the view stops at the start
    };
    const Case cases[] = {
        {64, 100000, 300, {120}, 32, -1},
        {64, 100000, 300, {-120}, 128, -1},
        {64, 100000, 0, {240}, 16, -1},
        {10, 200000, 700, {-120}, 20, -1},
        {3, 50001, 999, {120}, 2, -1}, // 1.5 rounds to 2
        {8, 3000, 500, {15, 15, 15, 15, 15, 15, 15, 15}, 4, -1},
        {8, 3000, 500, {60}, 6, -1},
        {1, 3000, 500, {120}, 1, -1},    // at the least zoom already
        {64, 1000, 800, {-120}, 128, 0}, // would start before sample 0
        {400, 100000, 10, {-120}, 0, 0}, // the fit value at most
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " orig " << c.orig << " x " << c.x);
        MainWindow& w = window ? *window : OpenLong();
        SampleView& e = *findEditor(w);
        const int zoomAfter = c.zoomAfter > 0 ? c.zoomAfter : 524288 / Columns() + 1;
        ASSERT_LT(zoomAfter, 800);
        Turn(findValueField(w, "zoomField"), c.zoom);
        Turn(findValueField(w, "originField"), c.orig);
        const int64_t pointed = int64_t(c.x) * c.zoom + c.orig;
        for (int turn : c.turns)
            Wheel(c.x, turn, Qt::ControlModifier);
        EXPECT_EQ(e.Zoom(), zoomAfter);
        EXPECT_EQ(findValueField(w, "zoomField")->State(), zoomAfter);
        EXPECT_EQ(findValueField(w, "originField")->State(), e.ViewOrigin());
        EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->value(), e.ViewOrigin());
        if (c.origAfter < 0)
            EXPECT_EQ(int64_t(c.x) * e.Zoom() + e.ViewOrigin(), pointed) << "the pointed sample moved";
        else
            EXPECT_EQ(e.ViewOrigin(), c.origAfter);
    }
}

// At zoom 1 the arrows step a tenth of the view and the thumb is the view, so stepping from the
// start shows every sample of a long sample, the last step ending on the last sample.
TEST_F(NavigationTest, TheScrollBarReachesEverySampleAtZoomOne) {
    for (int n : {131072, 5000, 1135, 300}) {
        SCOPED_TRACE(n);
        window.reset();
        MainWindow& w = OpenLong(size_t(n));
        SampleView& e = *findEditor(w);
        Key(Qt::Key_F7);
        ASSERT_EQ(e.Zoom(), 1);
        const int view = Columns();
        EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->pageStep(), view);
        EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->singleStep(), view / 10);
        EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->maximum(), std::max(0, n - view))
            << "the last full view ends on the last sample";
        int64_t seenTo = 0; // samples 0 up to here were in view
        for (int steps = 0; steps < 100000; ++steps) {
            ASSERT_LE(e.ViewOrigin(), seenTo) << "a step skipped samples";
            ASSERT_EQ(findValueField(w, "originField")->State(), e.ViewOrigin());
            seenTo = std::max<int64_t>(seenTo, int64_t(e.ViewOrigin()) + view);
            const int before = findPart<QScrollBar>(w, "scrollBar")->value();
            findPart<QScrollBar>(w, "scrollBar")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            if (findPart<QScrollBar>(w, "scrollBar")->value() == before)
                break;
        }
        EXPECT_GE(seenTo, n);
        // A page is the view; the wheel moves a tenth of it per notch, parts of notches adding up.
        findPart<QScrollBar>(w, "scrollBar")->setValue(0);
        findPart<QScrollBar>(w, "scrollBar")->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EXPECT_EQ(e.ViewOrigin(), std::min(view, findPart<QScrollBar>(w, "scrollBar")->maximum()));
        if (n < 5000)
            continue;
        findPart<QScrollBar>(w, "scrollBar")->setValue(1000);
        Wheel(100, -120);
        EXPECT_EQ(e.ViewOrigin(), 1000 + view / 10);
        for (int i = 0; i < 4; ++i)
            Wheel(100, 30, Qt::NoModifier, i % 2 == 1);
        EXPECT_EQ(e.ViewOrigin(), 1000);
        Wheel(100, 12000);
        EXPECT_EQ(e.ViewOrigin(), 0) << "the wheel stops at the start";
    }
}

// Ctrl+= and Ctrl+- zoom by two around the locator; a locator out of view zooms around the middle.
TEST_F(NavigationTest, ZoomKeysKeepTheLocatorWhereItIs) {
    MainWindow& w = OpenLong();
    SampleView& e = *findEditor(w);
    Turn(findValueField(w, "zoomField"), 8);
    Turn(findValueField(w, "originField"), 10000);
    Turn(findValueField(w, "locatorField"), 10800);
    ASSERT_EQ(e.LocatorPos(), 100);
    Key(Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(e.Zoom(), 4);
    EXPECT_EQ(e.ViewOrigin(), 10400);
    EXPECT_EQ(e.LocatorPos(), 100);
    Key(Qt::Key_Minus, Qt::ControlModifier);
    Key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(e.Zoom(), 16);
    EXPECT_EQ(e.ViewOrigin(), 9200);
    EXPECT_EQ(e.LocatorPos(), 100);
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->value(), 9200);
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->pageStep(), Columns() * 16);

    // The locator before the view: the middle column's sample stays.
    Turn(findValueField(w, "originField"), 20000);
    const int middle = Columns() / 2;
    findAction(w, "zoomInAtLocatorItem")->trigger();
    EXPECT_EQ(e.Zoom(), 8);
    EXPECT_EQ(e.ViewOrigin(), 20000 + middle * 16 - middle * 8);
}

// The min/max drawing is on at first; switched off it stays off at the next start.
TEST_F(NavigationTest, TheMinMaxChoiceIsStored) {
    for (bool expected : {true, false}) {
        MainWindow& w = Open();
        EXPECT_EQ(findAction(w, "minMaxWaveItem")->isChecked(), expected);
        EXPECT_EQ(findEditor(w)->MinMaxMode(), expected);
        if (expected)
            findAction(w, "minMaxWaveItem")->trigger();
        EXPECT_FALSE(findEditor(w)->MinMaxMode());
        w.close();
        window.reset();
    }
}
