// The main window's commands: positions between knobs (samples) and the editor (columns), the
// editing and view commands through their keys, and the raw file commands.
#include "audio_window_fixture.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QScrollBar>

using namespace vk350;

TEST_F(WindowTest, SampleColumnConversions) {
    MainWindow& w = Open();
    LoadThroughKeys(WriteFile("long.bin", Ramp(10000)));
    SampleView& e = *findEditor(w);
    Turn(findValueField(w, "zoomField"), 4);
    Turn(findValueField(w, "originField"), 1000);
    EXPECT_EQ(e.Zoom(), 4);
    EXPECT_EQ(e.ViewOrigin(), 1000);
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->value(), 1000) << "the scroll bar counts samples";

    Turn(findValueField(w, "locatorField"), 1203);
    EXPECT_EQ(e.LocatorPos(), 50);
    EXPECT_EQ(findValueField(w, "byteValueField")->State(), Ramp(10000)[1203])
        << "Val shows the byte at the locator";
    Turn(findValueField(w, "locatorField"), 900);
    EXPECT_EQ(e.LocatorPos(), 50) << "a locator before the origin is left where it was";

    DragSelection(10, 60);
    EXPECT_EQ(e.SelectionPos(), 10);
    EXPECT_EQ(e.SelectionLen(), 50);
    EXPECT_EQ(findValueField(w, "selectionStartField")->State(), 1040);
    EXPECT_EQ(findValueField(w, "selectionLengthField")->State(), 200);

    // Dragged right to left: the knobs show the same selection, start first.
    DragSelection(60, 10);
    EXPECT_EQ(findValueField(w, "selectionStartField")->State(), 1040);
    EXPECT_EQ(findValueField(w, "selectionLengthField")->State(), 200);

    // Dragging the locator shows its sample position and byte.
    Mouse(QEvent::MouseButtonPress, e.LocatorPos(), Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, 75, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, 75, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 1300);
    EXPECT_EQ(findValueField(w, "byteValueField")->State(), Ramp(10000)[1300]);

    // Pos and Len knobs move the selection in columns.
    Turn(findValueField(w, "selectionStartField"), 1400);
    Turn(findValueField(w, "selectionLengthField"), 403);
    EXPECT_EQ(e.SelectionPos(), 100);
    EXPECT_EQ(e.SelectionLen(), 100);

    // The scroll bar moves the origin in samples.
    findPart<QScrollBar>(w, "scrollBar")->setValue(5000);
    EXPECT_EQ(e.ViewOrigin(), 5000);
    EXPECT_EQ(findValueField(w, "originField")->State(), 5000);
}

TEST_F(WindowTest, SelectAllTwiceSelectsEverythingThenNothing) {
    MainWindow& w = Open();
    LoadThroughKeys(WriteFile("a.bin", Ramp(3000)));
    SampleView& e = *findEditor(w);
    Turn(findValueField(w, "zoomField"), 2);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(e.SelectionPos(), 0);
    EXPECT_EQ(e.SelectionLen(), 1500);
    EXPECT_EQ(findValueField(w, "selectionStartField")->State(), 0);
    EXPECT_EQ(findValueField(w, "selectionLengthField")->State(), 3000);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(e.SelectionLen(), 0);
    EXPECT_EQ(findValueField(w, "selectionLengthField")->State(), 0);
}

TEST_F(WindowTest, CropAtZoomThree) {
    MainWindow& w = Open();
    const std::vector<uint8_t> bytes = Ramp(2000);
    LoadThroughKeys(WriteFile("c.bin", bytes));
    SampleView& e = *findEditor(w);
    Turn(findValueField(w, "zoomField"), 3);
    DragSelection(20, 120);
    ASSERT_EQ(e.SelectionLen(), 100);
    Key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(e.GetSampleLen(), 300);
    EXPECT_EQ(Sample(), std::vector<uint8_t>(bytes.begin() + 60, bytes.begin() + 360));
    EXPECT_EQ(findValueField(w, "selectionLengthField")->State(), 300);
    EXPECT_EQ(findValueField(w, "sizeField")->Caption(), "0kB");
    EXPECT_EQ(findValueField(w, "originField")->State(), 0);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 0);
    EXPECT_EQ(findValueField(w, "selectionStartField")->State(), 0);
    EXPECT_EQ(findValueField(w, "selectionLengthField")->Max(), 300);
}

