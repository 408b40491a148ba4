// The main window's sample as a document: what opening, saving, closing, converting and sending
// do to the user's work.
#include "audio_window_fixture.h"
#include "sample_byte_maps.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

using namespace vk350;

namespace {

class DocumentTest : public AudioWindowTest {
protected:
    QString Label() const { return findPart<QLabel>(*main, "fileNameLabel")->text(); }
    void Load(const QString& path) { Answered(findAction(*main, "loadRawItem"), path); }
    void Edit() { findAction(*main, "reverseItem")->trigger(); }
    bool CloseWindow() {
        QCloseEvent event;
        QApplication::sendEvent(main.get(), &event);
        return event.isAccepted();
    }
};

} // namespace

// Every way of opening asks over unsaved changes, and Cancel keeps them; undoing a load gives
// back the earlier sample under its own name, still unsaved; Save then proposes that name.
TEST_F(DocumentTest, OpeningOverUnsavedWorkAsksAndUndoingALoadGivesBackTheEarlierFile) {
    const Bytes a = Ramp(3000), b = Ramp(2000, 3);
    Load(Write("a.bin", a));
    Edit();
    const Bytes edited = Sample();
    const QString bPath = Write("b.bin", b);

    dialogs.saveChoices = {SaveChoice::Cancel, SaveChoice::Cancel};
    Load(bPath);
    main->OpenSampleFile(bPath); // as a drop, a recent file and the start file open
    ASSERT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(dialogs.questions[0].text, "Save the changes to a.bin before opening b.bin?");
    EXPECT_EQ(Sample(), edited);
    EXPECT_EQ(Label(), "a.bin");

    Load(bPath); // no answer left: Discard
    EXPECT_EQ(Sample(), b);
    EXPECT_EQ(Label(), "b.bin");
    EXPECT_FALSE(main->isWindowModified());

    findAction(*main, "undoItem")->trigger();
    EXPECT_EQ(Sample(), edited);
    EXPECT_EQ(Label(), "a.bin");
    EXPECT_TRUE(main->isWindowModified()) << "the edit of a.bin is still unsaved";
    dialogs.saveRequests.clear();
    findAction(*main, "saveRawItem")->trigger(); // cancelled
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "a.bin");
    EXPECT_TRUE(dialogs.saveRequests[0].confirmOverwrite);
    EXPECT_EQ(ReadBytes(bPath), b);
}

// Save at the close question proposes the sample's own kind, name and folder; a WAV save there
// marks the sample saved, and the window closes.
TEST_F(DocumentTest, SavingFromTheCloseQuestionUsesTheSamplesOwnKindAndClosesTheWindow) {
    const QString kick = Write("kick.wav", WaveFile(1, 1, 22050, 8, Ramp(4000)));
    Answered(findAction(*main, "loadRawItem"), kick, 2);
    Edit();
    dialogs.saveRequests.clear();
    dialogs.saveChoices = {SaveChoice::Save};
    dialogs.Answer(kick, 2);
    EXPECT_TRUE(CloseWindow());
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, kick);
    EXPECT_EQ(dialogs.saveRequests[0].filterIndex, 2);
    EXPECT_FALSE(main->isWindowModified());
    EXPECT_FALSE(QFile::exists(dir.filePath("kick.bin")));

    // Save as Wave names the sample after the file it wrote.
    Edit();
    Answered(findAction(*main, "saveAsWaveItem"), dir.filePath("other.wav"));
    EXPECT_EQ(Label(), "other.wav");
    EXPECT_FALSE(main->isWindowModified());
}

// A raw file longer than the store is cut with a word, and the cut copy is not the file.
TEST_F(DocumentTest, ARawFileCutOnLoadSaysSoAndStaysUnsaved) {
    Load(Write("whole.bin", Bytes(512 * 1024, 5))); // exactly the store: nothing cut
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(main->isWindowModified());
    const QString big = Write("big.bin", Bytes(600 * 1024, 7));
    Load(big);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Sample Too Long - Cut to 524288 of 614400 Bytes\n" + big +
                                            ": the rest of the file was not loaded");
    EXPECT_EQ(Sample().size(), 524288u);
    EXPECT_TRUE(main->isWindowModified());
}

// While a job holds a sample, commands from any window are refused with a word in the status
// bar, and the sample is left as it was.
TEST_F(DocumentTest, NoCommandRunsWhileAJobHoldsTheSample) {
    const Bytes a = Ramp(3000);
    Load(Write("a.bin", a));
    {
        const SampleDocument::Hold hold(main->Document(), "converting kick.wav");
        Edit();
        Load(Write("b.bin", Ramp(10)));
        main->PlaySlot(0);
        EXPECT_EQ(Sample(), a);
        EXPECT_EQ(Label(), "a.bin");
        EXPECT_FALSE(main->IsPlaying());
        EXPECT_EQ(main->statusBar()->currentMessage(), "Not now: the editor is busy converting kick.wav");
    }
    Edit();
    EXPECT_NE(Sample(), a);
}

// A send flips a copy to the machine's form: the user's sample never shows that form, not even
// while the transfer lets timers run.
TEST_F(DocumentTest, ASendNeverFlipsTheUsersBytes) {
    const Bytes a = Ramp(8192);
    Load(Write("a.bin", a));
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(1); // BD, 8 K
    midi.setPace(0, 40000);
    std::vector<Bytes> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { seen.push_back(Sample()); });
    watch.start(5);
    findAction(*main, "sendToMidiItem")->trigger();
    watch.stop();
    ASSERT_GT(seen.size(), 2u) << "the transfer let the timer run";
    for (const Bytes& s : seen)
        ASSERT_EQ(s, a);
    EXPECT_EQ(Sample(), a);
}
