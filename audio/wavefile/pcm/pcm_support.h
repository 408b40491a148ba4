// PCM format descriptors: building a record and checking that a format can be converted.
#pragma once

#include "wave_format.h"

#include <cstdint>

namespace vk350 {

// Tag 1, the given bits, channels and rate, block alignment channels*bits/8, no extra bytes.
void pcmBuildWaveHeader(WaveFormatEx* wfx, uint16_t bitsPerSample, uint16_t channels, uint32_t samplesPerSec);

// PCM, 8 or 16 bits, 1 or 2 channels, 4000 to 100000 Hz.
bool pcmIsValidFormat(const WaveFormatEx* wfx);

} // namespace vk350
