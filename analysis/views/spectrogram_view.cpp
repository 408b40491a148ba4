#include "spectrogram_view.h"

#include <QPainter>
#include <algorithm>

namespace vk350 {

SpectrogramView::SpectrogramView(QWidget* parent) : AnalysisViewBase(parent) {
    resize(194, 90);
    BuildColorTable();
    OnRedraw = [this] {
        BuildColorTable();
        scalesDirty_ = true;
        AnalysisViewBase::Redraw();
    };
    SyncSize();
}

SpectrogramView::~SpectrogramView() {
    OnRedraw = nullptr;
}

void SpectrogramView::BuildColorTable() {
    const PaletteColors colors = Palette();
    colorTable_.resize(int(colors.size()));
    for (std::size_t i = 0; i < colors.size(); ++i)
        colorTable_[int(i)] = RgbOf(colors[i]);
}

void SpectrogramView::SetColorOf(BgrColor& field, BgrColor value) {
    if (field == value)
        return;
    field = value;
    scalesDirty_ = true;
    AnalysisViewBase::Redraw();
}

void SpectrogramView::SetEnabled(bool value) {
    if (!value)
        EndInfo();
    QWidget::setEnabled(value);
    SpectrogramAnalysis::SetEnabled(value);
    AnalysisViewBase::Redraw();
}

void SpectrogramView::SizeChanged(int width, int height) {
    FitAnalysis(*this, width, height);
    scalesDirty_ = true;
}

void SpectrogramView::SetPCMWaveFormat(const WaveFormatEx& format) {
    SpectrogramAnalysis::SetPCMWaveFormat(format);
}

void SpectrogramView::RefreshPCMData(const uint8_t* block) {
    if (HandOver<SpectrogramAnalysis>(*this, block, BlockLength()))
        ComposeNow();
}

void SpectrogramView::ResetData() {
    EndInfo();
    SpectrogramAnalysis::ResetData();
}

QString SpectrogramView::InfoAt(int x, int y) const {
    return QString::fromStdString(InfoText(x, y));
}

// Each scale is drawn on a 32-pixel strip in the parent's colour: the left one with its axis at
// its right edge, placed 3 pixels out of the control; the right one with its axis at its left
// edge.
void SpectrogramView::PaintScales(QImage& canvas) {
    if (!DrawScale())
        return;
    if (scalesDirty_)
        BuildScales();
    QPainter p(&canvas);
    p.drawImage(-3, 0, scales_[0]);
    p.drawImage(width() - 29, 0, scales_[1]);
}

void SpectrogramView::BuildScales() {
    scalesDirty_ = false;
    const AnalysisRect a = DrawArea();
    const QColor parentColor =
        parentWidget() ? parentWidget()->palette().color(QPalette::Window) : Qt::lightGray;
    QFont f(QStringLiteral("ARIAL"));
    f.setPixelSize(SCALEFONTSIZE);
    const QColor text(RgbOf(colors_[0]));
    const QColor line(RgbOf(colors_[1]));
    const int h = height();
    for (const bool left : {true, false}) {
        QImage strip(32, std::max(1, h), QImage::Format_RGB32);
        strip.fill(parentColor);
        QPainter p(&strip);
        p.setFont(f);
        const int axis = left ? 31 : 0;
        p.setPen(line);
        p.drawLine(axis, a.top, axis, a.top + a.height - 1);
        for (const ScaleTick& tick : ScaleTicks()) {
            const int y = a.top + tick.row;
            p.setPen(line);
            p.drawLine(left ? 28 : 0, y, left ? 31 : 3, y);
            p.setPen(text);
            const QString label = QString::fromStdString(tick.label);
            if (left)
                p.drawText(QRect(0, y - 6, 27, 12), Qt::AlignRight | Qt::AlignVCenter, label);
            else
                p.drawText(QRect(6, y - 6, 26, 12), Qt::AlignLeft | Qt::AlignVCenter, label);
        }
        if (ScaleUnitShown()) {
            p.setPen(text);
            p.drawText(left ? 2 : 13, h - 5, QStringLiteral("KHz"));
        }
        p.end();
        scales_[left ? 0 : 1] = strip;
    }
}

void SpectrogramView::DrawFrame(QImage& canvas) {
    const AnalysisRect a = DrawArea();
    PaintScales(canvas);
    const std::vector<std::uint8_t>& picture = Picture();
    // The picture and the area agree in size; anything else would be a frame of an old size.
    const bool fits = a.left >= 0 && a.top >= 0 && a.left + a.width <= canvas.width() &&
                      a.top + a.height <= canvas.height();
    if (fits && picture.size() == std::size_t(a.width) * std::size_t(a.height) && colorTable_.size() == 256) {
        const QRgb* colors = colorTable_.constData();
        for (int y = 0; y < a.height; ++y) {
            const std::uint8_t* from = picture.data() + std::size_t(y) * std::size_t(a.width);
            auto* to = reinterpret_cast<QRgb*>(canvas.scanLine(a.top + y)) + a.left;
            for (int x = 0; x < a.width; ++x)
                to[x] = colors[from[x]];
        }
    } else {
        FillBox(canvas, a, RgbOf(clr::Black));
    }
    PaintSelectionFill(canvas, a, colors_[2]);
    PaintSelectionMarks(canvas, a, colors_[3], colors_[4]);
}

} // namespace vk350
