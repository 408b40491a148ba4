// TForm1: moving through the sample with the wheel, zooming around a point, and the scroll bar,
// whose range is in samples so that every position of a long sample can be reached.
#include "main_window.h"

#include "knob_label.h"
#include "sample_edit.h"
#include "settings_store.h"
#include "time_ruler.h"

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

void TForm1::CreateNavigation() {
    mnuView->addSeparator();
    mnuZoomInAtLocator = AddItem(mnuView, "mnuZoomInAtLocator", QStringLiteral("Zoom In at Locator"),
                                 QKeySequence(Qt::CTRL | Qt::Key_Equal), &TForm1::ZoomInAtLocator);
    // Ctrl+= and Ctrl++ are the same key on most layouts.
    mnuZoomInAtLocator->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    mnuZoomOutAtLocator = AddItem(mnuView, "mnuZoomOutAtLocator", QStringLiteral("Zoom Out at Locator"),
                                  QKeySequence(Qt::CTRL | Qt::Key_Minus), &TForm1::ZoomOutAtLocator);
    mnuMinMaxWave = AddItem(mnuView, "mnuMinMaxWave", QStringLiteral("Min/Max Waveform"), QKeySequence(),
                            &TForm1::ShowMinMaxWave);
    mnuMinMaxWave->setCheckable(true);
    mnuMinMaxWave->setChecked(store_->ReadBool(kMinMaxWaveKey).value_or(true));
    ShowMinMaxWave();
    sqSampleEdit1->installEventFilter(this);
    SyncScrollBar();
    DescribeKnobs();
    // Seconds at the rate the options choose; the knobs' positions in seconds at the ruler's end.
    sqSampleEdit1->RulerRate = [this] { return sqSampleEdit1->GetSampleLen() > 0 ? int(ChosenRate()) : 0; };
    sqSampleEdit1->RulerNote = [this] {
        const int rate = int(ChosenRate());
        QString note = QStringLiteral("Loc ") + Seconds(sqpotlab4->State(), rate);
        if (sqpotlab6->State() > 0)
            note += QStringLiteral("   Selection ") + Seconds(sqpotlab5->State(), rate) +
                    QStringLiteral(" to ") + Seconds(int64_t(sqpotlab5->State()) + sqpotlab6->State(), rate);
        return note;
    };
    sqSampleEdit1->SetEmptyText(QStringLiteral("Open a sample: Ctrl+L, or drop a file here"));
}

// The value fields take typed values; those without a hint of their own say what they hold.
void TForm1::DescribeKnobs() {
    struct Hint {
        Tsqpotlab* knob;
        const char* text;
    };
    const Hint hints[] = {
        {sqpotlab2, "Orig — view origin, the first sample shown, in samples"},
        {sqpotlab4, "Loc — locator position, in samples"},
        {sqpotlab3, "Val — byte at the locator, 0 to 255"},
        {sqpotlab5, "Pos — selection start, in samples"},
        {sqpotlab6, "Len — selection length, in samples"},
        {sqpotlab10, "Offset — added to every byte of the selection, or of the whole sample"},
        {sqpotlab8, "Max — highest byte of the sample"},
        {sqpotlab9, "Min — lowest byte of the sample"},
    };
    for (const Hint& h : hints)
        h.knob->setToolTip(QString::fromUtf8(h.text));
    for (Tsqpotlab* k :
         {sqpotlab7, sqpotlab1, sqpotlab2, sqpotlab4, sqpotlab3, sqpotlab5, sqpotlab6, sqpotlab10})
        k->SetTypedEntry(true);
}

// The item switches between this drawing (envelope, washed selection) and the plain one.
void TForm1::ShowMinMaxWave() {
    sqSampleEdit1->SetMinMaxMode(mnuMinMaxWave->isChecked());
    sqSampleEdit1->SetSelectionTint(mnuMinMaxWave->isChecked());
}

void TForm1::StoreViewSettings() {
    if (store_->WriteBool(kMinMaxWaveKey, mnuMinMaxWave->isChecked()))
        store_->Flush();
}

