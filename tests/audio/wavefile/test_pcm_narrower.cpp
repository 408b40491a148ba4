// Narrowing wide wave formats to 16-bit PCM: which formats are taken, and the values at the
// edges of each coding (top bits, clipping, the floor of a mixed-down mean).
#include "pcm_narrower.h"
#include "pcm_support.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_fixture.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace vk350;

namespace {

WaveFormatEx format(uint16_t tag, uint16_t bits, uint16_t channels, uint32_t rate = 22050) {
    WaveFormatEx w;
    w.wFormatTag = tag;
    w.wBitsPerSample = bits;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.nBlockAlign = uint16_t(bits / 8 * channels);
    w.nAvgBytesPerSec = w.nBlockAlign * rate;
    return w;
}

// The extensible record with the given sub-format tag in its GUID.
WaveFormatEx extensible(uint16_t subTag, uint16_t bits, uint16_t channels, bool goodGuid = true) {
    WaveFormatEx w = format(WAVE_FORMAT_EXTENSIBLE, bits, channels);
    w.cbSize = 22;
    w.extra = {uint8_t(bits),
               0,
               0,
               0,
               0,
               0,
               uint8_t(subTag),
               0,
               0x00,
               0x00,
               0x00,
               0x00,
               0x10,
               0x00,
               0x80,
               0,
               0,
               0xAA,
               0x00,
               0x38,
               0x9B,
               uint8_t(goodGuid ? 0x71 : 0x72)};
    return w;
}

Bytes f32(std::initializer_list<float> values) {
    Bytes b;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        appendLE32(b, bits);
    }
    return b;
}

Bytes f64(std::initializer_list<double> values) {
    Bytes b;
    for (double v : values) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        appendLE32(b, uint32_t(bits));
        appendLE32(b, uint32_t(bits >> 32));
    }
    return b;
}

std::vector<int> narrowed(const WaveFormatEx& w, const Bytes& in) {
    Bytes out;
    PcmNarrower(w).Narrow(in.data(), in.size(), out);
    std::vector<int> values;
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        values.push_back(int16_t(readLE16(out, i)));
    return values;
}

} // namespace

TEST(PcmNarrower, TakesWideFormatsOnly) {
    WaveFormatEx badAlign = format(1, 24, 2);
    badAlign.nBlockAlign = 4;
    WaveFormatEx badRate = format(3, 32, 1);
    badRate.nAvgBytesPerSec = 1000;
    const struct {
        const char* what;
        WaveFormatEx w;
        bool narrows;
        uint16_t channelsOut;
    } cases[] = {
        {"24-bit stereo", format(1, 24, 2), true, 2},
        {"32-bit mono", format(1, 32, 1), true, 1},
        {"float 32", format(3, 32, 2), true, 2},
        {"float 64", format(3, 64, 1), true, 1},
        {"8-bit three channels", format(1, 8, 3), true, 1},
        {"extensible 24-bit", extensible(1, 24, 2), true, 2},
        {"extensible 16-bit six channels", extensible(1, 16, 6), true, 1},
        {"extensible float", extensible(3, 32, 1), true, 1},
        {"16-bit stereo needs nothing", format(1, 16, 2), false, 0},
        {"extensible 16-bit stereo", extensible(1, 16, 2), true, 2},
        {"A-law", format(WAVE_FORMAT_ALAW, 8, 1), false, 0},
        {"float of 16 bits", format(3, 16, 1), false, 0},
        {"extensible A-law", extensible(WAVE_FORMAT_ALAW, 8, 1), false, 0},
        {"extensible, foreign GUID", extensible(1, 24, 2, false), false, 0},
        {"12-bit", format(1, 12, 1), false, 0},
        {"block alignment that disagrees", badAlign, false, 0},
        {"byte rate that disagrees", badRate, false, 0},
        {"rate too low", format(1, 24, 1, 3999), false, 0},
        {"rate too high", format(1, 24, 1, 100001), false, 0},
        {"no channels", format(1, 24, 0), false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PcmNarrower::Narrows(c.w), c.narrows) << c.what;
        if (c.narrows) {
            const PcmNarrower narrower(c.w);
            const WaveFormatEx& t = narrower.Target();
            EXPECT_TRUE(pcmIsValidFormat(&t)) << c.what;
            EXPECT_EQ(t.wBitsPerSample, 16) << c.what;
            EXPECT_EQ(t.nChannels, c.channelsOut) << c.what;
            EXPECT_EQ(t.nSamplesPerSec, c.w.nSamplesPerSec) << c.what;
        }
    }
}

