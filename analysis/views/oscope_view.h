// OscopeView: the oscilloscope view. OscopeAnalysis turns each block into one value per column
// and the trace's lines; this control paints them over the background, centre line and grid,
// or, in scrolling mode, adds one column of the block's span per block. It takes the chain's
// blocks as a PcmScopeDisplay. Window thread only.
#pragma once

#include "analysis_view_base.h"
#include "oscope_analysis.h"
#include "pcm_display.h"

#include <functional>

namespace vk350 {

class OscopeView : public AnalysisViewBase, public OscopeAnalysis, public PcmScopeDisplay {
public:
    explicit OscopeView(QWidget* parent = nullptr);
    ~OscopeView() override;

    // Replaces the built-in trace: the canvas, the column values and the drawing rectangle.
    std::function<void(QImage& canvas, const std::vector<std::int16_t>& columns, const QRect& area)>
        OnDrawLine;
    // After each frame is composed.
    std::function<void(QImage& canvas)> OnPostPaint;

    BgrColor ForegroundColor() const { return colors_[0]; }
    void SetForegroundColor(BgrColor value) { SetColorOf(colors_[0], value); }
    BgrColor InactiveColor() const { return colors_[1]; }
    void SetInactiveColor(BgrColor value) { SetColorOf(colors_[1], value); }
    BgrColor EffectColor() const { return colors_[2]; }
    void SetEffectColor(BgrColor value) { SetColorOf(colors_[2], value); }
    BgrColor DisabledColor() const { return colors_[3]; }
    void SetDisabledColor(BgrColor value) { SetColorOf(colors_[3], value); }
    BgrColor GridColor() const { return colors_[4]; }
    void SetGridColor(BgrColor value) { SetColorOf(colors_[4], value); }
    BgrColor ScaleTextColor() const { return colors_[5]; }
    void SetScaleTextColor(BgrColor value) { SetColorOf(colors_[5], value); }
    BgrColor ScaleLineColor() const { return colors_[6]; }
    void SetScaleLineColor(BgrColor value) { SetColorOf(colors_[6], value); }
    BgrColor BarColor() const { return colors_[7]; }
    void SetBarColor(BgrColor value) { SetColorOf(colors_[7], value); }
    BgrColor BarTickColor() const { return colors_[8]; }
    void SetBarTickColor(BgrColor value) { SetColorOf(colors_[8], value); }
    BgrColor SelectionColor() const { return colors_[9]; }
    void SetSelectionColor(BgrColor value) { SetColorOf(colors_[9], value); }
    BgrColor SelectionDotColor() const { return colors_[10]; }
    void SetSelectionDotColor(BgrColor value) { SetColorOf(colors_[10], value); }
    BgrColor LocatorColor() const { return colors_[11]; }
    void SetLocatorColor(BgrColor value) { SetColorOf(colors_[11], value); }
    // Columns outside [first, end) are drawn in InactiveColor; all columns by default.
    void SetActiveRange(std::int32_t first, std::int32_t end);

    void SetEnabled(bool value);

    // PcmScopeDisplay.
    void SetPCMWaveFormat(const WaveFormatEx& format) override;
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
    void SetColorOf(BgrColor& field, BgrColor value);
    void PaintTrace(QImage& canvas, const AnalysisRect& a) const;
    void PaintScrolling(QImage& canvas, const AnalysisRect& a);
    void PaintScales(QImage& canvas) const;

    // Foreground, inactive, effect, disabled, grid, scale text, scale line, bar, bar tick,
    // selection, selection dots, locator.
    BgrColor colors_[12] = {clr::Aqua,  clr::Teal, clr::Red,   clr::Gray, clr::Gray, clr::Black,
                            clr::Black, clr::Gray, clr::White, clr::Red,  clr::Red,  clr::Yellow};
    std::int32_t activeFirst_ = 0;
    std::int32_t activeEnd_ = -1; // -1: to the last column
    QImage scrollSurface_;
    bool freshFrame_ = false;
};

} // namespace vk350
