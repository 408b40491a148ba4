// MainWindow: the editing commands of the Edition menu and the toolbar.
#include "main_window.h"

#include "sample_byte_maps.h"
#include "sample_view.h"
#include "value_field.h"

#include <QAction>
#include <QLabel>
#include <algorithm>

namespace vk350 {

void MainWindow::NewSample() {
    // Stopped first: the end of playback would enable Save as Wave again.
    StopPlayback();
    SampleView& e = *sampleView;
    const int n = e.GetSampleLen();
    e.Clear(true);
    e.SetViewOrigin(0);
    SetScrollBar(0);
    originField->SetState(0);
    SetPositionMaxima(n);
    ShowMinMax();
    SetItemEnabled(saveAsWaveItem, false);
    SetItemEnabled(stopButton, false);
    SetItemEnabled(playButton, false);
    FullSize();
    RefreshPlaybackWave();
}

// A second Select All drops the selection.
void MainWindow::SelectAll() {
    SampleView& e = *sampleView;
    if (e.GetSampleLen() == selectionLengthField->State()) {
        e.SetSelectionLen(0);
        selectionLengthField->SetState(0);
        return;
    }
    selectionStartField->SetState(0);
    selectionLengthField->SetState(e.GetSampleLen());
    e.SetSelectionPos(0);
    e.SetSelectionLen(selectionLengthField->State() / std::max(1, e.Zoom()));
}

void MainWindow::Cut() {
    sampleView->CutSelection(true);
}

void MainWindow::Copy() {
    sampleView->CopySelection();
}

void MainWindow::Paste() {
    sampleView->PasteAtLocator();
}

void MainWindow::Crop() {
    SampleView& e = *sampleView;
    e.CropSelection();
    ShowSizeField(e.GetSampleLen() / 1024, QStringLiteral("kB"));
    SetPositionMaxima(e.GetSampleLen());
    originField->SetState(0);
    locatorField->SetState(0);
    selectionStartField->SetState(0);
    selectionLengthField->SetState(e.SelectionLen() * std::max(1, e.Zoom()));
}

// The main window mutes to the centre line.
void MainWindow::Mute() {
    sampleView->SetSpectrumCenter(true);
    sampleView->MuteSelection();
}

// µ-law codes stay in offset-binary form in the buffer, so that they draw around the centre. Both
// conversions cover the whole sample; like every sign conversion they leave the selection
// normalised.
void MainWindow::LinearToMuLaw() {
    sampleView->Sample().NormaliseSelection();
    document_->Change([](std::span<uint8_t> bytes) { linearToMuLawCodes(bytes); });
    sampleView->DrawWave();
}

void MainWindow::MuLawToLinear() {
    sampleView->Sample().NormaliseSelection();
    document_->Change([](std::span<uint8_t> bytes) { muLawCodesToLinear(bytes); });
    sampleView->DrawWave();
}

void MainWindow::Reverse() {
    sampleView->Reverse();
}

// Over the selection, or the whole sample without one.
void MainWindow::ToggleSign() {
    sampleView->ConvertSign(false, true);
}

void MainWindow::FixZero() {
    sampleView->FixZero(true);
}

void MainWindow::Exit() {
    close();
}

} // namespace vk350
