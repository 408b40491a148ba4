// Files that sox writes are read and converted correctly, and the files we write are accepted
// by sox with the right format and length.
#include "byte_order.h"
#include "pcm_support.h"
#include "run_command.h"
#include "wave_document.h"
#include "wave_file_io.h"
#include "wave_fixture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>

using namespace vk350;

namespace {

class SoxTest : public WaveTest {
protected:
    void SetUp() override {
        WaveTest::SetUp();
        sox_ = findProgram("sox");
        ASSERT_FALSE(sox_.empty()) << "sox is not installed: run scripts/setup.sh (Debian package sox)";
    }

    void sox(const std::string& args) {
        const CommandResult r = runCommand(shellQuote(sox_) + " " + args, true);
        ASSERT_EQ(r.status, 0) << "sox " << args << "\n" << r.out;
    }

    // What `sox --i` says about one of our files: "channels rate precision samples".
    std::string soxInfo(const std::string& leaf) {
        std::string line;
        for (const char* opt : {"-c", "-r", "-b", "-s", "-e"}) {
            const CommandResult r =
                runCommand(shellQuote(sox_) + " --i " + opt + " " + shellQuote(path(leaf)));
            EXPECT_EQ(r.status, 0) << "sox --i rejects " << leaf;
            std::string v = r.out;
            while (!v.empty() && (v.back() == '\n' || v.back() == ' '))
                v.pop_back();
            line += (line.empty() ? "" : " | ") + v;
        }
        return line;
    }

    // The sample bytes of a file as sox decodes them, in the file's own encoding.
    Bytes soxRaw(const std::string& leaf) {
        const std::string out = path(leaf + ".sox.raw");
        sox(shellQuote(path(leaf)) + " -t raw " + shellQuote(out));
        std::ifstream in(out, std::ios::binary);
        Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::filesystem::remove(out);
        return b;
    }

    Bytes ourData(const std::string& leaf) {
        WaveDocument w;
        w.SetFileName(path(leaf));
        w.OpenFile();
        Bytes out(w.GetBytesLeft());
        uint32_t done = 0;
        while (done < out.size()) {
            const int64_t got = w.ReadDataBytes(out.data() + done, uint32_t(out.size() - done));
            if (got <= 0)
                break;
            done += uint32_t(got);
        }
        out.resize(done);
        return out;
    }

    std::string sox_;
};

} // namespace

TEST_F(SoxTest, ReadsWhatSoxWrites) {
    sox("-n -r 44100 -c 2 -b 16 " + shellQuote(path("st16.wav")) + " synth 0.75 sine 300 sine 1200");
    sox("-r 11025 -n -c 1 -b 8 " + shellQuote(path("m8odd.wav")) + " synth 1001s square 200");
    sox("-r 22050 -n -c 1 -b 16 " + shellQuote(path("list.wav")) + " synth 0.1 noise");
    // sox keeps no comments in wave files: give its file a LIST chunk after the data, as other
    // programs write them, and check that sox still reads it as before.
    const Bytes soxSamples = soxRaw("list.wav");
    Bytes withList = readFile("list.wav");
    Bytes list{'I', 'N', 'F', 'O'};
    appendChunk(list, "ICMT", Bytes{'V', 'K', '3', '5', '0', ' ', 'k', 'i', 'c', 'k', 0});
    appendChunk(withList, "LIST", list);
    putLE32(&withList[4], uint32_t(withList.size() - 8));
    writeFile("list.wav", withList);
    EXPECT_EQ(soxRaw("list.wav"), soxSamples);

    PWAVEIOCB cb;
    ASSERT_EQ(wioReadFileInfo(cb, path("st16.wav"), fourcc("WAVE"), RIFF_FILE), 0);
    EXPECT_EQ(cb->wfx.nChannels, 2);
    EXPECT_EQ(cb->wfx.wBitsPerSample, 16);
    EXPECT_EQ(cb->dwDataSamples, 33075u);
    EXPECT_EQ(ourData("st16.wav"), soxRaw("st16.wav"));

    ASSERT_EQ(wioReadFileInfo(cb, path("m8odd.wav"), fourcc("WAVE"), RIFF_FILE), 0);
    EXPECT_EQ(cb->dwDataSamples, 1001u); // odd size: the pad byte is no sample
    EXPECT_EQ(ourData("m8odd.wav"), soxRaw("m8odd.wav"));

    ASSERT_EQ(wioReadFileInfo(cb, path("list.wav"), fourcc("WAVE"), RIFF_FILE), 0);
    EXPECT_EQ(cb->dwDataSamples, 2205u);
    std::string comment;
    cb->pInfo.text("ICMT", comment);
    EXPECT_EQ(comment, "VK350 kick");
    EXPECT_EQ(ourData("list.wav"), soxSamples);
}

