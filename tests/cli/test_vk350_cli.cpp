// The vk350 tool as a user runs it: exit statuses, messages, the files it writes and leaves.
#include "byte_order.h"
#include "pcm_support.h"
#include "run_command.h"
#include "wave_document.h"
#include "wave_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace vk350;

namespace {

class Vk350Cli : public WaveTest {
protected:
    CommandResult vk350(const std::string& args) {
        return runCommand(shellQuote(VK350_TOOL) + " " + args + " </dev/null", true);
    }
    std::string q(const std::string& leaf) const { return shellQuote(path(leaf)); }
};

Bytes stereoSecond() {
    Bytes b;
    for (int i = 0; i < 44100; ++i) {
        appendLE16(b, uint16_t(i * 29));
        appendLE16(b, uint16_t(-i * 17));
    }
    return b;
}

} // namespace

TEST_F(Vk350Cli, UsageAndHelp) {
    CommandResult r = vk350("");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("usage: vk350"), std::string::npos);
    r = vk350("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("convert IN.wav OUT"), std::string::npos);
    EXPECT_NE(r.out.find("info FILE.wav"), std::string::npos);
    EXPECT_EQ(vk350("frobnicate").status, 2);
    EXPECT_EQ(vk350("convert --help").status, 0);
    EXPECT_EQ(vk350("info --help").status, 0);

    writeFile("in.wav", pcmWave(8, 1, 22050, Bytes(10, 0x80)));
    for (const char* bad : {"one.wav", "a b c", "--rate", "--rate 12345", "--rate abc", "--fast", "--quality",
                            "--quality fine", "--quality BEST", "--normalise"}) {
        r = vk350("convert " + q("in.wav") + " " + q("out.raw") + " " + bad);
        EXPECT_EQ(r.status, 2) << bad << "\n" << r.out;
        EXPECT_NE(r.out.find("vk350: "), std::string::npos) << bad;
    }
    EXPECT_EQ(vk350("convert").status, 2);
    EXPECT_EQ(vk350("convert " + q("in.wav")).status, 2);
    EXPECT_EQ(vk350("info").status, 2);
    EXPECT_EQ(vk350("info a b").status, 2);
    EXPECT_EQ(listing(), std::vector<std::string>{"in.wav"});
}

TEST_F(Vk350Cli, ConvertsToWaveOrRawBytes) {
    writeFile("in.wav", pcmWave(16, 2, 44100, stereoSecond()));
    CommandResult r = vk350("convert " + q("in.wav") + " " + q("out.wav"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, ""); // no progress line when standard error is not a terminal
    r = vk350("convert " + q("in.wav") + " " + q("out.bin"));
    ASSERT_EQ(r.status, 0) << r.out;
    const Bytes wav = readFile("out.wav");
    ASSERT_EQ(wav.size(), 46u + 22050 + 12);
    EXPECT_EQ(readLE32(wav, 24), 22050u);
    // The raw output is exactly the converted data chunk's bytes.
    EXPECT_EQ(readFile("out.bin"), Bytes(wav.begin() + 46, wav.begin() + 46 + 22050));

    r = vk350("convert " + q("in.wav") + " " + q("out8k.WAV") + " --rate 8000");
    ASSERT_EQ(r.status, 0) << r.out;
    WaveDocument w;
    w.SetFileName(path("out8k.WAV"));
    EXPECT_EQ(w.SampleRate(), 8000u);
    EXPECT_EQ(w.DataSize(), 8000u);
    EXPECT_EQ(w.BitLength(), 8);
    EXPECT_EQ(w.Mode(), 1);
    w.FreeWave();
    EXPECT_EQ(listing(), (std::vector<std::string>{"in.wav", "out.bin", "out.wav", "out8k.WAV"}));
}

// The tool converts each way through the same code as the editor, to raw bytes and wave files.
TEST_F(Vk350Cli, QualityAndNormaliseChooseTheWayOfConverting) {
    writeFile("in.wav", pcmWave(16, 2, 44100, stereoSecond()));
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    WaveDocument source;
    source.SetFileName(path("in.wav"));
    struct Case {
        const char* flags;
        ConversionOptions options;
    };
    const Case cases[] = {
        {"", {}},
        {"--quality exact", {}},
        {"--quality best", {ConversionQuality::BandLimited, false}},
        {"--normalize", {ConversionQuality::Exact, true}},
        {"--normalize --quality best", {ConversionQuality::BandLimited, true}},
    };
    const Bytes plain = source.ConvertToBytes(&editor);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const Bytes expect = source.ConvertToBytes(&editor, c.options);
        EXPECT_EQ(expect == plain, c.options == ConversionOptions{}) << "each way gives its own bytes";
        for (const char* out : {"out.bin", "out.wav"}) {
            const CommandResult r = vk350("convert " + q("in.wav") + " " + q(out) + " " + c.flags);
            ASSERT_EQ(r.status, 0) << r.out;
            const Bytes file = readFile(out);
            const size_t skip = out == std::string("out.bin") ? 0 : 46;
            ASSERT_GE(file.size(), skip + expect.size());
            EXPECT_EQ(Bytes(file.begin() + long(skip), file.begin() + long(skip + expect.size())), expect)
                << out;
        }
    }
}

