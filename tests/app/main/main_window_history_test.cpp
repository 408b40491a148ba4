// The main sample's undo and redo steps, the title's unsaved mark and the question on closing.
#include "window_fixture.h"

#include <QAction>
#include <QCloseEvent>
#include <algorithm>
#include <functional>

namespace vk350 {

namespace {

class HistoryTest : public WindowTest {
protected:
    // A left-button drag on a knob, up and left by d pixels: one step however many values it
    // passes.
    void DragField(ValueField* knob, int d) {
        auto send = [knob](QEvent::Type type, int c, Qt::MouseButton button, Qt::MouseButtons held) {
            const QPointF p(c, c);
            QMouseEvent event(type, p, knob->mapToGlobal(p), button, held, Qt::NoModifier);
            QApplication::sendEvent(knob, &event);
        };
        send(QEvent::MouseButtonPress, 40, Qt::LeftButton, Qt::LeftButton);
        for (int c = 40; c >= 40 - d; --c)
            send(QEvent::MouseMove, c, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, 40 - d, Qt::LeftButton, Qt::NoButton);
    }

    // A right-button drag on the waveform draws values into the sample.
    void DrawAcross(int from, int to) {
        SampleView* e = findEditor(*window);
        auto send = [e](QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
            const QPointF p(x, y);
            QMouseEvent event(type, p, e->mapToGlobal(p), button, held, Qt::NoModifier);
            QApplication::sendEvent(e, &event);
        };
        send(QEvent::MouseButtonPress, from, 10, Qt::RightButton, Qt::RightButton);
        for (int x = from; x <= to; ++x)
            send(QEvent::MouseMove, x, 10 + (x % 40), Qt::NoButton, Qt::RightButton);
        send(QEvent::MouseButtonRelease, to, 20, Qt::RightButton, Qt::NoButton);
    }

    // Loads a 10000-byte ramp from kick.bin, shown at one sample per column.
    std::vector<uint8_t> LoadKick() {
        const std::vector<uint8_t> bytes = Ramp(10000);
        LoadThroughKeys(WriteFile(QStringLiteral("kick.bin"), bytes));
        Key(Qt::Key_F7);
        return bytes;
    }

    bool CloseWindow() {
        QCloseEvent event;
        QApplication::sendEvent(window.get(), &event);
        return event.isAccepted();
    }
};

} // namespace

// Every kind of edit is one step: undo walks back through each state to before the load, redo
// (both keys) forward to the last, and the items name the step they would take.
TEST_F(HistoryTest, EachEditIsOneStepThatUndoAndRedoWalkThrough) {
    MainWindow& w = Open();
    EXPECT_FALSE(findAction(w, "undoItem")->isEnabled());
    EXPECT_FALSE(findAction(w, "redoItem")->isEnabled());
    const std::vector<uint8_t> loaded = LoadKick();
    ASSERT_EQ(Sample(), loaded);
    EXPECT_EQ(findAction(w, "undoItem")->text(), "Undo Load");

    struct Edit {
        const char* step;
        std::function<void()> act;
    };
    const Edit edits[] = {
        {"Crop", [&] { DragSelection(10, 900), Key(Qt::Key_W, Qt::ControlModifier); }},
        {"Reverse", [&] { Key(Qt::Key_R, Qt::ControlModifier); }},
        {"Draw", [&] { DrawAcross(100, 160); }},
        {"Offset", [&] { DragField(findValueField(w, "offsetField"), 30); }},
        {"Unsigned", [&] { Key(Qt::Key_U, Qt::ControlModifier); }},
        {"Cut", [&] { DragSelection(300, 350), Key(Qt::Key_X, Qt::ControlModifier); }},
        {"Mute", [&] { DragSelection(20, 40), Key(Qt::Key_M, Qt::ControlModifier); }},
        {"Size", [&] { DragField(findValueField(w, "sizeField"), 3); }},
        {"New", [&] { Key(Qt::Key_Delete, Qt::ControlModifier); }},
    };
    std::vector<std::vector<uint8_t>> states{{}, loaded};
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.step);
        edit.act();
        ASSERT_NE(Sample(), states.back());
        EXPECT_EQ(findAction(w, "undoItem")->text(), QStringLiteral("Undo ") + QString::fromUtf8(edit.step));
        states.push_back(Sample());
    }
    for (size_t i = states.size() - 1; i > 0; --i) {
        Key(Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(Sample(), states[i - 1]) << "undoing step " << i;
        EXPECT_EQ(findAction(w, "redoItem")->text(),
                  QStringLiteral("Redo ") + QString::fromUtf8(i > 1 ? edits[i - 2].step : "Load"));
    }
    EXPECT_FALSE(findAction(w, "undoItem")->isEnabled());
    EXPECT_EQ(findAction(w, "undoItem")->text(), "Undo");
    for (size_t i = 1; i < states.size(); ++i) {
        if (i % 2)
            Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        else
            Key(Qt::Key_Y, Qt::ControlModifier);
        ASSERT_EQ(Sample(), states[i]) << "redoing step " << i;
    }
    EXPECT_FALSE(findAction(w, "redoItem")->isEnabled());
    // The knobs that show the sample follow an undo.
    Key(Qt::Key_Z, Qt::ControlModifier);
    const std::vector<uint8_t>& sized = states[states.size() - 2];
    EXPECT_EQ(findValueField(w, "maxField")->State(), *std::max_element(sized.begin(), sized.end()));
    EXPECT_EQ(findValueField(w, "sizeField")->State(), int(sized.size()) / 1024);
}

