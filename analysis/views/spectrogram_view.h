// SpectrogramView: the scrolling spectrogram. SpectrogramAnalysis writes one column of palette
// indices per block into its picture; this control shows that picture in the palette's colours
// with the frequency scales beside it, and takes the chain's blocks as a PcmDisplay. Window
// thread only.
#pragma once

#include "analysis_view_base.h"
#include "pcm_display.h"
#include "spectrogram_analysis.h"

#include <QVector>

namespace vk350 {

class SpectrogramView : public AnalysisViewBase, public SpectrogramAnalysis, public PcmDisplay {
public:
    explicit SpectrogramView(QWidget* parent = nullptr);
    ~SpectrogramView() override;

    BgrColor ScaleTextColor() const { return colors_[0]; }
    void SetScaleTextColor(BgrColor value) { SetColorOf(colors_[0], value); }
    BgrColor ScaleLineColor() const { return colors_[1]; }
    void SetScaleLineColor(BgrColor value) { SetColorOf(colors_[1], value); }
    BgrColor SelectionColor() const { return colors_[2]; }
    void SetSelectionColor(BgrColor value) { SetColorOf(colors_[2], value); }
    BgrColor SelectionDotColor() const { return colors_[3]; }
    void SetSelectionDotColor(BgrColor value) { SetColorOf(colors_[3], value); }
    BgrColor LocatorColor() const { return colors_[4]; }
    void SetLocatorColor(BgrColor value) { SetColorOf(colors_[4], value); }

    void SetEnabled(bool value);

    // PcmDisplay.
    void SetPCMWaveFormat(const WaveFormatEx& format) override;
    void RefreshPCMData(const uint8_t* block) override;
    void ResetData() override;
    uint32_t BlockLength() const override { return uint32_t(BytesPerSpectrogram()); }
    bool Accelerate() const override { return SpectrogramAnalysis::Accelerate(); }

protected:
    AnalysisRect DrawRect() const override { return DrawArea(); }
    void DrawFrame(QImage& canvas) override;
    void SizeChanged(int width, int height) override;
    bool ViewEnabled() const override { return Enabled(); }
    bool InfoWanted() const override { return ShowInfo(); }
    QString InfoAt(int x, int y) const override;
    bool OffersSelection() const override { return true; }

private:
    void SetColorOf(BgrColor& field, BgrColor value);
    void BuildColorTable();
    void BuildScales();
    void PaintScales(QImage& canvas);

    // Scale text, scale line, selection, selection dots, locator.
    BgrColor colors_[5] = {clr::Black, clr::Black, clr::Red, clr::Red, clr::Yellow};
    QVector<QRgb> colorTable_;
    // The two scale strips, drawn again only when what they show changes.
    QImage scales_[2];
    bool scalesDirty_ = true;
};

} // namespace vk350