TEST(PcmNarrower, ValuesAtTheEdges) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        WaveFormatEx w;
        Bytes in;
        std::vector<int> out;
    } cases[] = {
        // 24-bit: the top two bytes; the low byte is dropped, not rounded.
        {"24-bit",
         format(1, 24, 1),
         {0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00},
         {32767, -1, -32768, 1, 0}},
        {"32-bit", format(1, 32, 2), {0x11, 0x22, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF}, {0x1234, -1}},
        {"float 32, clipped",
         format(3, 32, 1),
         f32({1.0f, -1.0f, 1.5f, -2.0f, 0.5f, -0.5f, 1.0f / 32768, -1.0f / 65536, nan}),
         {32767, -32768, 32767, -32768, 16384, -16384, 1, -1, 0}},
        {"float 64", format(3, 64, 1), f64({0.25, -1e9, 1e9, -0.25}), {8192, -32768, 32767, -8192}},
        {"three channels: floor of the mean",
         format(1, 16, 3),
         s16({-1, 0, 0, 3, 3, 4, -32768, -32768, -32768}),
         {-1, 3, -32768}},
        {"8-bit four channels", format(1, 8, 4), {0, 0, 255, 255, 128, 128, 128, 129}, {-128, 64}},
        {"extensible 24-bit stereo keeps both channels",
         extensible(1, 24, 2),
         {0x00, 0x00, 0x80, 0x00, 0xFF, 0x7F},
         {-32768, 32767}},
        {"a part frame at the end is dropped", format(1, 24, 2), {0, 0, 1, 0, 0, 2, 0, 0}, {256, 512}},
    };
    for (const auto& c : cases) {
        const std::vector<int> got = narrowed(c.w, c.in);
        EXPECT_EQ(got, c.out) << c.what;
    }
}

// A plain (not extensible) 24-bit file, as many programs write it, converts through the wave
// object; an A-law file is still refused before any file is touched.
class NarrowFileTest : public WaveTest {};

TEST_F(NarrowFileTest, PlainTagFilesConvertAndCompressedOnesAreRefused) {
    Bytes data;
    for (int v : {0x7FFFFF, -0x800000, 0x12345, -1})
        for (int i = 0; i < 3; ++i)
            data.push_back(uint8_t(v >> (8 * i)));
    Bytes chunks;
    appendChunk(chunks, "fmt ", fmtBody(1, 1, 22050, 3 * 22050, 3, 24));
    appendChunk(chunks, "data", data);
    writeFile("w24.wav", riffWave(chunks));
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    WaveDocument w;
    w.SetFileName(path("w24.wav"));
    EXPECT_EQ(w.ConvertToBytes(&editor), (Bytes{255, 0, 129, 127}));

    Bytes alaw;
    appendChunk(alaw, "fmt ", fmtBody(WAVE_FORMAT_ALAW, 1, 8000, 8000, 1, 8, true));
    appendChunk(alaw, "data", Bytes(100, 0xD5));
    writeFile("alaw.wav", riffWave(alaw));
    w.SetFileName(path("alaw.wav"));
    const auto before = listing();
    EXPECT_THROW(w.ConvertFile(path("out.wav"), &editor), WaveError);
    EXPECT_EQ(listing(), before);
}