TEST_F(WindowTest, SizeKnobAndLoadedSize) {
    MainWindow& w = Open();
    Turn(findValueField(w, "sizeField"), 16);
    EXPECT_EQ(findEditor(w)->GetSampleLen(), 16384);
    EXPECT_EQ(findValueField(w, "sizeField")->Caption(), "16Ko");
    EXPECT_EQ(findValueField(w, "locatorField")->Max(), 16384);

    LoadThroughKeys(WriteFile("sixteen.bin", Ramp(16384)));
    EXPECT_EQ(findValueField(w, "sizeField")->Caption(), "16Ko");
    LoadThroughKeys(WriteFile("big.bin", Ramp(524288)));
    EXPECT_EQ(findValueField(w, "sizeField")->Caption(), "512Ko");
    EXPECT_EQ(findValueField(w, "maxField")->State(), 255);
    EXPECT_EQ(findValueField(w, "minField")->State(), 0);

    // Go to End sits one past the last sample of a full buffer without reading beyond it.
    Key(Qt::Key_End);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 524288);
    EXPECT_EQ(findValueField(w, "byteValueField")->State(), 0);
}

TEST_F(WindowTest, FullSizeOnAnEmptySample) {
    MainWindow& w = Open();
    findPart<QScrollBar>(w, "scrollBar")->setValue(50);
    Key(Qt::Key_F8);
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->value(), 0);
    EXPECT_EQ(findValueField(w, "zoomField")->State(), 1);
    EXPECT_EQ(findEditor(w)->Zoom(), 1);
    // The other view commands on an empty sample do nothing harmful either.
    for (Qt::Key k : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_Home, Qt::Key_End, Qt::Key_Right})
        Key(k);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_W, Qt::ControlModifier);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.messages.empty());
}

// At the start size the editor is 1136 pixels wide, and Full Size divides by 1135.
TEST_F(WindowTest, FullSizeAtTheStartSize) {
    MainWindow& w = Open();
    ASSERT_EQ(findPart<QWidget>(w, "editPanel")->width(), 1136);
    for (const auto& [length, zoom] : {std::pair{524288, 462}, std::pair{454000, 401}}) {
        LoadThroughKeys(WriteFile("full.bin", Ramp(size_t(length))));
        EXPECT_EQ(findValueField(w, "zoomField")->State(), zoom) << length;
        EXPECT_EQ(findEditor(w)->Zoom(), zoom) << length;
    }
}

