#include "wave_format.h"

#include "byte_order.h"

#include <algorithm>

namespace vk350 {

uint32_t wioSizeOfWaveFormat(const WaveFormatEx& wfx) {
    if (wfx.wFormatTag == WAVE_FORMAT_PCM)
        return 18;
    return 18 + static_cast<uint32_t>(std::min<size_t>(wfx.cbSize, wfx.extra.size()));
}

WaveFormatEx wioCopyWaveFormat(const WaveFormatEx& wfx) {
    WaveFormatEx copy = wfx;
    if (copy.wFormatTag == WAVE_FORMAT_PCM) {
        copy.cbSize = 0;
        copy.extra.clear();
    }
    return copy;
}

std::vector<uint8_t> wioWaveFormatBytes(const WaveFormatEx& wfx) {
    std::vector<uint8_t> out(wioSizeOfWaveFormat(wfx), 0);
    const uint16_t extra = static_cast<uint16_t>(out.size() - 18);
    putLE16(&out[0], wfx.wFormatTag);
    putLE16(&out[2], wfx.nChannels);
    putLE32(&out[4], wfx.nSamplesPerSec);
    putLE32(&out[8], wfx.nAvgBytesPerSec);
    putLE16(&out[12], wfx.nBlockAlign);
    putLE16(&out[14], wfx.wBitsPerSample);
    putLE16(&out[16], extra);
    std::copy_n(wfx.extra.begin(), extra, out.begin() + 18);
    return out;
}

WaveFormatEx wioWaveFormatFromBytes(const uint8_t* data, uint32_t size) {
    uint8_t head[18] = {};
    if (size > 0)
        std::copy_n(data, std::min<uint32_t>(size, 18), head);
    WaveFormatEx wfx;
    wfx.wFormatTag = getLE16(&head[0]);
    wfx.nChannels = getLE16(&head[2]);
    wfx.nSamplesPerSec = getLE32(&head[4]);
    wfx.nAvgBytesPerSec = getLE32(&head[8]);
    wfx.nBlockAlign = getLE16(&head[12]);
    wfx.wBitsPerSample = getLE16(&head[14]);
    wfx.cbSize = getLE16(&head[16]);
    const uint32_t present = size > 18 ? size - 18 : 0;
    wfx.cbSize = static_cast<uint16_t>(std::min<uint32_t>(wfx.cbSize, present));
    if (wfx.cbSize > 0)
        wfx.extra.assign(data + 18, data + 18 + wfx.cbSize);
    return wfx;
}

} // namespace vk350
