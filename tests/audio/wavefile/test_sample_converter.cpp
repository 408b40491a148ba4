// The chosen ways of converting a wave file: tone figures of the band-limited conversion taken
// with our own FFT on the converted bytes, the exact conversion kept byte for byte, normalising
// to full scale without clipping, and the two-pass progress.
#include "conversion_options.h"
#include "pcm_support.h"
#include "tone_measure.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_fixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

using namespace vk350;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr ConversionOptions kExact{};
constexpr ConversionOptions kExactNormalised{ConversionQuality::Exact, true};
constexpr ConversionOptions kBandLimited{ConversionQuality::BandLimited, false};
constexpr ConversionOptions kBandLimitedNormalised{ConversionQuality::BandLimited, true};

// RMS in dB re full scale of a sine with this peak in dBFS.
double sineRms(double peakDb) {
    return peakDb - 10.0 * std::log10(2.0);
}

// Two seconds of 16-bit samples: a sine at peakDb (the right channel silent when asked).
Bytes sine16(uint32_t rate, uint16_t channels, double hz, double peakDb, bool rightSilent = false) {
    const double amplitude = 32768.0 * std::pow(10.0, peakDb / 20.0);
    Bytes b;
    for (uint32_t i = 0; i < 2 * rate; ++i) {
        const int v = int(std::lround(amplitude * std::sin(2 * kPi * hz * i / rate)));
        appendLE16(b, uint16_t(std::clamp(v, -32768, 32767)));
        if (channels == 2)
            appendLE16(b, uint16_t(rightSilent ? 0 : std::clamp(v, -32768, 32767)));
    }
    return b;
}

// A clipped wave piles up on its rail: the rail code holds more than twice what the next two
// codes in use hold (a sine's top code holds about 1.4 times as much).
bool clipped(const Bytes& out) {
    std::array<long, 256> count{};
    for (const uint8_t b : out)
        ++count[b];
    for (const int step : {-1, 1}) {
        const int rail = step < 0 ? 255 : 0;
        long inner = 0;
        int found = 0;
        for (int code = rail + step; code >= 0 && code <= 255 && found < 2; code += step)
            if (count[size_t(code)] > 0) {
                inner += count[size_t(code)];
                ++found;
            }
        if (count[size_t(rail)] > 2 * inner + 4)
            return true;
    }
    return false;
}

class ConversionTest : public WaveTest {
protected:
    Bytes convert(const Bytes& wave, const ConversionOptions& options, uint32_t rate = 22050) {
        writeFile("in.wav", wave);
        WaveFormatEx editor;
        pcmBuildWaveHeader(&editor, 8, 1, rate);
        WaveDocument w;
        w.SetFileName(path("in.wav"));
        return w.ConvertToBytes(&editor, options);
    }
};

} // namespace

