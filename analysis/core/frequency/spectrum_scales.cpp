// The spectrum's geometry: bin map, amplitude scales, spots, grid and the readouts under the mouse.
#include "spectrum_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace vk350 {

namespace {

// Doublings that bring a positive value to 4096 or more: enough integer precision for the
// per-column multipliers.
std::int32_t Doublings(double value) {
    std::int32_t k = 0;
    while (value < 4096.0 && k < 62) {
        value *= 2.0;
        ++k;
    }
    return k;
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

void SpectrumAnalysis::SetupXScale() {
    const std::int32_t w = area_.width;
    const std::int32_t n = FFTLength();
    const std::int32_t bins = Bins();
    const double z = frequencyScale_;
    const double rate = sampleRate_;
    binMap_.Resize(w, bins);
    // The axes start at 0 Hz, raised to the lowest frequency the log axis can show.
    if (logFreq_)
        freqBase_ = std::clamp(0.0, rate / n, rate / 2.0 / std::exp2(std::log2(n / 2.0) / z));
    else
        freqBase_ = 0.0;
    if (OnGetXScale) {
        OnGetXScale(binMap_.FirstBins(), binMap_.EndBins());
        // The handler may have resized the tables; the map needs one entry per column.
        binMap_.FirstBins().resize(std::size_t(w), BinMap::kNone);
        binMap_.EndBins().resize(std::size_t(w), BinMap::kNone);
    } else if (logFreq_) {
        const double octaves = std::log2((n + 1) / 2.0);
        const double base = n * freqBase_ / rate;
        binMap_.Fill([&](std::int32_t i) {
            return std::int32_t(std::floor(std::exp2(octaves * (i - 0.45) / w / z) * base + 0.51)) - 1;
        });
    } else {
        const double offset = freqBase_ / rate * n;
        binMap_.Fill([&](std::int32_t i) {
            return std::int32_t(std::floor(double(i) / w * bins / z + offset + 0.01));
        });
    }
    binMap_.Finish();
    runs_.clear();
    for (const BinMap::Run& r : binMap_.Runs()) {
        SpectrumRun run;
        run.first = r.firstCell;
        run.end = r.endCell;
        run.firstBin = r.firstBin;
        run.endBin = r.endBin;
        runs_.push_back(run);
    }
    SetupScales();
}

void SpectrumAnalysis::SetupScales() {
    const double h = area_.height;
    const double rate = sampleRate_;
    const double ref = refFreq_;
    const std::int32_t n = FFTLength();
    const bool halfSteps = gain_ == sg3db || gain_ == sg9db;
    // The first or second difference of the samples rises 6 or 12 dB per octave; these bring it
    // back to unity at the reference frequency.
    const double diffGain = rate / (2.0 * std::numbers::pi * ref);
    double tilt = 1.0;
    if (gain_ == sg6db || gain_ == sg9db)
        tilt = diffGain;
    else if (gain_ == sg12db)
        tilt = diffGain * diffGain;

    const double u = kLogUnitsPerDB;
    const double g = 20.0 * std::log10(tilt);
    for (std::int32_t j = 0; j < Bins(); ++j) {
        double offset = u * (20.0 * std::log10(32768.0) - kLogRangeDB - g);
        if (halfSteps)
            offset -= 10.0 * u * std::log10((j + 1) * rate / n / ref);
        offsets_[j] = std::int32_t(std::nearbyint(offset));
    }
    logScale_ = h / (kLogRangeDB * u);
    logShift_ = Doublings(logScale_);
    logMultiplier_ = std::int64_t(std::floor(std::ldexp(logScale_, logShift_) + 0.5));

    const double e = h / (std::sqrt(ref) * verticalScale_ / 100.0 * 32768.0) * tilt;
    const std::int32_t k = Doublings((halfSteps ? std::sqrt(rate / 2.0) : std::sqrt(ref)) * e);
    linShift_ = 4 + k;
    for (SpectrumRun& run : runs_) {
        const double m = halfSteps ? std::ldexp(e, k) * std::sqrt((run.firstBin + 1) * rate / n)
                                   : std::sqrt(ref) * std::ldexp(e, k);
        run.multiplier = std::int64_t(std::floor(m + 0.5));
    }
}

void SpectrumAnalysis::SetupSpots() {
    const std::int32_t h = area_.height;
    spots_ = std::max(1, (h + spotSpace_) / (spotHeight_ + spotSpace_));
    spotOffset_ = (spotSpace_ + h - (spotHeight_ + spotSpace_) * spots_) / 2;
    threshold1_ = std::int32_t(std::nearbyint(point1_ * spots_ / 100.0));
    threshold2_ = std::int32_t(std::nearbyint(point2_ * spots_ / 100.0));
    ResetPeaks();
}

void SpectrumAnalysis::SetupGrid() {
    const std::int32_t w = area_.width;
    const std::int32_t h = area_.height;
    gridRows_.clear();
    std::int32_t n = logAmp_ ? 6 : 10;
    while (h / n < SCALEFONTSIZE && n > 1)
        --n;
    for (std::int32_t k = 0; k <= n; ++k) {
        if (logAmp_)
            gridRows_.push_back(k * (h - 1) / n);
        else
            gridRows_.push_back(h - 1 - std::int32_t(k * 32760.0 / n / (32768.0 / h)));
    }
    gridColumns_.clear();
    std::int32_t c = 32;
    while (w / c < SCALEFONTSIZE && c > 1)
        c /= 2;
    for (std::int32_t k = 0; k <= c; ++k)
        gridColumns_.push_back(k * (w - 1) / c);
}

std::int32_t SpectrumAnalysis::SpotTop(std::int32_t n) const {
    return area_.height - spotOffset_ - spotHeight_ - (n - 1) * (spotHeight_ + spotSpace_);
}

std::int32_t SpectrumAnalysis::SpotBand(std::int32_t n) const {
    return n > threshold2_ ? 2 : n > threshold1_ ? 1 : 0;
}

std::int32_t SpectrumAnalysis::ThresholdRow(std::int32_t point) const {
    const std::int32_t h = area_.height;
    return kind_ == skScroll ? point * h / 300 : h - point * h / 100;
}

std::pair<std::int32_t, std::int32_t> SpectrumAnalysis::BarColumns(const SpectrumRun& run) const {
    std::int32_t left = run.first;
    std::int32_t right = std::max(run.end, run.first + 1);
    if (space_ < right - left) {
        left += space_ / 2;
        right -= space_ - space_ / 2;
    }
    return {left, right};
}

std::pair<std::int32_t, std::int32_t> SpectrumAnalysis::PeakMarker(const SpectrumRun& run) const {
    if (numPeaks_ <= 0 || run.spots >= run.peak.peak)
        return {0, 0};
    return {run.peak.peak, std::min(numPeaks_, run.peak.peak)};
}

double SpectrumAnalysis::PeakFrequency(std::int32_t bin) const {
    const double binWidth = double(sampleRate_) / FFTLength();
    if (!logFreq_)
        return (bin + 0.5) * binWidth;
    return (bin <= 1 ? bin + 0.25 : bin) * binWidth;
}

double SpectrumAnalysis::BinTilt(std::int32_t bin) const {
    const double diffGain = sampleRate_ / (2.0 * std::numbers::pi * refFreq_);
    const double halfStep = std::sqrt((bin + 1) * double(sampleRate_) / FFTLength() / refFreq_);
    switch (gain_) {
    case sg3db:
        return halfStep;
    case sg6db:
        return diffGain;
    case sg9db:
        return diffGain * halfStep;
    case sg12db:
        return diffGain * diffGain;
    case sgNone:
    default:
        return 1.0;
    }
}

double SpectrumAnalysis::GetFrequencyAtPos(std::int32_t x, std::int32_t y) const {
    if (!area_.Contains(x, y))
        return 0;
    const double column = x - area_.left;
    const double last = area_.width - 1;
    const double z = frequencyScale_;
    if (logFreq_)
        return freqBase_ * std::exp2(column * std::log2(FFTLength() / 2.0) / (last * z));
    return freqBase_ + column * (sampleRate_ / 2.0 - freqBase_) / last / z;
}

double SpectrumAnalysis::GetAmplitudeAtPos(std::int32_t x, std::int32_t y) const {
    if (!area_.Contains(x, y))
        return 0;
    const double row = y - area_.top;
    const double last = area_.height - 1;
    if (logAmp_)
        return 0.0 - kLogRangeDB * row / last; // the top row reads 0 dB, not -0 dB
    return 10.0 * (last - row) / last * verticalScale_ / 1000.0;
}

std::string SpectrumAnalysis::InfoText(std::int32_t x, std::int32_t y) const {
    std::string text = Format("%2.3f KHz", GetFrequencyAtPos(x, y) / 1000.0);
    if (kind_ == skScroll)
        return text;
    const double amplitude = GetAmplitudeAtPos(x, y);
    if (logAmp_)
        return text + Format(" %2.1f dB", amplitude);
    return text + Format(verticalScale_ < 10 ? " %5.3f V" : " %4.2f V", amplitude);
}

std::string SpectrumAnalysis::PeakText() const {
    if (!displayPeak_ || peak_.value <= 5)
        return {};
    return Format("%7.1f Hz", peak_.frequency);
}

std::int32_t SpectrumAnalysis::GetOptimalWidth(std::int32_t width) const {
    if (logFreq_ || (kind_ != skBars && kind_ != skVLines))
        return width;
    const std::int32_t extras = 2 * bevel_ + (drawAmpScale_ ? 64 : 0);
    const std::int32_t shown = std::max(1, Bins() / frequencyScale_);
    const std::int32_t columns = std::max(1, std::int32_t(std::lround(double(width - extras) / shown)));
    return columns * shown + extras;
}

} // namespace vk350
