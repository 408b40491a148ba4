#include "pcm_input.h"

#include "pcm_support.h"

namespace vk350 {

bool PcmInput::SetBitLength(TMMBits value) {
    if ((value != b8Bit && value != b16Bit) || value == bitLength_)
        return false;
    bitLength_ = value;
    return true;
}

bool PcmInput::SetMode(TMMMode value) {
    if ((value != mMono && value != mStereo) || value == mode_)
        return false;
    mode_ = value;
    return true;
}

bool PcmInput::SetChannel(TMMChannel value) {
    if ((value != chBoth && value != chLeft && value != chRight) || value == channel_)
        return false;
    channel_ = value;
    return true;
}

bool PcmInput::SetFromFormat(const tWAVEFORMATEX& format) {
    if (!pcmIsValidFormat(&format))
        return false;
    bitLength_ = TMMBits(format.wBitsPerSample / 8 - 1);
    mode_ = TMMMode(format.nChannels - 1);
    return true;
}

} // namespace vk350
