#include "sound_shaping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace vk350 {

namespace {

constexpr double kFullScale = 127.0;
// The exponential curve spans e^5, about 43 dB: most of the 48 dB that 8 bits hold, so the fade
// is even in loudness down to the last few steps.
constexpr double kExponentialSpan = 5.0;

int roundHalfAway(double x) {
    return static_cast<int>(x < 0 ? x - 0.5 : x + 0.5);
}

std::uint8_t toByte(int centred) {
    return static_cast<std::uint8_t>(std::clamp(centred, -128, 127) + kZeroLine);
}

int centred(std::uint8_t byte) {
    return int(byte) - kZeroLine;
}

// Multiplies the span by a gain rising from 0 at its first sample to 1 at its last; falling
// runs the same gains from the other end, so a fade-out is exactly a reversed fade-in.
void applyEnvelope(std::span<std::uint8_t> bytes, FadeCurve curve, bool rising) {
    const std::size_t n = bytes.size();
    if (n == 0)
        return;
    const auto at = [&](std::size_t j) -> std::uint8_t& { return bytes[rising ? j : n - 1 - j]; };
    if (n == 1) {
        at(0) = kZeroLine;
        return;
    }
    const double step = 1.0 / double(n - 1);
    if (curve == FadeCurve::Linear) {
        for (std::size_t j = 0; j < n; ++j)
            at(j) = toByte(roundHalfAway(centred(at(j)) * (double(j) * step)));
        return;
    }
    // gain = (e^(k t) - 1) / (e^k - 1), its exponential carried by one multiply per sample.
    const double ratio = std::exp(kExponentialSpan * step);
    const double scale = 1.0 / std::expm1(kExponentialSpan);
    double e = 1.0;
    for (std::size_t j = 0; j < n; ++j, e *= ratio)
        at(j) = toByte(roundHalfAway(centred(at(j)) * ((e - 1.0) * scale)));
}

// Scales every byte by factor through a table of the 256 results; returns the clipped count.
int scale(std::span<std::uint8_t> bytes, double factor) {
    std::array<std::uint8_t, 256> result{};
    std::array<int, 256> clips{};
    for (int v = 0; v < 256; ++v) {
        const int s = roundHalfAway(centred(std::uint8_t(v)) * factor);
        result[std::size_t(v)] = toByte(s);
        clips[std::size_t(v)] = s < -128 || s > 127;
    }
    int clipped = 0;
    for (std::uint8_t& b : bytes) {
        clipped += clips[b];
        b = result[b];
    }
    return clipped;
}

// The smallest distance from 128 that is at or above thresholdDbfs; 129 when none is.
int minimumStep(double thresholdDbfs) {
    const double level = kFullScale * std::pow(10.0, thresholdDbfs / 20.0);
    if (!(level > 0))
        return 0;
    // A threshold given as a step's own level must keep that step despite rounding.
    return int(std::min(std::ceil(level - 1e-9), 129.0));
}

bool reaches(std::uint8_t byte, int step) {
    return std::abs(centred(byte)) >= step;
}

// Sets the length, the freed bytes to silence; Assign with no bytes sets it and redraws.
void setLength(SampleDocument& document, std::int32_t length) {
    const std::int32_t old = document.Length();
    if (length < old)
        std::memset(document.Buffer().GetData() + length, kZeroLine, std::size_t(old - length));
    document.Assign({}, length);
}

} // namespace

void fadeIn(std::span<std::uint8_t> bytes, FadeCurve curve) {
    applyEnvelope(bytes, curve, true);
}

void fadeOut(std::span<std::uint8_t> bytes, FadeCurve curve) {
    applyEnvelope(bytes, curve, false);
}

int applyGain(std::span<std::uint8_t> bytes, double dB) {
    return scale(bytes, std::pow(10.0, dB / 20.0));
}

double peakDbfs(std::span<const std::uint8_t> bytes) {
    int peak = 0;
    for (std::uint8_t b : bytes)
        peak = std::max(peak, std::abs(centred(b)));
    return peak == 0 ? -std::numeric_limits<double>::infinity() : 20.0 * std::log10(peak / kFullScale);
}

