#include "pcm_convert.h"

#include <array>
#include <cstring>
#include <utility>

namespace vk350 {

PcmWaveFormat pcmView(const WaveFormatEx& wfx) {
    return PcmWaveFormat{wfx.wFormatTag,      wfx.nChannels,   wfx.nSamplesPerSec,
                         wfx.nAvgBytesPerSec, wfx.nBlockAlign, wfx.wBitsPerSample};
}

namespace {

// Frame layout codes: 0 = 8 mono, 2 = 8 stereo, 4 = 16 mono, 6 = 16 stereo.
int layoutCode(const PcmWaveFormat& f) {
    if (f.wFormatTag != 1 || f.nSamplesPerSec == 0)
        return -1;
    if (f.nChannels != 1 && f.nChannels != 2)
        return -1;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16)
        return -1;
    return (f.wBitsPerSample == 16 ? 4 : 0) + (f.nChannels == 2 ? 2 : 0);
}

int frameBytes(int code) {
    return code == 0 ? 1 : code == 6 ? 4 : 2;
}

// A frame between reader and writer: both channels as 8-bit unsigned or 16-bit signed values.
struct Frame {
    int left;
    int right;
};

int s16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
// The high byte with its top bit flipped: signed 16 bits to offset-binary 8 bits.
int hi8(int sample) {
    return ((sample >> 8) + 128) & 0xFF;
}
int avg8(int l, int r) {
    return (l + r) >> 1;
}
int avg16(int l, int r) {
    return (((l + 32768) + (r + 32768)) >> 1) - 32768;
}

using Reader = Frame (*)(const uint8_t*);
using Writer = void (*)(uint8_t*, Frame);

// Readers indexed by [source code / 2][destination code / 2].
constexpr Reader kReaders[4][4] = {
    {
        [](const uint8_t* p) {
            return Frame{p[0], 0};
        },
        [](const uint8_t* p) {
            return Frame{p[0], p[0]};
        },
        [](const uint8_t* p) {
            return Frame{(p[0] - 128) * 256, 0};
        },
        [](const uint8_t* p) {
            return Frame{(p[0] - 128) * 256, (p[0] - 128) * 256};
        },
    },
    {
        [](const uint8_t* p) {
            return Frame{avg8(p[0], p[1]), 0};
        },
        [](const uint8_t* p) {
            return Frame{p[0], p[1]};
        },
        [](const uint8_t* p) {
            return Frame{(avg8(p[0], p[1]) - 128) * 256, 0};
        },
        [](const uint8_t* p) {
            return Frame{(p[0] - 128) * 256, (p[1] - 128) * 256};
        },
    },
    {
        [](const uint8_t* p) {
            return Frame{hi8(s16(p)), 0};
        },
        [](const uint8_t* p) {
            return Frame{hi8(s16(p)), hi8(s16(p))};
        },
        [](const uint8_t* p) {
            return Frame{s16(p), 0};
        },
        [](const uint8_t* p) {
            return Frame{s16(p), s16(p)};
        },
    },
    {
        [](const uint8_t* p) {
            return Frame{hi8(avg16(s16(p), s16(p + 2))), 0};
        },
        [](const uint8_t* p) {
            return Frame{hi8(s16(p)), hi8(s16(p + 2))};
        },
        [](const uint8_t* p) {
            return Frame{avg16(s16(p), s16(p + 2)), 0};
        },
        [](const uint8_t* p) {
            return Frame{s16(p), s16(p + 2)};
        },
    },
};

void put16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr Writer kWriters[4] = {
    [](uint8_t* p, Frame f) { p[0] = static_cast<uint8_t>(f.left); },
    [](uint8_t* p, Frame f) {
        p[0] = static_cast<uint8_t>(f.left);
        p[1] = static_cast<uint8_t>(f.right);
    },
    [](uint8_t* p, Frame f) { put16(p, f.left); },
    [](uint8_t* p, Frame f) {
        put16(p, f.left);
        put16(p + 2, f.right);
    },
};

// The frame loop for one reader and writer, both inlined: at most capacity frames from frames
// of source, each kept, dropped or repeated as the rates say. Returns the frames written.
template <Reader read, Writer write>
size_t convertFrames(uint8_t* out, size_t capacity, const uint8_t* src, int64_t frames, int inStep,
                     int outStep, uint32_t S, uint32_t D) {
    size_t written = 0;
    if (S > D) {
        uint32_t A = S / 2;
        for (int64_t i = 0; i < frames; ++i, src += inStep) {
            if (A >= D) {
                A -= D;
                continue;
            }
            A = A - D + S;
            if (written == capacity)
                break;
            write(out, read(src));
            out += outStep;
            ++written;
        }
    } else {
        uint32_t A = D / 2;
        for (int64_t i = 0; i < frames && written < capacity; ++i, src += inStep) {
            const Frame f = read(src);
            write(out, f);
            out += outStep;
            ++written;
            while (A >= S && written < capacity) {
                A -= S;
                write(out, f);
                out += outStep;
                ++written;
            }
            A = A - S + D;
        }
    }
    return written;
}

using Loop = size_t (*)(uint8_t*, size_t, const uint8_t*, int64_t, int, int, uint32_t, uint32_t);

// Loops indexed by [source code / 2 * 4 + destination code / 2].
template <size_t... I> constexpr std::array<Loop, sizeof...(I)> makeLoops(std::index_sequence<I...>) {
    return {&convertFrames<kReaders[I / 4][I % 4], kWriters[I % 4]>...};
}
constexpr auto kLoops = makeLoops(std::make_index_sequence<16>{});

} // namespace

int64_t PCMCONVERTSIZEOUTPUTDATA(const PcmWaveFormat& dst, const PcmWaveFormat& src, int64_t srcBytes) {
    const int dc = layoutCode(dst);
    const int sc = layoutCode(src);
    if (dc < 0 || sc < 0)
        return -1;
    if (srcBytes <= 0)
        return 0;
    const uint64_t frames = uint64_t(srcBytes) / frameBytes(sc);
    const uint64_t out = frames * dst.nSamplesPerSec / src.nSamplesPerSec;
    return static_cast<int64_t>(out) * frameBytes(dc);
}

int64_t PCMCONVERT(const PcmWaveFormat& dstFormat, std::span<uint8_t> dst, const PcmWaveFormat& srcFormat,
                   const uint8_t* src, int64_t srcBytes) {
    if (srcBytes <= 0)
        return srcBytes;
    const int dc = layoutCode(dstFormat);
    const int sc = layoutCode(srcFormat);
    if (dc < 0 || sc < 0)
        return -1;
    // Chosen once per call, with reader and writer compiled into the frame loop.
    const int inStep = frameBytes(sc);
    const int outStep = frameBytes(dc);
    const size_t written =
        kLoops[size_t(sc / 2 * 4 + dc / 2)](dst.data(), dst.size() / outStep, src, srcBytes / inStep, inStep,
                                            outStep, srcFormat.nSamplesPerSec, dstFormat.nSamplesPerSec);
    return static_cast<int64_t>(written) * outStep;
}

} // namespace vk350
