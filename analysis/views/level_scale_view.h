// TMMLevelScale: the decibel labels beside a level meter, painted straight onto the window on
// every repaint; it takes no data. LevelScaleLayout says which labels go where; TMMLevScale is
// the optional tick ruler along it. Window thread only.
#pragma once

#include "level_scale_layout.h"
#include "view_paint.h"

#include <QFont>
#include <QWidget>

namespace vk350 {

// A tick ruler: TickCount ticks, every EnlargeEvery-th one longer, Size pixels deep, growing
// from the inner or the outer edge, optionally joined by a line.
struct TMMLevScale {
    bool Visible = false;
    std::int32_t TickCount = 11;
    std::int32_t EnlargeEvery = 5;
    std::int32_t Size = 7;
    TMMScaleOrigin Origin = soInner;
    bool Connect = false;
    bool operator==(const TMMLevScale&) const = default;
};

class TMMLevelScale : public QWidget, public LevelScaleLayout {
public:
    explicit TMMLevelScale(QWidget* parent = nullptr);

    TColor Scale1Color() const { return colors_[0]; }
    void SetScale1Color(TColor value) { SetColorOf(colors_[0], value); }
    TColor Scale2Color() const { return colors_[1]; }
    void SetScale2Color(TColor value) { SetColorOf(colors_[1], value); }
    TColor Scale3Color() const { return colors_[2]; }
    void SetScale3Color(TColor value) { SetColorOf(colors_[2], value); }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { SetColorOf(color_, value); }
    const TMMLevScale& Scale() const { return scale_; }
    void SetScale(const TMMLevScale& value);
    // The label font; QWidget's own font is left alone.
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& value);

    // The labels as painted now.
    std::vector<LevelScaleLabel> CurrentLabels();
    // The picture as painted now.
    QImage Picture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetColorOf(TColor& field, TColor value);
    void PaintOn(QPainter& p);
    void PaintRuler(QPainter& p) const;
    QColor BandColor(int band) const { return QColor(RgbOf(colors_[std::clamp(band, 0, 2)])); }

    TColor colors_[3] = {clr::White, clr::White, clr::Red};
    TColor color_ = clr::Black;
    TMMLevScale scale_;
    QFont font_;
};

} // namespace vk350
