#include "spectrum_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace vk350 {

SpectrumView::SpectrumView(QWidget* parent) : AnalysisViewBase(parent) {
    resize(194, 89);
    OnRedraw = [this] {
        inactiveDirty_ = true;
        UpdateTimer();
        AnalysisViewBase::Redraw();
    };
    peakTimer_.setInterval(PEAKTIMERINTERVAL);
    QObject::connect(&peakTimer_, &QTimer::timeout, this, [this] {
        // The falling peaks show without waiting for data; an info box holds the picture.
        if (!InfoActive() && PeakTick())
            AnalysisViewBase::Redraw();
    });
    UpdateTimer();
    SyncSize();
}

SpectrumView::~SpectrumView() {
    peakTimer_.stop();
    OnRedraw = nullptr;
}

void SpectrumView::SetColorOf(BgrColor& field, BgrColor value) {
    if (field == value)
        return;
    field = value;
    inactiveDirty_ = true;
    AnalysisViewBase::Redraw();
}

void SpectrumView::SetFlag(bool& field, bool value) {
    if (field == value)
        return;
    field = value;
    inactiveDirty_ = true;
    AnalysisViewBase::Redraw();
}

void SpectrumView::UpdateTimer() {
    // A running timer keeps its phase.
    if (PeakTimerActive() && !peakTimer_.isActive())
        peakTimer_.start();
    else if (!PeakTimerActive())
        peakTimer_.stop();
}

void SpectrumView::SetEnabled(bool value) {
    if (!value)
        EndInfo();
    QWidget::setEnabled(value);
    SpectrumAnalysis::SetEnabled(value);
    UpdateTimer();
    AnalysisViewBase::Redraw();
}

void SpectrumView::SizeChanged(int width, int height) {
    FitAnalysis(*this, width, height);
    scrollSurface_ = QImage();
    inactiveDirty_ = true;
}

void SpectrumView::SetPCMWaveFormat(const WaveFormatEx& format) {
    SpectrumAnalysis::SetPCMWaveFormat(format);
}

void SpectrumView::RefreshPCMData(const uint8_t* block) {
    if (!HandOver<SpectrumAnalysis>(*this, block, BlockLength()))
        return;
    freshFrame_ = true;
    ComposeNow();
}

void SpectrumView::ResetData() {
    EndInfo();
    scrollSurface_ = QImage();
    SpectrumAnalysis::ResetData();
}

QString SpectrumView::InfoAt(int x, int y) const {
    return QString::fromStdString(InfoText(x, y));
}

QRgb SpectrumView::BandRgb(int band) const {
    return RgbOf(bar_[std::clamp(band, 0, 2)]);
}

int SpectrumView::RowBand(int row) const {
    if (row < ThresholdRow(Point2()))
        return 2;
    return row < ThresholdRow(Point1()) ? 1 : 0;
}

// The part of every frame that only changes with the settings: the background, the unlit
// spots and the grid, composed once.
void SpectrumView::BuildInactive() {
    const AnalysisRect a = DrawArea();
    inactiveSurface_ = QImage(std::max(1, a.width), std::max(1, a.height), QImage::Format_RGB32);
    FillBackground(inactiveSurface_, {0, 0, a.width, a.height});
    if (drawInactive_ && (Kind() == skBars || Kind() == skPeaks)) {
        for (const SpectrumRun& run : Runs()) {
            const auto [left, right] = BarColumns(run);
            for (int n = 1; n <= Spots(); ++n)
                FillBox(inactiveSurface_, left, SpotTop(n), right - left, SpotHeight(),
                        RgbOf(inactive_[SpotBand(n)]), inactiveDoted_);
        }
    }
    PaintGrid(inactiveSurface_, {0, 0, a.width, a.height});
    inactiveDirty_ = false;
}

void SpectrumView::PaintBackground(QImage& canvas, const AnalysisRect& a) {
    if (OnClearBackground) {
        OnClearBackground(canvas, QRect(a.left, a.top, a.width, a.height));
        PaintGrid(canvas, a);
        return;
    }
    if (inactiveDirty_ || inactiveSurface_.size() != QSize(a.width, a.height))
        BuildInactive();
    if (a.left < 0 || a.top < 0 || a.left + a.width > canvas.width() || a.top + a.height > canvas.height()) {
        QPainter(&canvas).drawImage(a.left, a.top, inactiveSurface_);
        return;
    }
    for (int y = 0; y < a.height; ++y)
        std::memcpy(reinterpret_cast<QRgb*>(canvas.scanLine(a.top + y)) + a.left,
                    inactiveSurface_.constScanLine(y), sizeof(QRgb) * std::size_t(a.width));
}

