// MainWindow: moving through the sample with the wheel, zooming around a point, and the scroll bar,
// whose range is in samples so that every position of a long sample can be reached.
#include "main_window.h"

#include "sample_view.h"
#include "settings_store.h"
#include "time_ruler.h"
#include "value_field.h"

#include <QAction>
#include <QMenu>

#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vk350 {

namespace {

// One notch of a common mouse wheel, in eighths of a degree.
constexpr int kNotch = 120;

int clampToInt(int64_t v) {
    return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

// Stored after the window's other values.
const QString kMinMaxWaveKey = QStringLiteral("MinMaxWave");

void MainWindow::CreateNavigation() {
    viewMenu->addSeparator();
    zoomInAtLocatorItem = AddItem(viewMenu, "zoomInAtLocatorItem", QStringLiteral("Zoom In at Locator"),
                                  QKeySequence(Qt::CTRL | Qt::Key_Equal), &MainWindow::ZoomInAtLocator);
    // Ctrl+= and Ctrl++ are the same key on most layouts.
    zoomInAtLocatorItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    zoomOutAtLocatorItem = AddItem(viewMenu, "zoomOutAtLocatorItem", QStringLiteral("Zoom Out at Locator"),
                                   QKeySequence(Qt::CTRL | Qt::Key_Minus), &MainWindow::ZoomOutAtLocator);
    minMaxWaveItem = AddItem(viewMenu, "minMaxWaveItem", QStringLiteral("Min/Max Waveform"), QKeySequence(),
                             &MainWindow::ShowMinMaxWave);
    minMaxWaveItem->setCheckable(true);
    minMaxWaveItem->setChecked(store_->ReadBool(kMinMaxWaveKey).value_or(true));
    ShowMinMaxWave();
    sampleView->installEventFilter(this);
    SyncScrollBar();
    DescribeFields();
    // Seconds at the rate the options choose; the knobs' positions in seconds at the ruler's end.
    sampleView->RulerRate = [this] { return sampleView->GetSampleLen() > 0 ? int(ChosenRate()) : 0; };
    sampleView->RulerNote = [this] {
        const int rate = int(ChosenRate());
        QString note = QStringLiteral("Loc ") + Seconds(locatorField->State(), rate);
        if (selectionLengthField->State() > 0)
            note += QStringLiteral("   Selection ") + Seconds(selectionStartField->State(), rate) +
                    QStringLiteral(" to ") +
                    Seconds(int64_t(selectionStartField->State()) + selectionLengthField->State(), rate);
        return note;
    };
    sampleView->SetEmptyText(QStringLiteral("Open a sample: Ctrl+L, or drop a file here"));
}

// The value fields take typed values; those without a hint of their own say what they hold.
void MainWindow::DescribeFields() {
    struct Hint {
        ValueField* knob;
        const char* text;
    };
    const Hint hints[] = {
        {originField, "Orig — view origin, the first sample shown, in samples"},
        {locatorField, "Loc — locator position, in samples"},
        {byteValueField, "Val — byte at the locator, 0 to 255"},
        {selectionStartField, "Pos — selection start, in samples"},
        {selectionLengthField, "Len — selection length, in samples"},
        {offsetField, "Offset — added to every byte of the selection, or of the whole sample"},
        {maxField, "Max — highest byte of the sample"},
        {minField, "Min — lowest byte of the sample"},
    };
    for (const Hint& h : hints)
        h.knob->setToolTip(QString::fromUtf8(h.text));
    for (ValueField* k : {sizeField, zoomField, originField, locatorField, byteValueField,
                          selectionStartField, selectionLengthField, offsetField})
        k->SetTypedEntry(true);
}

// The item switches between this drawing (envelope, washed selection) and the plain one.
void MainWindow::ShowMinMaxWave() {
    sampleView->SetMinMaxMode(minMaxWaveItem->isChecked());
    sampleView->SetSelectionTint(minMaxWaveItem->isChecked());
}

void MainWindow::StoreViewSettings() {
    if (store_->WriteBool(kMinMaxWaveKey, minMaxWaveItem->isChecked()))
        store_->Flush();
}

int64_t MainWindow::VisibleSamples() const {
    return int64_t(EditorWidthForZoom()) * std::max(1, sampleView->Zoom());
}

// The thumb is as long as the visible part; a page is that part and an arrow a tenth of it.
// An origin set past the last full view (by the Orig knob) widens the range so the thumb shows it.
void MainWindow::SyncScrollBar() {
    const int64_t visible = VisibleSamples();
    const int64_t orig = originField->State();
    const int64_t last = std::max<int64_t>({0, sampleView->GetSampleLen() - visible, orig});
    const QSignalBlocker block(scrollBar);
    scrollBar->setRange(0, clampToInt(last));
    scrollBar->setPageStep(clampToInt(visible));
    scrollBar->setSingleStep(clampToInt(std::max<int64_t>(1, visible / 10)));
    scrollBar->setValue(clampToInt(orig));
}

// The largest useful zoom: the whole sample in view, as Full Size sets it.
int MainWindow::FitZoom() const {
    const int fit = sampleView->GetSampleLen() / EditorWidthForZoom() + 1;
    return std::clamp(fit, 1, std::max(1, zoomField->Max()));
}

// The sample at anchor stays at the given column, unless that would move the view before the
// start of the sample or past its last full view.
void MainWindow::ZoomAround(int64_t anchor, int column, int zoom) {
    SampleView& e = *sampleView;
    zoom = std::clamp(zoom, 1, FitZoom());
    zoomField->SetState(zoom);
    e.SetZoom(zoomField->State());
    const int64_t last = std::max<int64_t>(0, e.GetSampleLen() - VisibleSamples());
    const int64_t orig = std::clamp<int64_t>(anchor - int64_t(column) * e.Zoom(), 0, last);
    originField->SetState(clampToInt(orig));
    e.SetViewOrigin(originField->State());
    ApplyFieldsToView();
}

// Around the locator where it is in view, else around the middle of the view.
void MainWindow::ZoomAtLocator(double factor) {
    SampleView& e = *sampleView;
    const int64_t zoom = std::max(1, e.Zoom());
    const int64_t loc = locatorField->State();
    const int64_t orig = originField->State();
    const int columns = EditorWidthForZoom();
    int column = int(std::clamp<int64_t>((loc - orig) / zoom, -1, columns));
    int64_t anchor = loc;
    if (loc < orig || column >= columns) {
        column = columns / 2;
        anchor = orig + column * zoom;
    }
    ZoomAround(anchor, column, int(std::lround(double(zoom) * factor)));
}

void MainWindow::ZoomInAtLocator() {
    ZoomAtLocator(0.5);
}

void MainWindow::ZoomOutAtLocator() {
    ZoomAtLocator(2.0);
}

void MainWindow::ScrollBySamples(int64_t samples) {
    const int64_t orig = std::clamp<int64_t>(originField->State() + samples, 0, scrollBar->maximum());
    scrollBar->setValue(clampToInt(orig));
}

// The wheel scrolls a tenth of the view per notch; with Ctrl it zooms by two per notch around the
// pointed sample. Fine wheels and touchpads send parts of a notch, which add up.
bool MainWindow::WheelOverWave(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    // Wheels that turn sideways, or a vertical wheel with Shift, scroll as well.
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0)
        return true;
    if (!(event->modifiers() & Qt::ControlModifier)) {
        // Kept in eighths of a degree times samples, so that parts of a notch add up exactly.
        wheelScrollRest_ += int64_t(delta) * std::max<int64_t>(1, VisibleSamples() / 10);
        const int64_t samples = wheelScrollRest_ / kNotch;
        wheelScrollRest_ -= samples * kNotch;
        if (samples != 0)
            ScrollBySamples(-samples);
        return true;
    }
    wheelScrollRest_ = 0;
    SampleView& e = *sampleView;
    const int zoom = std::max(1, e.Zoom());
    // The exact zoom the turns so far ask for; any other change of the zoom starts afresh.
    if (std::lround(wheelZoom_) != zoom)
        wheelZoom_ = zoom;
    wheelZoom_ = std::clamp(wheelZoom_ * std::exp2(-double(delta) / kNotch), 1.0, double(FitZoom()));
    const int wanted = int(std::lround(wheelZoom_));
    if (wanted == zoom)
        return true;
    const int column = std::clamp(int(event->position().x()), 0, EditorWidthForZoom() - 1);
    ZoomAround(int64_t(originField->State()) + int64_t(column) * zoom, column, wanted);
    return true;
}

} // namespace vk350
