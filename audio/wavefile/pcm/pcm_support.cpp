#include "pcm_support.h"

namespace vk350 {

void pcmBuildWaveHeader(WaveFormatEx* wfx, uint16_t bitsPerSample, uint16_t channels,
                        uint32_t samplesPerSec) {
    if (!wfx)
        return;
    *wfx = WaveFormatEx{};
    wfx->wFormatTag = WAVE_FORMAT_PCM;
    wfx->nChannels = channels;
    wfx->nSamplesPerSec = samplesPerSec;
    wfx->wBitsPerSample = bitsPerSample;
    wfx->nBlockAlign = static_cast<uint16_t>(uint32_t(channels) * bitsPerSample / 8);
    wfx->nAvgBytesPerSec = uint32_t(wfx->nBlockAlign) * samplesPerSec;
    wfx->cbSize = 0;
}

bool pcmIsValidFormat(const WaveFormatEx* wfx) {
    return wfx && wfx->wFormatTag == WAVE_FORMAT_PCM &&
           (wfx->wBitsPerSample == 8 || wfx->wBitsPerSample == 16) &&
           (wfx->nChannels == 1 || wfx->nChannels == 2) && wfx->nSamplesPerSec >= 4000 &&
           wfx->nSamplesPerSec <= 100000;
}

} // namespace vk350