void SpectrumView::PaintGrid(QImage& canvas, const AnalysisRect& a) const {
    if (!DrawGrid() || Kind() == skScroll)
        return;
    const QRgb rgb = RgbOf(gridColor_);
    for (int row : GridRows())
        DottedHLine(canvas, a.left, a.left + a.width - 1, a.top + row, rgb);
    for (int column : GridColumns())
        DottedVLine(canvas, a.left + column, a.top, a.top + a.height - 1, rgb);
}

void SpectrumView::PaintBars(QImage& canvas, const AnalysisRect& a) {
    const bool peaksOnly = Kind() == skPeaks;
    for (const SpectrumRun& run : Runs()) {
        const auto [left, right] = BarColumns(run);
        if (OnDrawBar) {
            OnDrawBar(canvas, QRect(a.left + left, a.top, right - left, a.height), run.peak.peak, run.value);
            continue;
        }
        const int x = a.left + left;
        const int w = right - left;
        for (int n = peaksOnly ? run.spots : 1; n >= 1 && n <= run.spots; ++n)
            FillBox(canvas, x, a.top + SpotTop(n), w, SpotHeight(), BandRgb(SpotBand(n)), activeDoted_);
        const auto [held, count] = PeakMarker(run);
        for (int n = held; n > held - count && n >= 1; --n)
            FillBox(canvas, x, a.top + SpotTop(n), w, SpotHeight(), BandRgb(SpotBand(n)), activeDoted_);
    }
}

void SpectrumView::PaintLineKinds(QImage& canvas, const AnalysisRect& a) const {
    const int h = a.height;
    int lastX = -1;
    int lastY = 0;
    for (const SpectrumRun& run : Runs()) {
        const int row = h - run.value - 1;
        const QRgb rgb = Enabled() ? BandRgb(RowBand(row)) : RgbOf(inactive_[0]);
        switch (Kind()) {
        case skDots:
            FillBox(canvas, a.left + run.first, a.top + row, std::max(1, run.end - run.first), 1, rgb);
            break;
        case skLines: {
            const int x = a.left + (run.first + std::max(run.end, run.first + 1) - 1) / 2;
            if (lastX >= 0)
                PlainLine(canvas, lastX, lastY, x, a.top + row, rgb);
            lastX = x;
            lastY = a.top + row;
            break;
        }
        case skVLines: {
            const auto [left, right] = BarColumns(run);
            // Three bands split at the threshold rows.
            for (int y = row; y < h; ++y)
                FillBox(canvas, a.left + left, a.top + y, right - left, 1,
                        Enabled() ? BandRgb(RowBand(y)) : RgbOf(inactive_[0]));
            break;
        }
        default:
            break;
        }
    }
}

// The picture moves left by SCROLLDISTANCE per frame; the freed strip shows the new frame with
// the columns' values laid along its height, low frequencies at the bottom.
void SpectrumView::PaintScroll(QImage& canvas, const AnalysisRect& a) {
    if (scrollSurface_.size() != QSize(a.width, a.height)) {
        scrollSurface_ = QImage(a.width, a.height, QImage::Format_RGB32);
        scrollSurface_.fill(RgbOf(Color()));
    }
    const int w = a.width;
    const int h = a.height;
    const int d = std::min(SCROLLDISTANCE, w);
    if (!freshFrame_) {
        QPainter(&canvas).drawImage(a.left, a.top, scrollSurface_);
        return;
    }
    freshFrame_ = false;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(scrollSurface_.scanLine(y));
        std::copy(line + d, line + w, line);
    }
    const std::vector<SpectrumRun>& runs = Runs();
    const int t1 = ThresholdRow(Point1());
    const int t2 = ThresholdRow(Point2());
    std::size_t r = 0;
    // From the bottom row up, so that the column only grows as the runs do.
    for (int y = h - 1; y >= 0; --y) {
        const int column = (h - 1 - y) * w / h;
        while (r + 1 < runs.size() && runs[r + 1].first <= column)
            ++r;
        const int v = runs.empty() ? 0 : runs[r].value;
        QRgb rgb = RgbOf(Color());
        if (v > t2)
            rgb = BandRgb(2);
        else if (v > t1)
            rgb = BandRgb(1);
        else if (v > 0)
            rgb = BandRgb(0);
        FillBox(scrollSurface_, w - d, y, d, 1, rgb);
    }
    QPainter p(&canvas);
    p.drawImage(a.left, a.top, scrollSurface_);
}

