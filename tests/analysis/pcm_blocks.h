// PCM blocks for the analysis tests, made here from known waves.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace vk350::test {

// A sine of `amplitude` (0..1 of full scale) completing `cycles` periods in `frames` frames.
inline double SineAt(int i, double cycles, int frames, double amplitude) {
    return amplitude * std::sin(2.0 * std::numbers::pi * cycles * i / frames);
}

// 8-bit offset binary; stereo frames carry `right` in the second channel.
inline std::vector<std::uint8_t> Block8(const std::vector<double>& left,
                                        const std::vector<double>* right = nullptr) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < left.size(); ++i) {
        out.push_back(std::uint8_t(std::lround(128 + 127 * left[i])));
        if (right)
            out.push_back(std::uint8_t(std::lround(128 + 127 * (*right)[i])));
    }
    return out;
}

inline void Put16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

// 16-bit little-endian, values scaled by 32767.
inline std::vector<std::uint8_t> Block16(const std::vector<double>& left,
                                         const std::vector<double>* right = nullptr) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < left.size(); ++i) {
        Put16(out, int(std::lround(32767 * left[i])));
        if (right)
            Put16(out, int(std::lround(32767 * (*right)[i])));
    }
    return out;
}

inline std::vector<double> Sine(int frames, double cycles, double amplitude) {
    std::vector<double> v(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        v[static_cast<std::size_t>(i)] = SineAt(i, cycles, frames, amplitude);
    return v;
}

inline std::vector<double> Constant(int frames, double value) {
    return std::vector<double>(static_cast<std::size_t>(frames), value);
}

} // namespace vk350::test
