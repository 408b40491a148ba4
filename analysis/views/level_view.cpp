#include "level_view.h"

#include <QPainter>
#include <algorithm>

namespace vk350 {

LevelView::LevelView(QWidget* parent) : AnalysisViewBase(parent) {
    resize(200, 17);
    OnRedraw = [this] {
        unlitDirty_ = true;
        UpdateTimer();
        AnalysisViewBase::Redraw();
    };
    peakTimer_.setInterval(PEAKTIMERINTERVAL);
    // The fallen peak shows with the next block.
    QObject::connect(&peakTimer_, &QTimer::timeout, this, [this] { PeakTick(); });
    UpdateTimer();
    SyncSize();
}

LevelView::~LevelView() {
    peakTimer_.stop();
    OnRedraw = nullptr;
}

void LevelView::SetColorOf(BgrColor& field, BgrColor value) {
    if (field == value)
        return;
    field = value;
    unlitDirty_ = true;
    AnalysisViewBase::Redraw();
}

void LevelView::SetActiveDoted(bool value) {
    if (value == activeDoted_)
        return;
    activeDoted_ = value;
    AnalysisViewBase::Redraw();
}

void LevelView::SetInactiveDoted(bool value) {
    if (value == inactiveDoted_)
        return;
    inactiveDoted_ = value;
    unlitDirty_ = true;
    AnalysisViewBase::Redraw();
}

void LevelView::UpdateTimer() {
    // A running timer keeps its phase.
    if (PeakTimerActive() && !peakTimer_.isActive())
        peakTimer_.start();
    else if (!PeakTimerActive())
        peakTimer_.stop();
}

void LevelView::SetKind(LevelKind value) {
    if ((value != lkHorizontal && value != lkVertical) || value == Kind())
        return;
    // The control turns first, so the meter's geometry and the control agree throughout.
    SyncSize();
    if ((value == lkVertical) != (height() > width()) && width() != height()) {
        resize(height(), width());
        SyncSize();
    }
    LevelAnalysis::SetKind(value);
}

void LevelView::SetEnabled(bool value) {
    QWidget::setEnabled(value);
    LevelAnalysis::SetEnabled(value);
    UpdateTimer();
    AnalysisViewBase::Redraw();
}

void LevelView::SizeChanged(int width, int height) {
    FitAnalysis(*this, width, height);
    unlitDirty_ = true;
}

void LevelView::SetPCMWaveFormat(const WaveFormatEx& format) {
    LevelAnalysis::SetPCMWaveFormat(format);
}

void LevelView::RefreshPCMData(const uint8_t* block) {
    if (HandOver<LevelAnalysis>(*this, block, BlockLength()))
        ComposeNow();
}

void LevelView::ResetData() {
    LevelAnalysis::ResetData();
}

void LevelView::PaintSpot(QImage& canvas, int n, int band, bool dotted) const {
    if (n < 1 || n > Spots())
        return;
    const AnalysisRect a = DrawArea();
    const AnalysisRect r = SpotRect(n);
    const BgrColor color = band < 0 ? inactive_[SpotBand(n)] : bar_[std::clamp(band, 0, 2)];
    // Kept inside the drawing area whatever the spot geometry.
    const int x1 = std::max(r.left, 0);
    const int y1 = std::max(r.top, 0);
    const int x2 = std::min(r.left + r.width, a.width);
    const int y2 = std::min(r.top + r.height, a.height);
    if (x2 > x1 && y2 > y1)
        FillBox(canvas, a.left + x1, a.top + y1, x2 - x1, y2 - y1, RgbOf(color), dotted);
}

void LevelView::BuildUnlit() {
    const AnalysisRect a = DrawArea();
    unlit_ = QImage(std::max(1, a.left + a.width), std::max(1, a.top + a.height), QImage::Format_RGB32);
    FillBackground(unlit_, a);
    for (int n = 1; n <= Spots(); ++n)
        PaintSpot(unlit_, n, -1, inactiveDoted_);
    unlitDirty_ = false;
}

void LevelView::DrawFrame(QImage& canvas) {
    if (OnPaint)
        OnPaint(*this);
    const AnalysisRect a = DrawArea();
    if (unlitDirty_)
        BuildUnlit();
    QPainter(&canvas).drawImage(QRect(a.left, a.top, a.width, a.height), unlit_,
                                QRect(a.left, a.top, a.width, a.height));
    if (!Enabled())
        return;
    if (OnDrawBar) {
        OnDrawBar(canvas, QRect(a.left, a.top, a.width, a.height), PeakSpots(), LitValue());
        return;
    }
    const LitRange lit = Lit();
    for (int n = lit.first; n <= lit.last; ++n)
        PaintSpot(canvas, n, lit.sharedBand >= 0 ? lit.sharedBand : SpotBand(n), activeDoted_);
    const auto [held, count] = PeakMarker();
    for (int n = held; n > held - count && n >= 1; --n)
        PaintSpot(canvas, n, SpotBand(n), activeDoted_);
}

} // namespace vk350
