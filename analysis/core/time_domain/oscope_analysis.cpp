#include "oscope_analysis.h"

#include "analysis_errors.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>

namespace vk350 {

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

OscopeAnalysis::OscopeAnalysis() : AnalysisFrame(194, 90) {
    Changed();
}

// Stores a value that changes how the columns map to the picture, and maps them again.
template <class T> void OscopeAnalysis::Assign(T& field, T value) {
    if (field == value)
        return;
    field = value;
    MapFrame(false);
    Redraw();
}

void OscopeAnalysis::Changed() {
    const std::int32_t side = drawAmpScale_ ? 32 : 0;
    area_.left = bevel_ + side;
    area_.top = bevel_;
    area_.width = std::max(4, width_ - 2 * bevel_ - 2 * side);
    area_.height = std::max(4, height_ - 2 * bevel_ - (drawTimeScale_ ? 40 : 0));
    columns_.assign(std::size_t(area_.width), 0);
    SetupGrid();
    MapFrame(false);
}

void OscopeAnalysis::SetKind(OscopeKind value) {
    if (value >= okDots && value <= okSpikes)
        Assign(kind_, value);
}

void OscopeAnalysis::SetZoom(std::int32_t value) {
    if (value != 0)
        Assign(zoom_, std::clamp(value, -9, 9));
}

void OscopeAnalysis::SetSteps(std::int32_t value) {
    Assign(steps_, std::clamp(value, 1, 9));
}

void OscopeAnalysis::SetGain(std::int32_t value) {
    if (value >= -8 && value <= 32)
        Assign(gain_, value);
}

void OscopeAnalysis::SetEffect(OscopeEffect value) {
    if (value >= efNone && value <= efSplit)
        Assign(effect_, value);
}

void OscopeAnalysis::SetBitLength(SampleBits value) {
    input_.SetBitLength(value);
}
void OscopeAnalysis::SetMode(ChannelMode value) {
    input_.SetMode(value);
}
void OscopeAnalysis::SetChannel(ChannelChoice value) {
    input_.SetChannel(value);
}

void OscopeAnalysis::SetSampleRate(std::int32_t value) {
    Assign(sampleRate_, std::clamp(value, 8000, 88200));
}

void OscopeAnalysis::SetDrawMidLine(bool value) {
    Assign(drawMidLine_, value);
}
void OscopeAnalysis::SetDrawGrid(bool value) {
    Assign(drawGrid_, value);
}

void OscopeAnalysis::SetDrawAmpScale(bool value) {
    if (value == drawAmpScale_)
        return;
    drawAmpScale_ = value;
    Changed();
    Redraw();
}

void OscopeAnalysis::SetDrawTimeScale(bool value) {
    if (value == drawTimeScale_)
        return;
    drawTimeScale_ = value;
    Changed();
    Redraw();
}

void OscopeAnalysis::SetAccelerate(bool value) {
    accelerate_ = value;
}

void OscopeAnalysis::SetScroll(bool value) {
    if (value == scroll_)
        return;
    scroll_ = value;
    std::fill(columns_.begin(), columns_.end(), std::int16_t(0));
    MapFrame(false);
    Redraw();
}

void OscopeAnalysis::SetFFTLength(std::int32_t value) {
    fftLength_ = std::int32_t(std::bit_floor(std::uint32_t(std::clamp(value, 1, 4096))));
}

void OscopeAnalysis::SetLowPass(bool value) {
    lowPass_ = value;
}
void OscopeAnalysis::SetBarWidth(std::int32_t value) {
    Assign(barWidth_, std::clamp(value, 1, 32));
}
void OscopeAnalysis::SetShowInfo(bool value) {
    showInfo_ = value;
}

void OscopeAnalysis::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    Redraw();
}

void OscopeAnalysis::SetPCMWaveFormat(const WaveFormatEx& format) {
    PcmInput input = input_;
    if (!input.SetFromFormat(format))
        throw OscopeError(kInvalidWaveFormat);
    input_ = input;
    SetSampleRate(std::int32_t(format.nSamplesPerSec));
}

