// The WAV road of the main window: loads through either command, bad files, the saves and the
// work files, all checked on disk.
#include "audio_window_fixture.h"
#include "byte_order.h"
#include "run_command.h"
#include "wave_file_io.h"

#include "pcm_support.h"
#include "wave_document.h"

#include <QCheckBox>
#include <QLabel>
#include <QStandardPaths>
#include <cmath>

using namespace vk350;

namespace {

// A WAV file's format and exactly its data chunk's bytes.
std::pair<WaveFormatEx, Bytes> ReadWave(const QString& path) {
    PWAVEIOCB cb;
    const std::string name = QFile::encodeName(path).toStdString();
    if (wioReadFileInfo(cb, name, fourcc("WAVE"), RIFF_FILE) != WIOERR_NOERROR)
        return {};
    const Bytes all = ReadBytes(path);
    return {cb->wfx, Bytes(all.begin() + cb->dwDataOffset, all.begin() + cb->dwDataOffset + cb->dwDataBytes)};
}

} // namespace

TEST_F(AudioWindowTest, LoadsFillTheSampleTheirWorkFilesAndThePlayableWave) {
    const Bytes raw = Ramp(70000);
    Answered(findAction(*main, "loadRawItem"), Write("long.bin", raw));
    EXPECT_EQ(Sample(), raw);
    EXPECT_EQ(ReadBytes(WorkFile("convertspl.raw")), raw);
    EXPECT_EQ(ReadWave(WorkFile("convertspl.WAV")).second, raw);

    // In the target format a WAV file converts to itself: exactly its data chunk, the first bytes
    // included, the pad byte and the chunk after it left out, whatever the letter case of ".wav".
    const Bytes sound = Ramp(4001, 3);
    const Bytes wav =
        WaveFile(1, 1, 22050, 8, sound, -1, {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'});
    const struct {
        QAction* command;
        const char* name;
        const char* work;
    } cases[] = {{findAction(*main, "loadRawItem"), "a.wav", "convert.wav"},
                 {findAction(*main, "loadRawItem"), "b.WAV", "convert.wav"},
                 {findAction(*main, "loadWaveItem"), "c.wav", "convertspl.wav"}};
    for (const auto& c : cases) {
        findAction(*main, "newButton")->trigger();
        Answered(c.command, Write(c.name, wav), 2);
        EXPECT_EQ(Sample(), sound) << c.name;
        EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), c.name);
        EXPECT_EQ(ReadWave(WorkFile(c.work)).second, sound) << c.name;
        EXPECT_EQ(QFileInfo(QString::fromStdString(main->ChainWave().Wave().FileName())).fileName(), c.work);
        EXPECT_TRUE(MainWindow::ItemEnabled(findAction(*main, "saveAsWaveItem")) &&
                    findAction(*main, "playButton")->isEnabled());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// A sound longer than the sample's 524288 bytes keeps its start, and the user is told how much.
TEST_F(AudioWindowTest, ATooLongWaveIsCutAndTheUserToldHowMuchWasKept) {
    const struct {
        uint32_t rate;
        uint16_t bits;
        int seconds;
        QAction* command;
        const char* message; // nullptr: it fits, nothing said
    } cases[] = {
        {22050, 8, 30, findAction(*main, "loadWaveItem"), "Sample Too Long - Cut to 23.8 s of 30.0 s"},
        {44100, 16, 30, findAction(*main, "loadRawItem"), "Sample Too Long - Cut to 23.8 s of 30.0 s"},
        {22050, 8, 24, findAction(*main, "loadRawItem"), "Sample Too Long - Cut to 23.8 s of 24.0 s"},
        {44100, 16, 23, findAction(*main, "loadWaveItem"), nullptr},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        const Bytes sound = Ramp(size_t(c.rate) * c.seconds * c.bits / 8, 3);
        Answered(c.command, Write("long.wav", WaveFile(1, 1, c.rate, c.bits, sound)), 2);
        const int kept = c.message ? 524288 : 22050 * c.seconds;
        EXPECT_EQ(findEditor(*main)->GetSampleLen(), kept) << c.seconds;
        if (c.bits == 8) {
            EXPECT_EQ(Sample(), Bytes(sound.begin(), sound.begin() + kept)) << "the start is kept";
        }
        if (!c.message) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(dialogs.messages[0].title, "File Warning");
        EXPECT_EQ(dialogs.messages[0].text, c.message);
        EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), "long.wav")
            << "the cut sample is loaded all the same";
    }
}