TEST_F(ConversionTest, ToneFiguresOfTheBandLimitedConversion) {
    struct Case {
        const char* what;
        uint32_t rate;
        uint16_t channels;
        bool rightSilent;
        double hz;
        double peakDb;
        ConversionOptions options;
        double at;       // the other frequency looked at
        double toneDb;   // expected level of the tone (within 0.2 dB), or kNone
        double atMaxDb;  // highest level allowed at the other frequency
        double totalMax; // highest level of the whole output
        double thdnMax;  // highest THD+N
    };
    const double big = 100;
    const Case cases[] = {
        // The exact way keeps every second frame: the tone folds down to 7050 Hz at full level.
        {"15 kHz, exact", 44100, 1, false, 15000, -6, kExact, 7050, kNone, big, big, big},
        {"15 kHz, band-limited", 44100, 1, false, 15000, -6, kBandLimited, 7050, kNone, sineRms(-6) - 36, -45,
         big},
        {"15 kHz stereo from 48000", 48000, 2, false, 15000, -6, kBandLimited, 7050, kNone, sineRms(-6) - 36,
         -45, big},
        {"1 kHz, band-limited", 44100, 1, false, 1000, -6, kBandLimited, 3000, sineRms(-6), -60, big, -36},
        {"1 kHz left only, mixed", 44100, 2, true, 1000, -6, kBandLimited, 3000, sineRms(-12), -60, big, -30},
        {"1 kHz up from 11025", 11025, 1, false, 1000, -6, kBandLimited, 3000, sineRms(-6), -60, big, -36},
        {"1 kHz normalised", 44100, 2, false, 1000, -12, kBandLimitedNormalised, 3000,
         sineRms(20 * std::log10(127.0 / 128.0)), -60, big, -36},
        // Six tenths of an 8-bit step: dither keeps the tone at its level without harmonics.
        {"quiet 1 kHz, dithered", 22050, 1, false, 1000, 20 * std::log10(0.6 / 128), kBandLimited, 3000,
         sineRms(20 * std::log10(0.6 / 128)), sineRms(20 * std::log10(0.6 / 128)) - 25, big, big},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes out = convert(
            pcmWave(16, c.channels, c.rate, sine16(c.rate, c.channels, c.hz, c.peakDb, c.rightSilent)),
            c.options);
        ASSERT_NEAR(double(out.size()), 2 * 22050, 2);
        const ToneFigures f = MeasureTone(FromUnsigned8(out), 22050, c.hz > 11025 ? c.at : c.hz, c.at);
        if (c.options == kExact) {
            EXPECT_NEAR(f.atDb, sineRms(c.peakDb), 1.0) << "the exact way is unchanged";
        }
        if (!std::isnan(c.toneDb)) {
            EXPECT_NEAR(f.toneDb, c.toneDb, c.options.normalise || c.peakDb < -40 ? 0.5 : 0.2);
        }
        EXPECT_LE(f.atDb, c.atMaxDb);
        EXPECT_LE(f.totalDb, c.totalMax);
        EXPECT_LE(f.thdnDb, c.thdnMax);
    }
}

TEST_F(ConversionTest, ExactKeepsItsBytesAndNormalisingAFullScaleSoundChangesNone) {
    struct Case {
        uint16_t bits;
        uint16_t channels;
        uint32_t from;
        uint32_t to;
    };
    const Case cases[] = {{16, 2, 44100, 22050},
                          {16, 1, 22050, 44100},
                          {8, 2, 11025, 8000},
                          {8, 1, 48000, 32000},
                          {16, 2, 22050, 22050}};
    std::minstd_rand random(24);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits " + std::to_string(c.channels) + " ch " +
                     std::to_string(c.from) + " -> " + std::to_string(c.to));
        // Noise of 1.5 seconds (a short last block) with both extremes in it.
        Bytes data(size_t(c.from) * c.channels * c.bits / 8 * 3 / 2);
        for (uint8_t& b : data)
            b = uint8_t(random());
        const size_t frame = size_t(c.channels) * c.bits / 8;
        for (size_t at : {frame * 3, data.size() / 2 / frame * frame}) {
            // The lowest frame, then the highest: 0 and 255, or -32768 and 32767.
            std::fill(data.begin() + at, data.begin() + at + frame, 0);
            std::fill(data.begin() + at + frame, data.begin() + at + 2 * frame, 0xFF);
            for (size_t i = 1; c.bits == 16 && i < frame; i += 2) {
                data[at + i] = 0x80;
                data[at + frame + i] = 0x7F;
            }
        }
        writeFile("in.wav", pcmWave(c.bits, c.channels, c.from, data));
        WaveFormatEx editor;
        pcmBuildWaveHeader(&editor, 8, 1, c.to);
        WaveDocument w;
        w.SetFileName(path("in.wav"));
        const Bytes plain = w.ConvertToBytes(&editor);
        EXPECT_EQ(w.ConvertToBytes(&editor, kExact), plain);
        EXPECT_EQ(w.ConvertToBytes(&editor, kExactNormalised), plain);
        w.ConvertFile(path("out.wav"), &editor, kExact);
        const Bytes file = readFile("out.wav");
        EXPECT_EQ(Bytes(file.begin() + 46, file.begin() + 46 + long(plain.size())), plain)
            << "the same in a file";
    }
}

