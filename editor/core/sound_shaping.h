// Level and length shaping of an 8-bit offset-binary sample (128 is the zero line): fades, gain,
// normalising, DC removal, trimming and fitting to a bank location. The editor's window and the
// vk350 tool call the same functions, always on exact sample ranges.
//
// Levels are in dBFS with 127 steps from 128 as full scale: 255 and 1 are 0 dBFS, 0 is +0.07 dBFS
// (one step more on the negative side). Scaling rounds to the nearest step, half away from zero,
// so that it treats both sides alike.
#pragma once

#include "sample_document.h"

#include <cstdint>
#include <optional>
#include <span>

namespace vk350 {

inline constexpr std::uint8_t kZeroLine = 128;

// Linear: the gain moves evenly. Exponential: the gain moves evenly in decibels (about 43 dB
// across the fade) and drops to silence only at its very end, as a drum's own decay does; the
// default for drums, which a linear fade-out leaves sounding cut off.
enum class FadeCurve { Linear, Exponential };

// Fades the whole span in from silence: its first sample becomes 128, its last keeps its level.
void fadeIn(std::span<std::uint8_t> bytes, FadeCurve curve);
// Fades the whole span out to silence: its first sample keeps its level, its last becomes 128.
void fadeOut(std::span<std::uint8_t> bytes, FadeCurve curve);

// Scales around 128 by dB, clipping at 0 and 255; returns how many samples clipped.
int applyGain(std::span<std::uint8_t> bytes, double dB);

// The level of the largest sample; -infinity for silence (every byte 128) and for no bytes.
double peakDbfs(std::span<const std::uint8_t> bytes);

// Scales so that the peak reaches peakDbfs, never clipping (the level is lowered as far as needed
// for that, so levels above 0 dBFS stop at what fits); the peak lands within half a step of the
// level. Returns the gain applied in dB, nothing for silence, which it leaves as it is.
std::optional<double> normalise(std::span<std::uint8_t> bytes, double peakDbfs);

// Subtracts the mean (rounded to a step), clipping at the rails; returns what it subtracted.
int removeDcOffset(std::span<std::uint8_t> bytes);

// The functions below change the length. They record no undo step: the caller's command does.
// Bytes freed at the end are set to 128.

// Removes the samples below thresholdDbfs at the start and at the end: the first and last samples
// kept are at or above it, and a sample with none at or above it is left empty. Returns the
// number of samples removed.
std::int32_t trimSilence(SampleDocument& document, double thresholdDbfs);

// Removes [begin, end), clamped to the sample, closing the gap.
void deleteRange(SampleDocument& document, std::int32_t begin, std::int32_t end);

// Inserts bytes before sample at (0 to Length; the bytes may be the document's own). Returns
// false, changing nothing, when at lies outside the sample or the result would pass Max: a sample
// is never cut to make room.
bool insertAt(SampleDocument& document, std::int32_t at, std::span<const std::uint8_t> bytes);

struct FitOutcome {
    std::int32_t trimmedFront = 0;
    bool faded = false;
    std::int32_t lengthBefore = 0;
    std::int32_t lengthAfter = 0;
    bool operator==(const FitOutcome&) const = default;
};

// Fits a sample to a location of locationSize bytes. A sample that fits is left entirely alone:
// leading silence may be meant, and costs nothing there. A longer one loses the silence in front
// (below thresholdDbfs); if still too long, it ends at locationSize, faded out over its last
// fadeSamples so that the cut does not click.
FitOutcome fitToLocation(SampleDocument& document, std::int32_t locationSize, std::int32_t fadeSamples,
                         double thresholdDbfs, FadeCurve curve);

} // namespace vk350
