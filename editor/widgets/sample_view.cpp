#include "sample_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vk350 {

SampleView::SampleView(QWidget* parent)
    : QWidget(parent), ownDocument_(std::make_unique<SampleDocument>()), document_(ownDocument_.get()) {
    // Everything is painted from the off-screen image; no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 80);
    document_->Buffer().OnRedraw = [this] { DrawWave(); };
}

SampleView::~SampleView() = default;

void SampleView::SetDocument(SampleDocument& document) {
    if (&document == document_)
        return;
    document_->Buffer().OnRedraw = nullptr;
    document_ = &document;
    if (document_ != ownDocument_.get())
        ownDocument_.reset();
    document_->Buffer().OnRedraw = [this] { DrawWave(); };
    DrawWave();
}

template <typename T> void SampleView::SetAndRedraw(T& field, T value) {
    if (field == value)
        return;
    field = value;
    DrawWave();
}

template <typename T> void SampleView::SetGradientSetting(T& field, T value) {
    if (field == value)
        return;
    field = value;
    gradientValid_ = false;
    DrawWave();
}

void SampleView::SetMinMaxMode(bool value) {
    SetAndRedraw(minMaxMode_, value);
}
void SampleView::SetSelectionTint(bool value) {
    SetAndRedraw(selectionTint_, value);
}
void SampleView::SetColor(BgrColor value) {
    SetAndRedraw(color_, value);
}
void SampleView::SetLineColor(BgrColor value) {
    SetAndRedraw(lineColor_, value);
}
void SampleView::SetAxesColor(BgrColor value) {
    SetAndRedraw(axesColor_, value);
}
void SampleView::SetAxes2Color(BgrColor value) {
    SetAndRedraw(axes2Color_, value);
}
void SampleView::SetLocatorColor(BgrColor value) {
    SetAndRedraw(locatorColor_, value);
}
void SampleView::SetSelectionColor(BgrColor value) {
    SetAndRedraw(selectionColor_, value);
}
void SampleView::SetMarkerColor(BgrColor value) {
    SetAndRedraw(markerColor_, value);
}
void SampleView::SetGradientColor(BgrColor value) {
    SetGradientSetting(gradientColor_, value);
}
void SampleView::SetGradientEnabled(bool value) {
    SetGradientSetting(gradientEnabled_, value);
}
void SampleView::SetGradientType(tGradientTypex value) {
    SetGradientSetting(gradientType_, value);
}
void SampleView::SetAxesEnabled(bool value) {
    SetAndRedraw(axesEnabled_, value);
}
void SampleView::SetAxes2Enabled(bool value) {
    SetAndRedraw(axes2Enabled_, value);
}
void SampleView::SetMarkerSize(int value) {
    SetAndRedraw(markerSize_, value);
}
void SampleView::SetLocatorEnabled(bool value) {
    SetAndRedraw(locatorEnabled_, value);
}
void SampleView::SetLocatorSize(int value) {
    SetAndRedraw(locatorSize_, value);
}
void SampleView::SetSelectionStyle(int value) {
    SetAndRedraw(selectionStyle_, value);
}
void SampleView::SetSpectrumMode(bool value) {
    SetAndRedraw(spectrumMode_, value);
}

void SampleView::SetGradientNbOfColors(int value) {
    if (value != 0 && (value < 2 || value > 256))
        return;
    SetGradientSetting(gradientNbOfColors_, value);
}

void SampleView::SetTabStop(bool value) {
    if (value == tabStop_)
        return;
    tabStop_ = value;
    // A click still focuses the control; only the Tab key skips it.
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
    DrawWave();
}

void SampleView::DrawWave() {
    // A hidden control is drawn when it is next painted or its frame is read, so that settings
    // made one after another while it is hidden (at start-up, in the bank) cost one frame. Its
    // next paint draws afresh, so changes made meanwhile without a redraw are not hidden behind
    // an old frame.
    if (!isVisible()) {
        stale_ = true;
        frameReady_ = false;
        return;
    }
    Render();
    frameReady_ = true;
    update();
}

// The images are a cache of the control's state: reading them draws a redraw still due.
void SampleView::DrawIfStale() const {
    if (stale_)
        const_cast<SampleView*>(this)->Render();
}

