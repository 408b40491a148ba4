#include "spectrum_analysis.h"

#include "analysis_errors.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace vk350 {

const double SpectrumAnalysis::kLogUnitsPerDB = 8192.0 * std::log2(10.0) / 10.0;

SpectrumAnalysis::SpectrumAnalysis()
    : AnalysisFrame(194, 89), decay_(kMaxBins), magnitudes_(new std::int32_t[kMaxBins]()),
      offsets_(new std::int32_t[kMaxBins]()) {
    Changed();
}

template <class T> void SpectrumAnalysis::Assign(T& field, T value, bool resetPeaks) {
    if (field == value)
        return;
    field = value;
    if (resetPeaks)
        ResetPeaks();
    Redraw();
}

// Everything that follows from the size: drawing area, spots, bin map, scales and grid.
void SpectrumAnalysis::Changed() {
    const std::int32_t side = drawAmpScale_ ? 32 : 0;
    area_.left = bevel_ + side;
    area_.top = bevel_;
    area_.width = std::max(4, width_ - 2 * bevel_ - 2 * side);
    area_.height = std::max(4, height_ - 2 * bevel_ - (drawFreqScale_ ? 40 : 0));
    SetupSpots();
    SetupXScale();
    SetupGrid();
}

void SpectrumAnalysis::SetKind(SpectrumKind value) {
    if (value < skDots || value > skScroll)
        return;
    Assign(kind_, value, true);
}

void SpectrumAnalysis::SetFFTLength(std::int32_t value) {
    if (!transform_.SetFFTLength(value))
        return;
    // The smoothing state belongs to bins of another width now.
    decay_.Clear();
    std::memset(magnitudes_.get(), 0, sizeof(std::int32_t) * kMaxBins);
    SetupXScale();
    Redraw();
}

void SpectrumAnalysis::SetWindow(FftWindow value) {
    if (transform_.SetWindow(value))
        Redraw();
}

void SpectrumAnalysis::SetSampleRate(std::int32_t value) {
    value = std::clamp(value, 8000, 100000);
    if (value == sampleRate_)
        return;
    sampleRate_ = value;
    SetupXScale();
    Redraw();
}

void SpectrumAnalysis::SetBitLength(SampleBits value) {
    input_.SetBitLength(value);
}
void SpectrumAnalysis::SetMode(ChannelMode value) {
    input_.SetMode(value);
}
void SpectrumAnalysis::SetChannel(ChannelChoice value) {
    input_.SetChannel(value);
}

void SpectrumAnalysis::SetLogAmp(bool value) {
    if (value == logAmp_)
        return;
    logAmp_ = value;
    // Without decay the magnitudes are kept in the axis's own unit.
    std::memset(magnitudes_.get(), 0, sizeof(std::int32_t) * kMaxBins);
    SetupScales();
    SetupGrid();
    Redraw();
}

void SpectrumAnalysis::SetLogFreq(bool value) {
    if (value == logFreq_)
        return;
    logFreq_ = value;
    SetupXScale();
    Redraw();
}

void SpectrumAnalysis::SetGain(SpectrumGain value) {
    if (value < sgNone || value > sg12db || value == gain_)
        return;
    gain_ = value;
    transform_.SetDifference(value == sg12db ? 2 : value == sg6db || value == sg9db ? 1 : 0);
    SetupScales();
    ResetPeaks();
    Redraw();
}

void SpectrumAnalysis::SetRefFreq(std::int32_t value) {
    value = std::clamp(value, 1, 44100);
    if (value == refFreq_)
        return;
    refFreq_ = value;
    SetupScales();
    ResetPeaks();
    Redraw();
}

void SpectrumAnalysis::SetVerticalScale(std::int32_t value) {
    value = std::clamp(value, 1, 500);
    if (value == verticalScale_)
        return;
    verticalScale_ = value;
    SetupScales();
    ResetPeaks();
    Redraw();
}

void SpectrumAnalysis::SetFrequencyScale(std::int32_t value) {
    value = std::int32_t(std::bit_floor(std::uint32_t(std::clamp(value, 1, 16))));
    if (value == frequencyScale_)
        return;
    frequencyScale_ = value;
    SetupXScale();
    Redraw();
}

void SpectrumAnalysis::SetDecayMode(DecayKind value) {
    if (!decay_.SetMode(value))
        return;
    std::memset(magnitudes_.get(), 0, sizeof(std::int32_t) * kMaxBins);
    Redraw();
}

