// Converts PCM blocks of one format into another the chosen way (conversion_options.h).
// Exact goes through PCMCONVERT block by block, so that without normalising its bytes are the
// converter's own. Normalising needs the peak of the whole sound first: the caller hands every
// block to Measure, calls EndMeasure, then hands every block again to Convert. Both formats
// must pass pcmIsValidFormat. Used by one thread at a time.
#pragma once

#include "band_limited_resampler.h"
#include "conversion_options.h"
#include "pcm_convert.h"
#include "wave_format.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vk350 {

class SampleConverter {
public:
    SampleConverter(const WaveFormatEx& source, const WaveFormatEx& target, ConversionOptions options);

    bool NeedsPeak() const { return options_.normalise; }
    // First pass: notes the peak of what the blocks become before the target's sample step.
    void Measure(const uint8_t* data, size_t bytes);
    // The gain that brings the peak to full scale; the converter is ready for the second pass.
    void EndMeasure();
    double Gain() const { return gain_; }

    // Appends the target's bytes for these source bytes (whole frames; a part frame is dropped).
    void Convert(const uint8_t* data, size_t bytes, std::vector<uint8_t>& out);
    // The source has ended: appends what the filter still held back.
    void Finish(std::vector<uint8_t>& out);

private:
    // Turns the source bytes into frames_: the target's channels and rate, in 16-bit units.
    void Frames(const uint8_t* data, size_t bytes);
    void Decode(const uint8_t* data, size_t bytes);
    void Peak();
    void Store(std::vector<uint8_t>& out);
    float Dither();

    ConversionOptions options_;
    PcmWaveFormat source_;
    PcmWaveFormat middle_; // Exact: the target's channels and rate at 16 bits
    uint16_t targetBits_;
    unsigned channels_;
    std::unique_ptr<BandLimitedResampler> resampler_;
    std::vector<float> decoded_;
    std::vector<float> frames_;
    std::vector<uint8_t> exact_;
    float highest_ = 0; // largest sample, and largest negated sample, seen by Measure
    float lowest_ = 0;
    double gain_ = 1;
    uint32_t noise_ = 0x2545F491; // fixed seed: the same file always converts to the same bytes
};

} // namespace vk350