std::optional<double> normalise(std::span<std::uint8_t> bytes, double peakDbfs) {
    const auto [low, high] = std::minmax_element(bytes.begin(), bytes.end());
    if (low == bytes.end() || (*low == kZeroLine && *high == kZeroLine))
        return std::nullopt;
    const int positive = std::max(centred(*high), 0);
    const int negative = std::max(-centred(*low), 0);
    double factor = kFullScale * std::pow(10.0, peakDbfs / 20.0) / std::max(positive, negative);
    // Each side stops at its rail: 127 steps up, 128 down.
    if (positive > 0)
        factor = std::min(factor, 127.0 / positive);
    if (negative > 0)
        factor = std::min(factor, 128.0 / negative);
    scale(bytes, factor);
    return 20.0 * std::log10(factor);
}

int removeDcOffset(std::span<std::uint8_t> bytes) {
    if (bytes.empty())
        return 0;
    std::int64_t sum = 0;
    for (std::uint8_t b : bytes)
        sum += centred(b);
    const int offset = roundHalfAway(double(sum) / double(bytes.size()));
    std::array<std::uint8_t, 256> result{};
    for (int v = 0; v < 256; ++v)
        result[std::size_t(v)] = toByte(v - kZeroLine - offset);
    for (std::uint8_t& b : bytes)
        b = result[b];
    return offset;
}

std::int32_t trimSilence(SampleDocument& document, double thresholdDbfs) {
    const int step = minimumStep(thresholdDbfs);
    const auto bytes = document.Bytes();
    const auto loud = [step](std::uint8_t b) { return reaches(b, step); };
    const auto first = std::find_if(bytes.begin(), bytes.end(), loud);
    const auto last = std::find_if(bytes.rbegin(), std::make_reverse_iterator(first), loud).base();
    const auto kept = std::int32_t(last - first);
    const std::int32_t removed = document.Length() - kept;
    if (removed > 0) {
        document.Assign(bytes.subspan(std::size_t(first - bytes.begin()), std::size_t(kept)),
                        document.Length());
        setLength(document, kept);
    }
    return removed;
}

void deleteRange(SampleDocument& document, std::int32_t begin, std::int32_t end) {
    const std::int32_t length = document.Length();
    begin = std::clamp(begin, 0, length);
    end = std::clamp(end, begin, length);
    if (begin == end)
        return;
    std::uint8_t* data = document.Buffer().GetData();
    std::memmove(data + begin, data + end, std::size_t(length - end));
    setLength(document, length - (end - begin));
}

bool insertAt(SampleDocument& document, std::int32_t at, std::span<const std::uint8_t> bytes) {
    const std::int32_t length = document.Length();
    if (at < 0 || at > length || bytes.size() > std::size_t(document.Buffer().Max() - length))
        return false;
    if (bytes.empty())
        return true;
    // A copy first: the bytes may lie in the part about to move.
    const std::vector<std::uint8_t> inserted(bytes.begin(), bytes.end());
    const auto count = std::int32_t(inserted.size());
    std::uint8_t* data = document.Buffer().GetData();
    std::memmove(data + at + count, data + at, std::size_t(length - at));
    std::memcpy(data + at, inserted.data(), inserted.size());
    setLength(document, length + count);
    return true;
}

FitOutcome fitToLocation(SampleDocument& document, std::int32_t locationSize, std::int32_t fadeSamples,
                         double thresholdDbfs, FadeCurve curve) {
    FitOutcome outcome;
    outcome.lengthBefore = document.Length();
    locationSize = std::max(locationSize, 0);
    if (document.Length() > locationSize) {
        // Only the front: the tail goes anyway. A sample with no sound at all keeps its start, so
        // it is cut to the size rather than emptied.
        const int step = minimumStep(thresholdDbfs);
        const auto bytes = document.Bytes();
        const auto first =
            std::find_if(bytes.begin(), bytes.end(), [step](std::uint8_t b) { return reaches(b, step); });
        if (first != bytes.end() && first != bytes.begin()) {
            outcome.trimmedFront = std::int32_t(first - bytes.begin());
            deleteRange(document, 0, outcome.trimmedFront);
        }
    }
    if (document.Length() > locationSize) {
        setLength(document, locationSize);
        const std::int32_t fade = std::clamp(fadeSamples, 0, locationSize);
        document.Change(
            [&](std::span<std::uint8_t> bytes) { fadeOut(bytes.last(std::size_t(fade)), curve); });
        outcome.faded = fade > 0;
    }
    outcome.lengthAfter = document.Length();
    return outcome;
}

} // namespace vk350
