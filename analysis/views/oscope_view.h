// TMMOscope: the oscilloscope view. OscopeAnalysis turns each block into one value per column
// and the trace's lines; this control paints them over the background, centre line and grid,
// or, in scrolling mode, adds one column of the block's span per block. It takes the chain's
// blocks as a PcmScopeDisplay. Window thread only.
#pragma once

#include "analysis_view_base.h"
#include "oscope_analysis.h"
#include "pcm_display.h"

#include <functional>

namespace vk350 {

class TMMOscope : public TMMDIBGraphicControl, public OscopeAnalysis, public PcmScopeDisplay {
public:
    explicit TMMOscope(QWidget* parent = nullptr);
    ~TMMOscope() override;

    // Replaces the built-in trace: the canvas, the column values and the drawing rectangle.
    std::function<void(QImage& canvas, const std::vector<std::int16_t>& columns, const QRect& area)>
        OnDrawLine;
    // After each frame is composed.
    std::function<void(QImage& canvas)> OnPostPaint;

    TColor ForegroundColor() const { return colors_[0]; }
    void SetForegroundColor(TColor value) { SetColorOf(colors_[0], value); }
    TColor InactiveColor() const { return colors_[1]; }
    void SetInactiveColor(TColor value) { SetColorOf(colors_[1], value); }
    TColor EffectColor() const { return colors_[2]; }
    void SetEffectColor(TColor value) { SetColorOf(colors_[2], value); }
    TColor DisabledColor() const { return colors_[3]; }
    void SetDisabledColor(TColor value) { SetColorOf(colors_[3], value); }
    TColor GridColor() const { return colors_[4]; }
    void SetGridColor(TColor value) { SetColorOf(colors_[4], value); }
    TColor ScaleTextColor() const { return colors_[5]; }
    void SetScaleTextColor(TColor value) { SetColorOf(colors_[5], value); }
    TColor ScaleLineColor() const { return colors_[6]; }
    void SetScaleLineColor(TColor value) { SetColorOf(colors_[6], value); }
    TColor BarColor() const { return colors_[7]; }
    void SetBarColor(TColor value) { SetColorOf(colors_[7], value); }
    TColor BarTickColor() const { return colors_[8]; }
    void SetBarTickColor(TColor value) { SetColorOf(colors_[8], value); }
    TColor SelectionColor() const { return colors_[9]; }
    void SetSelectionColor(TColor value) { SetColorOf(colors_[9], value); }
    TColor SelectionDotColor() const { return colors_[10]; }
    void SetSelectionDotColor(TColor value) { SetColorOf(colors_[10], value); }
    TColor LocatorColor() const { return colors_[11]; }
    void SetLocatorColor(TColor value) { SetColorOf(colors_[11], value); }
    // Columns outside [first, end) are drawn in InactiveColor; all columns by default.
    void SetActiveRange(std::int32_t first, std::int32_t end);

    void SetEnabled(bool value);

    // PcmScopeDisplay.
    void SetPCMWaveFormat(const tWAVEFORMATEX& format) override;
    void RefreshPCMData(const uint8_t* block) override;
    void ResetData() override;
    uint32_t BlockLength() const override { return uint32_t(BytesPerScope()); }
    bool Accelerate() const override { return OscopeAnalysis::Accelerate(); }
    bool Scroll() const override { return OscopeAnalysis::Scroll(); }
    uint32_t FFTLength() const override { return uint32_t(OscopeAnalysis::FFTLength()); }
    uint32_t BitLength() const override { return uint32_t(OscopeAnalysis::BitLength()); }
    uint32_t Mode() const override { return uint32_t(OscopeAnalysis::Mode()); }

protected:
    AnalysisRect DrawRect() const override { return DrawArea(); }
    void DrawFrame(QImage& canvas) override;
    void SizeChanged(int width, int height) override;
    bool ViewEnabled() const override { return Enabled(); }
    bool InfoWanted() const override { return ShowInfo(); }
    QString InfoAt(int x, int y) const override;
    bool OffersSelection() const override { return true; }
    void BackgroundChanged() override { scrollSurface_ = QImage(); }

private:
    void SetColorOf(TColor& field, TColor value);
    void PaintTrace(QImage& canvas, const AnalysisRect& a) const;
    void PaintScrolling(QImage& canvas, const AnalysisRect& a);
    void PaintScales(QImage& canvas) const;

    // Foreground, inactive, effect, disabled, grid, scale text, scale line, bar, bar tick,
    // selection, selection dots, locator.
    TColor colors_[12] = {clr::Aqua,  clr::Teal, clr::Red,   clr::Gray, clr::Gray, clr::Black,
                          clr::Black, clr::Gray, clr::White, clr::Red,  clr::Red,  clr::Yellow};
    std::int32_t activeFirst_ = 0;
    std::int32_t activeEnd_ = -1; // -1: to the last column
    QImage scrollSurface_;
    bool freshFrame_ = false;
};

} // namespace vk350