// The WAV loads convert the way the options window's Audio page chooses.
TEST_F(AudioWindowTest, WaveLoadsConvertTheWayTheOptionsChoose) {
    Bytes tone; // a quiet 15 kHz tone in stereo at 44100 Hz, a second of it
    for (int i = 0; i < 44100; ++i) {
        const auto v =
            uint16_t(int16_t(std::lround(4000 * std::sin(2 * 3.14159265358979 * 15000 * i / 44100))));
        for (int channel = 0; channel < 2; ++channel) {
            tone.push_back(uint8_t(v));
            tone.push_back(uint8_t(v >> 8));
        }
    }
    const QString wav = Write("hat.wav", WaveFile(1, 2, 44100, 16, tone));
    WaveFormatEx editor;
    pcmBuildWaveHeader(&editor, 8, 1, 22050);
    WaveDocument source;
    source.SetFileName(QFile::encodeName(wav).toStdString());
    const struct {
        int way;
        bool normalise;
        ConversionOptions options;
    } cases[] = {{1, false, {ConversionQuality::BandLimited, false}},
                 {1, true, {ConversionQuality::BandLimited, true}},
                 {0, true, {ConversionQuality::Exact, true}},
                 {0, false, {}}};
    for (const auto& c : cases) {
        findPart<QRadioButton>(*options, "conversionButtons", c.way)->click();
        QCheckBox* normaliseBox = findPart<QCheckBox>(*options, "normaliseBox");
        if (normaliseBox->isChecked() != c.normalise)
            normaliseBox->click();
        Answered(findAction(*main, "loadWaveItem"), wav);
        EXPECT_EQ(Sample(), source.ConvertToBytes(&editor, c.options)) << c.way << " " << c.normalise;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AudioWindowTest, SoxWaveLoadsAsSoxItselfConvertsIt) {
    const std::string sox = findProgram("sox");
    ASSERT_FALSE(sox.empty()) << "sox is not installed: run scripts/setup.sh";
    const std::string wav = dir.filePath("tone.wav").toStdString(),
                      raw = dir.filePath("tone.raw").toStdString();
    ASSERT_EQ(
        runCommand(sox + " -n -r 44100 -b 16 -c 2 " + wav + " synth 0.25 sine 440 sine 1250 vol 0.7").status,
        0);
    ASSERT_EQ(runCommand(sox + " " + wav + " -D -t raw -e unsigned -b 8 -c 1 " + raw).status, 0);
    findPart<QRadioButton>(*options, "rateButtons", 4)
        ->click(); // 44100 Hz: no resampling, only the mix and the bit depth
    Answered(findAction(*main, "loadWaveItem"), QString::fromStdString(wav));
    const Bytes expected = ReadBytes(QString::fromStdString(raw));
    const Bytes got = Sample();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_LE(std::abs(got[i] - expected[i]), 1) << "byte " << i;
}

TEST_F(AudioWindowTest, BadWaveFilesThroughEitherLoadChangeNothing) {
    const Bytes good = WaveFile(1, 1, 22050, 8, Ramp(900));
    Answered(findAction(*main, "loadWaveItem"), Write("good.wav", good));
    Answered(findAction(*main, "loadRawItem"), Write("good.wav", good), 2);
    const Bytes sample = Sample();
    const QStringList workFiles = QDir(work.path()).entryList(QDir::Files);
    const Bytes convert = ReadBytes(WorkFile("convert.wav")),
                convertspl = ReadBytes(WorkFile("convertspl.wav"));
    Bytes noData = good;
    std::copy_n("junk", 4, noData.begin() + 36);
    // Float, 24/32-bit, more channels and cut-short files load now
    // (WideAndCutShortWaveFilesLoad); these still do not, and the box says why.
    const QString bad = dir.filePath("bad.wav");
    const struct {
        const char* what;
        Bytes file;
        QString reason;
    } cases[] = {
        {"3999 Hz", WaveFile(1, 1, 3999, 8, Ramp(600)),
         bad + ": The sample rate 3999 Hz is outside the 4000 to 100000 Hz this program reads"},
        {"100001 Hz", WaveFile(1, 1, 100001, 8, Ramp(600)),
         bad + ": The sample rate 100001 Hz is outside the 4000 to 100000 Hz this program reads"},
        {"A-law", WaveFile(6, 1, 8000, 8, Ramp(600)),
         bad + ": Compressed WAV (A-law) is not read by this program"},
        {"no data", noData, bad + ": Not a usable WAV file (no format or data chunk, or a bad format)"},
        {"not a WAV", Ramp(500), bad + ": Not a WAV file (no RIFF header)"},
        {"no sound", WaveFile(1, 1, 22050, 8, {}), bad + ": The file holds no sound"},
    };
    for (const auto& c : cases) {
        for (QAction* command : {findAction(*main, "loadRawItem"), findAction(*main, "loadWaveItem")}) {
            dialogs.messages.clear();
            Answered(command, Write("bad.wav", c.file), 2);
            ASSERT_EQ(dialogs.messages.size(), 1u) << c.what;
            EXPECT_EQ(dialogs.messages[0].title, "Error PCM");
            EXPECT_EQ(dialogs.messages[0].text, "Conversion aborted!\n" + c.reason);
            EXPECT_EQ(Sample(), sample) << c.what;
            EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), "good.wav");
            EXPECT_EQ(ReadBytes(WorkFile("convert.wav")), convert) << c.what;
            EXPECT_EQ(ReadBytes(WorkFile("convertspl.wav")), convertspl) << c.what;
            EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), workFiles) << "no temporary file left";
        }
    }
}

