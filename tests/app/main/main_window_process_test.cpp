// The Process menu: each command is one named undo step on exact samples, and the status bar says
// how the sample fits the chosen location.
#include "audio_window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>

using namespace vk350;

namespace {

class ProcessTest : public AudioWindowTest {
protected:
    void Load(const Bytes& bytes) { Answered(findAction(*main, "loadRawItem"), Write("s.bin", bytes)); }
    void Select(int pos, int len) {
        findValueField(*main, "selectionStartField")->SetState(pos);
        findValueField(*main, "selectionLengthField")->SetState(len);
    }
    QString Fit() const { return findPart<QLabel>(*main, "locationFitLabel")->text(); }
    // A loud square wave with silence in front.
    static Bytes Drum(int silence, int sound) {
        Bytes b(size_t(silence), 128);
        for (int i = 0; i < sound; ++i)
            b.push_back((i / 20) % 2 ? 228 : 28);
        return b;
    }
};

} // namespace

// Every command changes the bytes (within the selection when there is one), is one step named
// after it, and Undo gives back exactly the bytes before it.
TEST_F(ProcessTest, EachCommandIsOneNamedStepThatUndoTakesBack) {
    struct Case {
        const char* item;
        const char* step;
        int pos, len;    // the selection; len 0: none
        double number;   // the dialog's answer, when it asks
        int lengthAfter; // -1: unchanged
    };
    const Case cases[] = {
        {"fadeInItem", "Fade In", 1000, 500, 0, -1},
        {"fadeOutItem", "Fade Out", 0, 0, 0, -1},
        {"gainItem", "Gain", 0, 0, -6, -1},
        {"normaliseItem", "Normalise", 0, 0, -0.1, -1},
        {"removeDcItem", "Remove DC Offset", 0, 0, 0, -1},
        {"trimSilenceItem", "Trim Silence", 0, 0, 0, 3000},
        {"deleteItem", "Delete", 100, 50, 0, 3950},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Bytes start = Drum(1000, 3000);
        start[2000] = 20; // a peak below the others, so that normalising changes something
        for (auto& b : start)
            if (b == 228)
                b = 200;
        Load(start);
        Select(c.pos, c.len);
        dialogs.numbers = {c.number};
        findAction(*main, c.item)->trigger();
        const Bytes after = Sample();
        EXPECT_NE(after, start);
        EXPECT_EQ(int(after.size()), c.lengthAfter < 0 ? int(start.size()) : c.lengthAfter);
        if (c.len > 0 && c.lengthAfter < 0) {
            EXPECT_TRUE(std::equal(start.begin(), start.begin() + c.pos, after.begin()))
                << "before the selection";
            EXPECT_TRUE(
                std::equal(start.begin() + c.pos + c.len, start.end(), after.begin() + c.pos + c.len));
        }
        EXPECT_EQ(findAction(*main, "undoItem")->text(), QStringLiteral("Undo ") + c.step);
        findAction(*main, "undoItem")->trigger();
        EXPECT_EQ(Sample(), start);
    }
}

// Fit to Location trims the front, fades the end and ends exactly at the location's size; the
// status bar says how the sample fits before and after.
TEST_F(ProcessTest, FitToLocationEndsExactlyAtTheSizeAndTheStatusBarSaysSo) {
    Load(Drum(2205, 12000));
    EXPECT_EQ(Fit(), "");
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(1); // BD, 8 K
    EXPECT_EQ(Fit(), "0.27 s too long for BD (8 K)");
    findAction(*main, "fitToLocationItem")->trigger();
    const Bytes fitted = Sample();
    ASSERT_EQ(fitted.size(), 8192u);
    EXPECT_NEAR(fitted.back(), 128, 1) << "a smooth end";
    EXPECT_NE(fitted.front(), 128) << "the silence in front is gone";
    EXPECT_EQ(Fit(), "Fits BD (8 K)");
    EXPECT_EQ(findAction(*main, "undoItem")->text(), "Undo Fit to Location");

    // Delete with nothing selected leaves the sample whole.
    Select(0, 0);
    findAction(*main, "deleteItem")->trigger();
    EXPECT_EQ(Sample(), fitted);

    // Paste Insert grows the sample at the locator, and refuses what would not fit.
    findAction(*main, "selectAllItem")->trigger();
    findAction(*main, "copyItem")->trigger();
    const int clip = findEditor(*main)->Sample().ClipboardLen();
    ASSERT_GT(clip, 0);
    findAction(*main, "pasteInsertItem")->trigger();
    EXPECT_EQ(Sample().size(), 8192u + unsigned(clip));
    Load(Bytes(524288 - 50, 128));
    findAction(*main, "pasteInsertItem")->trigger();
    EXPECT_EQ(Sample().size(), 524238u);
    EXPECT_TRUE(main->statusBar()->currentMessage().startsWith(
        QStringLiteral("Paste Insert: %1 bytes do not fit").arg(clip)));
}
