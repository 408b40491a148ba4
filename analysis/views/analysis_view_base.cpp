#include "analysis_view_base.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vk350 {

std::int32_t BevelFrame::Extent() const {
    std::int32_t extent = std::max(BorderSpace, 0);
    if (BorderStyle == bsSingle)
        extent += std::max(BorderWidth, 0);
    if (BevelOuter != bvNone)
        extent += std::max(OuterWidth, 0);
    if (BevelInner != bvNone)
        extent += std::max(InnerWidth, 0);
    return extent;
}

namespace {

// One bevel ring of width w at inset: light on the top and left, shadow on the bottom and right
// (the other way round when lowered).
void DrawRing(QImage& image, int inset, int w, BevelStyle style, BgrColor light, BgrColor shadow) {
    const QRgb topLeft = RgbOf(style == bvRaised ? light : shadow);
    const QRgb bottomRight = RgbOf(style == bvRaised ? shadow : light);
    const int width = image.width();
    const int height = image.height();
    for (int i = 0; i < w; ++i) {
        const int l = inset + i;
        const int r = width - 1 - inset - i;
        const int t = inset + i;
        const int b = height - 1 - inset - i;
        if (l > r || t > b)
            return;
        FillBox(image, l, t, r - l + 1, 1, topLeft);
        FillBox(image, l, t, 1, b - t + 1, topLeft);
        FillBox(image, l, b, r - l + 1, 1, bottomRight);
        FillBox(image, r, t, 1, b - t + 1, bottomRight);
    }
}

} // namespace

void BevelFrame::Draw(QImage& image) const {
    int inset = 0;
    if (BorderStyle == bsSingle) {
        DrawRing(image, 0, std::max(BorderWidth, 0), bvRaised, BorderColor, BorderColor);
        inset += std::max(BorderWidth, 0);
    }
    inset += std::max(BorderSpace, 0);
    if (BevelOuter != bvNone) {
        DrawRing(image, inset, std::max(OuterWidth, 0), BevelOuter, OuterLightColor, OuterShadowColor);
        inset += std::max(OuterWidth, 0);
    }
    if (BevelInner != bvNone)
        DrawRing(image, inset, std::max(InnerWidth, 0), BevelInner, InnerLightColor, InnerShadowColor);
}

AnalysisViewBase::AnalysisViewBase(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_ = QImage(1, 1, QImage::Format_RGB32);
    canvas_.fill(Qt::black);
}

void AnalysisViewBase::SetBevel(const BevelFrame& value) {
    if (value == bevel_)
        return;
    bevel_ = value;
    SizeChanged(width(), height());
    Redraw();
}

void AnalysisViewBase::SetSurfaceBits(std::int32_t bits) {
    if (bits != 8 && bits != 24)
        throw AnalysisViewError("Bitlength not supported yet");
    bitLength_ = bits;
}

void AnalysisViewBase::SetColor(BgrColor value) {
    if (value == color_)
        return;
    color_ = value;
    BackgroundChanged();
    Redraw();
}

void AnalysisViewBase::SetBackGroundDIB(const QImage& image) {
    backGround_ = image.convertToFormat(QImage::Format_RGB32);
    BackgroundChanged();
    if (useBackGround_)
        Redraw();
}

void AnalysisViewBase::SetUseBackGroundDIB(bool value) {
    if (value == useBackGround_)
        return;
    useBackGround_ = value;
    BackgroundChanged();
    Redraw();
}

void AnalysisViewBase::FillBackground(QImage& canvas, const AnalysisRect& area) const {
    if (useBackGround_ && !backGround_.isNull()) {
        QPainter p(&canvas);
        p.drawImage(QRect(area.left, area.top, area.width, area.height), backGround_);
        return;
    }
    FillBox(canvas, area, RgbOf(color_));
}

void AnalysisViewBase::SyncSize() {
    if (size() == syncedSize_)
        return;
    syncedSize_ = size();
    canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas_.fill(Qt::black);
    SizeChanged(width(), height());
}

const QImage& AnalysisViewBase::Canvas() const {
    // The canvas is a cache of the view's state: reading it brings it up to date.
    const_cast<AnalysisViewBase*>(this)->ComposePending();
    return canvas_;
}

void AnalysisViewBase::ComposePending() {
    if (!framePending_)
        return;
    framePending_ = false;
    DrawFrame(canvas_);
    bevel_.Draw(canvas_);
}

void AnalysisViewBase::FastDraw(const std::function<void(QImage& canvas)>& routine) {
    ComposePending();
    routine(canvas_);
    bevel_.Draw(canvas_);
    if (!isHidden())
        update();
}

void AnalysisViewBase::Redraw() {
    SyncSize();
    framePending_ = true;
    if (!isHidden())
        update();
}

void AnalysisViewBase::ComposeNow() {
    SyncSize();
    framePending_ = true;
    ComposePending();
    if (!isHidden())
        update();
}