TEST_F(AudioWindowTest, WaveSavesHoldTheEditedSampleUnderTheRightName) {
    Answered(findAction(*main, "loadRawItem"), Write("kick.bin", Ramp(3000)));
    findAction(*main, "reverseItem")->trigger(); // an edit, and no Play after it
    const Bytes edited = Sample();
    const struct {
        QAction* command;
        int filter;
        const char* chosen;
        const char* written;
    } cases[] = {{findAction(*main, "saveRawItem"), 2, "k1.bin", "k1.wav"},
                 {findAction(*main, "saveRawItem"), 2, "k2", "k2.wav"},
                 {findAction(*main, "saveAsWaveItem"), 1, "k3.snd", "k3.snd"},
                 {findAction(*main, "saveAsWaveItem"), 1, "k4", "k4.wav"}};
    for (const auto& c : cases) {
        Answered(c.command, dir.filePath(c.chosen), c.filter);
        const auto [format, data] = ReadWave(dir.filePath(c.written));
        EXPECT_EQ(data, edited) << c.written;
        EXPECT_EQ(format.nSamplesPerSec, 22050u);
        EXPECT_EQ(format.wBitsPerSample * format.nChannels, 8);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("k2")));
    // A target that cannot be written, on either save: the box, and nothing else.
    const QString notAFolder = Write("plain", {1});
    for (QAction* command : {findAction(*main, "saveRawItem"), findAction(*main, "saveAsWaveItem")})
        Answered(command, notAFolder + "/x.wav", 2);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& m : dialogs.messages)
        EXPECT_EQ(m.text, "Write File Error - Abort Saving\n" + notAFolder + "/x.wav: " + notAFolder +
                              " is a file, not a folder");
    EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), "k4.wav")
        << "the sample is the file it was last saved as";
}

TEST_F(AudioWindowTest, WorkFilesNeverReplaceTheUsersFiles) {
    // The user's own WAV file named like a work file, in the work folder, and a link there.
    const Bytes users = WaveFile(1, 1, 22050, 8, Ramp(700));
    const QString own = work.filePath("convert.wav");
    QFile::copy(Write("mine.wav", users), own);
    const QString linked = Write("linked.bin", {9, 9, 9});
    ASSERT_TRUE(QFile::link(linked, WorkFile("convertspl.raw")));

    Answered(findAction(*main, "loadRawItem"), own, 2);
    EXPECT_EQ(Sample(), Ramp(700));
    EXPECT_EQ(ReadBytes(own), users);
    Answered(findAction(*main, "loadRawItem"), Write("x.bin", Ramp(50)));
    EXPECT_EQ(ReadBytes(linked), (Bytes{9, 9, 9}));
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    EXPECT_EQ(ReadBytes(cache + "/convertspl.raw"), Ramp(50)) << "the work file went to the cache folder";
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(cache + "/"));
}

