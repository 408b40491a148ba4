// The wave open dialog's preview: the "Format:" line, the waveform drawn after the selection
// settles, Play through the main window's own output with its bytes checked, Auto Play, and the
// preview beside Qt's dialog when a command asks for it.
#include "audio_window_fixture.h"

#include "qt_dialogs.h"
#include "wave_player.h"
#include "wave_preview.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vk350;

namespace {

// Waits past the preview's delay, with events running.
void Settle() {
    QTest::qWait(WavePreview::kDelayMs * 3);
}

} // namespace

TEST_F(AudioWindowTest, PreviewShowsTheFormatAndTheWaveAndPlaysIt) {
    Bytes s24;
    for (int i = 0; i < 2000; ++i)
        for (int v : {i * 4000, -i * 4000})
            for (int k = 0; k < 3; ++k)
                s24.push_back(uint8_t(v >> (8 * k)));
    const struct {
        const char* leaf;
        Bytes file;
        QString line;
        bool drawn;
        bool playable;
    } cases[] = {
        {"m8.wav", WaveFile(1, 1, 22050, 8, Ramp(3000)), "2 KB; PCM; 22050 Hz, 8 Bit, Mono", true, true},
        {"s24.wav", WaveFile(1, 2, 44100, 24, s24), "11 KB; PCM; 44100 Hz, 24 Bit, Stereo", true, false},
        {"alaw.wav", WaveFile(6, 1, 8000, 8, Ramp(1000)), "1 KB; A-law; 8000 Hz, 8 Bit, Mono", false, false},
        {"text.wav", Ramp(3000), "Unknown", false, false},
    };
    const auto player = main->CreatePreviewPlayer();
    WavePreview preview(player.get());
    preview.show();
    for (const auto& c : cases) {
        preview.Select(Write(c.leaf, c.file));
        EXPECT_NE(preview.FormatText->text(), c.line) << c.leaf << ": not before the delay";
        Settle();
        EXPECT_EQ(preview.FormatText->text(), c.line) << c.leaf;
        EXPECT_EQ(!preview.Columns().empty(), c.drawn) << c.leaf;
        EXPECT_EQ(preview.PlayButton->isEnabled(), c.playable) << c.leaf;
    }

    // The ramp's columns rise from the first to the last.
    preview.Select(dir.filePath("m8.wav"));
    Settle();
    ASSERT_EQ(preview.Columns().size(), 200u);
    EXPECT_EQ(preview.Columns().front().first, Ramp(3000).front());

    // Play: the file's bytes go to the output, the button reads Stop until the end.
    device.clearPlayed();
    QTest::mouseClick(preview.PlayButton, Qt::LeftButton);
    EXPECT_EQ(preview.PlayButton->text(), "Stop");
    PlayToEnd();
    Settle();
    EXPECT_EQ(preview.PlayButton->text(), "Play");
    EXPECT_EQ(device.played(), Ramp(3000));

    // Auto Play starts a playable selection at once; Stop ends it.
    preview.AutoPlay->setChecked(true);
    preview.Select(dir.filePath("m8.wav"));
    Settle();
    EXPECT_TRUE(main->ChainOutput().IsOpen());
    QTest::mouseClick(preview.PlayButton, Qt::LeftButton);
    EXPECT_FALSE(main->ChainOutput().IsOpen());
    EXPECT_EQ(preview.PlayButton->text(), "Play");

    // The sample's own Play plays the sample again, not the previewed file.
    Answered(findAction(*main, "loadRawItem"), Write("kick.bin", Ramp(500, 3)));
    device.clearPlayed();
    findAction(*main, "playButton")->trigger();
    PlayToEnd();
    EXPECT_EQ(device.played(), Ramp(500, 3));
}

TEST(QtDialogsPreview, TheWaveOpenDialogHasThePreviewBesideIt) {
    QTemporaryDir folder;
    QtDialogs dialogs;
    FileDialogRequest request;
    request.title = QStringLiteral("Open Wave File");
    request.filter = QStringLiteral("Wave-Files(*.wav)|*.wav");
    request.wavePreview = true;
    QString shown;
    QTimer::singleShot(50, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        // No meta-object of its own: found by its name.
        auto* preview = static_cast<WavePreview*>(d->findChild<QWidget*>(QStringLiteral("WavePreview")));
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(preview->isVisible());
        emit d->currentChanged(QStringLiteral("/nonexistent.wav"));
        QTest::qWait(WavePreview::kDelayMs * 3);
        shown = preview->FormatText->text();
        d->reject();
    });
    EXPECT_FALSE(dialogs.OpenFile(nullptr, request).accepted);
    EXPECT_EQ(shown, "Unknown");
}
