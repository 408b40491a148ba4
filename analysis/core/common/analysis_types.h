// Enumerations and constants shared by the analysis views.
#pragma once

#include <cstdint>

namespace vk350 {

// Sample width of the input: BitLength = bits / 8 - 1.
enum SampleBits : std::int32_t { b8Bit, b16Bit };
// Channel count of the input: Mode = channels - 1.
enum ChannelMode : std::int32_t { mMono, mStereo };
// Which channel of stereo input is analysed; chBoth averages the two.
enum ChannelChoice : std::int32_t { chBoth, chLeft, chRight };
// Smoothing of successive frames.
enum DecayKind : std::int32_t { dmNone, dmStepUp, dmExponential, dmUniform };

// Minimum spacing of grid lines in pixels, and the size of the scale font.
constexpr std::int32_t SCALEFONTSIZE = 10;
// Pixels the scrolling spectrum moves per frame.
constexpr std::int32_t SCROLLDISTANCE = 2;
// Background of the mouse info box (white).
constexpr std::uint32_t INFOCOLOR = 16777215;
// Interval of the peak-fall timer in milliseconds.
constexpr std::int32_t PEAKTIMERINTERVAL = 25;

// A rectangle in control coordinates: the drawing area of a view.
struct AnalysisRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool Contains(std::int32_t x, std::int32_t y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
    bool operator==(const AnalysisRect&) const = default;
};

} // namespace vk350