// Wider files load as their 16-bit version does; a file cut off while being written loads as far
// as it goes, with a warning.
TEST_F(AudioWindowTest, WideAndCutShortWaveFilesLoad) {
    std::vector<int16_t> signal;
    for (int i = 0; i < 3000; ++i)
        signal.push_back(int16_t((i * 977) % 65536 - 32768));
    const auto build = [&](int bytesPerSample, int channels, auto sample) {
        Bytes data;
        for (int16_t v : signal)
            for (int c = 0; c < channels; ++c) {
                const uint64_t bits = sample(v);
                for (int i = 0; i < bytesPerSample; ++i)
                    data.push_back(uint8_t(bits >> (8 * i)));
            }
        return data;
    };
    const auto floatBits = [](int16_t v) {
        const float f = float(v) / 32768.0f;
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return uint64_t(bits);
    };
    Answered(findAction(*main, "loadRawItem"),
             Write("s16.wav",
                   WaveFile(1, 1, 44100, 16, build(2, 1, [](int16_t v) { return uint64_t(uint16_t(v)); }))),
             2);
    const Bytes expected = Sample();
    ASSERT_EQ(expected.size(), 1500u);
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"24 bits",
         WaveFile(1, 1, 44100, 24, build(3, 1, [](int16_t v) { return uint64_t(uint32_t(v) << 8 | 0xA5); }))},
        {"32 bits", WaveFile(1, 1, 44100, 32,
                             build(4, 1, [](int16_t v) { return uint64_t(uint32_t(v) << 16 | 0x7F7F); }))},
        {"float", WaveFile(3, 1, 44100, 32, build(4, 1, floatBits))},
        {"3 channels",
         WaveFile(1, 3, 44100, 16, build(2, 3, [](int16_t v) { return uint64_t(uint16_t(v)); }))},
    };
    for (const auto& c : cases)
        for (QAction* command : {findAction(*main, "loadRawItem"), findAction(*main, "loadWaveItem")}) {
            findAction(*main, "newItem")->trigger();
            Answered(command, Write(QString::fromLatin1(c.what) + ".wav", c.file), 2);
            EXPECT_EQ(Sample(), expected)
                << c.what << (dialogs.messages.empty() ? "" : dialogs.messages.back().text.toStdString());
            EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), QString::fromLatin1(c.what) + ".wav");
        }
    EXPECT_TRUE(dialogs.messages.empty());

    const QString cut = Write("cut.wav", WaveFile(1, 1, 22050, 8, Ramp(600), 5000));
    Answered(findAction(*main, "loadWaveItem"), cut, 1);
    EXPECT_EQ(Sample(), Ramp(600));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[0].title, "File Warning");
    EXPECT_EQ(dialogs.messages[0].text, "WAV File Cut Short - Converted What Is There\n" + cut +
                                            ": the file ends before its sound does");
}

// A failed save asks again with the chosen folder and name, so another place is one step away;
// Save as Wave offers the sample's name with ".wav".
TEST_F(AudioWindowTest, FailedSavesAskAgainWhereTheUserWas) {
    Answered(findAction(*main, "loadRawItem"), Write("kick.bin", Ramp(900)));
    const QString missing = dir.filePath("gone/kick.wav");
    for (QAction* command : {findAction(*main, "saveRawItem"), findAction(*main, "saveAsWaveItem")}) {
        dialogs.saveRequests.clear();
        dialogs.messages.clear();
        dialogs.Answer(missing, 2);
        dialogs.Answer(dir.filePath("saved.wav"), 2);
        command->trigger();
        ASSERT_EQ(dialogs.saveRequests.size(), 2u);
        EXPECT_EQ(dialogs.saveRequests[0].fileName,
                  command == findAction(*main, "saveRawItem") ? "kick.bin" : "saved.wav");
        EXPECT_EQ(dialogs.saveRequests[1].fileName, missing);
        if (command == findAction(*main, "saveRawItem")) {
            EXPECT_EQ(dialogs.saveRequests[1].filterIndex, 2) << "the filter chosen";
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Write File Error - Abort Saving\n" + missing + ": The folder " +
                                                dir.filePath("gone") + " does not exist");
        EXPECT_EQ(ReadWave(dir.filePath("saved.wav")).second, Ramp(900));
        QFile::remove(dir.filePath("saved.wav"));
    }
}
