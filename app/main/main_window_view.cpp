// MainWindow: the knob strip, the editor's events, the scroll bar and the view commands. The knobs
// hold positions in samples, the editor holds view columns: column = (sample - Orig) div Zoom.
#include "main_window.h"

#include "sample_view.h"
#include "value_field.h"

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
static int zoomOf(const SampleView& e) {
    return std::max(1, e.Zoom());
}

// Byte at a sample index, 0 outside the buffer (Go to End puts Loc one past the last sample).
int MainWindow::ByteAt(int64_t index) const {
    if (index < 0 || index >= sampleView->Max())
        return 0;
    return sampleView->GetSampleValue(int(index));
}

int MainWindow::EditorWidthForZoom() const {
    return std::max(1, sampleView->width() - 1);
}

// The scroll bar follows the view from code without running its own change handler.
void MainWindow::SetScrollBar(int position) {
    const QSignalBlocker block(scrollBar);
    scrollBar->setValue(position);
}

void MainWindow::SetPositionMaxima(int maximum) {
    for (ValueField* knob : {originField, locatorField, selectionStartField, selectionLengthField})
        knob->SetMax(maximum);
    SyncScrollBar();
}

// The caption shows the computed size even where the knob's range clamps its value.
void MainWindow::ShowSizeField(int value, const QString& unit) {
    sizeField->SetState(value);
    sizeField->SetCaption(QString::number(value) + unit);
}

void MainWindow::ShowMinMax() {
    maxField->SetState(sampleView->GetMaxValue(document_->Bytes().data()));
    minField->SetState(sampleView->GetMinValue(document_->Bytes().data()));
}

void MainWindow::ApplyFieldsToView() {
    SampleView& e = *sampleView;
    const int zoom = zoomOf(e);
    const int orig = originField->State();
    const int64_t d = int64_t(locatorField->State()) - orig;
    if (d > 0)
        e.SetLocatorPos(int(d / zoom));
    e.SetSelectionPos(int((int64_t(selectionStartField->State()) - orig) / zoom));
    e.SetSelectionLen(selectionLengthField->State() / zoom);
    SyncScrollBar();
}

void MainWindow::ResetViewAfterLoad() {
    SampleView& e = *sampleView;
    const int n = e.GetSampleLen();
    SetScrollBar(0);
    selectionLengthField->SetState(0);
    e.SetViewOrigin(0);
    ShowSizeField(n / 1023, QStringLiteral("Ko"));
    originField->SetState(0);
    SetPositionMaxima(n);
    ShowMinMax();
    FullSize();
}

void MainWindow::ZoomToSelection() {
    SampleView& e = *sampleView;
    e.SetViewOrigin(clampToInt(int64_t(e.ViewOrigin()) + int64_t(e.SelectionPos()) * zoomOf(e)));
    originField->SetState(e.ViewOrigin());
    zoomField->SetState(clampToInt(int64_t(e.SelectionLen()) * zoomOf(e) / EditorWidthForZoom() + 1));
    e.SetZoom(zoomField->State());
    ApplyFieldsToView();
}

// --- editor events ---

void MainWindow::SampleViewLocatorChange() {
    SampleView& e = *sampleView;
    locatorField->SetState(clampToInt(int64_t(e.LocatorPos()) * zoomOf(e) + originField->State()));
    byteValueField->SetState(ByteAt(locatorField->State()));
}

void MainWindow::SampleViewSelectionChange() {
    SampleView& e = *sampleView;
    const int64_t zoom = zoomOf(e);
    const int64_t orig = originField->State();
    if (e.SelectionLen() < 0) {
        selectionStartField->SetState(
            clampToInt((int64_t(e.SelectionPos()) + e.SelectionLen()) * zoom + orig));
        selectionLengthField->SetState(clampToInt(-int64_t(e.SelectionLen()) * zoom));
    } else {
        selectionStartField->SetState(clampToInt(orig + int64_t(e.SelectionPos()) * zoom));
        selectionLengthField->SetState(clampToInt(int64_t(e.SelectionLen()) * zoom));
    }
}

// --- knob handlers ---