TEST_F(Vk350Cli, MuLawCodesTheConvertedBytes) {
    // Rows of the compression table, then sign-magnitude to offset binary and a fixed zero.
    writeFile("lin.wav", pcmWave(8, 1, 22050, Bytes{0, 64, 126, 127, 128, 129, 130, 160, 255}));
    const Bytes expect{1, 17, 103, 128, 128, 153, 165, 224, 255};
    CommandResult r = vk350("convert " + q("lin.wav") + " " + q("mu.bin") + " --mulaw");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(readFile("mu.bin"), expect);
    r = vk350("convert --mulaw " + q("lin.wav") + " " + q("mu.wav"));
    ASSERT_EQ(r.status, 0) << r.out;
    WaveDocument w;
    w.SetFileName(path("mu.wav"));
    EXPECT_EQ(w.SampleRate(), 22050u);
    EXPECT_EQ(w.BitLength(), 8);
    w.OpenFile();
    Bytes data(64);
    data.resize(size_t(std::max<int64_t>(w.ReadDataBytes(data.data(), 64), 0)));
    EXPECT_EQ(data, expect);
    w.FreeWave();
    EXPECT_EQ(listing(), (std::vector<std::string>{"lin.wav", "mu.bin", "mu.wav"}));
}

// Raw and µ-law outputs are converted in memory: nothing but the output is written, so a folder
// in which every short temporary name is taken changes nothing, and the INFO texts still follow.
TEST_F(Vk350Cli, ConversionsWriteNothingButTheOutput) {
    Bytes chunks, info{'I', 'N', 'F', 'O'};
    appendChunk(info, "INAM", Bytes{'k', 'i', 'c', 'k', 0});
    appendChunk(chunks, "fmt ", pcmFmtBody(16, 1, 11025));
    appendChunk(chunks, "data", s16({0, 1000, -1000, 32767, -32768, 5}));
    appendChunk(chunks, "LIST", info);
    writeFile("in.wav", riffWave(chunks));
    std::vector<std::string> expected{"in.wav"};
    for (int i = 1; i <= 256; ++i) {
        char taken[16];
        std::snprintf(taken, sizeof taken, "w%X.tmp", i);
        writeFile(taken, Bytes{'k', 'e', 'e', 'p'});
        expected.push_back(taken);
    }
    for (const char* out : {"out.bin", "mu.bin", "mu.wav"}) {
        const bool mulaw = out[0] == 'm';
        const CommandResult r = vk350("convert " + q("in.wav") + " " + q(out) + (mulaw ? " --mulaw" : ""));
        EXPECT_EQ(r.status, 0) << out << "\n" << r.out;
        expected.push_back(out);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing(), expected);
    EXPECT_EQ(readFile("w1.tmp"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(readFile("out.bin").size(), 12u); // 6 frames at twice the rate
    WaveDocument w;
    w.SetFileName(path("mu.wav"));
    EXPECT_EQ(w.GetInfo("INAM"), "kick");
    EXPECT_EQ(w.DataSize(), 12u);
}

TEST_F(Vk350Cli, BadFilesLeaveTargetsAlone) {
    writeFile("keep.bin", Bytes{'k', 'e', 'e', 'p'});
    writeFile("keep.wav", Bytes{'k', 'e', 'e', 'p'});
    Bytes chunks;
    // 24 bits convert now; 12 bits still do not.
    appendChunk(chunks, "fmt ", pcmFmtBody(12, 1, 8000));
    appendChunk(chunks, "data", Bytes(300, 0));
    writeFile("12bit.wav", riffWave(chunks));
    writeFile("trunc.wav", Bytes{'R', 'I', 'F', 'F', 100, 0, 0, 0, 'W', 'A'});
    writeFile("slow.wav", pcmWave(8, 1, 3999, Bytes(100, 0x80)));
    chunks.clear();
    appendChunk(chunks, "fmt ", fmtBody(1, 1, 8000, 8000, 0, 8));
    appendChunk(chunks, "data", Bytes(10, 0x80));
    writeFile("align0.wav", riffWave(chunks));

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.wav", "Error reading wave file"},
        {"trunc.wav", "Invalid wave file..."},
        {"align0.wav", "Invalid wave file..."},
        {"12bit.wav", "This wave file is not valid for conversion"},
        {"slow.wav", "This wave file is not valid for conversion"},
    };
    for (const auto& [in, text] : cases) {
        for (const char* out : {"keep.bin", "keep.wav", "keep.bin --mulaw", "keep.wav --mulaw"}) {
            const std::string leaf = std::string(out).substr(0, 8);
            const CommandResult r = vk350("convert " + q(in) + " " + q(leaf) + std::string(out).substr(8));
            EXPECT_EQ(r.status, 1) << in;
            EXPECT_NE(r.out.find(text), std::string::npos) << in << ": " << r.out;
            EXPECT_EQ(readFile(leaf), (Bytes{'k', 'e', 'e', 'p'})) << in;
        }
    }
    EXPECT_EQ(vk350("info " + q("trunc.wav")).status, 1);
    EXPECT_EQ(vk350("info " + q("align0.wav")).status, 1);
    EXPECT_EQ(vk350("info " + q("missing.wav")).status, 1);
    // An unwritable target: the message names the failure, nothing is left.
    writeFile("ok.wav", pcmWave(8, 1, 22050, Bytes(100, 0x80)));
    CommandResult r = vk350("convert " + q("ok.wav") + " " + q("no/dir/out.bin"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Unable to convert wave file"), std::string::npos) << r.out;
    EXPECT_EQ(listing(), (std::vector<std::string>{"12bit.wav", "align0.wav", "keep.bin", "keep.wav",
                                                   "ok.wav", "slow.wav", "trunc.wav"}));
}

// Every way convert writes its output refuses a read-only file and writes through a link,
// keeping the linked file's mode.
TEST_F(Vk350Cli, OutputsRespectTheUsersFiles) {
    namespace fs = std::filesystem;
    writeFile("ok.wav", pcmWave(8, 1, 22050, Bytes(100, 0x80)));
    fs::create_directory(path("real"));
    for (const std::string ext : {".bin", ".wav"}) {
        for (const std::string option : {"", " --mulaw"}) {
            SCOPED_TRACE(ext + option);
            writeFile("locked" + ext, Bytes{'k', 'e', 'e', 'p'});
            fs::permissions(path("locked" + ext), fs::perms(0444));
            CommandResult r = vk350("convert " + q("ok.wav") + " " + q("locked" + ext) + option);
            EXPECT_EQ(r.status, 1) << r.out;
            EXPECT_EQ(readFile("locked" + ext), (Bytes{'k', 'e', 'e', 'p'}));

            writeFile("real/out" + ext, Bytes{'o', 'l', 'd'});
            fs::permissions(path("real/out" + ext), fs::perms(0640));
            fs::remove(path("link" + ext));
            fs::create_symlink("real/out" + ext, path("link" + ext));
            r = vk350("convert " + q("ok.wav") + " " + q("link" + ext) + option);
            ASSERT_EQ(r.status, 0) << r.out;
            EXPECT_TRUE(fs::is_symlink(path("link" + ext)));
            EXPECT_EQ(readFile("real/out" + ext).size(), ext == ".bin" ? 100u : 46u + 100 + 12);
            EXPECT_EQ(fs::status(path("real/out" + ext)).permissions(), fs::perms(0640));
        }
    }
    EXPECT_EQ(listing(), (std::vector<std::string>{"link.bin", "link.wav", "locked.bin", "locked.wav",
                                                   "ok.wav", "real"}));
}

TEST_F(Vk350Cli, InfoShowsTheLayout) {
    Bytes info{'I', 'N', 'F', 'O'};
    appendChunk(info, "INAM", Bytes{'c', 'o', 'w', 'b', 'e', 'l', 'l', 0});
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(16, 2, 44100));
    appendChunk(chunks, "fact", Bytes{99, 0, 0, 0});
    appendChunk(chunks, "data", Bytes(400, 0));
    appendChunk(chunks, "LIST", info);
    // An id with a control byte, DEL and a byte above 0x7F: shown as '?' so the terminal stays sane.
    const std::string oddId = {'\x01', 'a', '\x7F', '\xE9'};
    appendChunk(chunks, oddId, Bytes{1, 2});
    writeFile("cb.wav", riffWave(chunks));
    const CommandResult r = vk350("info " + q("cb.wav"));
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* line : {"format:   tag 1 (PCM), 2 channels, 44100 Hz, 16 bits, block 4, 176400 bytes/s",
                             "frames:   100 (2 ms)", "data:     offset 56, 400 bytes",
                             "fmt   at 12, 16 bytes", "fact  at 36, 4 bytes", "data  at 48, 400 bytes",
                             "LIST  at 456", "INAM: cowbell", "  ?a??  at 484, 2 bytes"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

// The tool reads what the editor reads: wide and cut-short files convert (a cut-short one with a
// word on stderr), and a failure says why on a second line.
TEST_F(Vk350Cli, WideAndCutShortFilesAndReasons) {
    Bytes s16data, f32data;
    for (int i = 0; i < 900; ++i) {
        const auto v = int16_t((i * 613) % 65536 - 32768);
        appendLE16(s16data, uint16_t(v));
        const float f = float(v) / 32768.0f;
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        appendLE32(f32data, bits);
    }
    Bytes chunks;
    appendChunk(chunks, "fmt ", fmtBody(3, 1, 22050, 4 * 22050, 4, 32));
    appendChunk(chunks, "data", f32data);
    writeFile("float.wav", riffWave(chunks));
    writeFile("s16.wav", pcmWave(16, 1, 22050, s16data));
    ASSERT_EQ(vk350("convert " + q("float.wav") + " " + q("f.bin")).status, 0);
    ASSERT_EQ(vk350("convert " + q("s16.wav") + " " + q("s.bin")).status, 0);
    EXPECT_EQ(readFile("f.bin"), readFile("s.bin"));
    EXPECT_EQ(readFile("f.bin").size(), 900u);

    // A data chunk that states 5000 bytes and holds 600.
    Bytes cut = pcmWave(8, 1, 22050, Bytes(600, 0x90));
    putLE32(&cut[40], 5000);
    writeFile("cut.wav", cut);
    CommandResult r = vk350("convert " + q("cut.wav") + " " + q("cut.bin"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(readFile("cut.bin"), Bytes(600, 0x90));
    EXPECT_NE(r.out.find("vk350: " + path("cut.wav") +
                         ": the file ends before its sound does; converted the part that is there"),
              std::string::npos)
        << r.out;
    r = vk350("info " + q("cut.wav"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("cut:      the file ends before its sound does"), std::string::npos) << r.out;
    EXPECT_EQ(vk350("info " + q("s16.wav")).out.find("cut:"), std::string::npos);

    Bytes alaw;
    appendChunk(alaw, "fmt ", fmtBody(6, 1, 8000, 8000, 1, 8));
    appendChunk(alaw, "data", Bytes(100, 0xD5));
    writeFile("alaw.wav", riffWave(alaw));
    writeFile("text.wav", Bytes(40, 'x'));
    const struct {
        std::string args;
        std::string second;
    } cases[] = {
        {"convert " + q("alaw.wav") + " " + q("o.bin"),
         path("alaw.wav") + ": Compressed WAV (A-law) is not read by this program"},
        {"convert " + q("text.wav") + " " + q("o.bin"),
         path("text.wav") + ": Not a WAV file (no RIFF header)"},
        {"convert " + q("none.wav") + " " + q("o.bin"), "The file " + path("none.wav") + " does not exist"},
        {"convert " + q("s16.wav") + " " + q("gone/o.wav"),
         path("gone/o.wav") + ": The folder " + path("gone") + " does not exist"},
        {"info " + q("text.wav"), path("text.wav") + ": Not a WAV file (no RIFF header)"},
    };
    for (const auto& c : cases) {
        r = vk350(c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.out.find("\nvk350: " + c.second + "\n"), std::string::npos) << r.out;
    }
}
