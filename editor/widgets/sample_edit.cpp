#include "sample_edit.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace vk350 {

TsqSampleEdit::TsqSampleEdit(QWidget* parent) : QWidget(parent) {
    // Everything is painted from the off-screen image; no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 80);
    sample_.OnRedraw = [this] { DrawWave(); };
}

TsqSampleEdit::~TsqSampleEdit() = default;

template <typename T> void TsqSampleEdit::SetAndRedraw(T& field, T value) {
    if (field == value)
        return;
    field = value;
    DrawWave();
}

template <typename T> void TsqSampleEdit::SetGradientSetting(T& field, T value) {
    if (field == value)
        return;
    field = value;
    gradientValid_ = false;
    DrawWave();
}

void TsqSampleEdit::SetMinMaxMode(bool value) {
    SetAndRedraw(minMaxMode_, value);
}
void TsqSampleEdit::SetSelectionTint(bool value) {
    SetAndRedraw(selectionTint_, value);
}
void TsqSampleEdit::SetColor(TColor value) {
    SetAndRedraw(color_, value);
}
void TsqSampleEdit::SetLineColor(TColor value) {
    SetAndRedraw(lineColor_, value);
}
void TsqSampleEdit::SetAxesColor(TColor value) {
    SetAndRedraw(axesColor_, value);
}
void TsqSampleEdit::SetAxes2Color(TColor value) {
    SetAndRedraw(axes2Color_, value);
}
void TsqSampleEdit::SetLocatorColor(TColor value) {
    SetAndRedraw(locatorColor_, value);
}
void TsqSampleEdit::SetSelectionColor(TColor value) {
    SetAndRedraw(selectionColor_, value);
}
void TsqSampleEdit::SetMarkerColor(TColor value) {
    SetAndRedraw(markerColor_, value);
}
void TsqSampleEdit::SetGradientColor(TColor value) {
    SetGradientSetting(gradientColor_, value);
}
void TsqSampleEdit::SetGradientEnabled(bool value) {
    SetGradientSetting(gradientEnabled_, value);
}
void TsqSampleEdit::SetGradientType(tGradientTypex value) {
    SetGradientSetting(gradientType_, value);
}
void TsqSampleEdit::SetAxesEnabled(bool value) {
    SetAndRedraw(axesEnabled_, value);
}
void TsqSampleEdit::SetAxes2Enabled(bool value) {
    SetAndRedraw(axes2Enabled_, value);
}
void TsqSampleEdit::SetMarkerSize(int value) {
    SetAndRedraw(markerSize_, value);
}
void TsqSampleEdit::SetLocatorEnabled(bool value) {
    SetAndRedraw(locatorEnabled_, value);
}
void TsqSampleEdit::SetLocatorSize(int value) {
    SetAndRedraw(locatorSize_, value);
}
void TsqSampleEdit::SetSelectionStyle(int value) {
    SetAndRedraw(selectionStyle_, value);
}
void TsqSampleEdit::SetSpectrumMode(bool value) {
    SetAndRedraw(spectrumMode_, value);
}

void TsqSampleEdit::SetGradientNbOfColors(int value) {
    if (value != 0 && (value < 2 || value > 256))
        return;
    SetGradientSetting(gradientNbOfColors_, value);
}

void TsqSampleEdit::SetTabStop(bool value) {
    if (value == tabStop_)
        return;
    tabStop_ = value;
    // A click still focuses the control; only the Tab key skips it.
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
    DrawWave();
}

void TsqSampleEdit::DrawWave() {
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
void TsqSampleEdit::DrawIfStale() const {
    if (stale_)
        const_cast<TsqSampleEdit*>(this)->Render();
}

const QImage& TsqSampleEdit::OffscreenImage() const {
    DrawIfStale();
    return offscreen_;
}

const QImage& TsqSampleEdit::GradientImage() const {
    DrawIfStale();
    return gradient_;
}

bool TsqSampleEdit::GradientValid() const {
    DrawIfStale();
    return gradientValid_;
}

void TsqSampleEdit::paintEvent(QPaintEvent*) {
    if (!frameReady_ || offscreen_.size() != size())
        Render();
    frameReady_ = false;
    QPainter painter(this);
    painter.drawImage(0, 0, offscreen_);
}

void TsqSampleEdit::Fire(const std::function<void(TsqSampleEdit*)>& event) {
    if (event)
        event(this);
}

// The top row gives the highest value and the bottom row the lowest.
void TsqSampleEdit::DrawValueAt(int x, int y) {
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

void TsqSampleEdit::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    dragging_ = false;
    const int x = EventX(event);
    if (event->button() == Qt::LeftButton) {
        // Stored without a redraw: the first move draws.
        if (HitLocator(x)) {
            dragMode_ = 0;
            sample_.SetLocatorPosQuiet(x);
        } else {
            dragMode_ = -1;
            int pos = x;
            if (pos < 0)
                pos = 0;
            if (pos > width() - 2)
                pos = width() - 3;
            sample_.SetSelectionPosQuiet(pos);
        }
        dragging_ = true;
    } else if (event->button() == Qt::RightButton) {
        if (Zoom() == 1) {
            DrawValueAt(x, EventY(event));
            dragging_ = true;
        }
    }
}

void TsqSampleEdit::mouseMoveEvent(QMouseEvent* event) {
    const int x = EventX(event);
    if (event->buttons() & Qt::LeftButton) {
        if (!dragging_)
            return;
        if (dragMode_ == 0) {
            sample_.SetLocatorPosQuiet(std::clamp(x, 0, std::max(0, width() - 2)));
            Fire(OnLocatorChange);
        } else {
            sample_.SetSelectionLenQuiet(DraggedLen(x, SelectionPos(), width()));
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

void TsqSampleEdit::mouseReleaseEvent(QMouseEvent* event) {
    const int x = EventX(event);
    if (event->button() == Qt::LeftButton) {
        // The release does not redraw: the last move has drawn the same selection.
        if (dragMode_ == 0) {
            sample_.SetLocatorPosQuiet(std::clamp(x, 0, std::max(0, width() - 2)));
            Fire(OnLocatorChange);
        } else {
            sample_.SetSelectionLenQuiet(DraggedLen(x, SelectionPos(), width()));
            sample_.NormaliseSelection();
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
