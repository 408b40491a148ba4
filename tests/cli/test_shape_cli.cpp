// vk350 shape as a user runs it: the core's own steps in their fixed order, and refused values.
#include "pcm_support.h"
#include "run_command.h"
#include "sound_shaping.h"
#include "wave_document.h"
#include "wave_fixture.h"

#include <cmath>
#include <functional>

using namespace vk350;

namespace {

class ShapeCli : public WaveTest {
protected:
    // Run in the scratch folder, so that the arguments name its files as they are.
    CommandResult vk350(const std::string& args) {
        return runCommand("cd " + shellQuote(dir_.string()) + " && " + shellQuote(VK350_TOOL) + " shape " +
                              args + " </dev/null",
                          true);
    }
};

// A decaying tone behind 300 samples of silence, 12300 samples in all.
Bytes kick() {
    Bytes b(300, 128);
    for (int i = 0; i < 12000; ++i)
        b.push_back(std::uint8_t(128 + std::lround(110 * std::sin(i / 5.0) * std::exp(-i / 3000.0))));
    return b;
}

Bytes shaped(const Bytes& source, const std::function<void(SampleDocument&)>& steps) {
    SampleDocument d;
    d.Assign(source, std::int32_t(source.size()));
    steps(d);
    return {d.Bytes().begin(), d.Bytes().end()};
}

void change(SampleDocument& d, const std::function<void(std::span<std::uint8_t>)>& step) {
    d.Change(step);
}

} // namespace

TEST_F(ShapeCli, RunsTheCoresStepsInTheirOrder) {
    writeFile("kick.bin", kick());
    const struct {
        const char* flags;
        std::function<void(SampleDocument&)> steps;
    } cases[] = {
        {"--fit BD", [](SampleDocument& d) { fitToLocation(d, 8192, 220, -48, FadeCurve::Exponential); }},
        {"--fit p1 --rate 8000",
         [](SampleDocument& d) { fitToLocation(d, 4096, 80, -48, FadeCurve::Exponential); }},
        {"--fit CB", [](SampleDocument&) {}},
        {"--remove-dc --normalize -1 --gain 4 --fade-out 20 --fade-in 5 --trim-silence -30",
         [](SampleDocument& d) {
             trimSilence(d, -30);
             change(d, [](auto b) { fadeIn(b.first(110), FadeCurve::Exponential); });
             change(d, [](auto b) { fadeOut(b.last(441), FadeCurve::Exponential); });
             change(d, [](auto b) { applyGain(b, 4); });
             change(d, [](auto b) { normalise(b, -1); });
             change(d, [](auto b) { removeDcOffset(b); });
         }},
    };
    for (const auto& c : cases) {
        const CommandResult r = vk350(std::string("kick.bin out.bin ") + c.flags);
        ASSERT_EQ(r.status, 0) << c.flags << "\n" << r.out;
        EXPECT_EQ(readFile("out.bin"), shaped(kick(), c.steps)) << c.flags;
    }
}

// A wave file is converted at the rate and quality given, shaped, and written as a wave file.
TEST_F(ShapeCli, WaveInAndOut) {
    Bytes frames;
    for (int i = 0; i < 44100; ++i) {
        appendLE16(frames, std::uint16_t(std::lround(20000 * std::sin(i / 7.0))));
        appendLE16(frames, std::uint16_t(std::lround(-9000 * std::sin(i / 9.0))));
    }
    writeFile("in.wav", pcmWave(16, 2, 44100, frames));
    const CommandResult r = vk350("in.wav out.wav --quality best --rate 11025 --gain -6");
    ASSERT_EQ(r.status, 0) << r.out;

    WaveFormatEx format;
    pcmBuildWaveHeader(&format, 8, 1, 11025);
    WaveDocument source;
    source.SetFileName(path("in.wav"));
    Bytes expect = source.ConvertToBytes(&format, {ConversionQuality::BandLimited, false});
    applyGain(expect, -6);
    const Bytes file = readFile("out.wav");
    ASSERT_GE(file.size(), 46 + expect.size());
    EXPECT_EQ(readLE32(file, 24), 11025u);
    EXPECT_EQ(readLE32(file, 42), expect.size());
    EXPECT_EQ(Bytes(file.begin() + 46, file.begin() + 46 + long(expect.size())), expect);
}

// A value that does not suit is refused with its reason, and nothing is written.
TEST_F(ShapeCli, RefusesBadValuesAndWritesNothing) {
    writeFile("kick.bin", kick());
    const struct {
        const char* args;
        int status;
        const char* says;
    } cases[] = {
        {"kick.bin out.bin --gain loud", 2, "--gain takes a number"},
        {"kick.bin out.bin --gain nan", 2, "--gain takes a number"},
        {"kick.bin out.bin --fade-out 600", 2, "longer than the sample (12300)"},
        {"kick.bin out.bin --trim-silence -40 --fade-in 550", 2, "longer than the sample"}, // once trimmed
        {"kick.bin out.bin --fit KD", 2, "unknown slot 'KD'"},
        {"kick.bin out.bin --normalize 1", 2, "--normalize takes a level"},
        {"kick.bin out.bin --trim-silence -0.1", 2, "nothing in"},
        {"kick.bin out.bin --gain 1 --gain 2", 2, "given twice"},
        {"kick.bin out.bin --fade-in", 2, "needs a value"},
        {"kick.bin out.bin --louder", 2, "unknown option"},
        {"kick.bin", 2, "IN and OUT"},
        {"missing.bin out.bin", 1, "missing.bin"},
    };
    for (const auto& c : cases) {
        const CommandResult r = vk350(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
    }
    EXPECT_EQ(listing(), std::vector<std::string>{"kick.bin"});
}
