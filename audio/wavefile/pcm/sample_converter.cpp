#include "sample_converter.h"

#include <algorithm>
#include <cmath>

namespace vk350 {

namespace {

int16_t s16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

int frameBytes(const PcmWaveFormat& f) {
    return f.nChannels * f.wBitsPerSample / 8;
}

} // namespace

SampleConverter::SampleConverter(const WaveFormatEx& source, const WaveFormatEx& target,
                                 ConversionOptions options)
    : options_(options), source_(pcmView(source)), middle_(pcmView(target)),
      targetBits_(target.wBitsPerSample), channels_(target.nChannels) {
    middle_.wBitsPerSample = 16;
    middle_.nBlockAlign = uint16_t(2 * channels_);
    middle_.nAvgBytesPerSec = middle_.nBlockAlign * middle_.nSamplesPerSec;
    if (options_.quality == ConversionQuality::BandLimited)
        resampler_ =
            std::make_unique<BandLimitedResampler>(source.nSamplesPerSec, target.nSamplesPerSec, channels_);
}

// Channels mixed as the exact way mixes them (the mean of left and right), without its
// truncation; 8-bit samples in 16-bit units.
void SampleConverter::Decode(const uint8_t* data, size_t bytes) {
    const bool wide = source_.wBitsPerSample == 16;
    const unsigned in = source_.nChannels;
    const size_t frames = bytes / size_t(frameBytes(source_));
    decoded_.resize(frames * channels_);
    float* out = decoded_.data();
    const auto sample = [&](size_t i) -> float {
        return wide ? float(s16(data + 2 * i)) : float((int(data[i]) - 128) * 256);
    };
    for (size_t f = 0; f < frames; ++f) {
        if (in == channels_) {
            for (unsigned c = 0; c < in; ++c)
                *out++ = sample(f * in + c);
        } else if (in == 2) {
            *out++ = (sample(2 * f) + sample(2 * f + 1)) * 0.5f;
        } else {
            const float v = sample(f);
            for (unsigned c = 0; c < channels_; ++c)
                *out++ = v;
        }
    }
}

void SampleConverter::Frames(const uint8_t* data, size_t bytes) {
    frames_.clear();
    if (resampler_) {
        Decode(data, bytes);
        resampler_->Process(decoded_.data(), decoded_.size() / channels_, frames_);
        return;
    }
    // The converter's own frames, taken before its 8-bit step.
    exact_.resize(size_t(PCMCONVERTSIZEOUTPUTDATA(middle_, source_, int64_t(bytes))) + middle_.nBlockAlign);
    const int64_t made = PCMCONVERT(middle_, exact_, source_, data, int64_t(bytes));
    for (int64_t i = 0; i + 1 < made; i += 2)
        frames_.push_back(float(s16(exact_.data() + i)));
}

void SampleConverter::Peak() {
    for (const float v : frames_) {
        highest_ = std::max(highest_, v);
        lowest_ = std::max(lowest_, -v);
    }
}

void SampleConverter::Measure(const uint8_t* data, size_t bytes) {
    Frames(data, bytes);
    Peak();
}

void SampleConverter::EndMeasure() {
    if (!resampler_) {
        // Each side may reach its own limit; the side that gets there first sets the gain, so a
        // sound that already touches full scale keeps its bytes.
        const double up = highest_ > 0 ? 32767.0 / highest_ : HUGE_VAL;
        const double down = lowest_ > 0 ? 32768.0 / lowest_ : HUGE_VAL;
        gain_ = std::min(up, down) == HUGE_VAL ? 1.0 : std::min(up, down);
        return;
    }
    frames_.clear();
    resampler_->Flush(frames_);
    Peak();
    resampler_->Restart();
    // The peak is brought to the top code, the same on both sides. Dither that would step past
    // the codes' range is held at its end: that costs less than one step and flattens no wave.
    const double full = targetBits_ == 8 ? 127.0 * 256.0 : 32767.0;
    const float peak = std::max(highest_, lowest_);
    gain_ = peak > 0 ? full / peak : 1.0;
}

// Triangular noise of one step peak, from two uniform values.
float SampleConverter::Dither() {
    const auto next = [this] {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 17;
        noise_ ^= noise_ << 5;
        return float(noise_ >> 8) * (1.0f / 16777216.0f);
    };
    const float a = next();
    return a - next();
}

void SampleConverter::Store(std::vector<uint8_t>& out) {
    const bool eight = targetBits_ == 8;
    const size_t at = out.size();
    out.resize(at + frames_.size() * (eight ? 1 : 2));
    uint8_t* p = out.data() + at;
    const double gain = gain_;
    if (!resampler_) {
        // The exact step: floor, then the high byte.
        for (const float v : frames_) {
            const int q = int(std::clamp(std::floor(v * gain), -32768.0, 32767.0));
            if (eight) {
                *p++ = uint8_t((q >> 8) + 128);
            } else {
                *p++ = uint8_t(q);
                *p++ = uint8_t(q >> 8);
            }
        }
        return;
    }
    const float scale = float(eight ? gain / 256.0 : gain);
    const float top = eight ? 127.0f : 32767.0f;
    for (const float v : frames_) {
        // Digital silence stays silent: no hiss where the source had none.
        float q = 0;
        if (std::fabs(v) >= 0.5f)
            q = std::clamp(std::floor(v * scale + Dither() + 0.5f), -top - 1.0f, top);
        const int code = int(q);
        if (eight) {
            *p++ = uint8_t(code + 128);
        } else {
            *p++ = uint8_t(code);
            *p++ = uint8_t(code >> 8);
        }
    }
}

void SampleConverter::Convert(const uint8_t* data, size_t bytes, std::vector<uint8_t>& out) {
    Frames(data, bytes);
    Store(out);
}

void SampleConverter::Finish(std::vector<uint8_t>& out) {
    if (!resampler_)
        return;
    frames_.clear();
    resampler_->Flush(frames_);
    Store(out);
}

} // namespace vk350