void SpectrumView::PaintPeakText(QImage& canvas, const AnalysisRect& a) const {
    const std::string text = PeakText();
    if (text.empty())
        return;
    QPainter p(&canvas);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    const QString s = QString::fromStdString(text);
    const QFontMetrics fm(f);
    const int tw = fm.horizontalAdvance(s);
    const SpectrumPeak peak = GetPeak();
    const int x = std::clamp(a.left + peak.column - tw / 2, a.left, std::max(a.left, a.left + a.width - tw));
    const int y = std::max(a.top + fm.ascent(), a.top + a.height - peak.value - 3);
    p.drawText(x, y, s);
}

void SpectrumView::PaintScales(QImage& canvas) const {
    if (!DrawAmpScale() && !DrawFreqScale())
        return;
    const AnalysisRect a = DrawArea();
    const int e = Bevel().Extent();
    QPainter p(&canvas);
    const QColor parentColor =
        parentWidget() ? parentWidget()->palette().color(QPalette::Window) : Qt::lightGray;
    QFont f(QStringLiteral("ARIAL"));
    f.setPixelSize(SCALEFONTSIZE);
    p.setFont(f);
    const QColor text(RgbOf(scaleTextColor_));
    const QColor line(RgbOf(scaleLineColor_));
    if (DrawAmpScale()) {
        const QRect left(e, e, 32, a.height + (DrawFreqScale() ? 40 : 0));
        const QRect right(a.left + a.width, e, 32, left.height());
        p.fillRect(left, parentColor);
        p.fillRect(right, parentColor);
        for (int row : GridRows()) {
            const int y = a.top + row;
            const double v = GetAmplitudeAtPos(a.left, y);
            const QString label =
                LogAmp() ? QString::number(int(std::lround(v))) : QString::number(v, 'f', 1);
            p.setPen(line);
            p.drawLine(left.right() - 3, y, left.right(), y);
            p.drawLine(right.left(), y, right.left() + 3, y);
            p.setPen(text);
            p.drawText(QRect(left.left(), y - 6, 27, 12), Qt::AlignRight | Qt::AlignVCenter, label);
            p.drawText(QRect(right.left() + 5, y - 6, 27, 12), Qt::AlignLeft | Qt::AlignVCenter, label);
        }
        const QString unit = LogAmp() ? QStringLiteral("db") : QStringLiteral("V");
        p.drawText(QRect(left.left(), a.top + a.height, 30, 14), Qt::AlignCenter, unit);
        p.drawText(QRect(right.left(), a.top + a.height, 30, 14), Qt::AlignCenter, unit);
    }
    if (DrawFreqScale()) {
        const QRect bottom(a.left, a.top + a.height, a.width, 40);
        p.fillRect(bottom, parentColor);
        const std::vector<std::int32_t>& columns = GridColumns();
        // Labels on every column that leaves room for the text.
        int lastRight = -1000;
        for (int column : columns) {
            const int x = a.left + column;
            p.setPen(line);
            p.drawLine(x, bottom.top(), x, bottom.top() + 3);
            const QString label = QString::number(GetFrequencyAtPos(x, a.top) / 1000.0, 'f', 1);
            const int tw = p.fontMetrics().horizontalAdvance(label);
            if (x - tw / 2 > lastRight + 4) {
                p.setPen(text);
                p.drawText(x - tw / 2, bottom.top() + 16, label);
                lastRight = x + tw / 2;
            }
        }
        p.setPen(text);
        p.drawText(QRect(bottom.left(), bottom.top() + 20, bottom.width(), 16), Qt::AlignCenter,
                   QStringLiteral("Hz"));
    }
}

void SpectrumView::DrawFrame(QImage& canvas) {
    const AnalysisRect a = DrawArea();
    if (Kind() == skScroll) {
        PaintScroll(canvas, a);
    } else {
        PaintBackground(canvas, a);
        if (Kind() == skBars || Kind() == skPeaks)
            PaintBars(canvas, a);
        else
            PaintLineKinds(canvas, a);
    }
    PaintPeakText(canvas, a);
    PaintScales(canvas);
}

} // namespace vk350
