// The wave file control block: the chunk walk on good and broken files, the written layout,
// positioning and reading, and the frame/byte/time arithmetic.
#include "byte_order.h"
#include "pcm_support.h"
#include "wave_file_io.h"
#include "wave_fixture.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

namespace fs = std::filesystem;
using namespace vk350;

namespace {

class WaveIoTest : public WaveTest {
protected:
    int readInfo(const Bytes& file, PWAVEIOCB& cb) {
        writeFile("t.wav", file);
        return wioReadFileInfo(cb, path("t.wav"), fourcc("WAVE"), RIFF_FILE);
    }
};

Bytes filled(size_t n, uint8_t v) {
    return Bytes(n, v);
}

} // namespace

TEST(WaveArithmetic, RoundsHalvesUpAndWholeBlocks) {
    EXPECT_EQ(wioMulDivRound(1, 1, 2), 1u);
    EXPECT_EQ(wioMulDivRound(1, 1, 3), 0u);
    EXPECT_EQ(wioMulDivRound(2, 1, 3), 1u);
    EXPECT_EQ(wioMulDivRound(4000000000u, 4000000000u, 4000000000u), 4000000000u); // no 32-bit overflow
    EXPECT_EQ(wioMulDivRound(5, 5, 0), 0u);

    WaveIoBlock cb;
    pcmBuildWaveHeader(&cb.wfx, 16, 2, 44100);
    EXPECT_EQ(wioBytesToSamples(cb, 10000), 2500u);
    EXPECT_EQ(wioSamplesToBytes(cb, 2500), 10000u);
    EXPECT_EQ(wioSamplesToTime(cb, 44100), 1000u);
    EXPECT_EQ(wioSamplesToTime(cb, 22), 0u); // 0.4988 ms
    EXPECT_EQ(wioSamplesToTime(cb, 23), 1u); // 0.5215 ms
    EXPECT_EQ(wioTimeToSamples(cb, 10), 441u);
    EXPECT_EQ(wioBytesToTime(cb, 176400), 1000u);
    EXPECT_EQ(wioTimeToBytes(cb, 1), 176u); // 176.4 rounded, then up to whole frames

    // A compressed format: bytes are rounded up to its large blocks.
    WaveIoBlock adpcm;
    adpcm.wfx.wFormatTag = 0x11;
    adpcm.wfx.nChannels = 1;
    adpcm.wfx.nSamplesPerSec = 8000;
    adpcm.wfx.nAvgBytesPerSec = 4055;
    adpcm.wfx.nBlockAlign = 256;
    EXPECT_EQ(wioSamplesToBytes(adpcm, 1), 256u);
    EXPECT_EQ(wioSamplesToBytes(adpcm, 510), 512u);
    adpcm.dBytesPerSec = 4055.5;
    EXPECT_EQ(wioBytesToSamples(adpcm, 4055), 7999u);
}

TEST_F(WaveIoTest, ReadsPlainPcmFile) {
    PWAVEIOCB cb;
    ASSERT_EQ(readInfo(pcmWave(16, 2, 44100, filled(10000, 1)), cb), 0);
    EXPECT_EQ(cb->wfx.nBlockAlign, 4);
    EXPECT_EQ(cb->dwDataOffset, 44u);
    EXPECT_EQ(cb->dwDataBytes, 10000u);
    EXPECT_EQ(cb->dwDataSamples, 2500u);
    EXPECT_EQ(cb->dwLastSample, 2500u);
    EXPECT_EQ(cb->dwFirstSample, 0u);
    EXPECT_EQ(cb->dwFileSize, 10044u);
    EXPECT_FALSE(cb->hFile); // closed again
    ASSERT_EQ(cb->chunks.size(), 2u);
    EXPECT_EQ(cb->chunks[1].offset, 36u);
}