TEST_F(ConversionTest, NormalisingReachesFullScaleAndNeverClips) {
    const auto square = [](double peakDb) {
        Bytes b;
        const int v = int(32767 * std::pow(10.0, peakDb / 20.0));
        for (int i = 0; i < 2 * 44100; ++i)
            appendLE16(b, uint16_t((i / 22) % 2 ? v : -v));
        return pcmWave(16, 1, 44100, b);
    };
    const auto quiet8 = [](uint32_t rate) {
        Bytes b;
        for (uint32_t i = 0; i < 2 * rate; ++i)
            b.push_back(uint8_t(128 + std::lround(40 * std::sin(2 * kPi * 440 * i / rate))));
        return pcmWave(8, 1, rate, b);
    };
    // Its negative half at a third of the positive one, or none: the higher side sets the gain.
    const auto lopsided = [](double below) {
        Bytes b;
        for (int i = 0; i < 2 * 44100; ++i) {
            const double v = 8000 * std::sin(2 * kPi * 500 * i / 44100);
            appendLE16(b, uint16_t(int16_t(std::lround(v > 0 ? v : v * below))));
        }
        return pcmWave(16, 1, 44100, b);
    };
    struct Case {
        const char* what;
        Bytes wave;
        ConversionOptions options;
        bool clipped; // expected to lose its peaks (what normalising must prevent)
    };
    const Case cases[] = {
        {"sine at -12 dBFS, exact", pcmWave(16, 2, 44100, sine16(44100, 2, 1000, -12)), kExactNormalised,
         false},
        {"sine at -12 dBFS, band-limited", pcmWave(16, 2, 44100, sine16(44100, 2, 1000, -12)),
         kBandLimitedNormalised, false},
        {"8-bit sine, exact", quiet8(22050), kExactNormalised, false},
        {"8-bit sine from 11025, band-limited", quiet8(11025), kBandLimitedNormalised, false},
        // The filter rings above a full-scale square: its peak is taken after the filter.
        {"full-scale square, band-limited", square(0), kBandLimitedNormalised, false},
        {"full-scale square, not normalised", square(0), kBandLimited, true},
        {"square at -20 dBFS, band-limited", square(-20), kBandLimitedNormalised, false},
        {"lopsided, exact", lopsided(1.0 / 3), kExactNormalised, false},
        {"lopsided, band-limited", lopsided(1.0 / 3), kBandLimitedNormalised, false},
        {"one-sided, exact", lopsided(0), kExactNormalised, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes out = convert(c.wave, c.options);
        ASSERT_FALSE(out.empty());
        const auto [low, high] = std::minmax_element(out.begin(), out.end());
        EXPECT_TRUE(*low <= 1 || *high == 255)
            << "peak reaches full scale: " << int(*low) << ".." << int(*high);
        EXPECT_EQ(clipped(out), c.clipped);
    }
}

TEST_F(ConversionTest, SilenceStaysSilentEveryWay) {
    for (const ConversionOptions& options : {kExactNormalised, kBandLimited, kBandLimitedNormalised}) {
        const Bytes out = convert(pcmWave(16, 2, 44100, Bytes(44100 * 4, 0)), options);
        ASSERT_NEAR(double(out.size()), 22050, 1);
        EXPECT_EQ(std::count(out.begin(), out.end(), 128), long(out.size()))
            << "no hiss, no scaling of nothing";
    }
}

TEST_F(ConversionTest, TwoPassesReportOneProgressAndCancelCleanly) {
    writeFile("in.wav", pcmWave(16, 2, 44100, sine16(44100, 2, 1000, -12)));
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    WaveDocument w;
    w.SetFileName(path("in.wav"));
    std::vector<uint32_t> seen;
    uint32_t whole = 0;
    w.OnProgress = [&](WaveDocument&, uint32_t done, uint32_t total, bool&) {
        seen.push_back(done);
        whole = total;
    };
    w.ConvertFile(path("out.wav"), &editor, kBandLimitedNormalised);
    ASSERT_EQ(seen.size(), 4u) << "two one-second blocks, read twice";
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen[1], whole / 2);
    EXPECT_EQ(seen.back(), whole);

    // Cancelled at the end of the peak pass: nothing written, nothing left behind.
    const std::vector<std::string> before = listing();
    w.OnProgress = [&](WaveDocument&, uint32_t done, uint32_t total, bool& cancel) {
        cancel = done == total / 2;
    };
    try {
        w.ConvertFile(path("cancelled.wav"), &editor, kExactNormalised);
        ADD_FAILURE() << "not cancelled";
    } catch (const WaveError& e) {
        EXPECT_STREQ(e.what(), "Conversion aborted");
    }
    EXPECT_EQ(listing(), before);
}
