// WaveDocument: binding by name, reading through the region, creating, importing raw bytes, saving
// and converting, with the error texts and the state of the folder after every failure.
#include "byte_order.h"
#include "pcm_support.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_fixture.h"

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace vk350;

namespace {

class WaveDocumentTest : public WaveTest {};

// Expects fn to raise WaveError with exactly text.
template <class F> void expectWaveError(F fn, const std::string& text) {
    try {
        fn();
        ADD_FAILURE() << "no error, expected \"" << text << "\"";
    } catch (const WaveError& e) {
        EXPECT_EQ(std::string(e.what()), text);
    }
}

Bytes readAll(WaveDocument& w, uint32_t chunk = 7) {
    Bytes out;
    Bytes buf(chunk);
    for (;;) {
        const int64_t got = w.ReadDataBytes(buf.data(), chunk);
        if (got <= 0)
            break;
        out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    return out;
}

Bytes ramp(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 7);
    return b;
}

// 16-bit stereo frames with values that exercise the averaging.
Bytes stereoTestSignal(size_t frames) {
    Bytes b;
    for (size_t i = 0; i < frames; ++i) {
        appendLE16(b, uint16_t(i * 37 + 11));
        appendLE16(b, uint16_t(i * 91 + 30000));
    }
    return b;
}

} // namespace