TEST_F(WindowTest, LoadedSampleFitsTheView) {
    MainWindow& w = Open();
    const std::vector<uint8_t> bytes = Ramp(40000);
    const QString path = WriteFile("kick.raw", bytes);
    LoadThroughKeys(path, 3);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].title, " Load Audio File");
    EXPECT_EQ(dialogs.openRequests[0].filter,
              "Binary Files (bin, raw, ovl) |*.bin;*.raw;*.ovl|Wave Files (wav)|*.wav|All Files ( *.*)|*.*");
    EXPECT_EQ(dialogs.openRequests[0].filterIndex, 1);
    EXPECT_EQ(Sample(), bytes);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "kick.raw");
    EXPECT_TRUE(findAction(w, "playButton")->isEnabled());
    const int width = findEditor(w)->width();
    EXPECT_EQ(findValueField(w, "zoomField")->State(), 40000 / (width - 1) + 1) << "Full Size after a load";
    EXPECT_EQ(findEditor(w)->Zoom(), findValueField(w, "zoomField")->State());
    EXPECT_EQ(findValueField(w, "originField")->Max(), 40000);

    dialogs.answers.push_back({}); // cancel
    Key(Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_EQ(dialogs.openRequests[1].filterIndex, 3) << "the filter index is remembered";
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "kick.raw");

    // A name ending in upper-case .WAV is a WAV file too: its sound, not its header.
    const QString upper = WriteFile("sample.WAV", WaveFile(1, 1, 22050, 8, Ramp(100)));
    LoadThroughKeys(upper);
    EXPECT_EQ(Sample(), Ramp(100));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowTest, LocatorKeysAndZoomKeys) {
    MainWindow& w = Open();
    const std::vector<uint8_t> bytes = Ramp(10000);
    LoadThroughKeys(WriteFile("loc.bin", bytes));
    SampleView& e = *findEditor(w);
    Key(Qt::Key_F7);
    EXPECT_EQ(e.Zoom(), 1);
    Key(Qt::Key_F6);
    Key(Qt::Key_F6);
    Key(Qt::Key_F6);
    EXPECT_EQ(e.Zoom(), 4);
    Key(Qt::Key_F5);
    EXPECT_EQ(findValueField(w, "zoomField")->State(), 3);
    EXPECT_EQ(e.Zoom(), 3);

    Key(Qt::Key_Home);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 30);
    EXPECT_EQ(e.LocatorPos(), 10);
    Key(Qt::Key_Right);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 33);
    EXPECT_EQ(findValueField(w, "byteValueField")->State(), bytes[33]);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left, Qt::ControlModifier);
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 0) << "the knob keeps Loc at 0";

    Key(Qt::Key_End);
    EXPECT_EQ(findValueField(w, "locatorField")->State(), 10000);
    EXPECT_EQ(e.LocatorPos(), 3333);
    EXPECT_EQ(findValueField(w, "byteValueField")->State(), 0);

    // Zoom 1:1 shows the selection across the view.
    Turn(findValueField(w, "zoomField"), 10);
    DragSelection(100, 300);
    findAction(w, "zoomOneToOneButton")->trigger();
    EXPECT_EQ(e.ViewOrigin(), 1000);
    EXPECT_EQ(findValueField(w, "originField")->State(), 1000);
    EXPECT_EQ(e.Zoom(), 2000 / (e.width() - 1) + 1);
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->value(), 1000);

    // Points and bars.
    Key(Qt::Key_F11, Qt::ControlModifier);
    EXPECT_FALSE(findAction(w, "showPointsItem")->isChecked()) << "the first use unchecks the item";
    EXPECT_EQ(e.MarkerSize(), 0);
    Key(Qt::Key_F11, Qt::ControlModifier);
    EXPECT_EQ(e.MarkerSize(), 1);
    Key(Qt::Key_F12, Qt::ControlModifier);
    EXPECT_TRUE(e.SpectrumMode());
    Key(Qt::Key_F8, Qt::ControlModifier);
    EXPECT_TRUE(findAction(w, "followLocatorItem")->isChecked());
}

