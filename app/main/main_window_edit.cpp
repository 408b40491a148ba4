// TForm1: the editing commands of the Edition menu and the toolbar.
#include "main_window.h"

#include "knob_label.h"
#include "sample_byte_maps.h"
#include "sample_edit.h"

#include <QAction>
#include <QLabel>
#include <algorithm>

namespace vk350 {

void TForm1::NewSample() {
    // Stopped first: the end of playback would enable Save as Wave again.
    StopPlayback();
    TsqSampleEdit& e = *sqSampleEdit1;
    const int n = e.GetSampleLen();
    e.Clear(true);
    e.SetViewOrigin(0);
    SetTrackBar(0);
    sqpotlab2->SetState(0);
    SetPositionMaxima(n);
    ShowMinMax();
    Label12->setText(QStringLiteral("New"));
    SetItemEnabled(mnuSaveAsWave, false);
    SetItemEnabled(btnStop, false);
    SetItemEnabled(btnPlay, false);
    FullSize();
    RefreshPlaybackWave();
}

// A second Select All drops the selection.
void TForm1::SelectAll() {
    TsqSampleEdit& e = *sqSampleEdit1;
    if (e.GetSampleLen() == sqpotlab6->State()) {
        e.SetSelectionLen(0);
        sqpotlab6->SetState(0);
        return;
    }
    sqpotlab5->SetState(0);
    sqpotlab6->SetState(e.GetSampleLen());
    e.SetSelectionPos(0);
    e.SetSelectionLen(sqpotlab6->State() / std::max(1, e.Zoom()));
}

void TForm1::Cut() {
    sqSampleEdit1->CutSelection(true);
}

void TForm1::Copy() {
    sqSampleEdit1->CopySelection();
}

void TForm1::Paste() {
    sqSampleEdit1->PasteAtLocator();
}

void TForm1::Crop() {
    TsqSampleEdit& e = *sqSampleEdit1;
    e.CropSelection();
    ShowSizeKnob(e.GetSampleLen() / 1024, QStringLiteral("kB"));
    SetPositionMaxima(e.GetSampleLen());
    sqpotlab2->SetState(0);
    sqpotlab4->SetState(0);
    sqpotlab5->SetState(0);
    sqpotlab6->SetState(e.SelectionLen() * std::max(1, e.Zoom()));
}

// The main window mutes to the centre line.
void TForm1::Mute() {
    sqSampleEdit1->SetSpectrumCenter(true);
    sqSampleEdit1->MuteSelection();
}

// µ-law codes stay in offset-binary form in the buffer, so that they draw around the centre. Both
// conversions cover the whole sample; like every sign conversion they leave the selection
// normalised.
void TForm1::LinearToMuLaw() {
    SampleBuffer& s = sqSampleEdit1->Sample();
    s.NormaliseSelection();
    vk350::linearToMuLawCodes({s.GetData(), static_cast<size_t>(s.GetSampleLen())});
    sqSampleEdit1->DrawWave();
}

void TForm1::MuLawToLinear() {
    SampleBuffer& s = sqSampleEdit1->Sample();
    s.NormaliseSelection();
    vk350::muLawCodesToLinear({s.GetData(), static_cast<size_t>(s.GetSampleLen())});
    sqSampleEdit1->DrawWave();
}

void TForm1::Reverse() {
    sqSampleEdit1->Reverse();
}

// Over the selection, or the whole sample without one.
void TForm1::ToggleSign() {
    sqSampleEdit1->ConvertSign(false, true);
}

void TForm1::FixZero() {
    sqSampleEdit1->FixZero(true);
}

void TForm1::Exit() {
    close();
}

} // namespace vk350
