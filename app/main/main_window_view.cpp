// TForm1: the knob strip, the editor's events, the scroll bar and the view commands. The knobs
// hold positions in samples, the editor holds view columns: column = (sample - Orig) div Zoom.
#include "main_window.h"

#include "knob_label.h"
#include "sample_edit.h"

#include <QAction>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

namespace vk350 {

namespace {

int clampToInt(int64_t v) {
    return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

// The editor's zoom, never below 1 so that the conversions cannot divide by zero.
static int zoomOf(const TsqSampleEdit& e) {
    return std::max(1, e.Zoom());
}

// Byte at a sample index, 0 outside the buffer (Go to End puts Loc one past the last sample).
int TForm1::ByteAt(int64_t index) const {
    if (index < 0 || index >= sqSampleEdit1->Max())
        return 0;
    return sqSampleEdit1->GetSampleValue(int(index));
}

int TForm1::EditorWidthForZoom() const {
    return std::max(1, sqSampleEdit1->width() - 1);
}

// The scroll bar follows the view from code without running its own change handler.
void TForm1::SetTrackBar(int position) {
    const QSignalBlocker block(TrackBar1);
    TrackBar1->setValue(position);
}

void TForm1::SetPositionMaxima(int maximum) {
    for (Tsqpotlab* knob : {sqpotlab2, sqpotlab4, sqpotlab5, sqpotlab6})
        knob->SetMax(maximum);
    SyncScrollBar();
}

// The caption shows the computed size even where the knob's range clamps its value.
void TForm1::ShowSizeKnob(int value, const QString& unit) {
    sqpotlab7->SetState(value);
    sqpotlab7->SetCaption(QString::number(value) + unit);
}

void TForm1::ShowMinMax() {
    sqpotlab8->SetState(sqSampleEdit1->GetMaxValue(sqSampleEdit1->GetData()));
    sqpotlab9->SetState(sqSampleEdit1->GetMinValue(sqSampleEdit1->GetData()));
}

void TForm1::ApplyKnobsToView() {
    TsqSampleEdit& e = *sqSampleEdit1;
    const int zoom = zoomOf(e);
    const int orig = sqpotlab2->State();
    const int64_t d = int64_t(sqpotlab4->State()) - orig;
    if (d > 0)
        e.SetLocatorPos(int(d / zoom));
    e.SetSelectionPos(int((int64_t(sqpotlab5->State()) - orig) / zoom));
    e.SetSelectionLen(sqpotlab6->State() / zoom);
    SyncScrollBar();
}

void TForm1::ResetViewAfterLoad() {
    TsqSampleEdit& e = *sqSampleEdit1;
    const int n = e.GetSampleLen();
    SetTrackBar(0);
    sqpotlab6->SetState(0);
    e.SetViewOrigin(0);
    ShowSizeKnob(n / 1023, QStringLiteral("Ko"));
    sqpotlab2->SetState(0);
    SetPositionMaxima(n);
    ShowMinMax();
    FullSize();
}

void TForm1::ZoomToSelection() {
    TsqSampleEdit& e = *sqSampleEdit1;
    e.SetViewOrigin(clampToInt(int64_t(e.ViewOrigin()) + int64_t(e.SelectionPos()) * zoomOf(e)));
    sqpotlab2->SetState(e.ViewOrigin());
    sqpotlab1->SetState(clampToInt(int64_t(e.SelectionLen()) * zoomOf(e) / EditorWidthForZoom() + 1));
    e.SetZoom(sqpotlab1->State());
    ApplyKnobsToView();
}

// --- editor events ---

void TForm1::sqSampleEdit1LocatorChange() {
    TsqSampleEdit& e = *sqSampleEdit1;
    sqpotlab4->SetState(clampToInt(int64_t(e.LocatorPos()) * zoomOf(e) + sqpotlab2->State()));
    sqpotlab3->SetState(ByteAt(sqpotlab4->State()));
}

void TForm1::sqSampleEdit1SelectorChange() {
    TsqSampleEdit& e = *sqSampleEdit1;
    const int64_t zoom = zoomOf(e);
    const int64_t orig = sqpotlab2->State();
    if (e.SelectionLen() < 0) {
        sqpotlab5->SetState(clampToInt((int64_t(e.SelectionPos()) + e.SelectionLen()) * zoom + orig));
        sqpotlab6->SetState(clampToInt(-int64_t(e.SelectionLen()) * zoom));
    } else {
        sqpotlab5->SetState(clampToInt(orig + int64_t(e.SelectionPos()) * zoom));
        sqpotlab6->SetState(clampToInt(int64_t(e.SelectionLen()) * zoom));
    }
}

// --- knob handlers ---

void TForm1::sqpotlab7Change() {
    const int units = sqpotlab7->State();
    sqpotlab7->SetCaption(QString::number(units) + QStringLiteral("Ko"));
    sqSampleEdit1->SetSampleLen(units * 1024);
    SetPositionMaxima(sqSampleEdit1->GetSampleLen());
    sqSampleEdit1->DrawWave();
}

void TForm1::sqpotlab1Change() {
    sqSampleEdit1->SetZoom(sqpotlab1->State());
    ApplyKnobsToView();
}

void TForm1::sqpotlab2Change() {
    sqSampleEdit1->SetViewOrigin(sqpotlab2->State());
    ApplyKnobsToView();
}

void TForm1::sqpotlab4Change() {
    TsqSampleEdit& e = *sqSampleEdit1;
    const int loc = sqpotlab4->State();
    const int64_t d = int64_t(loc) - sqpotlab2->State();
    if (d >= 0) {
        e.SetLocatorPos(int(d / zoomOf(e)));
        sqpotlab3->SetState(ByteAt(loc));
    }
}

void TForm1::sqpotlab3Change() {
    const int loc = sqpotlab4->State();
    if (loc >= 0 && loc < sqSampleEdit1->Max())
        sqSampleEdit1->SetSampleValue(sqpotlab3->State(), loc);
}

void TForm1::sqpotlab5Change() {
    sqSampleEdit1->SetSelectionPos(
        int((int64_t(sqpotlab5->State()) - sqpotlab2->State()) / zoomOf(*sqSampleEdit1)));
}

void TForm1::sqpotlab6Change() {
    sqSampleEdit1->SetSelectionLen(sqpotlab6->State() / zoomOf(*sqSampleEdit1));
}

void TForm1::sqpotlab10Change() {
    const int offset = sqpotlab10->State();
    sqSampleEdit1->AddOffset(sqSampleEdit1->GetData(), offset - LastOffset);
    LastOffset = offset;
}

void TForm1::TrackBar1Change(int position) {
    TsqSampleEdit& e = *sqSampleEdit1;
    e.SetViewOrigin(position);
    sqpotlab2->SetState(e.ViewOrigin());
    ApplyKnobsToView();
}

// --- view commands ---

void TForm1::ApplyZoomKnob() {
    sqSampleEdit1->SetZoom(sqpotlab1->State());
    ApplyKnobsToView();
}

void TForm1::ZoomIn() {
    sqpotlab1->SetState(sqpotlab1->State() - 1);
    ApplyZoomKnob();
}

void TForm1::ZoomOut() {
    sqpotlab1->SetState(sqpotlab1->State() + 1);
    ApplyZoomKnob();
}

void TForm1::ZoomMinimum() {
    sqpotlab1->SetState(1);
    ApplyZoomKnob();
}

void TForm1::FullSize() {
    TsqSampleEdit& e = *sqSampleEdit1;
    const int n = e.GetSampleLen();
    sqpotlab1->SetState(n / EditorWidthForZoom() + 1);
    e.SetZoom(sqpotlab1->State());
    ApplyKnobsToView();
}

void TForm1::ZoomOneToOne() {
    ZoomToSelection();
}

void TForm1::ShowHidePoints() {
    sqSampleEdit1->SetMarkerSize(mnuShowPoints->isChecked() ? 1 : 0);
}

void TForm1::ShowHideBars() {
    sqSampleEdit1->SetSpectrumMode(mnuShowBars->isChecked());
}

// The Go commands place the locator without subtracting the view origin.
void TForm1::GoToStart() {
    sqpotlab4->SetState(0);
    sqSampleEdit1->SetLocatorPos(0);
    sqpotlab3->SetState(ByteAt(0));
}

void TForm1::GoToEnd() {
    TsqSampleEdit& e = *sqSampleEdit1;
    sqpotlab4->SetState(e.GetSampleLen());
    e.SetLocatorPos(e.GetSampleLen() / zoomOf(e));
    sqpotlab3->SetState(ByteAt(sqpotlab4->State()));
}

void TForm1::MoveLocator(int64_t samples) {
    sqpotlab4->SetState(clampToInt(sqpotlab4->State() + samples));
    sqpotlab4Change();
}

void TForm1::FastForward() {
    MoveLocator(10 * int64_t(zoomOf(*sqSampleEdit1)));
}

void TForm1::Forward() {
    MoveLocator(zoomOf(*sqSampleEdit1));
}

void TForm1::Backward() {
    MoveLocator(-int64_t(zoomOf(*sqSampleEdit1)));
}

void TForm1::FastBackward() {
    MoveLocator(-10 * int64_t(zoomOf(*sqSampleEdit1)));
}

void TForm1::ShowAboutBox() {
    if (!aboutBox_)
        return;
    aboutBox_->show();
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

} // namespace vk350
