// The PCM converter: every reader on the values that could go wrong, the rate accumulator and
// the size prediction, and the format checks.
#include "pcm_convert.h"
#include "pcm_support.h"
#include "wave_fixture.h"

using namespace vk350;

namespace {

PcmWaveFormat fmt(uint16_t bits, uint16_t channels, uint32_t rate) {
    WaveFormatEx w;
    pcmBuildWaveHeader(&w, bits, channels, rate);
    return pcmView(w);
}

Bytes convert(const PcmWaveFormat& dst, const PcmWaveFormat& src, const Bytes& in, size_t room = 1 << 20) {
    Bytes out(room);
    const int64_t n = PCMCONVERT(dst, out, src, in.data(), int64_t(in.size()));
    EXPECT_GE(n, 0);
    out.resize(size_t(std::max<int64_t>(n, 0)));
    return out;
}

} // namespace

TEST(PcmFormat, BuildAndValidity) {
    WaveFormatEx w;
    pcmBuildWaveHeader(&w, 8, 1, 22050);
    EXPECT_EQ(w.wFormatTag, 1);
    EXPECT_EQ(w.nBlockAlign, 1);
    EXPECT_EQ(w.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(w.cbSize, 0);
    EXPECT_TRUE(pcmIsValidFormat(&w));

    pcmBuildWaveHeader(&w, 16, 2, 4000);
    EXPECT_EQ(w.nBlockAlign, 4);
    EXPECT_EQ(w.nAvgBytesPerSec, 16000u);
    EXPECT_TRUE(pcmIsValidFormat(&w));
    pcmBuildWaveHeader(&w, 16, 2, 100000);
    EXPECT_TRUE(pcmIsValidFormat(&w));
    pcmBuildWaveHeader(&w, 16, 2, 3999);
    EXPECT_FALSE(pcmIsValidFormat(&w));
    pcmBuildWaveHeader(&w, 16, 2, 100001);
    EXPECT_FALSE(pcmIsValidFormat(&w));
    pcmBuildWaveHeader(&w, 8, 3, 8000);
    EXPECT_FALSE(pcmIsValidFormat(&w));
    pcmBuildWaveHeader(&w, 24, 1, 8000);
    EXPECT_FALSE(pcmIsValidFormat(&w));
    w = WaveFormatEx{};
    w.wFormatTag = 2;
    w.nChannels = 1;
    w.wBitsPerSample = 16;
    w.nSamplesPerSec = 8000;
    EXPECT_FALSE(pcmIsValidFormat(&w));
    EXPECT_FALSE(pcmIsValidFormat(nullptr));
}

TEST(PcmConvert, WidthAndChannelReaders) {
    const auto m8 = fmt(8, 1, 8000), st8 = fmt(8, 2, 8000), m16 = fmt(16, 1, 8000), st16 = fmt(16, 2, 8000);
    // 16 bits to 8: the high byte with its top bit flipped, no rounding.
    EXPECT_EQ(convert(m8, m16, s16({0, 255, 256, -1, -256, 32767, -32768})),
              (Bytes{128, 128, 129, 127, 127, 255, 0}));
    // Stereo pairs averaged as offset-binary values.
    EXPECT_EQ(convert(m8, st16, s16({32767, -32768, -1, 0, 0, 0, 256, 256})), (Bytes{127, 127, 128, 129}));
    EXPECT_EQ(convert(m8, st8, Bytes{0x7F, 0x81, 0xFF, 0xFF, 0, 1}), (Bytes{0x80, 0xFF, 0}));
    EXPECT_EQ(convert(st8, m8, Bytes{3, 250}), (Bytes{3, 3, 250, 250}));
    EXPECT_EQ(convert(st8, m16, s16({-32768, 512})), (Bytes{0, 0, 130, 130}));
    EXPECT_EQ(convert(st8, st16, s16({-1, 32767})), (Bytes{127, 255})); // channel order kept
    EXPECT_EQ(convert(m16, m8, Bytes{0, 128, 255}), s16({-32768, 0, 32512}));
    EXPECT_EQ(convert(m16, st8, Bytes{0x7F, 0x81}), s16({0}));
    EXPECT_EQ(convert(m16, st16, s16({-32768, 32767, -1, 0})), s16({-1, -1}));
    EXPECT_EQ(convert(st16, m8, Bytes{0, 255}), s16({-32768, -32768, 32512, 32512}));
    EXPECT_EQ(convert(st16, st8, Bytes{0, 255}), s16({-32768, 32512}));
    EXPECT_EQ(convert(st16, m16, s16({-5})), s16({-5, -5}));

    // Equal formats: byte for byte, including a trailing partial frame dropped.
    const Bytes any = s16({1, -2, 300, -400, 5, 6});
    EXPECT_EQ(convert(st16, st16, any), any);
    EXPECT_EQ(convert(m8, m8, Bytes{9, 8, 7}), (Bytes{9, 8, 7}));
    Bytes odd = any;
    odd.push_back(1);
    EXPECT_EQ(convert(st16, st16, odd), any);
}

TEST(PcmConvert, RateAccumulator) {
    // 44100 -> 22050 keeps the second of each pair of frames.
    Bytes in;
    for (int i = 0; i < 8; ++i)
        in.push_back(uint8_t(i));
    EXPECT_EQ(convert(fmt(8, 1, 22050), fmt(8, 1, 44100), in), (Bytes{1, 3, 5, 7}));

    // 44100 -> 8000: a second gives exactly 8000 frames, 3 frames give 1.
    const Bytes second(44100, 0x80);
    EXPECT_EQ(convert(fmt(8, 1, 8000), fmt(8, 1, 44100), second).size(), 8000u);
    EXPECT_EQ(PCMCONVERTSIZEOUTPUTDATA(fmt(8, 1, 8000), fmt(8, 1, 44100), 44100), 8000);
    EXPECT_EQ(convert(fmt(8, 1, 8000), fmt(8, 1, 44100), Bytes{1, 2, 3}), (Bytes{3}));

    // 22050 -> 44100: every frame twice.
    EXPECT_EQ(convert(fmt(8, 1, 44100), fmt(8, 1, 22050), Bytes{1, 2, 3, 4, 5}),
              (Bytes{1, 1, 2, 2, 3, 3, 4, 4, 5, 5}));

    // 8000 -> 48000: the first frame of a call comes out four times, the rest six.
    EXPECT_EQ(convert(fmt(8, 1, 48000), fmt(8, 1, 8000), Bytes{1, 2}), (Bytes{1, 1, 1, 1, 2, 2, 2, 2, 2, 2}));

    // A block of exactly S frames gives D frames when decimating; when repeating, each call
    // starts half a step late and ends up to D/(2S) frames short, never over the prediction.
    for (uint32_t s : {8000u, 11025u, 22050u, 32000u, 44100u, 48000u, 4000u, 100000u}) {
        for (uint32_t d : {8000u, 11025u, 22050u, 32000u, 44100u, 48000u}) {
            const Bytes block(size_t(s) * 2, 0);
            const int64_t predicted =
                PCMCONVERTSIZEOUTPUTDATA(fmt(8, 1, d), fmt(16, 1, s), int64_t(block.size()));
            EXPECT_EQ(predicted, int64_t(d)) << s << "->" << d;
            const size_t made = convert(fmt(8, 1, d), fmt(16, 1, s), block).size();
            if (d <= s) {
                EXPECT_EQ(made, size_t(d)) << s << "->" << d;
            } else {
                EXPECT_LE(made, size_t(d)) << s << "->" << d;
                EXPECT_GE(made + d / (2 * s) + 1, size_t(d)) << s << "->" << d;
            }
            // Shorter blocks never exceed their prediction by more than one frame.
            for (size_t frames : {1u, 2u, 3u, 7u, 99u}) {
                const Bytes part(frames * 2, 0);
                const int64_t p = PCMCONVERTSIZEOUTPUTDATA(fmt(8, 1, d), fmt(16, 1, s), int64_t(part.size()));
                EXPECT_LE(int64_t(convert(fmt(8, 1, d), fmt(16, 1, s), part).size()), p + 1);
            }
        }
    }
}

TEST(PcmConvert, CountsFormatsAndRoom) {
    const auto m8 = fmt(8, 1, 8000);
    auto bad = fmt(24, 1, 8000);
    uint8_t src[4] = {1, 2, 3, 4};
    Bytes out(16);
    EXPECT_EQ(PCMCONVERT(m8, out, bad, src, 4), -1);
    EXPECT_EQ(PCMCONVERT(bad, out, m8, src, 4), -1);
    EXPECT_EQ(PCMCONVERTSIZEOUTPUTDATA(m8, bad, 4), -1);
    auto zeroRate = fmt(8, 1, 0);
    EXPECT_EQ(PCMCONVERT(m8, out, zeroRate, src, 4), -1);
    auto three = fmt(8, 3, 8000);
    EXPECT_EQ(PCMCONVERTSIZEOUTPUTDATA(three, m8, 4), -1);
    EXPECT_EQ(PCMCONVERT(m8, out, m8, src, 0), 0);
    EXPECT_EQ(PCMCONVERT(m8, out, m8, src, -7), -7);
    // The converter does not look at alignment or byte rate.
    auto odd = m8;
    odd.nBlockAlign = 0;
    odd.nAvgBytesPerSec = 1;
    EXPECT_EQ(PCMCONVERT(odd, out, m8, src, 4), 4);
    // Writing stops at the end of the destination.
    EXPECT_EQ(convert(fmt(8, 1, 48000), fmt(8, 1, 8000), Bytes{1, 2, 3}, 5), (Bytes{1, 1, 1, 1, 2}));
    EXPECT_EQ(convert(fmt(16, 2, 8000), m8, Bytes{1, 2, 3}, 6).size(), 4u);
    // Also when decimating: the bytes past a 10-byte span are never reached.
    const Bytes second(44100, 0x80);
    Bytes guarded(16, 0xEE);
    EXPECT_EQ(PCMCONVERT(m8, std::span(guarded).first(10), fmt(8, 1, 44100), second.data(), 44100), 10);
    Bytes expected(10, 0x80);
    expected.resize(16, 0xEE);
    EXPECT_EQ(guarded, expected);
}