std::int32_t OscopeAnalysis::BytesPerScope() const {
    const std::int32_t frame = input_.BytesPerFrame();
    if (scroll_)
        return frame * fftLength_;
    if (zoom_ > 0)
        return frame * area_.width * zoom_;
    return (frame * area_.width / (1 + std::abs(zoom_)) + 5) / 4 * 4;
}

// A frame's value on the 16-bit scale, for the chosen channel or the average of both.
std::int32_t OscopeAnalysis::Value(const std::uint8_t* block, std::int32_t frame) const {
    std::int32_t v = 0;
    if (!input_.Stereo() || input_.Channel() == chLeft)
        v = input_.Left(block, frame);
    else if (input_.Channel() == chRight)
        v = input_.Right(block, frame);
    else
        v = (input_.Left(block, frame) + input_.Right(block, frame)) / 2;
    return input_.BitLength() == b8Bit ? v * 256 - 32768 : v;
}

bool OscopeAnalysis::RefreshPCMData(const std::uint8_t* block) {
    if (!enabled_ || !block)
        return false;
    const std::int32_t frames = std::max(1, BytesPerScope() / input_.BytesPerFrame());
    if (scroll_) {
        // The block's span; with both channels, the average of their extremes.
        std::int32_t lowL = 32767, highL = -32768, lowR = 32767, highR = -32768;
        const bool both = input_.Stereo() && input_.Channel() == chBoth;
        for (std::int32_t i = 0; i < frames; ++i) {
            std::int32_t l = 0;
            std::int32_t r = 0;
            if (both) {
                l = input_.Left(block, i);
                r = input_.Right(block, i);
                if (input_.BitLength() == b8Bit) {
                    l = l * 256 - 32768;
                    r = r * 256 - 32768;
                }
            } else {
                l = r = Value(block, i);
            }
            lowL = std::min(lowL, l);
            highL = std::max(highL, l);
            lowR = std::min(lowR, r);
            highR = std::max(highR, r);
        }
        columns_[0] = std::int16_t((lowL + lowR) / 2);
        columns_[1] = std::int16_t((highL + highR) / 2);
    } else {
        const std::int32_t repeat = 1 + std::abs(zoom_);
        std::int32_t previous = 0;
        for (std::int32_t i = 0; i < area_.width; ++i) {
            const std::int32_t frame = std::min(zoom_ > 0 ? i * zoom_ : i / repeat, frames - 1);
            const std::int32_t v = Value(block, frame);
            columns_[std::size_t(i)] = std::int16_t(lowPass_ ? (previous + 3 * v) / 4 : v);
            previous = v;
        }
    }
    MapFrame(true);
    return true;
}

bool OscopeAnalysis::RefreshPCMData(const std::uint8_t* block, std::size_t size) {
    if (size < std::size_t(BytesPerScope()))
        return false;
    return RefreshPCMData(block);
}

bool OscopeAnalysis::SetData(const std::int16_t* columns) {
    if (!enabled_ || !columns)
        return false;
    std::copy(columns, columns + area_.width, columns_.begin());
    MapFrame(true);
    return true;
}

void OscopeAnalysis::ResetData() {
    std::fill(columns_.begin(), columns_.end(), std::int16_t(0));
    MapFrame(false);
    Redraw();
}

std::int32_t OscopeAnalysis::RowOf(std::int32_t value) const {
    const std::int64_t range = kind_ == okSpikes ? 32767 : 65535;
    const std::int64_t offset = kind_ == okSpikes ? 0 : 32767;
    const std::int64_t h = area_.height;
    const std::int64_t a = (std::int64_t(value) * (gain_ + 8) / 8 + offset) * h / range;
    return std::int32_t(h - a - 1);
}

OscopeInk OscopeAnalysis::InkOf(std::int32_t value) const {
    const std::int32_t h = area_.height;
    const std::int32_t a = h - 1 - RowOf(value);
    switch (effect_) {
    case efPeak:
        return a < h / EFFECTLIMIT || a > h - h / EFFECTLIMIT ? inkEffect : inkForeground;
    case efSplit:
        return a < 0 || a > h / 2 ? inkEffect : inkForeground;
    case efNone:
    default:
        return inkForeground;
    }
}

