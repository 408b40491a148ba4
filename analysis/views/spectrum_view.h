// TMMSpectrum: the spectrum analyser view. SpectrumAnalysis computes the bars, peaks, grid and
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

class TMMSpectrum : public TMMDIBGraphicControl, public SpectrumAnalysis, public PcmDisplay {
public:
    explicit TMMSpectrum(QWidget* parent = nullptr);
    ~TMMSpectrum() override;

    // Replaces the built-in bar drawing: the canvas, the bar's rectangle in control
    // coordinates, the held peak in spots and the value in pixels.
    std::function<void(QImage& canvas, const QRect& bar, int peak, int value)> OnDrawBar;
    // Replaces the background of the drawing area.
    std::function<void(QImage& canvas, const QRect& area)> OnClearBackground;

    TColor Bar1Color() const { return bar_[0]; }
    void SetBar1Color(TColor value) { SetColorOf(bar_[0], value); }
    TColor Bar2Color() const { return bar_[1]; }
    void SetBar2Color(TColor value) { SetColorOf(bar_[1], value); }
    TColor Bar3Color() const { return bar_[2]; }
    void SetBar3Color(TColor value) { SetColorOf(bar_[2], value); }
    TColor Inactive1Color() const { return inactive_[0]; }
    void SetInactive1Color(TColor value) { SetColorOf(inactive_[0], value); }
    TColor Inactive2Color() const { return inactive_[1]; }
    void SetInactive2Color(TColor value) { SetColorOf(inactive_[1], value); }
    TColor Inactive3Color() const { return inactive_[2]; }
    void SetInactive3Color(TColor value) { SetColorOf(inactive_[2], value); }
    bool DrawInactive() const { return drawInactive_; }
    void SetDrawInactive(bool value) { SetFlag(drawInactive_, value); }
    bool InactiveDoted() const { return inactiveDoted_; }
    void SetInactiveDoted(bool value) { SetFlag(inactiveDoted_, value); }
    bool ActiveDoted() const { return activeDoted_; }
    void SetActiveDoted(bool value) { SetFlag(activeDoted_, value); }
    TColor GridColor() const { return gridColor_; }
    void SetGridColor(TColor value) { SetColorOf(gridColor_, value); }
    TColor ScaleTextColor() const { return scaleTextColor_; }
    void SetScaleTextColor(TColor value) { SetColorOf(scaleTextColor_, value); }
    TColor ScaleLineColor() const { return scaleLineColor_; }
    void SetScaleLineColor(TColor value) { SetColorOf(scaleLineColor_, value); }

    // Enabled also switches the peak timer and the control's own input.
    void SetEnabled(bool value);
    bool PeakTimerRunning() const { return peakTimer_.isActive(); }

    // PcmDisplay.
    void SetPCMWaveFormat(const tWAVEFORMATEX& format) override;
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
    void SetColorOf(TColor& field, TColor value);
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

    TColor bar_[3] = {clr::Aqua, clr::Aqua, clr::Red};
    TColor inactive_[3] = {clr::Teal, clr::Teal, clr::Maroon};
    bool drawInactive_ = true;
    bool inactiveDoted_ = false;
    bool activeDoted_ = false;
    TColor gridColor_ = clr::Gray;
    TColor scaleTextColor_ = clr::Black;
    TColor scaleLineColor_ = clr::Black;

    // All unlit spots, drawn once whenever their geometry or colours change.
    QImage inactiveSurface_;
    bool inactiveDirty_ = true;
    // The scrolling kind keeps its picture from frame to frame.
    QImage scrollSurface_;
    bool freshFrame_ = false;
    QTimer peakTimer_;
};

} // namespace vk350
