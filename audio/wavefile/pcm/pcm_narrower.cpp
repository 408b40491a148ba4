#include "pcm_narrower.h"

#include "byte_order.h"
#include "pcm_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vk350 {

namespace {

// The tail shared by every sub-format GUID of the extensible layout; the first two bytes are
// the plain format tag.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

SampleLayout sampleLayout(const WaveFormatEx& wfx) {
    SampleLayout l;
    l.tag = wfx.wFormatTag;
    l.channels = wfx.nChannels;
    if (l.tag == WAVE_FORMAT_EXTENSIBLE) {
        // valid bits (2), channel mask (4), sub-format GUID (16)
        if (wfx.extra.size() < 22 || std::memcmp(&wfx.extra[8], kGuidTail, sizeof kGuidTail) != 0)
            return l;
        l.tag = uint16_t(wfx.extra[6] | (wfx.extra[7] << 8));
    }
    if (wfx.wBitsPerSample % 8 != 0)
        return l;
    l.bytes = wfx.wBitsPerSample / 8;
    if (l.tag == WAVE_FORMAT_PCM && l.bytes >= 1 && l.bytes <= 4)
        l.coding = SampleCoding::Integer;
    else if (l.tag == WAVE_FORMAT_IEEE_FLOAT && (l.bytes == 4 || l.bytes == 8))
        l.coding = SampleCoding::Float;
    return l;
}

bool PcmNarrower::Narrows(const WaveFormatEx& wfx) {
    if (pcmIsValidFormat(&wfx))
        return false;
    const SampleLayout l = sampleLayout(wfx);
    // The reader takes lengths from the stated byte rate for these formats, so it must agree.
    return l.coding != SampleCoding::None && l.channels >= 1 && wfx.nBlockAlign == l.bytes * l.channels &&
           wfx.nSamplesPerSec >= 4000 && wfx.nSamplesPerSec <= 100000 &&
           wfx.nAvgBytesPerSec == uint32_t(wfx.nBlockAlign) * wfx.nSamplesPerSec;
}

PcmNarrower::PcmNarrower(const WaveFormatEx& source)
    : layout_(sampleLayout(source)), frameBytes_(std::max(1u, layout_.bytes * layout_.channels)) {
    pcmBuildWaveHeader(&target_, 16, uint16_t(layout_.channels > 2 ? 1 : layout_.channels),
                       source.nSamplesPerSec);
}

int32_t PcmNarrower::Sample(const uint8_t* p) const {
    if (layout_.coding == SampleCoding::Float) {
        double v;
        if (layout_.bytes == 4) {
            float f;
            const uint32_t bits = getLE32(p);
            std::memcpy(&f, &bits, 4);
            v = f;
        } else {
            const uint64_t bits = uint64_t(getLE32(p)) | (uint64_t(getLE32(p + 4)) << 32);
            std::memcpy(&v, &bits, 8);
        }
        if (std::isnan(v))
            return 0;
        return int32_t(std::clamp(std::floor(std::clamp(v, -1.0, 1.0) * 32768.0), -32768.0, 32767.0));
    }
    switch (layout_.bytes) {
    case 1:
        return (int32_t(p[0]) - 128) * 256; // 8-bit PCM is unsigned
    case 2:
        return int16_t(p[0] | (p[1] << 8));
    default: // the top two bytes, little-endian, are the sample's top 16 bits
        return int16_t(p[layout_.bytes - 2] | (p[layout_.bytes - 1] << 8));
    }
}

void PcmNarrower::Narrow(const uint8_t* data, size_t bytes, std::vector<uint8_t>& out) const {
    const size_t frames = bytes / frameBytes_;
    const unsigned channels = target_.nChannels;
    out.resize(frames * channels * 2);
    uint8_t* o = out.data();
    for (size_t f = 0; f < frames; ++f, data += frameBytes_) {
        if (channels == 1 && layout_.channels > 1) {
            int64_t sum = 0;
            for (unsigned c = 0; c < layout_.channels; ++c)
                sum += Sample(data + c * layout_.bytes);
            // floor of the mean, as the converter's own stereo mix rounds down
            const int64_t n = layout_.channels;
            const auto mean = int16_t(sum >= 0 ? sum / n : -((-sum + n - 1) / n));
            putLE16(o, uint16_t(mean));
            o += 2;
        } else {
            for (unsigned c = 0; c < channels; ++c, o += 2)
                putLE16(o, uint16_t(int16_t(Sample(data + c * layout_.bytes))));
        }
    }
}

} // namespace vk350
