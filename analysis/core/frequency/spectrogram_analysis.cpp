#include "spectrogram_analysis.h"

#include "analysis_errors.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vk350 {

namespace {

constexpr std::int32_t kMaxColor = MIN_COLOR + NUM_COLORS - 1;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

SpectrogramAnalysis::SpectrogramAnalysis()
    : AnalysisFrame(194, 90), values_(new std::int32_t[BlockTransform::kMaxLength / 2]()) {
    Changed();
}

template <class T> void SpectrogramAnalysis::Assign(T& field, T value) {
    if (field == value)
        return;
    field = value;
    Redraw();
}

// The size decides the picture, the row map and the scale divisions; the picture starts empty.
void SpectrogramAnalysis::Changed() {
    const std::int32_t side = drawScale_ ? 32 : 0;
    area_.left = bevel_ + side;
    area_.top = bevel_;
    area_.width = std::max(4, width_ - 2 * bevel_ - 2 * side);
    area_.height = std::max(4, height_ - 2 * bevel_);
    picture_.assign(std::size_t(area_.width) * std::size_t(area_.height), 0);
    column_.assign(std::size_t(area_.height), 0);
    rowValues_.assign(std::size_t(area_.height), 0);
    previousRowValues_.assign(std::size_t(area_.height), MIN_COLOR);
    SetupYScale();
    SetupScaleTicks();
    ClearPicture();
}

void SpectrogramAnalysis::SetFFTLength(std::int32_t value) {
    if (!transform_.SetFFTLength(value))
        return;
    std::memset(values_.get(), 0, sizeof(std::int32_t) * BlockTransform::kMaxLength / 2);
    SetupYScale();
    Redraw();
}

void SpectrogramAnalysis::SetWindow(FftWindow value) {
    if (transform_.SetWindow(value))
        Redraw();
}

void SpectrogramAnalysis::SetSampleRate(std::int32_t value) {
    value = std::clamp(value, 8000, 100000);
    if (value == sampleRate_)
        return;
    sampleRate_ = value;
    LimitFrequencyBase();
    SetupYScale();
    SetupScaleTicks();
    Redraw();
}

void SpectrogramAnalysis::SetBitLength(SampleBits value) {
    input_.SetBitLength(value);
}
void SpectrogramAnalysis::SetMode(ChannelMode value) {
    input_.SetMode(value);
}
void SpectrogramAnalysis::SetChannel(ChannelChoice value) {
    input_.SetChannel(value);
}

void SpectrogramAnalysis::SetGain(SpectrogramGain value) {
    if (value < sgrNone || value > sgr12db || value == gain_)
        return;
    gain_ = value;
    transform_.SetDifference(std::int32_t(value));
    Redraw();
}

void SpectrogramAnalysis::SetLogAmp(bool value) {
    Assign(logAmp_, value);
}

void SpectrogramAnalysis::SetSensitivy(std::int32_t value) {
    Assign(sensitivy_, std::clamp(value, -90, -9));
}

void SpectrogramAnalysis::SetAmplitudeScale(std::int32_t value) {
    Assign(amplitudeScale_, std::clamp(value, 0, 1000));
}

void SpectrogramAnalysis::SetFrequencyScale(std::int32_t value) {
    value = std::clamp(value, 1, 16);
    if (value == frequencyScale_)
        return;
    frequencyScale_ = value;
    LimitFrequencyBase();
    SetupYScale();
    SetupScaleTicks();
    Redraw();
}

void SpectrogramAnalysis::SetFrequencyBase(std::int32_t value) {
    const std::int32_t old = frequencyBase_;
    frequencyBase_ = value;
    LimitFrequencyBase();
    if (frequencyBase_ == old)
        return;
    SetupYScale();
    SetupScaleTicks();
    Redraw();
}

// Rows run from the base up to half the rate divided by the zoom; a base above that would turn
// the axis upside down, so it stays where at least 1000 Hz / zoom remain above it.
void SpectrogramAnalysis::LimitFrequencyBase() {
    const std::int32_t top = (sampleRate_ / 2 - 1000) / frequencyScale_;
    frequencyBase_ = std::clamp(frequencyBase_, 0, top);
}

void SpectrogramAnalysis::SetPaletteTyp(PaletteKind value) {
    if (value >= spHSV && value <= spHot)
        Assign(paletteTyp_, value);
}

void SpectrogramAnalysis::SetPaletteMapped(bool value) {
    Assign(paletteMapped_, value);
}
void SpectrogramAnalysis::SetPaletteRealize(bool value) {
    Assign(paletteRealize_, value);
}

void SpectrogramAnalysis::SetScroll(bool value) {
    if (value == scroll_)
        return;
    scroll_ = value;
    ClearPicture();
    Redraw();
}

void SpectrogramAnalysis::SetAccelerate(bool value) {
    accelerate_ = value;
}
void SpectrogramAnalysis::SetEmbossed(bool value) {
    Assign(embossed_, value);
}

void SpectrogramAnalysis::SetDrawScale(bool value) {
    if (value == drawScale_)
        return;
    drawScale_ = value;
    Changed();
    Redraw();
}

void SpectrogramAnalysis::SetBarColor(std::uint32_t value) {
    Assign(barColor_, value);
}
void SpectrogramAnalysis::SetBarTickColor(std::uint32_t value) {
    Assign(barTickColor_, value);
}

void SpectrogramAnalysis::SetBarWidth(std::int32_t value) {
    value = std::clamp(value, 1, 32);
    if (value == barWidth_)
        return;
    barWidth_ = value;
    ClearPicture();
    Redraw();
}

void SpectrogramAnalysis::SetShowInfo(bool value) {
    showInfo_ = value;
}
void SpectrogramAnalysis::SetEnabled(bool value) {
    Assign(enabled_, value);
}

void SpectrogramAnalysis::SetPCMWaveFormat(const WaveFormatEx& format) {
    PcmInput input = input_;
    if (!input.SetFromFormat(format))
        throw SpectrogramError(kInvalidWaveFormat);
    input_ = input;
    SetSampleRate(std::int32_t(format.nSamplesPerSec));
}

void SpectrogramAnalysis::SetupYScale() {
    const std::int32_t rows = area_.height;
    const std::int32_t n = FFTLength();
    const double z = frequencyScale_;
    const double base = double(frequencyBase_) / sampleRate_ * n;
    rowMap_.Resize(rows, Bins());
    rowMap_.Fill([&](std::int32_t i) {
        return std::int32_t(std::floor(base + 0.01 + double(i) / rows * (n / 2.0 - base * z) / z));
    });
    rowMap_.Finish();
}

void SpectrogramAnalysis::SetupScaleTicks() {
    const std::int32_t rows = area_.height;
    const double z = frequencyScale_;
    const double base = frequencyBase_;
    std::int32_t k = std::max(1, std::int32_t(sampleRate_ / 2.0 / 1000.0 * z));
    while (rows / k < SCALEFONTSIZE && k > 1)
        k /= 2;
    const double step = (sampleRate_ / 2.0 - z * base) / k / z / 1000.0;
    scaleTicks_.clear();
    for (std::int32_t j = 0; j <= k; ++j) {
        const std::int32_t row = rows - 1 - (rows - 1) * j / k;
        if (base > 0 || frequencyScale_ > 1)
            scaleTicks_.push_back({row, Format("%4.2f", base / 1000.0 + j * step)});
        else
            scaleTicks_.push_back({row, std::to_string(std::int32_t(std::nearbyint(j * step - 0.05)))});
    }
}

void SpectrogramAnalysis::ClearPicture() {
    std::fill(picture_.begin(), picture_.end(), std::uint8_t(0));
    std::fill(column_.begin(), column_.end(), std::uint8_t(0));
    std::fill(previousRowValues_.begin(), previousRowValues_.end(), MIN_COLOR);
    writePos_ = scroll_ ? -barWidth_ : 0;
    written_ = 0;
}

void SpectrogramAnalysis::ResetData() {
    transform_.Clear();
    std::memset(values_.get(), 0, sizeof(std::int32_t) * BlockTransform::kMaxLength / 2);
    ClearPicture();
    Redraw();
}

bool SpectrogramAnalysis::RefreshPCMData(const std::uint8_t* block) {
    if (!enabled_ || !block)
        return false;
    const std::int32_t overflows = transform_.Transform(block, input_);
    for (std::int32_t i = 0; i < overflows && OnPcmOverflow; ++i)
        OnPcmOverflow();
    CalcMagnitude(transform_.Spectrum());
    DrawData();
    return true;
}

bool SpectrogramAnalysis::RefreshPCMData(const std::uint8_t* block, std::size_t size) {
    if (size < std::size_t(BytesPerSpectrogram()))
        return false;
    return RefreshPCMData(block);
}

bool SpectrogramAnalysis::RefreshFFTData(const std::int16_t* spectrum) {
    if (!enabled_ || !spectrum)
        return false;
    transform_.SetSpectrum(spectrum);
    CalcMagnitude(transform_.Spectrum());
    DrawData();
    return true;
}

bool SpectrogramAnalysis::RefreshMagnitudeData(const std::int32_t* values) {
    if (!enabled_ || !values)
        return false;
    std::memcpy(values_.get(), values, sizeof(std::int32_t) * std::size_t(Bins()));
    DrawData();
    return true;
}

void SpectrogramAnalysis::CalcMagnitude(const std::int16_t* spectrum) {
    const double gain = amplitudeScale_ / 100.0;
    const double offset = -90.0 - sensitivy_;
    std::int32_t* out = values_.get();
    for (std::int32_t j = 0; j < Bins(); ++j) {
        const std::int64_t re = spectrum[2 * j];
        const std::int64_t im = spectrum[2 * j + 1];
        const std::int64_t power = re * re + im * im;
        const double v = logAmp_
                             ? 20.0 * std::log(double(std::max<std::int64_t>(power, 1))) * gain + 2.0 * offset
                             : std::sqrt(double(power)) * gain + offset;
        out[j] = std::int32_t(std::trunc(v)) + MIN_COLOR;
    }
}

void SpectrogramAnalysis::DrawData() {
    const std::int32_t rows = area_.height;
    const std::int32_t* values = values_.get();
    for (const BinMap::Run& run : rowMap_.Runs()) {
        std::int32_t v = values[run.firstBin];
        for (std::int32_t j = run.firstBin + 1; j < run.endBin; ++j)
            v = std::max(v, values[j]);
        v = std::clamp(v, MIN_COLOR, kMaxColor);
        for (std::int32_t i = run.firstCell; i < run.endCell; ++i)
            rowValues_[std::size_t(i)] = v;
    }
    for (std::int32_t i = 0; i < rows; ++i) {
        std::int32_t v = rowValues_[std::size_t(i)];
        if (embossed_) {
            const std::int32_t change = v - previousRowValues_[std::size_t(i)];
            previousRowValues_[std::size_t(i)] = v;
            v = std::clamp(MIN_COLOR + NUM_COLORS / 2 + change, MIN_COLOR, kMaxColor);
        }
        column_[std::size_t(rows - 1 - i)] = std::uint8_t(v);
    }
    PlaceColumn();
}

void SpectrogramAnalysis::PlaceColumn() {
    const std::int32_t w = area_.width;
    const std::int32_t rows = area_.height;
    auto put = [&](std::int32_t x) {
        if (x < 0 || x >= w)
            return;
        for (std::int32_t r = 0; r < rows; ++r)
            picture_[std::size_t(r) * std::size_t(w) + std::size_t(x)] = column_[std::size_t(r)];
    };
    if (!scroll_) {
        writePos_ = std::clamp(writePos_, 0, w - 1);
        put(writePos_);
        DrawBar(writePos_ + 1);
        writePos_ = (writePos_ + 1) % w;
        written_ = std::min(written_ + 1, w);
        return;
    }
    if (written_ < w) {
        put(writePos_);
        DrawBar(writePos_ + 1);
        ++writePos_;
        ++written_;
        return;
    }
    // Full: the newest column goes just left of the bar and the picture moves left under it.
    writePos_ = w - barWidth_;
    put(writePos_);
    ShiftLeft();
}

void SpectrogramAnalysis::DrawBar(std::int32_t from) {
    const std::int32_t w = area_.width;
    const std::int32_t rows = area_.height;
    const std::int32_t end = std::min(from + barWidth_, w);
    for (std::int32_t x = std::max(from, 0); x < end; ++x)
        for (std::int32_t r = 0; r < rows; ++r)
            picture_[std::size_t(r) * std::size_t(w) + std::size_t(x)] = kBarColorIndex;
    for (const ScaleTick& tick : scaleTicks_)
        for (std::int32_t x = std::max(from, 0); x < end; ++x)
            picture_[std::size_t(tick.row) * std::size_t(w) + std::size_t(x)] = kBarTickColorIndex;
}

void SpectrogramAnalysis::ShiftLeft() {
    const std::size_t w = std::size_t(area_.width);
    for (std::size_t r = 0; r < std::size_t(area_.height); ++r) {
        std::uint8_t* row = picture_.data() + r * w;
        std::memmove(row, row + 1, w - 1);
    }
}

std::uint8_t SpectrogramAnalysis::PixelAt(std::int32_t column, std::int32_t row) const {
    if (column < 0 || row < 0 || column >= area_.width || row >= area_.height)
        return 0;
    return picture_[std::size_t(row) * std::size_t(area_.width) + std::size_t(column)];
}

PaletteColors SpectrogramAnalysis::Palette() const {
    PaletteColors colors = SpectrogramPalette(paletteTyp_);
    colors[kBarColorIndex] = barColor_;
    colors[kBarTickColorIndex] = barTickColor_;
    return colors;
}

double SpectrogramAnalysis::GetFrequency(std::int32_t x, std::int32_t y) const {
    if (!area_.Contains(x, y))
        return 0;
    const double last = area_.height - 1;
    const double row = y - area_.top;
    const double z = frequencyScale_;
    return frequencyBase_ + (sampleRate_ / 2.0 - z * frequencyBase_) * (last - row) / last / z;
}

std::string SpectrogramAnalysis::InfoText(std::int32_t x, std::int32_t y) const {
    return Format("%2.3f KHz", GetFrequency(x, y) / 1000.0);
}

} // namespace vk350