void AnalysisViewBase::paintEvent(QPaintEvent*) {
    ComposePending();
    QPainter p(this);
    p.drawImage(0, 0, canvas_);
    if (!infoActive_)
        return;
    // White box, black frame, the text centred on one line.
    const QRect box = InfoBoxRect();
    p.fillRect(box, QColor(RgbOf(INFOCOLOR)));
    p.setPen(Qt::black);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawText(box, Qt::AlignCenter, infoText_);
}

QRect AnalysisViewBase::InfoBoxRect() const {
    const QFontMetrics fm(font());
    const int w =
        std::max(fm.horizontalAdvance(infoText_) + 8, 10 * fm.horizontalAdvance(QLatin1Char('W')) + 4);
    const int h = fm.height() + 2;
    int x = infoPos_.x() - w / 2;
    int y = infoPos_.y() + 15;
    // Kept inside the control: up at the bottom edge, left at the right edge.
    if (y + h > height())
        y -= 40;
    x = std::clamp(x, 0, std::max(0, width() - w));
    y = std::max(y, 0);
    return QRect(x, y, w, h);
}

void AnalysisViewBase::resizeEvent(QResizeEvent*) {
    Redraw();
}

void AnalysisViewBase::UpdateInfo(const QPoint& at) {
    const AnalysisRect r = DrawRect();
    // The pointer stays inside the drawing area while the box shows.
    infoPos_ = QPoint(std::clamp(at.x(), r.left, r.left + r.width - 1),
                      std::clamp(at.y(), r.top, r.top + r.height - 1));
    infoText_ = InfoAt(infoPos_.x(), infoPos_.y());
    update();
}

void AnalysisViewBase::SetSelection(std::int32_t start, std::int32_t end) {
    if (start > end)
        std::swap(start, end);
    if (start < 0)
        start = end = -1;
    if (start == selStart_ && end == selEnd_)
        return;
    selStart_ = start;
    selEnd_ = end;
    Redraw();
}

void AnalysisViewBase::SetLocator(std::int32_t column) {
    column = std::max(column, -1);
    if (column == locator_)
        return;
    locator_ = column;
    Redraw();
}

void AnalysisViewBase::PaintSelectionFill(QImage& canvas, const AnalysisRect& area, BgrColor color) const {
    if (selStart_ < 0 || selEnd_ <= selStart_)
        return;
    const int left = std::clamp(selStart_, 0, area.width);
    const int right = std::clamp(selEnd_, 0, area.width);
    FillBox(canvas, area.left + left, area.top, right - left, area.height, RgbOf(color), true);
}

void AnalysisViewBase::PaintSelectionMarks(QImage& canvas, const AnalysisRect& area, BgrColor dots,
                                           BgrColor locator) const {
    const int bottom = area.top + area.height - 1;
    if (selStart_ >= 0 && selEnd_ > selStart_) {
        for (int edge : {selStart_, selEnd_ - 1})
            if (edge < area.width)
                DottedVLine(canvas, area.left + edge, area.top, bottom, RgbOf(dots));
    }
    if (locator_ >= 0 && locator_ < area.width)
        FillBox(canvas, area.left + locator_, area.top, 1, area.height, RgbOf(locator));
}

void AnalysisViewBase::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const AnalysisRect area = DrawRect();
    if (event->button() == Qt::LeftButton && OffersSelection() && useSelection_ && !locked_ &&
        ViewEnabled() && area.Contains(at.x(), at.y())) {
        selecting_ = true;
        anchor_ = at.x() - area.left;
        SetSelection(anchor_, anchor_ + 1);
        if (OnSelecting)
            OnSelecting(selStart_, selEnd_);
        return;
    }
    if (event->button() != Qt::LeftButton || !ViewEnabled() || !InfoWanted() ||
        !DrawRect().Contains(at.x(), at.y())) {
        QWidget::mousePressEvent(event);
        return;
    }
    infoActive_ = true;
    savedHint_ = toolTip();
    setToolTip(QString());
    UpdateInfo(at);
}

void AnalysisViewBase::mouseMoveEvent(QMouseEvent* event) {
    if (selecting_) {
        const AnalysisRect area = DrawRect();
        const int x = std::clamp(int(event->position().x()) - area.left, 0, area.width - 1);
        SetSelection(std::min(anchor_, x), std::max(anchor_, x) + 1);
        if (OnSelecting)
            OnSelecting(selStart_, selEnd_);
    } else if (infoActive_)
        UpdateInfo(event->position().toPoint());
    else
        QWidget::mouseMoveEvent(event);
}

void AnalysisViewBase::mouseReleaseEvent(QMouseEvent* event) {
    if (selecting_ && event->button() == Qt::LeftButton) {
        selecting_ = false;
        if (OnSelectEnd)
            OnSelectEnd(selStart_, selEnd_);
    } else if (infoActive_ && event->button() == Qt::LeftButton)
        EndInfo();
    else
        QWidget::mouseReleaseEvent(event);
}

void AnalysisViewBase::EndInfo() {
    if (!infoActive_)
        return;
    infoActive_ = false;
    infoText_.clear();
    setToolTip(savedHint_);
    update();
}

} // namespace vk350