void SpectrumAnalysis::SetDecay(std::int32_t value) {
    if (decay_.SetDecay(value))
        Redraw();
}

void SpectrumAnalysis::SetNumPeaks(std::int32_t value) {
    if (value >= 0 && value <= 5)
        Assign(numPeaks_, value, true);
}

void SpectrumAnalysis::SetPeakDelay(std::int32_t value) {
    if (value >= 0 && value <= 50)
        Assign(peakDelay_, value, true);
}

void SpectrumAnalysis::SetPeakSpeed(std::int32_t value) {
    if (value >= 0 && value <= 50)
        Assign(peakSpeed_, value, true);
}

void SpectrumAnalysis::SetDisplayPeak(bool value) {
    Assign(displayPeak_, value);
}

void SpectrumAnalysis::SetSpace(std::int32_t value) {
    if (value >= 0 && value <= 5)
        Assign(space_, value, true);
}

void SpectrumAnalysis::SetSpotSpace(std::int32_t value) {
    if (value < 0 || value > 10 || value == spotSpace_)
        return;
    spotSpace_ = value;
    SetupSpots();
    ResetPeaks();
    Redraw();
}

void SpectrumAnalysis::SetSpotHeight(std::int32_t value) {
    if (value < 1 || value > area_.height / 3 || value == spotHeight_)
        return;
    spotHeight_ = value;
    SetupSpots();
    ResetPeaks();
    Redraw();
}

void SpectrumAnalysis::SetPoint1(std::int32_t value) {
    if (value < 1 || value > 100 || value == point1_)
        return;
    point1_ = value;
    SetupSpots();
    Redraw();
}

void SpectrumAnalysis::SetPoint2(std::int32_t value) {
    if (value < 1 || value > 100 || value == point2_)
        return;
    point2_ = value;
    SetupSpots();
    Redraw();
}

void SpectrumAnalysis::SetDrawGrid(bool value) {
    Assign(drawGrid_, value);
}

void SpectrumAnalysis::SetDrawFreqScale(bool value) {
    if (value == drawFreqScale_)
        return;
    drawFreqScale_ = value;
    Changed();
    Redraw();
}

void SpectrumAnalysis::SetDrawAmpScale(bool value) {
    if (value == drawAmpScale_)
        return;
    drawAmpScale_ = value;
    Changed();
    Redraw();
}

void SpectrumAnalysis::SetShowInfo(bool value) {
    showInfo_ = value;
}

void SpectrumAnalysis::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    ResetData();
    if (enabled_ && OnNeedData)
        OnNeedData();
}

void SpectrumAnalysis::SetPCMWaveFormat(const WaveFormatEx& format) {
    PcmInput input = input_;
    if (!input.SetFromFormat(format))
        throw SpectrumError(kInvalidWaveFormat);
    input_ = input;
    SetSampleRate(std::int32_t(format.nSamplesPerSec));
}

bool SpectrumAnalysis::RefreshPCMData(const std::uint8_t* block) {
    if (!enabled_ || !block)
        return false;
    const std::int32_t overflows = transform_.Transform(block, input_);
    for (std::int32_t i = 0; i < overflows && OnPcmOverflow; ++i)
        OnPcmOverflow();
    magnitudesGiven_ = false;
    CalcMagnitude(transform_.Spectrum());
    CalcDisplayValues();
    return true;
}

bool SpectrumAnalysis::RefreshPCMData(const std::uint8_t* block, std::size_t size) {
    if (size < std::size_t(BytesPerSpectrum()))
        return false;
    return RefreshPCMData(block);
}

bool SpectrumAnalysis::RefreshFFTData(const std::int16_t* spectrum) {
    if (!enabled_ || !spectrum)
        return false;
    transform_.SetSpectrum(spectrum);
    magnitudesGiven_ = false;
    CalcMagnitude(transform_.Spectrum());
    CalcDisplayValues();
    return true;
}

bool SpectrumAnalysis::RefreshMagnitudeData(const std::int32_t* magnitudes) {
    if (!enabled_ || !magnitudes)
        return false;
    std::memcpy(magnitudes_.get(), magnitudes, sizeof(std::int32_t) * std::size_t(Bins()));
    magnitudesGiven_ = true;
    CalcDisplayValues();
    return true;
}

void SpectrumAnalysis::ClearFrame() {
    transform_.Clear();
    std::memset(magnitudes_.get(), 0, sizeof(std::int32_t) * kMaxBins);
    decay_.Clear();
    magnitudesGiven_ = false;
    for (SpectrumRun& run : runs_) {
        run.value = 0;
        run.spots = 0;
        run.peak.Reset();
    }
    peak_ = SpectrumPeak{};
}