TEST_F(WaveDocumentTest, BindingByName) {
    writeFile("a.wav", pcmWave(16, 2, 44100, Bytes(400, 1)));
    writeFile("bad.wav", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
    WaveDocument w;
    int changes = 0;
    w.OnChange = [&](WaveDocument&) { ++changes; };
    EXPECT_EQ(w.SampleRate(), 11025u);
    w.FreeWave(); // nothing held: nothing happens
    EXPECT_EQ(changes, 0);

    const fs::path old = fs::current_path();
    fs::current_path(dir_);
    w.SetFileName("a.wav"); // expanded to a full path
    fs::current_path(old);
    EXPECT_EQ(w.FileName(), path("a.wav"));
    EXPECT_EQ(w.DataSize(), 100u);
    EXPECT_EQ(w.SampleRate(), 44100u);
    EXPECT_EQ(w.BitLength(), 16);
    EXPECT_EQ(w.Mode(), 2);
    EXPECT_EQ(w.FileSize(), 444u);
    EXPECT_EQ(w.EndPos(), 100u);
    EXPECT_EQ(w.FormatString(), "PCM, 44100 Hz, 16 Bit, Stereo");
    ASSERT_EQ(w.Regions().size(), 1u);
    EXPECT_EQ(w.Regions()[0].bytes, 400u);
    w.SetTimeFormat(tfByte);
    EXPECT_EQ(w.DataSize(), 400u);
    w.SetTimeFormat(tfMillisecond);
    EXPECT_EQ(w.DataSize(), 2u); // 2.27 ms
    w.SetTimeFormat(tfSample);
    const int afterBind = changes;
    EXPECT_GT(afterBind, 0);
    w.SetFileName(path("a.wav")); // same name, same size: nothing happens
    EXPECT_EQ(changes, afterBind);

    // Failures keep the old binding.
    expectWaveError([&] { w.SetFileName(path("bad.wav")); }, "Invalid wave file...");
    expectWaveError([&] { w.SetFileName(path("missing.wav")); }, "Error reading wave file");
    EXPECT_EQ(w.FileName(), path("a.wav"));
    EXPECT_EQ(w.DataSize(), 100u);

    // A missing file without FileMustExist: cleared and bound to the name only.
    w.SetFileMustExist(false);
    w.SetFileName(path("new.wav"));
    EXPECT_EQ(w.FileName(), path("new.wav"));
    EXPECT_EQ(w.GetWaveIOCB(), nullptr);
    EXPECT_TRUE(w.Empty());
    expectWaveError([&] { w.SetFileName(path("bad.wav")); }, "Invalid wave file...");

    w.SetFileName(path("a.wav"));
    w.SetFileName("");
    EXPECT_EQ(w.FileName(), "");
    EXPECT_EQ(w.GetWaveIOCB(), nullptr);
    EXPECT_EQ(w.SampleRate(), 11025u);

    expectWaveError([&] { w.GetInfo("XXXX"); }, "InfoChunk XXXX not found");
    expectWaveError([&] { w.SetInfo("inam", "x"); }, "InfoChunk inam not found");
}

TEST_F(WaveDocumentTest, ReadsRangeAndPositions) {
    const Bytes data = ramp(200); // 100 frames of 16-bit mono
    writeFile("m.wav", pcmWave(16, 1, 8000, data));
    WaveDocument w;
    w.SetFileName(path("m.wav"));
    uint8_t buf[16];
    EXPECT_EQ(w.ReadDataBytes(buf, 16), -1); // not open
    w.OpenFile();
    EXPECT_EQ(w.GetBytesLeft(), 200u);
    EXPECT_EQ(readAll(w), data);
    EXPECT_EQ(w.GetPosition(), 100u);
    EXPECT_EQ(w.ReadDataBytes(buf, 16), -1); // nothing left

    w.SetPosition(90);
    EXPECT_EQ(w.GetBytesLeft(), 20u);
    EXPECT_EQ(w.ReadDataBytes(buf, 16), 16);
    EXPECT_EQ(buf[0], data[180]);
    EXPECT_EQ(w.GetPosition(), 98u);
    EXPECT_EQ(w.ReadDataBytes(buf, 16), 4); // the end: fewer than asked
    EXPECT_EQ(w.GetPosition(), 100u);
    w.SetPosition(500); // clamped to the length
    EXPECT_EQ(w.GetPosition(), 100u);
    EXPECT_EQ(w.GetBytesLeft(), 0u);

    // The range narrows the region that reading walks.
    w.SetEndPos(60);
    w.SetStartPos(50);
    w.SetStartPos(80); // clamped to the end
    EXPECT_EQ(w.StartPos(), 60u);
    w.SetStartPos(50);
    w.SetEndPos(1000); // clamped to the data
    EXPECT_EQ(w.EndPos(), 100u);
    w.SetEndPos(60);
    EXPECT_EQ(w.GetLength(), 10u);
    w.SetPosition(0);
    EXPECT_EQ(readAll(w), Bytes(data.begin() + 100, data.begin() + 120));
    w.SetTimeFormat(tfMillisecond);
    w.SetPosition(1); // 1 ms = 8 frames into the range
    EXPECT_EQ(w.GetBytesLeft(), 4u);
    w.CloseFile();
    EXPECT_FALSE(w.IsOpen());
}

// A wave named but not open (never opened, closed again, moved while closed, or written and
// closed) gives -1 and leaves the buffer as it was: no silence that a player would take for sound.
TEST_F(WaveDocumentTest, AWaveNotOpenReadsNothing) {
    writeFile("m.wav", pcmWave(16, 1, 8000, ramp(200)));
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, 8, 1, 8000);
    const struct {
        const char* what;
        std::function<void(WaveDocument&)> steps;
    } cases[] = {
        {"named only", [&](WaveDocument& w) { w.SetFileName(path("m.wav")); }},
        {"read, then closed",
         [&](WaveDocument& w) {
             w.SetFileName(path("m.wav"));
             w.OpenFile();
             uint8_t some[6];
             ASSERT_EQ(w.ReadDataBytes(some, 6), 6);
             w.CloseFile();
         }},
        {"moved while closed",
         [&](WaveDocument& w) {
             w.SetFileName(path("m.wav"));
             w.SetPosition(40);
         }},
        {"written and closed",
         [&](WaveDocument& w) {
             w.CreateFile(path("n.wav"), f);
             const Bytes data = ramp(50);
             ASSERT_EQ(w.WriteDataBytes(data.data(), 50), 50);
             w.CloseFile();
             w.SetPosition(10);
         }},
    };
    for (const auto& c : cases) {
        WaveDocument w;
        c.steps(w);
        ASSERT_FALSE(w.IsOpen()) << c.what;
        uint8_t buf[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        EXPECT_EQ(w.ReadDataBytes(buf, 8), -1) << c.what;
        EXPECT_EQ(w.ReadDataSamples(buf, 4), -1) << c.what;
        EXPECT_EQ(Bytes(buf, buf + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8})) << c.what;
    }
}