const QImage& SampleView::OffscreenImage() const {
    DrawIfStale();
    return offscreen_;
}

const QImage& SampleView::GradientImage() const {
    DrawIfStale();
    return gradient_;
}

bool SampleView::GradientValid() const {
    DrawIfStale();
    return gradientValid_;
}

void SampleView::paintEvent(QPaintEvent*) {
    if (!frameReady_ || offscreen_.size() != size())
        Render();
    frameReady_ = false;
    QPainter painter(this);
    painter.drawImage(0, 0, offscreen_);
}

void SampleView::Fire(const std::function<void(SampleView*)>& event) {
    if (event)
        event(this);
}

// The top row gives the highest value and the bottom row the lowest.
void SampleView::DrawValueAt(int x, int y) {
    const int span = height() - 2;
    if (span <= 0)
        return;
    const std::int64_t k = static_cast<std::int64_t>(ViewOrigin()) + x;
    if (k < 0 || k >= GetSampleLen())
        return;
    const int value = std::clamp((span - y) * 256 / span, 0, 255);
    GetData()[k] = static_cast<std::uint8_t>(value);
}

namespace {

// The selection end x - SelectionPos, at most the last column; in 64 bits, as SelectionPos may
// have been set to anything.
std::int32_t DraggedLen(int x, std::int32_t selectionPos, int width) {
    const std::int64_t len = std::min<std::int64_t>(static_cast<std::int64_t>(x) - selectionPos, width - 2);
    return static_cast<std::int32_t>(std::max<std::int64_t>(len, INT32_MIN));
}

int EventX(const QMouseEvent* event) {
    return static_cast<int>(std::floor(event->position().x()));
}
int EventY(const QMouseEvent* event) {
    return static_cast<int>(std::floor(event->position().y()));
}

} // namespace

void SampleView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    dragging_ = false;
    const int x = EventX(event);
    if (event->button() == Qt::LeftButton) {
        // Stored without a redraw: the first move draws.
        if (HitLocator(x)) {
            dragMode_ = 0;
            document_->Buffer().SetLocatorPosQuiet(x);
        } else {
            dragMode_ = -1;
            int pos = x;
            if (pos < 0)
                pos = 0;
            if (pos > width() - 2)
                pos = width() - 3;
            document_->Buffer().SetSelectionPosQuiet(pos);
        }
        dragging_ = true;
    } else if (event->button() == Qt::RightButton) {
        if (Zoom() == 1) {
            DrawValueAt(x, EventY(event));
            dragging_ = true;
        }
    }
}

void SampleView::mouseMoveEvent(QMouseEvent* event) {
    const int x = EventX(event);
    if (event->buttons() & Qt::LeftButton) {
        if (!dragging_)
            return;
        if (dragMode_ == 0) {
            document_->Buffer().SetLocatorPosQuiet(std::clamp(x, 0, std::max(0, width() - 2)));
            Fire(OnLocatorChange);
        } else {
            document_->Buffer().SetSelectionLenQuiet(DraggedLen(x, SelectionPos(), width()));
            Fire(OnSelectorChange);
        }
        DrawWave();
    } else if (event->buttons() & Qt::RightButton) {
        if (dragging_ && x <= width() - 2) {
            if (Zoom() == 1)
                DrawValueAt(x, EventY(event));
            if (alwayDetect_)
                Fire(OnChange);
        }
        DrawWave();
    }
}

void SampleView::mouseReleaseEvent(QMouseEvent* event) {
    const int x = EventX(event);
    if (event->button() == Qt::LeftButton) {
        // The release does not redraw: the last move has drawn the same selection.
        if (dragMode_ == 0) {
            document_->Buffer().SetLocatorPosQuiet(std::clamp(x, 0, std::max(0, width() - 2)));
            Fire(OnLocatorChange);
        } else {
            document_->Buffer().SetSelectionLenQuiet(DraggedLen(x, SelectionPos(), width()));
            document_->Buffer().NormaliseSelection();
            Fire(OnSelectorChange);
        }
    } else if (event->button() == Qt::RightButton) {
        if (dragging_ && x <= width() - 2) {
            if (Zoom() == 1)
                DrawValueAt(x, EventY(event));
            DrawWave();
            Fire(OnChange);
        }
    }
    dragging_ = false;
}

} // namespace vk350
