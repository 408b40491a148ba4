#include "oscope_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vk350 {

OscopeView::OscopeView(QWidget* parent) : AnalysisViewBase(parent) {
    resize(194, 90);
    OnRedraw = [this] { AnalysisViewBase::Redraw(); };
    SyncSize();
}

OscopeView::~OscopeView() {
    OnRedraw = nullptr;
}

void OscopeView::SetColorOf(BgrColor& field, BgrColor value) {
    if (field == value)
        return;
    field = value;
    AnalysisViewBase::Redraw();
}

void OscopeView::SetActiveRange(std::int32_t first, std::int32_t end) {
    activeFirst_ = std::max(first, 0);
    activeEnd_ = end;
    AnalysisViewBase::Redraw();
}

void OscopeView::SetEnabled(bool value) {
    if (!value)
        EndInfo();
    QWidget::setEnabled(value);
    OscopeAnalysis::SetEnabled(value);
    AnalysisViewBase::Redraw();
}

void OscopeView::SizeChanged(int width, int height) {
    FitAnalysis(*this, width, height);
    scrollSurface_ = QImage();
}

void OscopeView::SetPCMWaveFormat(const WaveFormatEx& format) {
    OscopeAnalysis::SetPCMWaveFormat(format);
}

void OscopeView::RefreshPCMData(const uint8_t* block) {
    if (!HandOver<OscopeAnalysis>(*this, block, BlockLength()))
        return;
    freshFrame_ = true;
    ComposeNow();
}

void OscopeView::ResetData() {
    EndInfo();
    scrollSurface_ = QImage();
    OscopeAnalysis::ResetData();
}

QString OscopeView::InfoAt(int x, int y) const {
    return QString::fromStdString(InfoText(x, y));
}

void OscopeView::PaintTrace(QImage& canvas, const AnalysisRect& a) const {
    if (OnDrawLine) {
        OnDrawLine(canvas, Columns(), QRect(a.left, a.top, a.width, a.height));
        return;
    }
    const int end = activeEnd_ < 0 ? a.width : activeEnd_;
    for (const OscopeLine& line : Trace()) {
        const bool active = line.x1 >= activeFirst_ && line.x1 < end;
        const BgrColor color = !active ? colors_[1] : line.ink == inkEffect ? colors_[2] : colors_[0];
        // Clipped to the drawing area, so a trace beyond the top never touches the bevel.
        PlainLine(canvas, a.left + line.x1, a.top + line.y1, a.left + line.x2, a.top + line.y2, RgbOf(color),
                  &a);
    }
}

// One column per block at the left of the position bar; older columns move left.
void OscopeView::PaintScrolling(QImage& canvas, const AnalysisRect& a) {
    const int bar = std::min(BarWidth(), a.width - 1);
    if (scrollSurface_.size() != QSize(a.width, a.height)) {
        scrollSurface_ = QImage(a.width, a.height, QImage::Format_RGB32);
        FillBackground(scrollSurface_, {0, 0, a.width, a.height});
    }
    const int x = a.width - bar - 1;
    if (freshFrame_ && Enabled()) {
        for (int y = 0; y < a.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(scrollSurface_.scanLine(y));
            std::copy(line + 1, line + x + 1, line);
            line[x] = RgbOf(Color());
        }
        if (Rows().size() >= 2) {
            const int y1 = std::clamp(Rows()[0], 0, a.height - 1);
            const int y2 = std::clamp(Rows()[1], 0, a.height - 1);
            FillBox(scrollSurface_, x, std::min(y1, y2), 1, std::abs(y2 - y1) + 1, RgbOf(colors_[0]));
        }
    }
    freshFrame_ = false;
    FillBox(scrollSurface_, x + 1, 0, bar, a.height, RgbOf(colors_[7]));
    for (int row : GridRows())
        FillBox(scrollSurface_, x + 1, row, bar, 1, RgbOf(colors_[8]));
    QPainter(&canvas).drawImage(a.left, a.top, scrollSurface_);
}