TEST_F(WaveIoTest, DataAreaEndsAtNextChunkOrFileEnd) {
    PWAVEIOCB cb;
    // LIST after data: the data ends at the LIST header, and the INFO texts are kept.
    Bytes info;
    appendChunk(info, "INAM", Bytes{'k', 'i', 'c', 'k', 0});
    appendChunk(info, "ZZZZ", Bytes{'x', 0}); // an id outside the table is skipped
    appendChunk(info, "ICMT", Bytes{'h', 'i', 0, 'x'});
    Bytes list{'I', 'N', 'F', 'O'};
    std::copy(info.begin(), info.end(), std::back_inserter(list)); // insert() trips GCC 12 at -O3
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 22050));
    appendChunk(chunks, "data", filled(100, 0x80));
    appendChunk(chunks, "LIST", list);
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_EQ(cb->dwDataBytes, 100u);
    std::string text;
    EXPECT_TRUE(cb->pInfo.text("INAM", text));
    EXPECT_EQ(text, "kick");
    EXPECT_TRUE(cb->pInfo.text("ICMT", text));
    EXPECT_EQ(text, "hi");

    // An empty item that ends the list reads as an empty text, without a look past the list.
    list.resize(4);
    info.clear();
    appendChunk(info, "INAM", Bytes{'k', 0});
    appendChunk(info, "IART", Bytes{});
    std::copy(info.begin(), info.end(), std::back_inserter(list)); // insert() trips GCC 12 at -O3
    chunks.clear();
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 22050));
    appendChunk(chunks, "data", filled(10, 0x80));
    appendChunk(chunks, "LIST", list);
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_TRUE(cb->pInfo.text("INAM", text));
    EXPECT_EQ(text, "k");
    EXPECT_TRUE(cb->pInfo.text("IART", text));
    EXPECT_EQ(text, "");

    // Data last with a size of 0 or too large: it runs to the end, rounded down to whole blocks.
    for (uint32_t size : {0u, 0x7FFFFFFFu, 1000000u}) {
        chunks.clear();
        appendChunk(chunks, "fmt ", pcmFmtBody(16, 2, 44100));
        appendChunk(chunks, "data", filled(1003, 0x11), size, false);
        ASSERT_EQ(readInfo(riffWave(chunks), cb), 0) << size;
        EXPECT_EQ(cb->dwDataBytes, 1000u) << size;
        EXPECT_EQ(cb->dwDataSamples, 250u) << size;
    }
    // A streamed file whose size was never filled in, starting with digital silence.
    chunks.clear();
    appendChunk(chunks, "fmt ", pcmFmtBody(16, 1, 8000));
    appendChunk(chunks, "data", filled(400, 0), 0, false);
    ASSERT_EQ(readInfo(riffWave(chunks, 0xFFFFFFFF), cb), 0);
    EXPECT_EQ(cb->dwDataBytes, 400u);

    // The pad byte of an odd data chunk is not audio; behind data of a declared size, even a
    // header that is no text ends the data area.
    for (const char* next : {"fact", "\x01\x02\x03\x04"}) {
        chunks.clear();
        appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 8000));
        appendChunk(chunks, "data", filled(7, 0x80));
        appendChunk(chunks, next, Bytes{7, 0, 0, 0});
        ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
        EXPECT_EQ(cb->dwDataBytes, 7u) << next;
    }

    // A second data chunk ends the walk and the first data area.
    chunks.clear();
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 8000));
    appendChunk(chunks, "data", filled(10, 0x80));
    appendChunk(chunks, "data", filled(20, 0x80));
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_EQ(cb->dwDataBytes, 10u);
    EXPECT_EQ(cb->dwDataOffset, 44u);
}

TEST_F(WaveIoTest, SizesAndCountsFromTheFileItself) {
    PWAVEIOCB cb;
    // RIFF size beyond the file: cut to the file.
    Bytes file = pcmWave(8, 1, 11025, filled(50, 0x80));
    putLE32(&file[4], 0xFFFFFFF0u);
    ASSERT_EQ(readInfo(file, cb), 0);
    EXPECT_EQ(cb->dwDataBytes, 50u);
    EXPECT_EQ(cb->ckRIFF.cksize, 86u);

    // A fact count that disagrees with the data: the data wins.
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(16, 1, 8000));
    appendChunk(chunks, "fact", Bytes{0x10, 0x27, 0, 0}); // 10000
    appendChunk(chunks, "data", filled(64, 0));
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_EQ(cb->dwDataSamples, 32u);

    // A wrong alignment and byte rate in a PCM record are recomputed; the stored alignment still
    // rounds the data length.
    chunks.clear();
    appendChunk(chunks, "fmt ", fmtBody(1, 1, 8000, 12345, 4, 16));
    appendChunk(chunks, "data", filled(10, 0));
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_EQ(cb->wfx.nBlockAlign, 2);
    EXPECT_EQ(cb->wfx.nAvgBytesPerSec, 16000u);
    EXPECT_EQ(cb->dwDataBytes, 8u);
    EXPECT_EQ(cb->dwDataSamples, 4u);

    // A list too small for its type is stepped over like any other chunk.
    chunks.clear();
    appendChunk(chunks, "LIST", Bytes{'I', 'N'});
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 8000));
    appendChunk(chunks, "data", filled(6, 0x80));
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_EQ(cb->dwDataBytes, 6u);

    // An 18-byte PCM record with a bogus extra count reads as a plain record.
    chunks.clear();
    Bytes fmt = pcmFmtBody(8, 2, 8000);
    appendLE16(fmt, 500);
    appendChunk(chunks, "fmt ", fmt);
    appendChunk(chunks, "data", filled(8, 0x80));
    ASSERT_EQ(readInfo(riffWave(chunks), cb), 0);
    EXPECT_EQ(cb->wfx.cbSize, 0);
    EXPECT_EQ(wioSizeOfWaveFormat(cb->wfx), 18u);
}

