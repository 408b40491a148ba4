#include "pcm_scan.h"

#include <cstdlib>

namespace vk350 {

namespace {

bool usable(const WaveFormatEx& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
           f.nChannels >= 1 && f.nBlockAlign == f.nChannels * (f.wBitsPerSample / 8);
}

// Centred value of channel ch of the frame at data.
int centred(const WaveFormatEx& f, const uint8_t* frame, int ch) {
    if (f.wBitsPerSample == 8)
        return int(frame[ch]) - 128;
    const uint8_t* p = frame + 2 * ch;
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

} // namespace

int64_t pcmFindZeroCross(const WaveFormatEx& format, const uint8_t* data, uint32_t bytes, uint32_t from,
                         int level, bool upFlank) {
    if (!data || !usable(format))
        return -1;
    const uint32_t frame = format.nBlockAlign;
    uint32_t at = (from + frame - 1) / frame * frame;
    if (at < frame)
        at = frame; // a crossing needs the frame before it
    for (; at + frame <= bytes; at += frame) {
        const int before = centred(format, data + at - frame, 0);
        const int now = centred(format, data + at, 0);
        if (upFlank ? (before < level && now >= level) : (before > level && now <= level))
            return at;
    }
    return -1;
}

void pcmFindPeak(const WaveFormatEx& format, const uint8_t* data, uint32_t bytes, int16_t& first,
                 int16_t& second) {
    const int16_t silence = format.wBitsPerSample == 8 ? 128 : 0;
    first = second = silence;
    if (!data || !usable(format))
        return;
    const uint32_t frame = format.nBlockAlign;
    int peak[2] = {0, 0};
    for (uint32_t at = 0; at + frame <= bytes; at += frame)
        for (int ch = 0; ch < 2; ++ch) {
            const int v = centred(format, data + at, format.nChannels > 1 ? ch : 0);
            if (std::abs(v) > std::abs(peak[ch]))
                peak[ch] = v;
        }
    first = int16_t(peak[0] + silence);
    second = int16_t(peak[1] + silence);
}

} // namespace vk350
