// How a view reads the PCM blocks it is handed: sample width, channel count and the channel that
// it analyses. The blocks are little-endian and need not be aligned.
#pragma once

#include "analysis_types.h"
#include "wave_format.h"

#include <cstdint>

namespace vk350 {

class PcmInput {
public:
    SampleBits BitLength() const { return bitLength_; }
    ChannelMode Mode() const { return mode_; }
    ChannelChoice Channel() const { return channel_; }
    // Values outside the enumerations are ignored; each returns whether the value changed.
    bool SetBitLength(SampleBits value);
    bool SetMode(ChannelMode value);
    bool SetChannel(ChannelChoice value);

    // Takes bits and channels from a format that pcmIsValidFormat accepts; false, changing
    // nothing, for any other.
    bool SetFromFormat(const WaveFormatEx& format);

    std::int32_t BytesPerFrame() const { return (bitLength_ + 1) * (mode_ + 1); }
    // Whether the channel choice matters: stereo input.
    bool Stereo() const { return mode_ == mStereo; }

    // Frame i's first (left) and second (right) channel: the unsigned byte for 8 bits, the signed
    // sample for 16. A mono frame gives its one sample for both.
    std::int32_t Left(const std::uint8_t* block, std::int32_t frame) const {
        return Sample(block, frame * BytesPerFrame());
    }
    std::int32_t Right(const std::uint8_t* block, std::int32_t frame) const {
        return Sample(block, frame * BytesPerFrame() + (Stereo() ? bitLength_ + 1 : 0));
    }

private:
    std::int32_t Sample(const std::uint8_t* block, std::int32_t offset) const {
        if (bitLength_ == b8Bit)
            return block[offset];
        return std::int16_t(std::uint16_t(block[offset] | (block[offset + 1] << 8)));
    }

    SampleBits bitLength_ = b8Bit;
    ChannelMode mode_ = mMono;
    ChannelChoice channel_ = chBoth;
};

} // namespace vk350
