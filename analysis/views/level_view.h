// LevelView: the segmented peak-level meter. LevelAnalysis measures each block and places the
// spots; this control paints the unlit bar, the lit spots and the held peak in its colours, and
// takes the chain's blocks as a PcmDisplay. Window thread only.
#pragma once

#include "analysis_view_base.h"
#include "level_analysis.h"
#include "pcm_display.h"

#include <QTimer>
#include <functional>

namespace vk350 {

class LevelView : public AnalysisViewBase, public LevelAnalysis, public PcmDisplay {
public:
    explicit LevelView(QWidget* parent = nullptr);
    ~LevelView() override;

    // Before each frame.
    std::function<void(LevelView& sender)> OnPaint;
    // Replaces the built-in drawing: the canvas, the drawing rectangle, the held peak and the
    // value, both in spots.
    std::function<void(QImage& canvas, const QRect& area, int peak, int value)> OnDrawBar;

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
    bool ActiveDoted() const { return activeDoted_; }
    void SetActiveDoted(bool value);
    bool InactiveDoted() const { return inactiveDoted_; }
    void SetInactiveDoted(bool value);

    // A kind that does not suit the shape turns the control on its side.
    void SetKind(LevelKind value);
    void SetEnabled(bool value);
    bool PeakTimerRunning() const { return peakTimer_.isActive(); }

    // PcmDisplay.
    void SetPCMWaveFormat(const WaveFormatEx& format) override;
    void RefreshPCMData(const uint8_t* block) override;
    void ResetData() override;
    uint32_t BlockLength() const override { return uint32_t(BytesPerLevel()); }

protected:
    AnalysisRect DrawRect() const override { return DrawArea(); }
    void DrawFrame(QImage& canvas) override;
    void SizeChanged(int width, int height) override;
    bool ViewEnabled() const override { return Enabled(); }
    bool InfoWanted() const override { return false; }
    QString InfoAt(int, int) const override { return {}; }
    void BackgroundChanged() override { unlitDirty_ = true; }

private:
    void SetColorOf(BgrColor& field, BgrColor value);
    void UpdateTimer();
    void BuildUnlit();
    void PaintSpot(QImage& canvas, int n, int band, bool dotted) const;

    BgrColor bar_[3] = {clr::Aqua, clr::Aqua, clr::Red};
    BgrColor inactive_[3] = {clr::Teal, clr::Teal, clr::Maroon};
    bool activeDoted_ = false;
    bool inactiveDoted_ = false;
    // The whole bar unlit, drawn again whenever geometry, colours, direction or thresholds change.
    QImage unlit_;
    bool unlitDirty_ = true;
    QTimer peakTimer_;
};

} // namespace vk350
