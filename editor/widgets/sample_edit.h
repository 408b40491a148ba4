#pragma once

#include "color_ref.h"
#include "gradient.h"
#include "sample_buffer.h"

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The waveform editor control: owns one sample (with its clipboard and undo copy) and shows it
// over an optional gradient, with axes, point markers, a locator and a selection. The left
// button moves the locator or drags a selection; the right button draws values at zoom 1.
//
// Every redraw paints into an off-screen image that reaches the screen in one copy. Property
// setters store and redraw only on change. Window thread only.
class TsqSampleEdit : public QWidget {
public:
    explicit TsqSampleEdit(QWidget* parent = nullptr);
    ~TsqSampleEdit() override;

    // Events; each gets the control. Unassigned events are not fired.
    std::function<void(TsqSampleEdit*)> OnChange;         // a value was drawn with the mouse
    std::function<void(TsqSampleEdit*)> OnLocatorChange;  // the user moved the locator
    std::function<void(TsqSampleEdit*)> OnSelectorChange; // the user changed the selection

    // The sample and its operations.
    SampleBuffer& Sample() { return m_sample; }
    const SampleBuffer& Sample() const { return m_sample; }

    std::int32_t GetSampleLen() const { return m_sample.GetSampleLen(); }
    void SetSampleLen(std::int32_t n) { m_sample.SetSampleLen(n); }
    std::uint8_t* GetData() { return m_sample.GetData(); }
    const std::uint8_t* GetData() const { return m_sample.GetData(); }
    const std::uint8_t* Clipboard() const { return m_sample.Clipboard(); }
    std::int32_t ClipboardLen() const { return m_sample.ClipboardLen(); }
    std::uint8_t GetSampleValue(std::int32_t index) const { return m_sample.GetSampleValue(index); }
    void SetSampleValue(std::uint8_t value, std::int32_t index) { m_sample.SetSampleValue(value, index); }
    bool LoadFromFile(const std::string& fileName, bool redraw, std::int64_t offset) {
        return m_sample.LoadFromFile(fileName, redraw, offset);
    }
    bool SaveToFile(const std::string& fileName) const { return m_sample.SaveToFile(fileName); }
    void LoadFromBuffer(const std::uint8_t* source, std::int32_t count) {
        m_sample.LoadFromBuffer(source, count);
    }
    void Clear(bool redraw) { m_sample.Clear(redraw); }
    void CopySelection() { m_sample.CopySelection(); }
    void PasteAtLocator() { m_sample.PasteAtLocator(); }
    void CutSelection(bool shift) { m_sample.CutSelection(shift); }
    void CropSelection() { m_sample.CropSelection(); }
    void MuteSelection() { m_sample.MuteSelection(); }
    void SaveUndo() { m_sample.SaveUndo(); }
    void Undo() { m_sample.Undo(); }
    void ConvertSign(bool wholeSample, bool redraw) { m_sample.ConvertSign(wholeSample, redraw); }
    void Reverse() { m_sample.Reverse(); }
    void AddOffset(const std::uint8_t* source, std::int32_t delta) { m_sample.AddOffset(source, delta); }
    std::uint8_t GetMaxValue(const std::uint8_t* source) const { return m_sample.GetMaxValue(source); }
    std::uint8_t GetMinValue(const std::uint8_t* source) const { return m_sample.GetMinValue(source); }
    void FixZero(bool redraw) { m_sample.FixZero(redraw); }
    void LinearToMuLaw(bool redraw) { m_sample.LinearToMuLaw(redraw); }
    void MuLawToLinear(bool redraw) { m_sample.MuLawToLinear(redraw); }

    // Properties of the sample and view.
    std::int32_t Max() const { return m_sample.Max(); }
    void SetMax(std::int32_t value) { m_sample.SetMax(value); }
    std::int32_t ViewOrigin() const { return m_sample.ViewOrigin(); }
    void SetViewOrigin(std::int32_t value) { m_sample.SetViewOrigin(value); }
    std::int32_t Zoom() const { return m_sample.Zoom(); }
    void SetZoom(std::int32_t value) { m_sample.SetZoom(value); }
    std::int32_t LocatorPos() const { return m_sample.LocatorPos(); }
    void SetLocatorPos(std::int32_t value) { m_sample.SetLocatorPos(value); }
    std::int32_t SelectionPos() const { return m_sample.SelectionPos(); }
    void SetSelectionPos(std::int32_t value) { m_sample.SetSelectionPos(value); }
    std::int32_t SelectionLen() const { return m_sample.SelectionLen(); }
    void SetSelectionLen(std::int32_t value) { m_sample.SetSelectionLen(value); }
    bool SpectrumCenter() const { return m_sample.SpectrumCenter(); }
    void SetSpectrumCenter(bool value) { m_sample.SetSpectrumCenter(value); }

