// AnalysisViewBase: the base of the analysis views. A view composes each frame on an
// off-screen surface the size of the control (background, its picture, the bevel) and shows it
// in one copy; incoming data is composed at once through FastDraw. A change of look (colours, size,
// selection) only marks the frame out of date: it is composed once, when it is next painted, read
// or drawn over, however many changes came before. A left-button press inside
// the drawing area of an enabled view shows a box with the values under the pointer until the
// button is released; while it shows, incoming data is not drawn.
//
// Window thread only, like every Qt widget.
#pragma once

#include "analysis_frame.h"
#include "analysis_types.h"
#include "component_error.h"
#include "view_paint.h"

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

namespace vk350 {

class AnalysisViewError : public ComponentError {
public:
    explicit AnalysisViewError(const std::string& text) : ComponentError(text) {}
};

enum BevelStyle : std::int32_t { bvNone, bvLowered, bvRaised };
enum BorderKind : std::int32_t { bsNone, bsSingle };

// The frame around a view: a border, a space, then an outer and an inner bevel.
struct BevelFrame {
    BevelStyle BevelInner = bvNone;
    BevelStyle BevelOuter = bvNone;
    std::int32_t InnerWidth = 1;
    std::int32_t OuterWidth = 1;
    BorderKind BorderStyle = bsNone;
    std::int32_t BorderWidth = 1;
    std::int32_t BorderSpace = 0;
    BgrColor BorderColor = clr::Black;
    BgrColor InnerLightColor = clr::White;
    BgrColor InnerShadowColor = clr::Gray;
    BgrColor OuterLightColor = clr::White;
    BgrColor OuterShadowColor = clr::Gray;

    // Pixels taken on every side; widths below 0 count as 0.
    std::int32_t Extent() const;
    // Draws the frame inside [0, width) x [0, height).
    void Draw(QImage& image) const;
    bool operator==(const BevelFrame&) const = default;
};

class AnalysisViewBase : public QWidget {
public:
    explicit AnalysisViewBase(QWidget* parent = nullptr);

    const BevelFrame& Bevel() const { return bevel_; }
    void SetBevel(const BevelFrame& value);

    // Bits per pixel of the surface: 8 or 24. The surface holds true colours either way, so the
    // palette colours show exactly; other depths raise AnalysisViewError.
    std::int32_t SurfaceBits() const { return bitLength_; }
    void SetSurfaceBits(std::int32_t bits);

    BgrColor Color() const { return color_; }
    void SetColor(BgrColor value);
    // A bitmap drawn instead of the plain background, scaled to the drawing area.
    const QImage& BackGroundDIB() const { return backGround_; }
    void SetBackGroundDIB(const QImage& image);
    bool UseBackGroundDIB() const { return useBackGround_; }
    void SetUseBackGroundDIB(bool value);
    // Free for the application.
    std::int32_t Tag2() const { return tag2_; }
    void SetTag2(std::int32_t value) { tag2_ = value; }

    // The latest frame, the size of the control; an out-of-date frame is composed first.
    const QImage& Canvas() const;
    // Whether the info box shows.
    bool InfoActive() const { return infoActive_; }
    // Its text, as shown.
    QString InfoBoxText() const { return infoText_; }

    // A selection of columns [SelectionStart, SelectionEnd) and a locator column, -1 for none,
    // in the views that offer them. With UseSelection on and Locked off, dragging with the left
    // button selects; OnSelecting follows the drag and OnSelectEnd fires at the release.
    std::int32_t SelectionStart() const { return selStart_; }
    std::int32_t SelectionEnd() const { return selEnd_; }
    void SetSelection(std::int32_t start, std::int32_t end);
    std::int32_t Locator() const { return locator_; }
    void SetLocator(std::int32_t column);
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }
    bool UseSelection() const { return useSelection_; }
    void SetUseSelection(bool value) { useSelection_ = value; }
    std::function<void(std::int32_t start, std::int32_t end)> OnSelecting;
    std::function<void(std::int32_t start, std::int32_t end)> OnSelectEnd;

    // Composes the frame with routine (when the control is shown by its own flag) and copies it
    // to the window.
    void FastDraw(const std::function<void(QImage& canvas)>& routine);
    // Marks the whole frame for composing afresh.
    void Redraw();
    // Qt tells a hidden control of a new size only when it is shown; this takes the size now
    // (redraws do too). The views' block lengths follow the size they have taken.
    void SyncSize();

protected:
    // The drawing area in control coordinates.
    virtual AnalysisRect DrawRect() const = 0;
    // Composes the picture; the bevel follows.
    virtual void DrawFrame(QImage& canvas) = 0;
    // The control took a new size; the bevel's extent is BevelExtent().
    virtual void SizeChanged(int width, int height) = 0;
    // Whether the view is on and wants the info box, and the box's text at a position.
    virtual bool ViewEnabled() const = 0;
    virtual bool InfoWanted() const = 0;
    virtual QString InfoAt(int x, int y) const = 0;
    // Composes the whole frame now: for a new frame of data, which a scrolling view adds one
    // column for, so frames of data are never merged.
    void ComposeNow();
    // The view was told to take data or draw while the info box was shown: whether to go on.
    bool TakesData() const { return ViewEnabled() && !isHidden() && !infoActive_; }
    // The hand-over to the view's analysis, the same for every view. A block of length bytes
    // reaches the analysis only while the view takes data; true when it made a new frame.
    template <class Analysis>
    bool HandOver(Analysis& analysis, const std::uint8_t* block, std::uint32_t length) {
        return TakesData() && analysis.Analysis::RefreshPCMData(block, length);
    }
    // The analysis lays out its drawing area in the control's size, less the bevel.
    void FitAnalysis(AnalysisFrame& analysis, int width, int height) {
        analysis.SetBevelExtent(Bevel().Extent());
        analysis.SetBounds(width, height);
    }
    // The background of the drawing area: the bitmap or Color.
    void FillBackground(QImage& canvas, const AnalysisRect& area) const;
    // Color or the background bitmap changed: surfaces made from them are out of date.
    virtual void BackgroundChanged() {}
    // Views with a column selection say so; they paint it with these.
    virtual bool OffersSelection() const { return false; }
    void PaintSelectionFill(QImage& canvas, const AnalysisRect& area, BgrColor color) const;
    void PaintSelectionMarks(QImage& canvas, const AnalysisRect& area, BgrColor dots, BgrColor locator) const;
    // Ends the info box as a button release would.
    void EndInfo();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ComposePending();
    void UpdateInfo(const QPoint& at);
    QRect InfoBoxRect() const;

    BevelFrame bevel_;
    std::int32_t bitLength_ = 8;
    BgrColor color_ = clr::Black;
    QImage backGround_;
    bool useBackGround_ = false;
    std::int32_t tag2_ = 0;
    QImage canvas_;
    bool framePending_ = false;
    QSize syncedSize_;
    bool infoActive_ = false;
    QPoint infoPos_;
    QString infoText_;
    QString savedHint_;
    std::int32_t selStart_ = -1;
    std::int32_t selEnd_ = -1;
    std::int32_t locator_ = -1;
    bool locked_ = false;
    bool useSelection_ = false;
    bool selecting_ = false;
    std::int32_t anchor_ = 0;
};

} // namespace vk350