void MainWindow::SizeFieldChange() {
    const int units = sizeField->State();
    sizeField->SetCaption(QString::number(units) + QStringLiteral("Ko"));
    sampleView->SetSampleLen(units * 1024);
    SetPositionMaxima(sampleView->GetSampleLen());
    sampleView->DrawWave();
}

void MainWindow::ZoomFieldChange() {
    sampleView->SetZoom(zoomField->State());
    ApplyFieldsToView();
}

void MainWindow::OriginFieldChange() {
    sampleView->SetViewOrigin(originField->State());
    ApplyFieldsToView();
}

void MainWindow::LocatorFieldChange() {
    SampleView& e = *sampleView;
    const int loc = locatorField->State();
    const int64_t d = int64_t(loc) - originField->State();
    if (d >= 0) {
        e.SetLocatorPos(int(d / zoomOf(e)));
        byteValueField->SetState(ByteAt(loc));
    }
}

void MainWindow::ByteValueFieldChange() {
    const int loc = locatorField->State();
    if (loc >= 0 && loc < sampleView->Max())
        sampleView->SetSampleValue(byteValueField->State(), loc);
}

void MainWindow::SelectionStartFieldChange() {
    sampleView->SetSelectionPos(
        int((int64_t(selectionStartField->State()) - originField->State()) / zoomOf(*sampleView)));
}

void MainWindow::SelectionLengthFieldChange() {
    sampleView->SetSelectionLen(selectionLengthField->State() / zoomOf(*sampleView));
}

void MainWindow::OffsetFieldChange() {
    const int offset = offsetField->State();
    sampleView->AddOffset(sampleView->GetData(), offset - lastOffset_);
    lastOffset_ = offset;
}

void MainWindow::ScrollBarChange(int position) {
    SampleView& e = *sampleView;
    e.SetViewOrigin(position);
    originField->SetState(e.ViewOrigin());
    ApplyFieldsToView();
}

// --- view commands ---

void MainWindow::ApplyZoomField() {
    sampleView->SetZoom(zoomField->State());
    ApplyFieldsToView();
}

void MainWindow::ZoomIn() {
    zoomField->SetState(zoomField->State() - 1);
    ApplyZoomField();
}

void MainWindow::ZoomOut() {
    zoomField->SetState(zoomField->State() + 1);
    ApplyZoomField();
}

void MainWindow::ZoomMinimum() {
    zoomField->SetState(1);
    ApplyZoomField();
}

void MainWindow::FullSize() {
    SampleView& e = *sampleView;
    const int n = e.GetSampleLen();
    zoomField->SetState(n / EditorWidthForZoom() + 1);
    e.SetZoom(zoomField->State());
    ApplyFieldsToView();
}

void MainWindow::ZoomOneToOne() {
    ZoomToSelection();
}

void MainWindow::ShowHidePoints() {
    sampleView->SetMarkerSize(showPointsItem->isChecked() ? 1 : 0);
}

void MainWindow::ShowHideBars() {
    sampleView->SetSpectrumMode(showBarsItem->isChecked());
}

// The Go commands place the locator without subtracting the view origin.
void MainWindow::GoToStart() {
    locatorField->SetState(0);
    sampleView->SetLocatorPos(0);
    byteValueField->SetState(ByteAt(0));
}

void MainWindow::GoToEnd() {
    SampleView& e = *sampleView;
    locatorField->SetState(e.GetSampleLen());
    e.SetLocatorPos(e.GetSampleLen() / zoomOf(e));
    byteValueField->SetState(ByteAt(locatorField->State()));
}

void MainWindow::MoveLocator(int64_t samples) {
    locatorField->SetState(clampToInt(locatorField->State() + samples));
    LocatorFieldChange();
}

void MainWindow::FastForward() {
    MoveLocator(10 * int64_t(zoomOf(*sampleView)));
}

void MainWindow::Forward() {
    MoveLocator(zoomOf(*sampleView));
}

void MainWindow::Backward() {
    MoveLocator(-int64_t(zoomOf(*sampleView)));
}

void MainWindow::FastBackward() {
    MoveLocator(-10 * int64_t(zoomOf(*sampleView)));
}

void MainWindow::ShowAboutBox() {
    if (!aboutBox_)
        return;
    aboutBox_->show();
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

} // namespace vk350
