#include "pcm_input.h"

#include "pcm_support.h"

namespace vk350 {

bool PcmInput::SetBitLength(SampleBits value) {
    if ((value != b8Bit && value != b16Bit) || value == bitLength_)
        return false;
    bitLength_ = value;
    return true;
}

bool PcmInput::SetMode(ChannelMode value) {
    if ((value != mMono && value != mStereo) || value == mode_)
        return false;
    mode_ = value;
    return true;
}

bool PcmInput::SetChannel(ChannelChoice value) {
    if ((value != chBoth && value != chLeft && value != chRight) || value == channel_)
        return false;
    channel_ = value;
    return true;
}

bool PcmInput::SetFromFormat(const WaveFormatEx& format) {
    if (!pcmIsValidFormat(&format))
        return false;
    bitLength_ = SampleBits(format.wBitsPerSample / 8 - 1);
    mode_ = ChannelMode(format.nChannels - 1);
    return true;
}

} // namespace vk350