void SpectrumAnalysis::ResetData() {
    ClearFrame();
    Redraw();
}

void SpectrumAnalysis::ResetPeaks() {
    for (SpectrumRun& run : runs_)
        run.peak.Reset();
}

bool SpectrumAnalysis::PeakTick() {
    if (!PeakTimerActive())
        return false;
    bool changed = false;
    for (SpectrumRun& run : runs_)
        changed |= run.peak.Tick(peakSpeed_);
    return changed;
}

void SpectrumAnalysis::CalcMagnitude(const std::int16_t* spectrum) {
    decay_.BeginFrame();
    const std::int32_t bins = Bins();
    std::int32_t* out = magnitudes_.get();
    const bool logUnits = decay_.Mode() == dmNone && logAmp_;
    for (std::int32_t j = 0; j < bins; ++j) {
        const std::int64_t re = spectrum[2 * j];
        const std::int64_t im = spectrum[2 * j + 1];
        // Up to 2^31: wider than 32 bits, so the loudest bins never wrap to silence.
        const std::int64_t power = re * re + im * im;
        if (logUnits) {
            const double v =
                power < 1 ? 0.0 : std::trunc(kLogUnitsPerOctave * std::log2(double(power)) - offsets_[j]);
            out[j] = std::int32_t(std::max(v, 0.0));
        } else {
            out[j] = decay_.Apply(j, std::int32_t(16.0 * std::sqrt(double(power))));
        }
    }
}

void SpectrumAnalysis::CalcDisplayValues() {
    const std::int32_t h = area_.height;
    const std::int32_t* mag = magnitudes_.get();
    const bool logUnits = decay_.Mode() == dmNone && logAmp_;
    const double spotPixels = double(h) / double(spots_);
    std::int32_t largest = 0;
    peak_.value = 0;
    peak_.bin = 0;
    peak_.column = 0;
    for (SpectrumRun& run : runs_) {
        std::int32_t bin = run.firstBin;
        std::int32_t a = mag[bin];
        for (std::int32_t j = run.firstBin + 1; j < run.endBin; ++j) {
            if (mag[j] > a) {
                a = mag[j];
                bin = j;
            }
        }
        std::int64_t value = 0;
        if (logUnits)
            value = (std::int64_t(a) * logMultiplier_) >> logShift_;
        else if (logAmp_)
            value = a >= 1
                        ? std::int64_t(std::trunc(
                              (2.0 * kLogUnitsPerOctave * std::log2(a / 16.0) - offsets_[bin]) * logScale_))
                        : 0;
        else
            value = (std::int64_t(a) * run.multiplier) >> linShift_;
        value = std::max<std::int64_t>(value, 0);
        if (value >= h) {
            if (OnGainOverflow)
                OnGainOverflow();
            value = h - 1;
        }
        run.value = std::int32_t(value);
        run.spots = std::clamp(std::int32_t(std::nearbyint(double(value) / spotPixels + 0.5)), 0, spots_);
        run.peak.Catch(run.spots, numPeaks_, peakDelay_);
        if (run.value > largest) {
            largest = run.value;
            peak_.value = run.value;
            peak_.bin = bin;
            peak_.column = run.first;
        }
    }
    UpdatePeak();
}

void SpectrumAnalysis::UpdatePeak() {
    if (peak_.value <= 0) {
        peak_.frequency = 0;
        peak_.amplitude = 0;
        peak_.level = -100;
        return;
    }
    const std::int32_t bin = peak_.bin;
    double magnitude = 0;
    if (!magnitudesGiven_) {
        const double re = Spectrum()[2 * bin];
        const double im = Spectrum()[2 * bin + 1];
        magnitude = std::sqrt(re * re + im * im);
    } else if (decay_.Mode() == dmNone && logAmp_) {
        magnitude = std::exp2((magnitudes_[bin] + offsets_[bin]) / (2.0 * kLogUnitsPerOctave));
    } else {
        magnitude = magnitudes_[bin] / 16.0;
    }
    const double amplitude = magnitude / 32768.0 * BinTilt(bin);
    peak_.frequency = float(PeakFrequency(bin));
    peak_.amplitude = float(amplitude);
    peak_.level = amplitude > 0 ? float(20.0 * std::log10(amplitude)) : -100.0f;
}

} // namespace vk350