TEST_F(SoxTest, ConvertsWhatSoxWrites) {
    sox("-n -r 44100 -c 2 -b 16 " + shellQuote(path("st16.wav")) + " synth 1.2 sine 300 sine 1200");
    const Bytes pcm = soxRaw("st16.wav");
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    WaveDocument w;
    w.SetFileName(path("st16.wav"));
    w.ConvertFile(path("out.wav"), &editor);
    // Block by block (one second each), every second frame, averaged high byte.
    Bytes expect;
    const size_t frames = pcm.size() / 4;
    for (size_t blockStart = 0; blockStart < frames; blockStart += 44100)
        for (size_t i = blockStart + 1; i < std::min(frames, blockStart + 44100); i += 2) {
            const int l = int16_t(readLE16(pcm, i * 4)), r = int16_t(readLE16(pcm, i * 4 + 2));
            expect.push_back(uint8_t(((l + 32768) + (r + 32768)) >> 1 >> 8));
        }
    EXPECT_EQ(ourData("out.wav"), expect);
    EXPECT_EQ(soxInfo("out.wav"),
              "1 | 22050 | 8 | " + std::to_string(expect.size()) + " | Unsigned Integer PCM");

    // An 8-bit mono sox file at the editor's rate converts byte for byte.
    sox("-r 22050 -n -c 1 -b 8 " + shellQuote(path("m8.wav")) + " synth 777s sine 500");
    w.SetFileName(path("m8.wav"));
    w.ConvertFile(path("m8out.wav"), &editor);
    EXPECT_EQ(ourData("m8out.wav"), soxRaw("m8.wav"));
}

TEST_F(SoxTest, SoxAcceptsWhatWeWrite) {
    // An odd-sized 8-bit mono file with pad byte, fact chunk and INFO text.
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, 8, 1, 8000);
    Bytes data;
    for (int i = 0; i < 1001; ++i)
        data.push_back(uint8_t(128 + (i % 50) - 25));
    {
        WaveDocument w;
        w.CreateFile(path("ours8.wav"), f);
        w.SetInfo("INAM", "tom");
        ASSERT_EQ(w.WriteDataBytes(data.data(), uint32_t(data.size())), 1001);
        w.CloseFile();
    }
    EXPECT_EQ(soxInfo("ours8.wav"), "1 | 8000 | 8 | 1001 | Unsigned Integer PCM");
    EXPECT_EQ(soxRaw("ours8.wav"), data);

    // 16-bit stereo through the raw import, and a saved copy of it.
    Bytes raw;
    for (int i = 0; i < 4000; ++i)
        appendLE16(raw, uint16_t(i * 13));
    writeFile("stereo.raw", raw);
    WaveDocument w;
    w.ImportFromRaw(path("stereo.raw"), 16, 2, 32000);
    EXPECT_EQ(soxInfo("stereo.WAV"), "2 | 32000 | 16 | 2000 | Signed Integer PCM");
    EXPECT_EQ(soxRaw("stereo.WAV"), raw);
    w.SaveToFile(path("copy.wav"));
    EXPECT_EQ(soxInfo("copy.wav"), "2 | 32000 | 16 | 2000 | Signed Integer PCM");
    EXPECT_EQ(soxRaw("copy.wav"), raw);
}

// Wider files convert as their 16-bit version of the same signal does, within one step of the
// rounding sox does when it makes that version; mixed-down channels are the mean of all.
TEST_F(SoxTest, WideFormatsConvertAsTheir16BitVersion) {
    struct Case {
        const char* what;
        const char* encoding; // sox output options
        int channels;
        uint32_t rate;
    };
    const Case cases[] = {
        {"24-bit stereo", "-b 24 -e signed-integer", 2, 44100},
        {"32-bit mono", "-b 32 -e signed-integer", 1, 22050},
        {"32-bit float stereo", "-b 32 -e floating-point", 2, 48000},
        {"64-bit float mono", "-b 64 -e floating-point", 1, 44100},
        {"24-bit four channels", "-b 24 -e signed-integer", 4, 32000},
        {"16-bit three channels", "-b 16 -e signed-integer", 3, 22050},
    };
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    std::set<uint16_t> tags;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string wide = path("wide.wav"), narrow = path("narrow.wav");
        // Loud enough to clip in float, so that the clipping is checked too.
        sox("-n -r " + std::to_string(c.rate) + " -c " + std::to_string(c.channels) + " " + c.encoding + " " +
            shellQuote(wide) + " synth 1.3 sine 300 sine 1300 sine 77 sine 5000 gain 3");
        const Bytes raw = readFile("wide.wav");
        tags.insert(readLE16(raw, 20));
        WaveDocument w;
        w.SetFileName(wide);
        const Bytes got = w.ConvertToBytes(&editor);
        // The 16-bit version, without dither; more channels are mixed down by averaging.
        if (c.channels > 2) {
            std::string remix = " remix ";
            for (int i = 1; i <= c.channels; ++i)
                remix += std::to_string(i) + "p" + std::to_string(-20 * std::log10(double(c.channels))) +
                         (i < c.channels ? "," : "");
            sox("-D " + shellQuote(wide) + " -b 16 -e signed-integer " + shellQuote(narrow) + remix);
        } else {
            sox("-D " + shellQuote(wide) + " -b 16 -e signed-integer " + shellQuote(narrow));
        }
        w.SetFileName(narrow);
        const Bytes expect = w.ConvertToBytes(&editor);
        ASSERT_EQ(got.size(), expect.size());
        ASSERT_GT(got.size(), 22050u);
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i)
            worst = std::max(worst, std::abs(int(got[i]) - int(expect[i])));
        EXPECT_LE(worst, 1);
        // The loud signal reaches both ends of the range.
        EXPECT_EQ(*std::min_element(got.begin(), got.end()), 0);
        EXPECT_EQ(*std::max_element(got.begin(), got.end()), 255);
    }
    // The table meets the plain float tag and the extensible layout.
    EXPECT_TRUE(tags.count(3) && tags.count(0xFFFE));
}
