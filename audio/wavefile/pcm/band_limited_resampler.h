// Changes the rate of interleaved float frames through libsoxr's anti-aliasing filter. The
// filter's delay is taken out, so output frame n lines up with input frame n * out / in; equal
// rates pass the frames through untouched. Used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct soxr;

namespace vk350 {

class BandLimitedResampler {
public:
    // Raises WaveError when the library cannot set up the filter.
    BandLimitedResampler(uint32_t inRate, uint32_t outRate, unsigned channels);
    ~BandLimitedResampler();
    BandLimitedResampler(const BandLimitedResampler&) = delete;
    BandLimitedResampler& operator=(const BandLimitedResampler&) = delete;

    // Appends to out the frames that these input frames yield (some come only with later input).
    void Process(const float* in, size_t frames, std::vector<float>& out);
    // The input has ended: appends the frames still held back.
    void Flush(std::vector<float>& out);
    // Ready for a new signal from its start.
    void Restart();

private:
    void Run(const float* in, size_t frames, std::vector<float>& out);

    soxr* soxr_ = nullptr;
    unsigned channels_;
    double ratio_;
};

} // namespace vk350