void OscopeAnalysis::MapFrame(bool events) {
    const std::int32_t h = area_.height;
    const std::int32_t count = scroll_ ? 2 : area_.width;
    rows_.assign(std::size_t(count), 0);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t v = columns_[std::size_t(i)];
        rows_[std::size_t(i)] = RowOf(v);
        // Only the columns that are drawn report.
        if (!events || (!scroll_ && i % steps_ != 0))
            continue;
        if (v > 32766 && OnPcmOverflow)
            OnPcmOverflow();
        if (h - 1 - rows_[std::size_t(i)] > h && OnGainOverflow)
            OnGainOverflow();
    }
    BuildTrace();
}

void OscopeAnalysis::BuildTrace() {
    trace_.clear();
    const std::int32_t w = area_.width;
    const std::int32_t h = area_.height;
    const std::int32_t mid = MidRow();
    if (scroll_) {
        trace_.push_back({w - 1, rows_[0], w - 1, rows_[1], inkForeground});
        return;
    }
    std::int32_t lastX = 0;
    std::int32_t lastY = rows_[0];
    for (std::int32_t x = 0; x < w; x += steps_) {
        const std::int32_t y = rows_[std::size_t(x)];
        const OscopeInk ink = InkOf(columns_[std::size_t(x)]);
        switch (kind_) {
        case okDots:
            trace_.push_back({x, y, x, y, ink});
            break;
        case okConLines:
            if (x > 0)
                trace_.push_back({lastX, lastY, x, y, ink});
            break;
        case okVertLines:
            trace_.push_back({x, mid, x, y, ink});
            break;
        case okMirLines: {
            const std::int32_t d = std::abs(y - mid);
            trace_.push_back({x, mid - d, x, mid + d, ink});
            break;
        }
        case okSpikes:
            trace_.push_back({x, h - 1, x, y, ink});
            break;
        }
        lastX = x;
        lastY = y;
    }
    if (kind_ == okConLines)
        trace_.push_back({lastX, lastY, lastX + steps_, lastY, InkOf(columns_[std::size_t(lastX)])});
}

void OscopeAnalysis::SetupGrid() {
    const std::int32_t w = area_.width;
    const std::int32_t h = area_.height;
    std::int32_t n = 10;
    while (h / n < SCALEFONTSIZE && n - 2 > 2)
        n -= 2;
    gridRows_.clear();
    for (std::int32_t k = 0; k <= n; ++k)
        gridRows_.push_back(h - 1 - std::int32_t(k * 32760.0 / n / (32768.0 / h)));
    std::int32_t c = 32;
    while (w / c < SCALEFONTSIZE && c > 1)
        c /= 2;
    gridColumns_.clear();
    for (std::int32_t k = 0; k <= c; ++k)
        gridColumns_.push_back(k * (w - 1) / c);
}

OscopeLine OscopeAnalysis::DisabledLine() const {
    return {5, MidRow(), area_.width - 5, MidRow(), inkForeground};
}

double OscopeAnalysis::BlockDuration() const {
    const double w = area_.width;
    double frames = w * zoom_;
    if (scroll_)
        frames = w * fftLength_;
    else if (zoom_ < 0)
        frames = w / (1 + std::abs(zoom_));
    return frames * 1000.0 / sampleRate_;
}

double OscopeAnalysis::GetAmplitude(std::int32_t x, std::int32_t y) const {
    if (!area_.Contains(x, y))
        return 0;
    const double h = area_.height;
    const double row = y - area_.top;
    if (kind_ == okSpikes)
        return 10.0 / (h - 1) * (h - row - 1) * 0.1;
    return 10.0 / h * (area_.height / 2 - row) * 0.2;
}

double OscopeAnalysis::GetTime(std::int32_t x, std::int32_t y) const {
    if (!area_.Contains(x, y))
        return 0;
    return (x - area_.left + 1) * BlockDuration() / area_.width;
}

std::string OscopeAnalysis::InfoText(std::int32_t x, std::int32_t y) const {
    return Format("%4.1f ms", GetTime(x, y)) + Format(" %4.2f V", GetAmplitude(x, y));
}

} // namespace vk350
