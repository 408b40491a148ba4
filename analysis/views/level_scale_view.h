// LevelScaleView: the decibel labels beside a level meter, painted straight onto the window on
// every repaint; it takes no data. LevelScaleLayout says which labels go where; LevelScaleSpan is
// the optional tick ruler along it. Window thread only.
#pragma once

#include "level_scale_layout.h"
#include "view_paint.h"

#include <QFont>
#include <QWidget>

namespace vk350 {

// A tick ruler: TickCount ticks, every EnlargeEvery-th one longer, Size pixels deep, growing
// from the inner or the outer edge, optionally joined by a line.
struct LevelScaleSpan {
    bool Visible = false;
    std::int32_t TickCount = 11;
    std::int32_t EnlargeEvery = 5;
    std::int32_t Size = 7;
    ScaleOrigin Origin = soInner;
    bool Connect = false;
    bool operator==(const LevelScaleSpan&) const = default;
};

class LevelScaleView : public QWidget, public LevelScaleLayout {
public:
    explicit LevelScaleView(QWidget* parent = nullptr);

    BgrColor Scale1Color() const { return colors_[0]; }
    void SetScale1Color(BgrColor value) { SetColorOf(colors_[0], value); }
    BgrColor Scale2Color() const { return colors_[1]; }
    void SetScale2Color(BgrColor value) { SetColorOf(colors_[1], value); }
    BgrColor Scale3Color() const { return colors_[2]; }
    void SetScale3Color(BgrColor value) { SetColorOf(colors_[2], value); }
    BgrColor Color() const { return color_; }
    void SetColor(BgrColor value) { SetColorOf(color_, value); }
    const LevelScaleSpan& Scale() const { return scale_; }
    void SetScale(const LevelScaleSpan& value);
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
    void SetColorOf(BgrColor& field, BgrColor value);
    void PaintOn(QPainter& p);
    void PaintRuler(QPainter& p) const;
    QColor BandColor(int band) const { return QColor(RgbOf(colors_[std::clamp(band, 0, 2)])); }

    BgrColor colors_[3] = {clr::White, clr::White, clr::Red};
    BgrColor color_ = clr::Black;
    LevelScaleSpan scale_;
    QFont font_;
};

} // namespace vk350
