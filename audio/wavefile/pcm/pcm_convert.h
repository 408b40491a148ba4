// One-pass PCM converter: sample width (8/16 bits), channel count (1/2) and rate (nearest-frame
// decimation or repetition, no filtering).
#pragma once

#include "wave_format.h"

#include <cstdint>
#include <span>

namespace vk350 {

// The 16-byte PCM view of a format record, as the converter reads it.
struct PcmWaveFormat {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
};

PcmWaveFormat pcmView(const WaveFormatEx& wfx);

// Destination bytes for a source of srcBytes: dst frame size * (frames * dst rate / src rate).
// -1 when either format is not 8/16-bit mono/stereo PCM with a non-zero rate.
int64_t PCMCONVERTSIZEOUTPUTDATA(const PcmWaveFormat& dst, const PcmWaveFormat& src, int64_t srcBytes);

// Converts srcBytes of src into dst and returns the bytes written; a count <= 0 comes back
// unchanged, an unclassifiable format gives -1. Writing stops at the end of dst.
int64_t PCMCONVERT(const PcmWaveFormat& dstFormat, std::span<uint8_t> dst, const PcmWaveFormat& srcFormat,
                   const uint8_t* src, int64_t srcBytes);

} // namespace vk350