    // Drawing properties; colours are 0x00BBGGRR.
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor LineColor() const { return m_lineColor; }
    void SetLineColor(TColor value);
    TColor AxesColor() const { return m_axesColor; }
    void SetAxesColor(TColor value);
    TColor Axes2Color() const { return m_axes2Color; }
    void SetAxes2Color(TColor value);
    TColor LocatorColor() const { return m_locatorColor; }
    void SetLocatorColor(TColor value);
    TColor SelectionColor() const { return m_selectionColor; }
    void SetSelectionColor(TColor value);
    TColor MarkerColor() const { return m_markerColor; }
    void SetMarkerColor(TColor value);
    TColor GradientColor() const { return m_gradientColor; }
    void SetGradientColor(TColor value);
    bool GradientEnabled() const { return m_gradientEnabled; }
    void SetGradientEnabled(bool value);
    // 0 (bands follow the control's size) or 2 to 256; other values are ignored.
    int GradientNbOfColors() const { return m_gradientNbOfColors; }
    void SetGradientNbOfColors(int value);
    tGradientTypex GradientType() const { return m_gradientType; }
    void SetGradientType(tGradientTypex value);
    bool AxesEnabled() const { return m_axesEnabled; }
    void SetAxesEnabled(bool value);
    bool Axes2Enabled() const { return m_axes2Enabled; }
    void SetAxes2Enabled(bool value);
    int MarkerSize() const { return m_markerSize; }
    void SetMarkerSize(int value);
    bool LocatorEnabled() const { return m_locatorEnabled; }
    void SetLocatorEnabled(bool value);
    int LocatorSize() const { return m_locatorSize; }
    void SetLocatorSize(int value);
    // 0 = inverted, 1 = XOR with SelectionColor.
    int SelectionStyle() const { return m_selectionStyle; }
    void SetSelectionStyle(int value);
    // false = connected line, true = one vertical bar per column.
    bool SpectrumMode() const { return m_spectrumMode; }
    void SetSpectrumMode(bool value);
    // Fire OnChange while values are drawn, not only on release; only stored.
    bool AlwayDetect() const { return m_alwayDetect; }
    void SetAlwayDetect(bool value) { m_alwayDetect = value; }
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool value);

    // Full redraw into the off-screen image, then one copy to the screen.
    void DrawWave();
    // Rebuilds the cached gradient image for the current size and gradient settings.
    void BuildGradient();
    bool GradientValid() const { return m_gradientValid; }
    // The last drawn frame, as it reaches the screen.
    const QImage& OffscreenImage() const { return m_offscreen; }
    const QImage& GradientImage() const { return m_gradient; }

    bool Dragging() const { return m_dragging; }
    // 0 = the locator is being dragged, -1 = the selection end.
    int DragMode() const { return m_dragMode; }
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
    void Render();
    void PaintBackground();
    void PaintAxes(class WaveCanvas& canvas, int w, int h);
    void PaintWave(class WaveCanvas& canvas, int w, int h);
    void DrawValueAt(int x, int y);
    void Fire(const std::function<void(TsqSampleEdit*)>& event);
    template <typename T> void SetAndRedraw(T& field, T value);
    template <typename T> void SetGradientSetting(T& field, T value);

    SampleBuffer m_sample;

    TColor m_color = 0x000000;
    TColor m_lineColor = 0x808000;
    TColor m_axesColor = 0x000080;
    TColor m_axes2Color = 0x800080;
    TColor m_locatorColor = 0x800080;
    TColor m_selectionColor = 0xFF0000;
    TColor m_markerColor = 0xFFFF00;
    TColor m_gradientColor = 0x800000;
    bool m_gradientEnabled = false;
    int m_gradientNbOfColors = 64;
    tGradientTypex m_gradientType = grxVertCenterToBorder;
    bool m_axesEnabled = true;
    bool m_axes2Enabled = false;
    int m_markerSize = 1;
    bool m_locatorEnabled = true;
    int m_locatorSize = 3;
    int m_selectionStyle = 0;
    bool m_spectrumMode = false;
    bool m_alwayDetect = true;
    bool m_tabStop = true;

    QImage m_offscreen;
    QImage m_gradient;
    bool m_gradientValid = false;
    // Set when the off-screen image holds the current frame, so a paint only copies it.
    bool m_frameReady = false;
    std::vector<QPoint> m_points;
    bool m_dragging = false;
    int m_dragMode = -1;
};
