// The reasons given for files that cannot be read or written: one table of bad sources and one of
// unwritable targets, each with the exact text a user reads.
#include "file_problem.h"
#include "wave_fixture.h"
#include "wave_problem.h"

#include <filesystem>
#include <unistd.h>

using namespace vk350;
namespace fs = std::filesystem;

namespace {

class FileProblemTest : public WaveTest {};

Bytes waveWithFormat(const Bytes& fmt, bool withData = true) {
    Bytes chunks;
    appendChunk(chunks, "fmt ", fmt);
    if (withData)
        appendChunk(chunks, "data", Bytes(64, 0));
    return riffWave(chunks);
}

} // namespace

TEST_F(FileProblemTest, BadSourcesSayWhy) {
    const bool root = ::geteuid() == 0; // root reads and writes whatever the modes say
    Bytes avi = riffWave({});
    std::copy_n("AVI ", 4, avi.begin() + 8);
    Bytes extAlaw = fmtBody(0xFFFE, 1, 8000, 8000, 1, 8);
    appendLE16(extAlaw, 22);
    for (uint8_t b : {8, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71})
        extAlaw.push_back(b);
    const struct {
        const char* leaf;
        Bytes bytes; // empty: no file is written
        std::string reason;
    } cases[] = {
        {"none.wav", {}, "The file " + path("none.wav") + " does not exist"},
        {"gone/kick.wav", {}, "The folder " + path("gone") + " does not exist"},
        {"text.wav",
         {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'},
         "Not a WAV file (no RIFF header)"},
        {"short.wav", {'R', 'I', 'F', 'F'}, "Not a WAV file (no RIFF header)"},
        {"movie.wav", avi, "Not a WAV file (a RIFF file of another kind)"},
        {"nodata.wav", waveWithFormat(pcmFmtBody(16, 1, 8000), false),
         "Not a usable WAV file (no format or data chunk, or a bad format)"},
        {"alaw.wav", waveWithFormat(fmtBody(6, 1, 8000, 8000, 1, 8)),
         "Compressed WAV (A-law) is not read by this program"},
        {"adpcm.wav", waveWithFormat(fmtBody(0x11, 1, 8000, 4055, 256, 4)),
         "Compressed WAV (IMA ADPCM) is not read by this program"},
        {"odd.wav", waveWithFormat(fmtBody(0x1234, 1, 8000, 8000, 1, 8)),
         "Compressed WAV (format 4660) is not read by this program"},
        {"extalaw.wav", waveWithFormat(extAlaw), "Compressed WAV (A-law) is not read by this program"},
        {"slow.wav", waveWithFormat(pcmFmtBody(24, 1, 3999)),
         "The sample rate 3999 Hz is outside the 4000 to 100000 Hz this program reads"},
        {"12bit.wav", waveWithFormat(pcmFmtBody(12, 2, 8000)),
         "WAV samples of 12 bits in blocks of 3 bytes are not read by this program"},
        {"good24.wav", waveWithFormat(pcmFmtBody(24, 2, 44100)), ""},
        {"good.wav", pcmWave(8, 1, 8000, Bytes(10, 128)), ""},
        {"locked.wav", pcmWave(8, 1, 8000, Bytes(10, 128)),
         root ? "" : "No permission to read " + path("locked.wav")},
    };
    for (const auto& c : cases) {
        if (!c.bytes.empty())
            writeFile(c.leaf, c.bytes);
        if (std::string(c.leaf) == "locked.wav")
            fs::permissions(path(c.leaf), fs::perms::none);
        EXPECT_EQ(waveReadProblem(path(c.leaf)), c.reason) << c.leaf;
    }
}

TEST_F(FileProblemTest, UnwritableTargetsSayWhy) {
    const bool root = ::geteuid() == 0;
    fs::create_directory(path("shut"));
    fs::permissions(path("shut"), fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_directory(path("open"));
    writeFile("kept.bin", Bytes{1});
    fs::permissions(path("kept.bin"), fs::perms::owner_read);
    const struct {
        std::string target;
        uint64_t bytes;
        std::string reason;
    } cases[] = {
        {path("gone/kick.wav"), 0, "The folder " + path("gone") + " does not exist"},
        {path("open"), 0, path("open") + " is a folder, not a file"},
        {path("shut/kick.wav"), 0, root ? "" : "No permission to write " + path("shut/kick.wav")},
        {path("kept.bin"), 0, "No permission to write " + path("kept.bin")}, // nobody may write it
        {path("open/kick.wav"), uint64_t(1) << 62, "The disk is full"},
        {path("open/kick.wav"), 1000, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileWriteProblem(c.target, c.bytes), c.reason) << c.target;
    fs::permissions(path("shut"), fs::perms::owner_all);

    // The message line names the file once.
    EXPECT_EQ(fileProblemLine("/a/k.wav", "The disk is full"), "/a/k.wav: The disk is full");
    EXPECT_EQ(fileProblemLine("/a/k.wav", "No permission to read /a/k.wav"),
              "No permission to read /a/k.wav");
}
