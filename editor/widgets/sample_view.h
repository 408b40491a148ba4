#pragma once

#include "color_ref.h"
#include "gradient.h"
#include "sample_document.h"

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

// The waveform editor control: owns one sample (with its clipboard and undo copy) and shows it
// over an optional gradient, with axes, point markers, a locator and a selection. The left
// button moves the locator or drags a selection; the right button draws values at zoom 1.
//
// Every redraw paints into an off-screen image that reaches the screen in one copy. Property
// setters store and redraw only on change. Window thread only.
class SampleView : public QWidget {
public:
    explicit SampleView(QWidget* parent = nullptr);
    ~SampleView() override;

    // Events; each gets the control. Unassigned events are not fired.
    std::function<void(SampleView*)> OnChange;         // a value was drawn with the mouse
    std::function<void(SampleView*)> OnLocatorChange;  // the user moved the locator
    std::function<void(SampleView*)> OnSelectorChange; // the user changed the selection

    // The sample and all its operations.
    SampleBuffer& Sample() { return document_->Buffer(); }
    const SampleBuffer& Sample() const { return document_->Buffer(); }
    // The document the control shows and edits: its own until another is given. A document given
    // must outlive the control's drawing: its owner keeps it until the control is no longer drawn.
    SampleDocument& Document() { return *document_; }
    const SampleDocument& Document() const { return *document_; }
    void SetDocument(SampleDocument& document);

    // The operations the windows use, through the control.

    std::int32_t GetSampleLen() const { return document_->Buffer().GetSampleLen(); }
    void SetSampleLen(std::int32_t n) { document_->Buffer().SetSampleLen(n); }
    std::uint8_t* GetData() { return document_->Buffer().GetData(); }
    const std::uint8_t* GetData() const { return document_->Buffer().GetData(); }
    std::uint8_t GetSampleValue(std::int32_t index) const {
        return document_->Buffer().GetSampleValue(index);
    }
    void SetSampleValue(std::uint8_t value, std::int32_t index) {
        document_->Buffer().SetSampleValue(value, index);
    }
    bool LoadFromFile(const std::string& fileName, bool redraw, std::int64_t offset) {
        return document_->Buffer().LoadFromFile(fileName, redraw, offset);
    }
    bool SaveToFile(const std::string& fileName) const { return document_->Buffer().SaveToFile(fileName); }
    void Clear(bool redraw) { document_->Buffer().Clear(redraw); }
    void CopySelection() { document_->Buffer().CopySelection(); }
    void PasteAtLocator() { document_->Buffer().PasteAtLocator(); }
    void CutSelection(bool shift) { document_->Buffer().CutSelection(shift); }
    void CropSelection() { document_->Buffer().CropSelection(); }
    void MuteSelection() { document_->Buffer().MuteSelection(); }
    void Undo() { document_->Buffer().Undo(); }
    void ConvertSign(bool wholeSample, bool redraw) { document_->Buffer().ConvertSign(wholeSample, redraw); }
    void Reverse() { document_->Buffer().Reverse(); }
    void AddOffset(const std::uint8_t* source, std::int32_t delta) {
        document_->Buffer().AddOffset(source, delta);
    }
    std::uint8_t GetMaxValue(const std::uint8_t* source) const {
        return document_->Buffer().GetMaxValue(source);
    }
    std::uint8_t GetMinValue(const std::uint8_t* source) const {
        return document_->Buffer().GetMinValue(source);
    }
    void FixZero(bool redraw) { document_->Buffer().FixZero(redraw); }

    // Properties of the sample and view.
    std::int32_t Max() const { return document_->Buffer().Max(); }
    void SetMax(std::int32_t value) { document_->Buffer().SetMax(value); }
    std::int32_t ViewOrigin() const { return document_->Buffer().ViewOrigin(); }
    void SetViewOrigin(std::int32_t value) { document_->Buffer().SetViewOrigin(value); }
    std::int32_t Zoom() const { return document_->Buffer().Zoom(); }
    void SetZoom(std::int32_t value) { document_->Buffer().SetZoom(value); }
    std::int32_t LocatorPos() const { return document_->Buffer().LocatorPos(); }
    void SetLocatorPos(std::int32_t value) { document_->Buffer().SetLocatorPos(value); }
    std::int32_t SelectionPos() const { return document_->Buffer().SelectionPos(); }
    void SetSelectionPos(std::int32_t value) { document_->Buffer().SetSelectionPos(value); }
    std::int32_t SelectionLen() const { return document_->Buffer().SelectionLen(); }
    void SetSelectionLen(std::int32_t value) { document_->Buffer().SetSelectionLen(value); }
    bool SpectrumCenter() const { return document_->Buffer().SpectrumCenter(); }
    void SetSpectrumCenter(bool value) { document_->Buffer().SetSpectrumCenter(value); }

