// MainWindow: playing part of the sample, from the locator or the selection, and showing on the
// Play button and item that the sample plays. The part is played as a wave of its own, so the
// output's position counts from the part's first sample.
#include "main_window.h"

#include "main_window_audio.h"
#include "safe_file.h"
#include "sample_view.h"
#include "value_field.h"
#include "wave_error.h"

#include <QAction>
#include <QFile>
#include <algorithm>
#include <vector>

namespace vk350 {

void MainWindow::CreatePlayRange() {
    playFromLocatorItem = AddItem(audioMenu, "playFromLocatorItem", QStringLiteral("Play from Locator"),
                                  QKeySequence(Qt::CTRL | Qt::Key_Space), &MainWindow::PlayFromLocator);
    playSelectionItem = AddItem(audioMenu, "playSelectionItem", QStringLiteral("Play Selection"),
                                QKeySequence(Qt::SHIFT | Qt::Key_Space), &MainWindow::PlaySelection);
    for (QAction* a : {playItem, playButton})
        a->setCheckable(true);
    ShowPlaying();
}

// The checked state follows playing_; a click on a checkable item flips it before the command
// runs, so the state is set again after every change of playing_.
void MainWindow::ShowPlaying() {
    for (QAction* a : {playItem, playButton})
        a->setChecked(playing_);
}

void MainWindow::PlayFromLocator() {
    PlayRange(locatorField->State(), sampleView->GetSampleLen());
}

// Without a selection there is nothing to play.
void MainWindow::PlaySelection() {
    const int64_t first = selectionStartField->State();
    PlayRange(first, first + selectionLengthField->State());
}

// A new start while playing starts over from the new place.
void MainWindow::PlayRange(int64_t first, int64_t end) {
    const int64_t n = sampleView->GetSampleLen();
    first = std::clamp<int64_t>(first, 0, n);
    end = std::clamp<int64_t>(end, first, n);
    StopPlayback();
    WaveDocument& wave = chainWave->Wave();
    wave.FreeWave();
    playOffset_ = 0;
    if (first < end) {
        const std::span<const uint8_t> part = document_->Bytes().subspan(size_t(first), size_t(end - first));
        const std::string name = QFile::encodeName(WorkFile(QStringLiteral("convertspl.raw"))).toStdString();
        if (!safeWriteBytes(name, part))
            throw WaveError("Unable to write the work file " + name);
        wave.ImportFromRaw(name, 8, 1, ChosenRate());
        playOffset_ = first;
    }
    StartPlaying();
    ShowPlaying();
}

} // namespace vk350
