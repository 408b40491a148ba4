// The wave format record as stored in a "fmt " chunk (little-endian, 18 bytes plus extra bytes).
#pragma once

#include <cstdint>
#include <vector>

namespace vk350 {

constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
    // The cbSize bytes that follow the record; PCM records carry none.
    std::vector<uint8_t> extra;

    bool operator==(const WaveFormatEx&) const = default;
};

// Stored size: 18 for PCM, 18 + extra count for every other tag.
uint32_t wioSizeOfWaveFormat(const WaveFormatEx& wfx);

// A copy; a PCM record loses its extra bytes.
WaveFormatEx wioCopyWaveFormat(const WaveFormatEx& wfx);

// The record in its stored byte layout (wioSizeOfWaveFormat bytes).
std::vector<uint8_t> wioWaveFormatBytes(const WaveFormatEx& wfx);

// Parses a "fmt " chunk body of any length; missing fields read as 0 and the extra count is cut
// to the bytes actually present.
WaveFormatEx wioWaveFormatFromBytes(const uint8_t* data, uint32_t size);

} // namespace vk350