    // Drawing properties; colours are 0x00BBGGRR.
    BgrColor Color() const { return color_; }
    void SetColor(BgrColor value);
    BgrColor LineColor() const { return lineColor_; }
    void SetLineColor(BgrColor value);
    BgrColor AxesColor() const { return axesColor_; }
    void SetAxesColor(BgrColor value);
    BgrColor Axes2Color() const { return axes2Color_; }
    void SetAxes2Color(BgrColor value);
    BgrColor LocatorColor() const { return locatorColor_; }
    void SetLocatorColor(BgrColor value);
    BgrColor SelectionColor() const { return selectionColor_; }
    void SetSelectionColor(BgrColor value);
    BgrColor MarkerColor() const { return markerColor_; }
    void SetMarkerColor(BgrColor value);
    BgrColor GradientColor() const { return gradientColor_; }
    void SetGradientColor(BgrColor value);
    bool GradientEnabled() const { return gradientEnabled_; }
    void SetGradientEnabled(bool value);
    // 0 (bands follow the control's size) or 2 to 256; other values are ignored.
    int GradientNbOfColors() const { return gradientNbOfColors_; }
    void SetGradientNbOfColors(int value);
    tGradientTypex GradientType() const { return gradientType_; }
    void SetGradientType(tGradientTypex value);
    bool AxesEnabled() const { return axesEnabled_; }
    void SetAxesEnabled(bool value);
    bool Axes2Enabled() const { return axes2Enabled_; }
    void SetAxes2Enabled(bool value);
    int MarkerSize() const { return markerSize_; }
    void SetMarkerSize(int value);
    bool LocatorEnabled() const { return locatorEnabled_; }
    void SetLocatorEnabled(bool value);
    int LocatorSize() const { return locatorSize_; }
    void SetLocatorSize(int value);
    // 0 = inverted, 1 = XOR with SelectionColor.
    int SelectionStyle() const { return selectionStyle_; }
    void SetSelectionStyle(int value);
    // false = connected line, true = one vertical bar per column.
    bool SpectrumMode() const { return spectrumMode_; }
    void SetSpectrumMode(bool value);
    // Fire OnChange while values are drawn, not only on release; only stored.
    bool AlwayDetect() const { return alwayDetect_; }
    void SetAlwayDetect(bool value) { alwayDetect_ = value; }
    bool TabStop() const { return tabStop_; }
    // At zoom above 1 the line drawing shows each column's lowest to highest sample as a filled
    // envelope, so that dense material keeps its shape; off, every column shows one sample.
    bool MinMaxMode() const { return minMaxMode_; }
    void SetMinMaxMode(bool value);
    // The selection washed with SelectionColor instead of inverted or XORed, so that the wave in
    // it keeps its colours and stays readable.
    bool SelectionTint() const { return selectionTint_; }
    void SetSelectionTint(bool value);

    // A time ruler along the top at this many samples per second, asked at every redraw;
    // none while unassigned or below 1.
    std::function<int()> RulerRate;
    // Text shown at the right end of the ruler, asked at every redraw (the owner's positions).
    std::function<QString()> RulerNote;
    // One line shown in the middle of a control whose sample is empty.
    QString EmptyText() const { return emptyText_; }
    void SetEmptyText(const QString& value);
    void SetTabStop(bool value);

    // Full redraw into the off-screen image, then one copy to the screen.
    void DrawWave();
    // Rebuilds the cached gradient image for the current size and gradient settings.
    void BuildGradient();
    bool GradientValid() const;
    // The last drawn frame, as it reaches the screen; a hidden control's frame is drawn first
    // when a redraw is due.
    const QImage& OffscreenImage() const;
    const QImage& GradientImage() const;

    bool Dragging() const { return dragging_; }
    // 0 = the locator is being dragged, -1 = the selection end.
    int DragMode() const { return dragMode_; }
    bool HitLocator(int x) const {
        const std::int64_t locator = LocatorPos(); // any value: the property has no range check
        return locator - 5 < x && x < locator + 5;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawIfStale() const;
    void Render();
    void PaintBackground();
    void PaintAxes(class WaveCanvas& canvas, int w, int h);
    void PaintWave(class WaveCanvas& canvas, int w, int h);
    void PaintEnvelope(class WaveCanvas& canvas, int w, int h);
    void PaintOverlay();
    void DrawValueAt(int x, int y);
    void Fire(const std::function<void(SampleView*)>& event);
    template <typename T> void SetAndRedraw(T& field, T value);
    template <typename T> void SetGradientSetting(T& field, T value);

    std::unique_ptr<SampleDocument> ownDocument_;
    SampleDocument* document_;

    BgrColor color_ = 0x000000;
    BgrColor lineColor_ = 0x808000;
    BgrColor axesColor_ = 0x000080;
    BgrColor axes2Color_ = 0x800080;
    BgrColor locatorColor_ = 0x800080;
    BgrColor selectionColor_ = 0xFF0000;
    BgrColor markerColor_ = 0xFFFF00;
    BgrColor gradientColor_ = 0x800000;
    bool gradientEnabled_ = false;
    int gradientNbOfColors_ = 64;
    tGradientTypex gradientType_ = grxVertCenterToBorder;
    bool axesEnabled_ = true;
    bool axes2Enabled_ = false;
    int markerSize_ = 1;
    bool locatorEnabled_ = true;
    int locatorSize_ = 3;
    int selectionStyle_ = 0;
    bool spectrumMode_ = false;
    bool alwayDetect_ = true;
    bool tabStop_ = true;
    bool minMaxMode_ = false;
    bool selectionTint_ = false;
    QString emptyText_;

    QImage offscreen_;
    QImage gradient_;
    bool gradientValid_ = false;
    // Set when the off-screen image holds the current frame, so a paint only copies it.
    bool frameReady_ = false;
    // A redraw was asked for while hidden and not yet drawn.
    bool stale_ = false;
    std::vector<QPoint> points_;
    bool dragging_ = false;
    int dragMode_ = -1;
};

} // namespace vk350