TEST_F(WindowTest, EditingCommandsThroughTheirKeysAndButtons) {
    MainWindow& w = Open();
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i);
    bytes[0] = 255, bytes[1] = 128, bytes[2] = 0, bytes[3] = 127, bytes[4] = 200;
    LoadThroughKeys(WriteFile("e.bin", bytes));
    SampleView& e = *findEditor(w);
    Key(Qt::Key_F7); // zoom 1: columns are samples

    // Linear to µ-law and back through Alt+C and Alt+E.
    Key(Qt::Key_C, Qt::AltModifier);
    EXPECT_NE(Sample(), bytes);
    Key(Qt::Key_E, Qt::AltModifier);
    const std::vector<uint8_t> round = Sample();
    EXPECT_EQ(round[0], 255);
    EXPECT_EQ(round[1], 128);
    EXPECT_EQ(round[2], 0);
    EXPECT_EQ(round[3], 128);
    EXPECT_EQ(round[4], 202);

    // Signed/Unsigned over the whole sample, twice is the identity; the button does the same.
    const std::vector<uint8_t> before = Sample();
    Key(Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(Sample()[10], 128 - before[10]);
    findAction(w, "signedButton")->trigger();
    EXPECT_EQ(Sample(), before);

    // Reverse.
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Sample().front(), before.back());
    Key(Qt::Key_R, Qt::ControlModifier);

    // Zero: 0 becomes 128.
    ASSERT_EQ(Sample()[2], 0);
    findAction(w, "zeroButton")->trigger();
    EXPECT_EQ(Sample()[2], 128);

    // Copy a selection and paste it at the locator.
    DragSelection(100, 110);
    Key(Qt::Key_C, Qt::ControlModifier);
    Turn(findValueField(w, "locatorField"), 500);
    Key(Qt::Key_V, Qt::ControlModifier);
    const std::vector<uint8_t> pasted = Sample();
    EXPECT_TRUE(std::equal(pasted.begin() + 500, pasted.begin() + 510, pasted.begin() + 100));

    // Mute fills with the centre value.
    Key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(Sample()[105], 128);

    // Cut closes the gap; the length stays and the end is silence.
    const std::vector<uint8_t> beforeCut = Sample();
    DragSelection(200, 250);
    findAction(w, "cutButton")->trigger();
    const std::vector<uint8_t> cut = Sample();
    EXPECT_EQ(e.GetSampleLen(), 1000);
    EXPECT_EQ(cut[200], beforeCut[250]);
    EXPECT_EQ(cut[999], 128);

    // Undo takes the cut back, and redo does it again.
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Sample(), beforeCut);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Sample(), cut);

    // The Offset knob adds its change since the last value to every byte (no selection),
    // clamping at 255: right, right, left move the bytes +1, +1, -1.
    DragSelection(5, 5);
    ASSERT_EQ(e.SelectionLen(), 0);
    std::vector<int> expected(cut.begin(), cut.end());
    for (const auto& [button, delta] :
         {std::pair{Qt::RightButton, 1}, {Qt::RightButton, 1}, {Qt::LeftButton, -1}}) {
        const QPointF at(3, 3);
        QMouseEvent press(QEvent::MouseButtonPress, at, findValueField(w, "offsetField")->mapToGlobal(at),
                          button, button, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, findValueField(w, "offsetField")->mapToGlobal(at),
                            button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(findValueField(w, "offsetField"), &press);
        QApplication::sendEvent(findValueField(w, "offsetField"), &release);
        const std::vector<uint8_t> offset = Sample();
        for (size_t i = 0; i < cut.size(); ++i) {
            expected[i] = std::clamp(expected[i] + delta, 0, 255);
            ASSERT_EQ(offset[i], expected[i]) << i << " after " << delta;
        }
    }
    EXPECT_EQ(w.AppliedOffset(), 1);

    // The Val knob writes the byte at the locator.
    Turn(findValueField(w, "locatorField"), 700);
    Turn(findValueField(w, "byteValueField"), 33);
    EXPECT_EQ(Sample()[700], 33);

    // New keeps the length and clears the bytes.
    findAction(w, "newButton")->trigger();
    EXPECT_EQ(e.GetSampleLen(), 1000);
    EXPECT_EQ(Sample(), std::vector<uint8_t>(1000, 0));
    EXPECT_FALSE(findAction(w, "playButton")->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

// Nothing to save: said at once, for either save, with no name asked and the caption kept.
TEST_F(WindowTest, SavingAnEmptySampleSaysThereIsNothingToSave) {
    MainWindow& w = Open();
    const auto saveBoth = [&](const QString& caption) {
        const struct {
            Qt::Key key;
            QAction* item;
        } saves[] = {{Qt::Key_S, findAction(w, "saveRawItem")},
                     {Qt::Key_F1, findAction(w, "saveAsWaveItem")}};
        for (const auto& save : saves) {
            if (!MainWindow::ItemEnabled(save.item))
                continue;
            dialogs.messages.clear();
            dialogs.Answer(dir.filePath("empty"), 1);
            Key(save.key, Qt::ControlModifier);
            dialogs.answers.clear();
            EXPECT_TRUE(dialogs.saveRequests.empty());
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
            EXPECT_EQ(dialogs.messages[0].title, "File Warning");
            EXPECT_EQ(dialogs.messages[0].text, "Empty Sample - Nothing to Save");
            EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), caption);
            EXPECT_TRUE(QDir(dir.path()).entryList({"empty*"}).isEmpty());
        }
    };
    saveBoth("...");
    // An empty bank slot taken over: Save as Wave is on now, and both say the same.
    const SampleView emptySlot;
    w.TakeSlotSample(2, emptySlot, QStringLiteral("rim.bin"));
    ASSERT_EQ(findEditor(w)->GetSampleLen(), 0);
    ASSERT_TRUE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));
    saveBoth("rim.bin");
}