TEST_F(WaveDocumentTest, ReadFailureDeliversFourZeroBytesAndEnds) {
    // Larger than the stream buffer, so that the reader really meets the cut.
    writeFile("t.wav", pcmWave(8, 1, 8000, Bytes(100000, 0x55)));
    WaveDocument w;
    w.SetFileName(path("t.wav"));
    w.OpenFile();
    uint8_t buf[8];
    EXPECT_EQ(w.ReadDataBytes(buf, 8), 8);
    fs::resize_file(path("t.wav"), 50); // the file shrinks under the reader
    Bytes rest = readAll(w, 64);
    ASSERT_GE(rest.size(), 4u);
    EXPECT_EQ(Bytes(rest.end() - 4, rest.end()), Bytes(4, 0));
    EXPECT_EQ(w.GetBytesLeft(), 0u);
    EXPECT_EQ(w.GetPosition(), 100000u);
    EXPECT_LT(rest.size(), 40000u);
    uint8_t two[2] = {9, 9};
    EXPECT_EQ(w.ReadDataBytes(two, 2), -1);
}

TEST_F(WaveDocumentTest, CreatesAndWrites) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, 16, 1, 11025);
    writeFile("n.wav", Bytes{'o', 'l', 'd'});
    WaveDocument w;
    w.CreateFile(path("n.wav"), f);
    EXPECT_TRUE(w.IsOpen());
    const Bytes data = ramp(64);
    EXPECT_EQ(w.WriteDataBytes(data.data(), 64), 64);
    EXPECT_EQ(w.WriteDataSamples(data.data(), 8), 8);
    w.SetInfo("INAM", "snare");
    w.CloseFile();
    EXPECT_EQ(w.DataSize(), 40u);
    EXPECT_EQ(w.GetInfo("INAM"), "snare");

    WaveDocument r;
    r.SetFileName(path("n.wav"));
    EXPECT_EQ(r.DataSize(), 40u);
    EXPECT_EQ(r.GetInfo("INAM"), "snare");
    r.OpenFile();
    Bytes expect = data;
    expect.insert(expect.end(), data.begin(), data.begin() + 16);
    EXPECT_EQ(readAll(r), expect);
    expectWaveError([&] { w.CreateFile(path("no/such/dir/x.wav"), f); }, "Unable to create wave file");
}

// A created file takes its target's place only when closed: until then the old file stays, a
// file the user could not write is refused, and a link is written through.
TEST_F(WaveDocumentTest, CreatedFilesReplaceTheirTargetOnlyWhenClosed) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, 8, 1, 8000);
    const Bytes data = ramp(101);
    Bytes expected;
    appendChunk(expected, "fmt ", Bytes{1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 0, 0});
    appendChunk(expected, "data", data);
    appendChunk(expected, "fact", Bytes{101, 0, 0, 0});
    expected = riffWave(expected);
    const Bytes old{'o', 'l', 'd'};
    enum class Target { Absent, Present, ReadOnly, Link };
    for (const Target t : {Target::Absent, Target::Present, Target::ReadOnly, Target::Link}) {
        SCOPED_TRACE(int(t));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const std::string file = t == Target::Link ? "real.wav" : "t.wav";
        if (t != Target::Absent)
            writeFile(file, old);
        if (t == Target::ReadOnly)
            fs::permissions(path(file), fs::perms(0444));
        if (t == Target::Link)
            fs::create_symlink("real.wav", path("t.wav"));
        const std::vector<std::string> before = listing();
        WaveDocument w;
        if (t == Target::ReadOnly) {
            expectWaveError([&] { w.CreateFile(path("t.wav"), f); }, "Unable to create wave file");
            EXPECT_EQ(readFile(file), old);
            EXPECT_EQ(listing(), before);
            continue;
        }
        w.CreateFile(path("t.wav"), f);
        ASSERT_EQ(w.WriteDataBytes(data.data(), 101), 101);
        if (t == Target::Absent)
            EXPECT_FALSE(fs::exists(path(file))) << "written in place";
        else
            EXPECT_EQ(readFile(file), old) << "written in place";
        w.CloseFile();
        EXPECT_EQ(readFile(file), expected);
        EXPECT_EQ(fs::is_symlink(path("t.wav")), t == Target::Link);
        EXPECT_EQ(listing(), (t == Target::Link ? std::vector<std::string>{"real.wav", "t.wav"}
                                                : std::vector<std::string>{"t.wav"}));
        w.OpenFile(); // bound to the new file under the name given
        EXPECT_EQ(readAll(w), data);
    }
}