void OscopeView::PaintScales(QImage& canvas) const {
    if (!DrawAmpScale() && !DrawTimeScale())
        return;
    const AnalysisRect a = DrawArea();
    const int e = Bevel().Extent();
    QPainter p(&canvas);
    const QColor parentColor =
        parentWidget() ? parentWidget()->palette().color(QPalette::Window) : Qt::lightGray;
    QFont f(QStringLiteral("ARIAL"));
    f.setPixelSize(SCALEFONTSIZE);
    p.setFont(f);
    const QColor text(RgbOf(colors_[5]));
    const QColor line(RgbOf(colors_[6]));
    if (DrawAmpScale()) {
        const QRect left(e, e, 32, a.height);
        const QRect right(a.left + a.width, e, 32, a.height);
        p.fillRect(left, parentColor);
        p.fillRect(right, parentColor);
        for (int row : GridRows()) {
            const int y = a.top + row;
            const QString label = QString::number(GetAmplitude(a.left, y), 'f', 1);
            p.setPen(line);
            p.drawLine(left.right() - 3, y, left.right(), y);
            p.drawLine(right.left(), y, right.left() + 3, y);
            p.setPen(text);
            p.drawText(QRect(left.left(), y - 6, 27, 12), Qt::AlignRight | Qt::AlignVCenter, label);
            p.drawText(QRect(right.left() + 5, y - 6, 27, 12), Qt::AlignLeft | Qt::AlignVCenter, label);
        }
        p.drawText(QRect(left.left(), a.top, 30, 12), Qt::AlignCenter, QStringLiteral("V"));
    }
    if (DrawTimeScale()) {
        const QRect bottom(a.left, a.top + a.height, a.width, 40);
        p.fillRect(bottom, parentColor);
        int lastRight = -1000;
        for (int column : GridColumns()) {
            const int x = a.left + column;
            p.setPen(line);
            p.drawLine(x, bottom.top(), x, bottom.top() + 3);
            const QString label = QString::number(GetTime(x, a.top), 'f', 1);
            const int tw = p.fontMetrics().horizontalAdvance(label);
            if (x - tw / 2 > lastRight + 4) {
                p.setPen(text);
                p.drawText(x - tw / 2, bottom.top() + 16, label);
                lastRight = x + tw / 2;
            }
        }
        p.setPen(text);
        p.drawText(QRect(bottom.left(), bottom.top() + 20, bottom.width(), 16), Qt::AlignCenter,
                   QStringLiteral("mS"));
    }
}

void OscopeView::DrawFrame(QImage& canvas) {
    const AnalysisRect a = DrawArea();
    if (Scroll()) {
        PaintScrolling(canvas, a);
    } else {
        FillBackground(canvas, a);
        if (Enabled()) {
            PaintSelectionFill(canvas, a, colors_[9]);
            if (DrawMidLine()) {
                // Dashed: four pixels on, four off.
                const QRgb rgb = RgbOf(colors_[3]);
                for (int x = 0; x < a.width; x += 8)
                    FillBox(canvas, a.left + x, a.top + MidRow(), std::min(4, a.width - x), 1, rgb);
            }
            if (DrawGrid()) {
                const QRgb rgb = RgbOf(colors_[4]);
                for (int row : GridRows())
                    DottedHLine(canvas, a.left, a.left + a.width - 1, a.top + row, rgb);
                for (int column : GridColumns())
                    DottedVLine(canvas, a.left + column, a.top, a.top + a.height - 1, rgb);
            }
            PaintTrace(canvas, a);
        } else {
            const OscopeLine line = DisabledLine();
            PlainLine(canvas, a.left + line.x1, a.top + line.y1, a.left + line.x2, a.top + line.y2,
                      RgbOf(colors_[3]));
        }
        PaintSelectionMarks(canvas, a, colors_[10], colors_[11]);
    }
    PaintScales(canvas);
    if (OnPostPaint)
        OnPostPaint(canvas);
}

} // namespace vk350