TEST_F(WindowTest, SaveRawBinFiltersAndExtensions) {
    MainWindow& w = Open();
    const std::vector<uint8_t> bytes = Ramp(3000);
    LoadThroughKeys(WriteFile("source.bin", bytes));
    const QString kick = dir.filePath("kick");

    dialogs.Answer(kick, 1);
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].title, "Save 8 bits Audio File");
    EXPECT_EQ(dialogs.saveRequests[0].filter,
              "Binary Files (bin)|*.bin|Wave Files (wav) |*.wav|All Files (*.*)|*.*");
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "source.bin");
    EXPECT_EQ(dialogs.saveRequests[0].filterIndex, 1);
    EXPECT_TRUE(dialogs.saveRequests[0].confirmOverwrite) << "every save dialog asks before replacing a file";
    EXPECT_EQ(ReadFile(kick + ".bin"), bytes);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "kick.bin");

    QFile::remove(kick + ".bin");
    dialogs.Answer(kick + ".txt", 3);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFile(kick + ".bin"), bytes) << "the third filter still saves raw, as .bin";
    EXPECT_FALSE(QFile::exists(kick + ".txt"));
    EXPECT_EQ(w.ChosenSaveFilter(), 3);
    EXPECT_TRUE(dialogs.messages.empty());

    // Into a folder that cannot hold files: the error box, nothing else changes.
    const QString notAFolder = WriteFile("plain-file", {1, 2, 3});
    findPart<QLabel>(w, "fileNameLabel")->setText("kick.bin");
    dialogs.Answer(notAFolder + "/kick", 1);
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[0].title, "File Error");
    EXPECT_EQ(dialogs.messages[0].text, "Write File Error - Abort Saving\n" + notAFolder +
                                            "/kick.bin: " + notAFolder + " is a file, not a folder");
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "kick.bin");
    EXPECT_EQ(w.ChosenSaveFilter(), 3);
    EXPECT_EQ(Sample(), bytes);
    EXPECT_EQ(ReadFile(kick + ".bin"), bytes);
    EXPECT_EQ(ReadFile(notAFolder), (std::vector<uint8_t>{1, 2, 3}));

    dialogs.Answer(dir.filePath("missing-folder/kick"), 1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(QDir(dir.filePath("missing-folder")).exists());

    // A read-only file is the user's to keep: the same box, the file untouched.
    const QString locked = WriteFile("locked.bin", {9, 9});
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    dialogs.Answer(locked, 1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(ReadFile(locked), (std::vector<uint8_t>{9, 9}));
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "kick.bin");

    // Cancel changes nothing.
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "kick.bin");
    EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(WindowTest, CommandLineFileOpensLikeLoadRawBin) {
    MainWindow& w = Open();
    const std::vector<uint8_t> bytes = Ramp(16384);
    w.OpenSampleFile(WriteFile("arg.bin", bytes));
    EXPECT_EQ(Sample(), bytes);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "arg.bin");
    EXPECT_EQ(findValueField(w, "sizeField")->Caption(), "16Ko");
    EXPECT_TRUE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));

    w.OpenSampleFile(dir.filePath("nowhere.bin"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[0].title, "File Error");
    EXPECT_EQ(dialogs.messages[0].text, "Read File Error - Nothing Loaded\nThe file " +
                                            dir.filePath("nowhere.bin") + " does not exist");
    EXPECT_EQ(Sample(), bytes) << "a missing file loses nothing";
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "arg.bin")
        << "the old sample keeps its name, so a save cannot mislabel it";

    // The same through the dialog: an empty file, and a folder chosen as a file.
    LoadThroughKeys(WriteFile("empty.bin", {}), 3);
    LoadThroughKeys(dir.path(), 3);
    EXPECT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(Sample(), bytes);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "arg.bin");
    EXPECT_EQ(w.ChosenLoadFilter(), 1) << "a failed load does not remember its filter";
}

// A WAV file that does not convert, through either load command: the conversion's box, and the
// sample, its name and the enabling stay as they were.
TEST_F(WindowTest, FailedWaveLoadsKeepTheSampleAndItsName) {
    MainWindow& w = Open();
    LoadThroughKeys(WriteFile("kick.bin", Ramp(500)));
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_FALSE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));
    const std::vector<uint8_t> cleared = Sample();
    const QString bad = WriteFile("bad.wav", {'R', 'I', 'F', 'F', 0, 0});

    LoadThroughKeys(bad, 2);
    dialogs.Answer(bad, 1);
    Key(Qt::Key_F1);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.icon, MessageIcon::Error);
        EXPECT_EQ(m.title, "Error PCM");
        EXPECT_EQ(m.text, "Conversion aborted!\n" + bad + ": Not a WAV file (no RIFF header)");
    }
    EXPECT_EQ(Sample(), cleared);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "New");
    EXPECT_FALSE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));
    EXPECT_FALSE(findAction(w, "playButton")->isEnabled());
    EXPECT_FALSE(findAction(w, "stopButton")->isEnabled());
    EXPECT_EQ(w.ChosenLoadFilter(), 1);
}