TEST_F(WaveDocumentTest, ImportsRawBesideTheRawFile) {
    WaveDocument w;
    expectWaveError([&] { w.ImportFromRaw("", 8, 1, 22050); }, "Invalid param passed!");
    expectWaveError([&] { w.ImportFromRaw(path("s.bin"), 12, 1, 22050); }, "Invalid param passed!");
    expectWaveError([&] { w.ImportFromRaw(path("s.bin"), 8, 3, 22050); }, "Invalid param passed!");
    expectWaveError([&] { w.ImportFromRaw(path("s.bin"), 8, 1, 0); }, "Invalid param passed!");
    expectWaveError([&] { w.ImportFromRaw(path("s.bin"), 16, 2, 1u << 30); }, "Invalid param passed!");
    expectWaveError([&] { w.ImportFromRaw(path("s.bin"), 8, 1, 22050); }, "Unable to import wave file");

    writeFile("empty.raw", {});
    expectWaveError([&] { w.ImportFromRaw(path("empty.raw"), 8, 1, 22050); }, "Unable to import wave file");
    EXPECT_EQ(listing(), std::vector<std::string>{"empty.raw"});

    const Bytes sample = ramp(20000); // just under a second at 22050 Hz... and more at 8000
    writeFile("convertspl.raw", sample);
    std::vector<uint32_t> progress;
    w.OnProgress = [&](WaveDocument&, uint32_t cur, uint32_t total, bool&) {
        progress.push_back(cur);
        EXPECT_EQ(total, 20000u);
    };
    w.ImportFromRaw(path("convertspl.raw"), 8, 1, 8000);
    EXPECT_EQ(progress, (std::vector<uint32_t>{8000, 16000, 20000}));
    EXPECT_EQ(w.FileName(), path("convertspl.WAV"));
    EXPECT_EQ(w.SampleRate(), 8000u);
    EXPECT_EQ(w.DataSize(), 20000u);
    w.OpenFile();
    EXPECT_EQ(readAll(w, 4096), sample);
    w.FreeWave();
    EXPECT_EQ(listing(), (std::vector<std::string>{"convertspl.WAV", "convertspl.raw", "empty.raw"}));

    // Cancelled: the existing target stays as it was and nothing is left behind.
    const Bytes before = readFile("convertspl.WAV");
    writeFile("convertspl.raw", ramp(30000));
    w.OnProgress = [&](WaveDocument&, uint32_t, uint32_t, bool& cancel) { cancel = true; };
    expectWaveError([&] { w.ImportFromRaw(path("convertspl.raw"), 16, 2, 8000); }, "Import aborted");
    EXPECT_EQ(readFile("convertspl.WAV"), before);
    EXPECT_EQ(listing(), (std::vector<std::string>{"convertspl.WAV", "convertspl.raw", "empty.raw"}));
}

