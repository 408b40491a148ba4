// SpectrumView: the spectrum analyser view. SpectrumAnalysis computes the bars, peaks, grid and
// readouts from each block; this control paints them as segmented bars (or dots, lines, filled
// bars, peaks, a scrolling picture) with its colours, and takes the chain's blocks as a
// PcmDisplay. Window thread only.
#pragma once

#include "analysis_view_base.h"
#include "pcm_display.h"
#include "spectrum_analysis.h"

#include <QTimer>
#include <functional>

namespace vk350 {

class SpectrumView : public AnalysisViewBase, public SpectrumAnalysis, public PcmDisplay {
public:
    explicit SpectrumView(QWidget* parent = nullptr);
    ~SpectrumView() override;

    // Replaces the built-in bar drawing: the canvas, the bar's rectangle in control
    // coordinates, the held peak in spots and the value in pixels.
    std::function<void(QImage& canvas, const QRect& bar, int peak, int value)> OnDrawBar;
    // Replaces the background of the drawing area.
    std::function<void(QImage& canvas, const QRect& area)> OnClearBackground;

    BgrColor Bar1Color() const { return bar_[0]; }
    void SetBar1Color(BgrColor value) { SetColorOf(bar_[0], value); }
    BgrColor Bar2Color() const { return bar_[1]; }
    void SetBar2Color(BgrColor value) { SetColorOf(bar_[1], value); }
    BgrColor Bar3Color() const { return bar_[2]; }
    void SetBar3Color(BgrColor value) { SetColorOf(bar_[2], value); }
    BgrColor Inactive1Color() const { return inactive_[0]; }
    void SetInactive1Color(BgrColor value) { SetColorOf(inactive_[0], value); }
    BgrColor Inactive2Color() const { return inactive_[1]; }
    void SetInactive2Color(BgrColor value) { SetColorOf(inactive_[1], value); }
    BgrColor Inactive3Color() const { return inactive_[2]; }
    void SetInactive3Color(BgrColor value) { SetColorOf(inactive_[2], value); }
    bool DrawInactive() const { return drawInactive_; }
    void SetDrawInactive(bool value) { SetFlag(drawInactive_, value); }
    bool InactiveDoted() const { return inactiveDoted_; }
    void SetInactiveDoted(bool value) { SetFlag(inactiveDoted_, value); }
    bool ActiveDoted() const { return activeDoted_; }
    void SetActiveDoted(bool value) { SetFlag(activeDoted_, value); }
    BgrColor GridColor() const { return gridColor_; }
    void SetGridColor(BgrColor value) { SetColorOf(gridColor_, value); }
    BgrColor ScaleTextColor() const { return scaleTextColor_; }
    void SetScaleTextColor(BgrColor value) { SetColorOf(scaleTextColor_, value); }
    BgrColor ScaleLineColor() const { return scaleLineColor_; }
    void SetScaleLineColor(BgrColor value) { SetColorOf(scaleLineColor_, value); }

    // Enabled also switches the peak timer and the control's own input.
    void SetEnabled(bool value);
    bool PeakTimerRunning() const { return peakTimer_.isActive(); }

    // PcmDisplay.
    void SetPCMWaveFormat(const WaveFormatEx& format) override;
    void RefreshPCMData(const uint8_t* block) override;
    void ResetData() override;
    uint32_t BlockLength() const override { return uint32_t(BytesPerSpectrum()); }

protected:
    AnalysisRect DrawRect() const override { return DrawArea(); }
    void DrawFrame(QImage& canvas) override;
    void SizeChanged(int width, int height) override;
    bool ViewEnabled() const override { return Enabled(); }
    bool InfoWanted() const override { return ShowInfo(); }
    QString InfoAt(int x, int y) const override;
    void BackgroundChanged() override { inactiveDirty_ = true; }

private:
    void SetColorOf(BgrColor& field, BgrColor value);
    void SetFlag(bool& field, bool value);
    void UpdateTimer();
    void BuildInactive();
    QRgb BandRgb(int band) const;
    void PaintBackground(QImage& canvas, const AnalysisRect& a);
    void PaintGrid(QImage& canvas, const AnalysisRect& a) const;
    void PaintBars(QImage& canvas, const AnalysisRect& a);
    void PaintLineKinds(QImage& canvas, const AnalysisRect& a) const;
    void PaintScroll(QImage& canvas, const AnalysisRect& a);
    void PaintScales(QImage& canvas) const;
    void PaintPeakText(QImage& canvas, const AnalysisRect& a) const;
    // Colour band of a row for the dot and line kinds.
    int RowBand(int row) const;

    BgrColor bar_[3] = {clr::Aqua, clr::Aqua, clr::Red};
    BgrColor inactive_[3] = {clr::Teal, clr::Teal, clr::Maroon};
    bool drawInactive_ = true;
    bool inactiveDoted_ = false;
    bool activeDoted_ = false;
    BgrColor gridColor_ = clr::Gray;
    BgrColor scaleTextColor_ = clr::Black;
    BgrColor scaleLineColor_ = clr::Black;

    // All unlit spots, drawn once whenever their geometry or colours change.
    QImage inactiveSurface_;
    bool inactiveDirty_ = true;
    // The scrolling kind keeps its picture from frame to frame.
    QImage scrollSurface_;
    bool freshFrame_ = false;
    QTimer peakTimer_;
};

} // namespace vk350
