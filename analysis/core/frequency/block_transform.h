// One block of PCM frames to a 16-bit spectrum: channel choice, optional difference filter,
// window, forward real transform, scaling. Shared by the spectrum and the spectrogram.
#pragma once

#include "fft.h"
#include "fft_window.h"
#include "pcm_input.h"

#include <cstdint>
#include <memory>

namespace vk350 {

class BlockTransform {
public:
    static constexpr std::int32_t kMinLength = 8;
    static constexpr std::int32_t kMaxLength = 4096;

    // Length 128, Hamming window, no filter. Throws std::bad_alloc when the plan cannot be made.
    BlockTransform();
    ~BlockTransform();
    BlockTransform(const BlockTransform&) = delete;
    BlockTransform& operator=(const BlockTransform&) = delete;

    // Limits a requested length to 8..4096, rounded down to a power of two.
    static std::int32_t ClampLength(std::int32_t value);

    std::int32_t FFTLength() const { return length_; }
    // Stores the clamped length; returns whether it changed. The spectrum is cleared then.
    bool SetFFTLength(std::int32_t value);
    FftWindow Window() const { return window_; }
    bool SetWindow(FftWindow value);
    // 0: none, 1: first difference (6 dB per octave), 2: second difference (12 dB per octave).
    std::int32_t Difference() const { return difference_; }
    void SetDifference(std::int32_t order);

    // Analyses FFTLength frames of block; returns how many samples reached the positive extreme.
    std::int32_t Transform(const std::uint8_t* block, const PcmInput& input);

    // FFTLength values: the (re, im) pairs of bins 0 .. FFTLength/2 - 1, each divided by
    // FFTLength/2 and held to the 16-bit range.
    const std::int16_t* Spectrum() const { return spectrum_.get(); }
    // Takes a spectrum computed elsewhere (FFTLength values).
    void SetSpectrum(const std::int16_t* values);
    void Clear();

    // The window table: w(i) * 32767 rounded half up.
    const std::int32_t* WindowTable() const { return windowTable_.get(); }

private:
    void Rebuild();
    // Channel choice and centring of frame i; counts overflow.
    std::int32_t Centred(const std::uint8_t* block, const PcmInput& input, std::int32_t i,
                         std::int32_t& overflows) const;

    std::int32_t length_ = 128;
    std::int32_t order_ = 7;
    FftWindow window_ = fwHamming;
    std::int32_t difference_ = 0;
    RealFft* plan_ = nullptr;
    std::unique_ptr<std::int32_t[]> windowTable_;
    std::unique_ptr<float[]> work_;
    std::unique_ptr<std::int16_t[]> spectrum_;
};

} // namespace vk350