TEST_F(WaveDocumentTest, SavesACopyThroughATemporaryFile) {
    Bytes info{'I', 'N', 'F', 'O'};
    appendChunk(info, "ICMT", Bytes{'o', 'k', 0});
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 2, 11025));
    const Bytes data = ramp(30001); // an odd count: the last half frame is not audio
    appendChunk(chunks, "data", data);
    appendChunk(chunks, "LIST", info);
    writeFile("src.wav", riffWave(chunks));

    WaveDocument w;
    expectWaveError([&] { w.SaveToFile(path("x.wav")); }, "Invalid param passed!");
    w.SetFileName(path("src.wav"));
    expectWaveError([&] { w.SaveToFile(""); }, "Invalid param passed!");
    int blocks = 0;
    w.OnProgress = [&](WaveDocument&, uint32_t, uint32_t total, bool&) {
        ++blocks;
        EXPECT_EQ(total, 30000u);
    };
    w.SaveToFile(path("copy.wav"));
    EXPECT_EQ(blocks, 2); // 22050-byte blocks
    EXPECT_EQ(w.FileName(), path("src.wav"));
    WaveDocument c;
    c.SetFileName(path("copy.wav"));
    EXPECT_EQ(c.GetInfo("ICMT"), "ok");
    c.OpenFile();
    EXPECT_EQ(readAll(c, 5000), Bytes(data.begin(), data.begin() + 30000));
    c.FreeWave();

    // A cancelled save and a failing one leave the existing target and the folder as they were.
    writeFile("keep.wav", Bytes{'k', 'e', 'e', 'p'});
    w.OnProgress = [&](WaveDocument&, uint32_t, uint32_t, bool& cancel) { cancel = true; };
    expectWaveError([&] { w.SaveToFile(path("keep.wav")); }, "Saving was aborted");
    EXPECT_EQ(readFile("keep.wav"), (Bytes{'k', 'e', 'e', 'p'}));
    w.OnProgress = nullptr;
    fs::create_directory(path("dir.wav"));
    writeFile("dir.wav/inside", Bytes{1});
    expectWaveError([&] { w.SaveToFile(path("dir.wav")); }, "Unable to save wave file");
    // A read-only target is refused; a link is written through and stays a link.
    fs::permissions(path("keep.wav"), fs::perms(0444));
    expectWaveError([&] { w.SaveToFile(path("keep.wav")); }, "Unable to save wave file");
    EXPECT_EQ(readFile("keep.wav"), (Bytes{'k', 'e', 'e', 'p'}));
    const Bytes saved = readFile("copy.wav");
    writeFile("copy.wav", Bytes{'o', 'l', 'd'});
    fs::create_symlink("copy.wav", path("link.wav"));
    w.SaveToFile(path("link.wav"));
    EXPECT_TRUE(fs::is_symlink(path("link.wav")));
    EXPECT_EQ(readFile("copy.wav"), saved);
    EXPECT_EQ(listing(),
              (std::vector<std::string>{"copy.wav", "dir.wav", "keep.wav", "link.wav", "src.wav"}));
    EXPECT_EQ(w.FileName(), path("src.wav"));
    EXPECT_FALSE(w.IsOpen());

    // Saved over its own file (here through a link), whose audio now starts elsewhere: the wave
    // reads the new file.
    fs::create_symlink("src.wav", path("self.wav"));
    w.SaveToFile(path("self.wav"));
    EXPECT_EQ(w.GetWaveIOCB()->dwDataOffset, 46u);
    w.OpenFile();
    EXPECT_EQ(readAll(w, 5000), Bytes(data.begin(), data.begin() + 30000));
    w.CloseFile();
}

TEST_F(WaveDocumentTest, ConvertsTheWorkedCase) {
    const size_t frames = 66150; // 1.5 s: a full block and a half block
    const Bytes src = stereoTestSignal(frames);
    writeFile("in.wav", pcmWave(16, 2, 44100, src));
    WaveDocument w;
    w.SetFileName(path("in.wav"));
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    w.OnProgress = [&](WaveDocument&, uint32_t cur, uint32_t total, bool&) {
        progress.push_back({cur, total});
    };
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    w.ConvertFile(path("convertspl.wav"), &editor);
    EXPECT_EQ(progress, (std::vector<std::pair<uint32_t, uint32_t>>{{176400, 264600}, {264600, 264600}}));
    EXPECT_EQ(w.FileName(), path("in.wav")); // still bound to the source

    const Bytes out = readFile("convertspl.wav");
    ASSERT_GT(out.size(), 46u);
    EXPECT_EQ(readLE32(out, 16), 18u);
    EXPECT_EQ(Bytes(out.begin() + 20, out.begin() + 38), fmtBody(1, 1, 22050, 22050, 1, 8, true));
    EXPECT_EQ(readLE32(out, 42), frames / 2);
    // Every second frame, from the second on; the high byte of the offset-binary average.
    Bytes expect;
    for (size_t i = 1; i < frames; i += 2) {
        const int l = int16_t(readLE16(src, i * 4)), r = int16_t(readLE16(src, i * 4 + 2));
        expect.push_back(uint8_t(((l + 32768) + (r + 32768)) / 2 / 256));
    }
    EXPECT_EQ(Bytes(out.begin() + 46, out.begin() + 46 + long(expect.size())), expect);
    EXPECT_EQ(listing(), (std::vector<std::string>{"convertspl.wav", "in.wav"}));

    // Equal formats copy the data unchanged.
    WaveFormatEx same;
    pcmBuildWaveHeader(&same, 16, 2, 44100);
    w.ConvertFile(path("same.wav"), &same);
    WaveDocument c;
    c.SetFileName(path("same.wav"));
    c.OpenFile();
    EXPECT_EQ(readAll(c, 100000), src);
}