TEST_F(WaveIoTest, BadFilesGetTheirCodes) {
    PWAVEIOCB cb;
    const Bytes good = pcmWave(8, 1, 8000, filled(20, 0x80));
    struct Case {
        const char* what;
        Bytes file;
        int code;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, WIOERR_FILEIO});
    cases.push_back({"truncated header", Bytes(good.begin(), good.begin() + 10), WIOERR_FILEIO});
    Bytes notRiff = good;
    notRiff[0] = 'X';
    cases.push_back({"not RIFF", notRiff, WIOERR_FILEIO});
    Bytes notWave = good;
    notWave[8] = 'A';
    cases.push_back({"not WAVE", notWave, WIOERR_FILEIO});
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 8000));
    cases.push_back({"no data chunk", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "data", filled(8, 0));
    cases.push_back({"no format chunk", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "fmt ", fmtBody(0x11, 1, 8000, 4055, 0, 4));
    appendChunk(chunks, "data", filled(8, 0));
    cases.push_back({"zero block alignment", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "fmt ", fmtBody(1, 1, 8000, 4000, 1, 4));
    appendChunk(chunks, "data", filled(8, 0));
    cases.push_back({"PCM of less than a byte per frame", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "fmt ", fmtBody(1, 1, 0, 0, 1, 8));
    appendChunk(chunks, "data", filled(8, 0));
    cases.push_back({"rate 0", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "fmt ", Bytes{1, 0});
    appendChunk(chunks, "data", filled(8, 0));
    cases.push_back({"two-byte format chunk", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "fmt ", Bytes{});
    appendChunk(chunks, "data", filled(8, 0));
    cases.push_back({"empty format chunk", riffWave(chunks), WIOERR_BADFILE});
    chunks.clear();
    appendChunk(chunks, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 50, 0, 0, 0, 'a'}, 900);
    cases.push_back({"truncated LIST, nothing else", riffWave(chunks), WIOERR_BADFILE});

    for (const Case& c : cases) {
        EXPECT_EQ(readInfo(c.file, cb), c.code) << c.what;
        EXPECT_FALSE(cb) << c.what;
        EXPECT_FALSE(wioIsWaveFile(path("t.wav"), RIFF_FILE)) << c.what;
    }
    EXPECT_EQ(wioReadFileInfo(cb, "", fourcc("WAVE"), RIFF_FILE), WIOERR_BADARG);
    EXPECT_EQ(wioReadFileInfo(cb, path("missing.wav"), fourcc("WAVE"), RIFF_FILE), WIOERR_FILEIO);
    EXPECT_EQ(wioCreateFileInfo(cb, nullptr), WIOERR_BADARG);
    EXPECT_EQ(wioWriteFileInfo(nullptr, path("unwritten.wav")), WIOERR_BADARG);
}

TEST_F(WaveIoTest, WritesEightBitMonoLayoutByteForByte) {
    PWAVEIOCB cb;
    WaveFormatEx wfx;
    pcmBuildWaveHeader(&wfx, 8, 1, 22050);
    ASSERT_EQ(wioCreateFileInfo(cb, &wfx), 0);
    ASSERT_EQ(wioWriteFileInfo(cb.get(), path("o.wav")), 0);
    EXPECT_EQ(cb->dwDataOffset, 46u);
    const uint8_t audio[3] = {0x80, 0x00, 0xFF};
    EXPECT_EQ(wioWaveWriteData(cb.get(), audio, 3), 3);
    EXPECT_EQ(wioWaveWriteData(cb.get(), audio, 0), -1);
    EXPECT_EQ(cb->dwDataSamples, 3u);
    ASSERT_EQ(wioWaveClose(cb.get()), 0);
    EXPECT_FALSE(cb->hFile);

    Bytes expect;
    appendId(expect, "RIFF");
    appendLE32(expect, 54);
    appendId(expect, "WAVE");
    appendId(expect, "fmt ");
    appendLE32(expect, 18);
    const Bytes record = fmtBody(1, 1, 22050, 22050, 1, 8, true);
    expect.insert(expect.end(), record.begin(), record.end());
    appendId(expect, "data");
    appendLE32(expect, 3);
    expect.insert(expect.end(), {0x80, 0x00, 0xFF, 0x00}); // with the pad byte
    appendId(expect, "fact");
    appendLE32(expect, 4);
    appendLE32(expect, 3);
    EXPECT_EQ(readFile("o.wav"), expect);
    EXPECT_EQ(cb->dwFileSize, expect.size());

    // It reads back with the same length.
    PWAVEIOCB back;
    ASSERT_EQ(wioReadFileInfo(back, path("o.wav"), fourcc("WAVE"), RIFF_FILE), 0);
    EXPECT_EQ(back->dwDataBytes, 3u);
    EXPECT_EQ(back->dwDataOffset, 46u);

    // The fact chunk counts frames, not bytes: 8 bytes of 16-bit stereo are 2.
    pcmBuildWaveHeader(&wfx, 16, 2, 8000);
    ASSERT_EQ(wioCreateFileInfo(cb, &wfx), 0);
    ASSERT_EQ(wioWriteFileInfo(cb.get(), path("s.wav")), 0);
    const uint8_t frames[8] = {};
    ASSERT_EQ(wioWaveWriteData(cb.get(), frames, 8), 8);
    ASSERT_EQ(wioWaveClose(cb.get()), 0);
    const Bytes stereo = readFile("s.wav");
    ASSERT_EQ(stereo.size(), 46u + 8 + 12);
    EXPECT_EQ(readLE32(stereo, 54), readLE32(Bytes{'f', 'a', 'c', 't'}, 0));
    EXPECT_EQ(readLE32(stereo, 62), 2u);
}

TEST_F(WaveIoTest, WritesDispAndInfoAndCopiesThem) {
    PWAVEIOCB src, cb;
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 8000));
    appendChunk(chunks, "data", filled(4, 0x80));
    Bytes disp{1, 0, 0, 0, 'S', 'n', 'a', 'r', 'e', 0};
    appendChunk(chunks, "DISP", disp);
    Bytes otherDisp{3, 0, 0, 0, 9, 9}; // a type that is not written again
    appendChunk(chunks, "DISP", otherDisp);
    Bytes unterminated{1, 0, 0, 0, 'K', 'i', 'c', 'k'}; // text is written back with its zero
    appendChunk(chunks, "DISP", unterminated);
    ASSERT_EQ(readInfo(riffWave(chunks), src), 0);
    ASSERT_EQ(src->pDisp.items().size(), 3u);
    src->pInfo.setText("IART", "me");

    ASSERT_EQ(wioCreateFileInfo(cb, &src->wfx), 0);
    ASSERT_EQ(wioCopyFileInfo(cb.get(), src.get()), 0);
    ASSERT_EQ(wioWriteFileInfo(cb.get(), path("c.wav")), 0);
    const uint8_t audio[2] = {1, 2};
    ASSERT_EQ(wioWaveWriteData(cb.get(), audio, 2), 2);
    ASSERT_EQ(wioWaveClose(cb.get()), 0);

    PWAVEIOCB back;
    ASSERT_EQ(wioReadFileInfo(back, path("c.wav"), fourcc("WAVE"), RIFF_FILE), 0);
    ASSERT_EQ(back->pDisp.items().size(), 2u);
    EXPECT_EQ(back->pDisp.items()[0].type, 1u);
    EXPECT_EQ(back->pDisp.items()[0].data, (Bytes{'S', 'n', 'a', 'r', 'e', 0}));
    EXPECT_EQ(back->pDisp.items()[1].data, (Bytes{'K', 'i', 'c', 'k', 0}));
    std::string text;
    back->pInfo.text("IART", text);
    EXPECT_EQ(text, "me");
    EXPECT_EQ(back->dwDataBytes, 2u);
    const Bytes file = readFile("c.wav");
    EXPECT_EQ(readLE32(file, 4), file.size() - 8);
}

TEST_F(WaveIoTest, PositionsAndReads) {
    Bytes data;
    for (int i = 0; i < 40; ++i)
        data.push_back(uint8_t(i));
    PWAVEIOCB cb;
    ASSERT_EQ(readInfo(pcmWave(16, 2, 8000, data), cb), 0); // 10 frames of 4 bytes
    uint8_t buf[64];
    EXPECT_EQ(wioWaveReadData(cb.get(), buf, 4), -1); // not open
    EXPECT_EQ(wioWaveWriteData(cb.get(), buf, 4), -1);
    EXPECT_EQ(wioWaveSetPosition(cb.get(), 2), 0); // closed: only the position
    EXPECT_EQ(cb->dwPosition, 2u);
    ASSERT_EQ(wioWaveOpen(cb.get()), 0);
    EXPECT_EQ(cb->dwBytesLeft, 32);
    EXPECT_EQ(wioWaveWriteData(cb.get(), buf, 4), -1); // existing files are read only

    EXPECT_EQ(wioWaveSetPosition(cb.get(), -1), WIOERR_FILEIO);
    ASSERT_EQ(wioWaveSetPosition(cb.get(), 3), 0);
    EXPECT_EQ(cb->dwBytesLeft, 28);
    EXPECT_EQ(wioWaveReadData(cb.get(), buf, 8), 8);
    EXPECT_EQ(buf[0], 12);
    EXPECT_EQ(cb->dwPosition, 5u);
    EXPECT_EQ(cb->dwBytesLeft, 20);
    EXPECT_EQ(wioWaveReadData(cb.get(), buf, 64), 20); // fewer than asked: the end
    EXPECT_EQ(buf[19], 39);
    EXPECT_EQ(cb->dwBytesLeft, 0);
    EXPECT_EQ(cb->dwPosition, 10u);
    EXPECT_EQ(wioWaveReadData(cb.get(), buf, 4), -1);

    ASSERT_EQ(wioWaveSetPosition(cb.get(), 1000), 0); // clamped to the last frame
    EXPECT_EQ(cb->dwPosition, 9u);
    EXPECT_EQ(cb->dwBytesLeft, 4);
    ASSERT_EQ(wioWaveClose(cb.get()), 0);
    EXPECT_FALSE(cb->hFile);
    EXPECT_EQ(cb->dwBytesLeft, 0);

    // A raw file with a header to skip.
    Bytes raw(10, 0xEE);
    std::copy(data.begin(), data.begin() + 20, std::back_inserter(raw)); // insert() trips GCC 12 at -O3
    writeFile("r.raw", raw);
    PWAVEIOCB rb;
    ASSERT_EQ(wioBuildFileInfoFromRAW(rb, path("r.raw"), 10, 8000, 1, 16), 0);
    EXPECT_EQ(rb->dwDataBytes, 20u);
    EXPECT_EQ(rb->dwDataSamples, 10u);
    EXPECT_EQ(rb->dwLastSample, 10u);
    ASSERT_EQ(wioWaveOpen(rb.get()), 0);
    ASSERT_EQ(wioWaveSetPosition(rb.get(), 4), 0);
    EXPECT_EQ(wioWaveReadData(rb.get(), buf, 64), 12);
    EXPECT_EQ(buf[0], 8);
    EXPECT_EQ(wioWaveWriteData(rb.get(), buf, 2), -1);
    wioWaveClose(rb.get());
    EXPECT_EQ(wioBuildFileInfoFromRAW(rb, path("r.raw"), 31, 8000, 1, 16), WIOERR_BADFILE);
    EXPECT_EQ(wioBuildFileInfoFromRAW(rb, path("none.raw"), 0, 8000, 1, 16), WIOERR_FILEIO);
}

// A data chunk that states more bytes than the file holds is read as far as it goes and marked;
// sizes never filled in and chunks that fit are not.
TEST_F(WaveIoTest, DataChunkCutShortIsMarked) {
    const struct {
        const char* what;
        int64_t stated;
        bool tail;
        bool cutShort;
    } cases[] = {
        {"fits", -1, false, false},
        {"fits, a chunk after it", -1, true, false},
        {"one byte missing", 101, false, true},
        {"far past the end", 5000, true, true},
        {"never filled in", 0, false, false},
        {"streamed", 0xFFFFFFFF, false, false},
    };
    for (const auto& c : cases) {
        Bytes chunks;
        appendChunk(chunks, "fmt ", pcmFmtBody(8, 1, 22050));
        appendChunk(chunks, "data", filled(100, 0x80), c.stated, false);
        if (c.tail)
            appendChunk(chunks, "fact", Bytes{100, 0, 0, 0});
        PWAVEIOCB cb;
        ASSERT_EQ(readInfo(riffWave(chunks), cb), 0) << c.what;
        EXPECT_EQ(wioDataChunkCutShort(*cb), c.cutShort) << c.what;
        EXPECT_GT(cb->dwDataBytes, 0u) << c.what;
    }
}
