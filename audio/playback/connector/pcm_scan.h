// Searches over PCM data for the displays: a trigger point for a steady oscilloscope picture and
// the peaks of a buffer.
#pragma once

#include "wave_format.h"

#include <cstdint>

namespace vk350 {

// Byte offset of the first frame at or after byte from (rounded up to a whole frame) where the
// first channel crosses level: rising from below it (upFlank) or falling from above it. Levels
// are centred sample values (8-bit: -128..127, 16-bit: -32768..32767). -1 when there is none or
// the format is not 8/16-bit PCM.
int64_t pcmFindZeroCross(const WaveFormatEx& format, const uint8_t* data, uint32_t bytes, uint32_t from,
                         int level, bool upFlank);

// The sample furthest from the zero line, per channel (mono: both the same), as the format
// codes it (8-bit: 0..255, 16-bit: signed). With no frame both are the silence value.
void pcmFindPeak(const WaveFormatEx& format, const uint8_t* data, uint32_t bytes, int16_t& first,
                 int16_t& second);

} // namespace vk350