TEST_F(WaveDocumentTest, RefusedAndFailedConversionsTouchNothing) {
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    writeFile("target.wav", Bytes{'o', 'l', 'd'});
    WaveDocument w;
    expectWaveError([&] { w.ConvertFile(path("target.wav"), &editor); }, "Invalid param passed!");

    struct Source {
        const char* name;
        Bytes fmt;
    };
    const std::vector<Source> refused = {
        // 24-bit and three channels convert now (test_pcm_narrower.cpp); these widths do not.
        {"12bit.wav", pcmFmtBody(12, 1, 8000)},        {"24bit-slow.wav", pcmFmtBody(24, 3, 3999)},
        {"alaw.wav", fmtBody(6, 1, 8000, 8000, 1, 8)}, {"slow.wav", pcmFmtBody(8, 1, 3999)},
        {"fast.wav", pcmFmtBody(8, 1, 100001)},        {"adpcm.wav", fmtBody(2, 1, 8000, 4096, 256, 4)},
    };
    for (const Source& s : refused) {
        Bytes chunks;
        appendChunk(chunks, "fmt ", s.fmt);
        appendChunk(chunks, "data", Bytes(1536, 0x80));
        writeFile(s.name, riffWave(chunks));
        w.SetFileName(path(s.name));
        expectWaveError([&] { w.ConvertFile(path("target.wav"), &editor); },
                        "This wave file is not valid for conversion");
    }
    writeFile("ok.wav", pcmWave(8, 1, 4000, Bytes(6000, 0x80)));
    w.SetFileName(path("ok.wav"));
    WaveFormatEx tooFast;
    pcmBuildWaveHeader(&tooFast, 8, 1, 200000);
    expectWaveError([&] { w.ConvertFile(path("target.wav"), &tooFast); },
                    "This wave file is not valid for conversion");
    expectWaveError([&] { w.ConvertFile(path("target.wav"), nullptr); }, "Invalid param passed!");
    expectWaveError([&] { w.ConvertFile(path("no/dir/target.wav"), &editor); },
                    "Unable to convert wave file");

    int calls = 0;
    w.OnProgress = [&](WaveDocument&, uint32_t, uint32_t, bool& cancel) { cancel = ++calls == 2; };
    expectWaveError([&] { w.ConvertFile(path("target.wav"), &editor); }, "Conversion aborted");
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(readFile("target.wav"), (Bytes{'o', 'l', 'd'}));
    std::vector<std::string> expected = {"12bit.wav", "24bit-slow.wav", "adpcm.wav", "alaw.wav",
                                         "fast.wav",  "ok.wav",         "slow.wav",  "target.wav"};
    EXPECT_EQ(listing(), expected);

    // The same source converts once nothing cancels, and a 4000 Hz source is accepted.
    w.OnProgress = nullptr;
    w.ConvertFile(path("target.wav"), &editor);
    WaveDocument t;
    t.SetFileName(path("target.wav"));
    EXPECT_LE(t.DataSize(), 33075u); // 1.5 s, short of a few repeated frames per block
    EXPECT_GE(t.DataSize(), 33070u);
}