// The title names the file and marks changes not saved; saving or undoing back clears the mark.
TEST_F(HistoryTest, TitleMarksChangesUntilSavedOrUndone) {
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "VK350 Sample Editor v1.0");
    LoadKick();
    EXPECT_EQ(w.windowTitle(), "VK350 Sample Editor v1.0 — kick.bin[*]");
    EXPECT_FALSE(w.isWindowModified());
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(w.isWindowModified());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(w.isWindowModified());
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(w.isWindowModified());
    dialogs.Answer(dir.filePath(QStringLiteral("snare")), 1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(w.windowTitle(), "VK350 Sample Editor v1.0 — snare.bin[*]");
    EXPECT_FALSE(w.isWindowModified());
    // New over saved work leaves nothing to save; over unsaved work it keeps the mark.
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(w.isWindowModified());
    Key(Qt::Key_F7);
    DrawAcross(10, 30);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(w.isWindowModified());
}

// Closing over unsaved changes asks once: Cancel keeps everything, Save writes the file first
// (a cancelled save dialog keeps the window open), Discard closes. Saved work is not asked about.
TEST_F(HistoryTest, ClosingOverUnsavedChangesAsksSaveDiscardOrCancel) {
    struct Case {
        std::vector<SaveChoice> choices;
        bool saveDialogAnswered;
        bool closes;
        bool written;
    };
    for (const Case& c :
         {Case{{SaveChoice::Cancel}, false, false, false}, Case{{SaveChoice::Save}, false, false, false},
          Case{{SaveChoice::Save}, true, true, true}, Case{{SaveChoice::Discard}, false, true, false}}) {
        SCOPED_TRACE(int(c.choices.front()) * 10 + c.saveDialogAnswered);
        dialogs = ScriptedDialogs();
        MainWindow& w = Open();
        const std::vector<uint8_t> loaded = LoadKick();
        ASSERT_TRUE(CloseWindow()) << "saved work closes without a question";
        EXPECT_TRUE(dialogs.questions.empty());
        w.show();
        Key(Qt::Key_R, Qt::ControlModifier);
        const std::vector<uint8_t> edited = Sample();
        dialogs.saveChoices.assign(c.choices.begin(), c.choices.end());
        const QString target = dir.filePath(QStringLiteral("kept.bin"));
        QFile::remove(target);
        if (c.saveDialogAnswered)
            dialogs.Answer(target, 1);
        EXPECT_EQ(CloseWindow(), c.closes);
        ASSERT_EQ(dialogs.questions.size(), 1u);
        EXPECT_EQ(dialogs.questions[0].text, "Save the changes to kick.bin before closing?");
        EXPECT_EQ(Sample(), edited);
        EXPECT_EQ(ReadFile(target), c.written ? edited : std::vector<uint8_t>());
        EXPECT_EQ(ReadFile(dir.filePath(QStringLiteral("kick.bin"))), loaded);
        EXPECT_EQ(w.isWindowModified(), !c.closes) << "a discard is remembered";
        window.reset();
    }
}

} // namespace vk350
