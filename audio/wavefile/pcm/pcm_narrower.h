// Turns the wave formats that the converter does not take as they are into 16-bit PCM that it
// does: 24- and 32-bit integer PCM keep their top 16 bits (as 8 bits keep the top byte of 16),
// 32- and 64-bit float is clipped to ±1.0 and scaled by 32768, and the extensible layout is read
// by its sub-format. Files of more than two channels are mixed down to one (the average of all
// channels). Plain 8/16-bit mono or stereo PCM needs no narrowing. Used by one thread at a time.
#pragma once

#include "wave_format.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vk350 {

constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr uint16_t WAVE_FORMAT_ALAW = 6;
constexpr uint16_t WAVE_FORMAT_MULAW = 7;
constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

enum class SampleCoding { None, Integer, Float };

// How a format's samples are stored, looking through the extensible layout to its sub-format.
struct SampleLayout {
    SampleCoding coding = SampleCoding::None;
    uint16_t tag = 0;   // the plain tag, or the extensible record's sub-format tag
    unsigned bytes = 0; // container bytes per sample
    unsigned channels = 0;
};
SampleLayout sampleLayout(const WaveFormatEx& wfx);

class PcmNarrower {
public:
    // Whether the format needs narrowing and can have it: a layout read here, a block alignment
    // that matches it and a rate the converter takes.
    static bool Narrows(const WaveFormatEx& wfx);

    explicit PcmNarrower(const WaveFormatEx& source);

    // The 16-bit PCM format that Narrow delivers.
    const WaveFormatEx& Target() const { return target_; }
    // Replaces out with the narrowed frames of the whole source frames in data.
    void Narrow(const uint8_t* data, size_t bytes, std::vector<uint8_t>& out) const;

private:
    int32_t Sample(const uint8_t* p) const; // one sample as 16-bit
    SampleLayout layout_;
    WaveFormatEx target_;
    unsigned frameBytes_;
};

} // namespace vk350