int64_t TForm1::VisibleSamples() const {
    return int64_t(EditorWidthForZoom()) * std::max(1, sqSampleEdit1->Zoom());
}

// The thumb is as long as the visible part; a page is that part and an arrow a tenth of it.
// An origin set past the last full view (by the Orig knob) widens the range so the thumb shows it.
void TForm1::SyncScrollBar() {
    const int64_t visible = VisibleSamples();
    const int64_t orig = sqpotlab2->State();
    const int64_t last = std::max<int64_t>({0, sqSampleEdit1->GetSampleLen() - visible, orig});
    const QSignalBlocker block(TrackBar1);
    TrackBar1->setRange(0, clampToInt(last));
    TrackBar1->setPageStep(clampToInt(visible));
    TrackBar1->setSingleStep(clampToInt(std::max<int64_t>(1, visible / 10)));
    TrackBar1->setValue(clampToInt(orig));
}

// The largest useful zoom: the whole sample in view, as Full Size sets it.
int TForm1::FitZoom() const {
    const int fit = sqSampleEdit1->GetSampleLen() / EditorWidthForZoom() + 1;
    return std::clamp(fit, 1, std::max(1, sqpotlab1->Max()));
}

// The sample at anchor stays at the given column, unless that would move the view before the
// start of the sample or past its last full view.
void TForm1::ZoomAround(int64_t anchor, int column, int zoom) {
    TsqSampleEdit& e = *sqSampleEdit1;
    zoom = std::clamp(zoom, 1, FitZoom());
    sqpotlab1->SetState(zoom);
    e.SetZoom(sqpotlab1->State());
    const int64_t last = std::max<int64_t>(0, e.GetSampleLen() - VisibleSamples());
    const int64_t orig = std::clamp<int64_t>(anchor - int64_t(column) * e.Zoom(), 0, last);
    sqpotlab2->SetState(clampToInt(orig));
    e.SetViewOrigin(sqpotlab2->State());
    ApplyKnobsToView();
}

// Around the locator where it is in view, else around the middle of the view.
void TForm1::ZoomAtLocator(double factor) {
    TsqSampleEdit& e = *sqSampleEdit1;
    const int64_t zoom = std::max(1, e.Zoom());
    const int64_t loc = sqpotlab4->State();
    const int64_t orig = sqpotlab2->State();
    const int columns = EditorWidthForZoom();
    int column = int(std::clamp<int64_t>((loc - orig) / zoom, -1, columns));
    int64_t anchor = loc;
    if (loc < orig || column >= columns) {
        column = columns / 2;
        anchor = orig + column * zoom;
    }
    ZoomAround(anchor, column, int(std::lround(double(zoom) * factor)));
}

void TForm1::ZoomInAtLocator() {
    ZoomAtLocator(0.5);
}

void TForm1::ZoomOutAtLocator() {
    ZoomAtLocator(2.0);
}

void TForm1::ScrollBySamples(int64_t samples) {
    const int64_t orig = std::clamp<int64_t>(sqpotlab2->State() + samples, 0, TrackBar1->maximum());
    TrackBar1->setValue(clampToInt(orig));
}

// The wheel scrolls a tenth of the view per notch; with Ctrl it zooms by two per notch around the
// pointed sample. Fine wheels and touchpads send parts of a notch, which add up.
bool TForm1::WheelOverWave(QWheelEvent* event) {
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
    TsqSampleEdit& e = *sqSampleEdit1;
    const int zoom = std::max(1, e.Zoom());
    // The exact zoom the turns so far ask for; any other change of the zoom starts afresh.
    if (std::lround(wheelZoom_) != zoom)
        wheelZoom_ = zoom;
    wheelZoom_ = std::clamp(wheelZoom_ * std::exp2(-double(delta) / kNotch), 1.0, double(FitZoom()));
    const int wanted = int(std::lround(wheelZoom_));
    if (wanted == zoom)
        return true;
    const int column = std::clamp(int(event->position().x()), 0, EditorWidthForZoom() - 1);
    ZoomAround(int64_t(sqpotlab2->State()) + int64_t(column) * zoom, column, wanted);
    return true;
}

} // namespace vk350
