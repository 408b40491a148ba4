#include "sample_edit.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

TsqSampleEdit::TsqSampleEdit(QWidget* parent) : QWidget(parent) {
    // Everything is painted from the off-screen image; no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 80);
    m_sample.OnRedraw = [this] { DrawWave(); };
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
    m_gradientValid = false;
    DrawWave();
}

void TsqSampleEdit::SetColor(TColor value) {
    SetAndRedraw(m_color, value);
}
void TsqSampleEdit::SetLineColor(TColor value) {
    SetAndRedraw(m_lineColor, value);
}
void TsqSampleEdit::SetAxesColor(TColor value) {
    SetAndRedraw(m_axesColor, value);
}
void TsqSampleEdit::SetAxes2Color(TColor value) {
    SetAndRedraw(m_axes2Color, value);
}
void TsqSampleEdit::SetLocatorColor(TColor value) {
    SetAndRedraw(m_locatorColor, value);
}
void TsqSampleEdit::SetSelectionColor(TColor value) {
    SetAndRedraw(m_selectionColor, value);
}
void TsqSampleEdit::SetMarkerColor(TColor value) {
    SetAndRedraw(m_markerColor, value);
}
void TsqSampleEdit::SetGradientColor(TColor value) {
    SetGradientSetting(m_gradientColor, value);
}
void TsqSampleEdit::SetGradientEnabled(bool value) {
    SetGradientSetting(m_gradientEnabled, value);
}
void TsqSampleEdit::SetGradientType(tGradientTypex value) {
    SetGradientSetting(m_gradientType, value);
}
void TsqSampleEdit::SetAxesEnabled(bool value) {
    SetAndRedraw(m_axesEnabled, value);
}
void TsqSampleEdit::SetAxes2Enabled(bool value) {
    SetAndRedraw(m_axes2Enabled, value);
}
void TsqSampleEdit::SetMarkerSize(int value) {
    SetAndRedraw(m_markerSize, value);
}
void TsqSampleEdit::SetLocatorEnabled(bool value) {
    SetAndRedraw(m_locatorEnabled, value);
}
void TsqSampleEdit::SetLocatorSize(int value) {
    SetAndRedraw(m_locatorSize, value);
}
void TsqSampleEdit::SetSelectionStyle(int value) {
    SetAndRedraw(m_selectionStyle, value);
}
void TsqSampleEdit::SetSpectrumMode(bool value) {
    SetAndRedraw(m_spectrumMode, value);
}

void TsqSampleEdit::SetGradientNbOfColors(int value) {
    if (value != 0 && (value < 2 || value > 256))
        return;
    SetGradientSetting(m_gradientNbOfColors, value);
}

void TsqSampleEdit::SetTabStop(bool value) {
    if (value == m_tabStop)
        return;
    m_tabStop = value;
    // A click still focuses the control; only the Tab key skips it.
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
    DrawWave();
}

void TsqSampleEdit::DrawWave() {
    Render();
    // A hidden control gets no paint for this frame; its next paint (when shown) draws afresh,
    // so changes made meanwhile without a redraw are not hidden behind an old frame.
    m_frameReady = isVisible();
    update();
}

void TsqSampleEdit::paintEvent(QPaintEvent*) {
    if (!m_frameReady || m_offscreen.size() != size())
        Render();
    m_frameReady = false;
    QPainter painter(this);
    painter.drawImage(0, 0, m_offscreen);
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
    m_dragging = false;
    const int x = EventX(event);
    if (event->button() == Qt::LeftButton) {
        // Stored without a redraw: the first move draws.
        if (HitLocator(x)) {
            m_dragMode = 0;
            m_sample.SetLocatorPosQuiet(x);
        } else {
            m_dragMode = -1;
            int pos = x;
            if (pos < 0)
                pos = 0;
            if (pos > width() - 2)
                pos = width() - 3;
            m_sample.SetSelectionPosQuiet(pos);
        }
        m_dragging = true;
    } else if (event->button() == Qt::RightButton) {
        if (Zoom() == 1) {
            DrawValueAt(x, EventY(event));
            m_dragging = true;
        }
    }
}

void TsqSampleEdit::mouseMoveEvent(QMouseEvent* event) {
    const int x = EventX(event);
    if (event->buttons() & Qt::LeftButton) {
        if (!m_dragging)
            return;
        if (m_dragMode == 0) {
            m_sample.SetLocatorPosQuiet(std::clamp(x, 0, std::max(0, width() - 2)));
            Fire(OnLocatorChange);
        } else {
            m_sample.SetSelectionLenQuiet(DraggedLen(x, SelectionPos(), width()));
            Fire(OnSelectorChange);
        }
        DrawWave();
    } else if (event->buttons() & Qt::RightButton) {
        if (m_dragging && x <= width() - 2) {
            if (Zoom() == 1)
                DrawValueAt(x, EventY(event));
            if (m_alwayDetect)
                Fire(OnChange);
        }
        DrawWave();
    }
}

void TsqSampleEdit::mouseReleaseEvent(QMouseEvent* event) {
    const int x = EventX(event);
    if (event->button() == Qt::LeftButton) {
        // The release does not redraw: the last move has drawn the same selection.
        if (m_dragMode == 0) {
            m_sample.SetLocatorPosQuiet(std::clamp(x, 0, std::max(0, width() - 2)));
            Fire(OnLocatorChange);
        } else {
            m_sample.SetSelectionLenQuiet(DraggedLen(x, SelectionPos(), width()));
            m_sample.NormaliseSelection();
            Fire(OnSelectorChange);
        }
    } else if (event->button() == Qt::RightButton) {
        if (m_dragging && x <= width() - 2) {
            if (Zoom() == 1)
                DrawValueAt(x, EventY(event));
            DrawWave();
            Fire(OnChange);
        }
    }
    m_dragging = false;
}
