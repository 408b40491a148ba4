#include "wave_file_io.h"

#include "byte_order.h"
#include "pcm_support.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <optional>

namespace fs = std::filesystem;

namespace vk350 {

uint32_t wioMulDivRound(uint32_t a, uint32_t b, uint32_t c) {
    if (c == 0)
        return 0;
    const uint64_t p = uint64_t(a) * b;
    const uint64_t q = p / c;
    const uint64_t r = p % c;
    const uint64_t v = q + (2 * r) / c;
    return v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
}

static uint32_t roundUpToBlock(uint32_t bytes, uint16_t align) {
    if (align <= 1)
        return bytes;
    const uint64_t v = (uint64_t(bytes) + align - 1) / align * align;
    return v > UINT32_MAX ? static_cast<uint32_t>(UINT32_MAX / align * align) : static_cast<uint32_t>(v);
}

uint32_t wioBytesToSamples(const WaveIoBlock& cb, uint32_t bytes) {
    if (cb.dBytesPerSec > 0) {
        const double v = std::floor(double(bytes) * cb.wfx.nSamplesPerSec / cb.dBytesPerSec + 0.5);
        return v >= double(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(v);
    }
    return wioMulDivRound(bytes, cb.wfx.nSamplesPerSec, cb.wfx.nAvgBytesPerSec);
}

uint32_t wioSamplesToBytes(const WaveIoBlock& cb, uint32_t frames) {
    return roundUpToBlock(wioMulDivRound(frames, cb.wfx.nAvgBytesPerSec, cb.wfx.nSamplesPerSec),
                          cb.wfx.nBlockAlign);
}

uint32_t wioBytesToTime(const WaveIoBlock& cb, uint32_t bytes) {
    return wioMulDivRound(bytes, 1000, cb.wfx.nAvgBytesPerSec);
}

uint32_t wioSamplesToTime(const WaveIoBlock& cb, uint32_t frames) {
    return wioMulDivRound(frames, 1000, cb.wfx.nSamplesPerSec);
}

uint32_t wioTimeToSamples(const WaveIoBlock& cb, uint32_t ms) {
    return wioMulDivRound(ms, cb.wfx.nSamplesPerSec, 1000);
}

uint32_t wioTimeToBytes(const WaveIoBlock& cb, uint32_t ms) {
    return roundUpToBlock(wioMulDivRound(ms, cb.wfx.nAvgBytesPerSec, 1000), cb.wfx.nBlockAlign);
}

static bool printableId(uint32_t id) {
    for (int i = 0; i < 4; ++i) {
        const uint32_t c = (id >> (8 * i)) & 0xFF;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

// Reads a whole chunk body; false on a short read.
static bool readBody(RiffFile& f, const RiffChunk& ck, std::vector<uint8_t>& body) {
    body.assign(ck.cksize, 0);
    return ck.cksize == 0 || f.read(body.data(), ck.cksize) == ck.cksize;
}

// A PCM record's alignment and byte rate are recomputed from bits, channels and rate; false when
// the result cannot describe a stream (no whole byte per frame, or out of the fields' range).
static bool normalisePcm(WaveFormatEx& wfx) {
    const uint32_t align = uint32_t(wfx.wBitsPerSample) * wfx.nChannels / 8;
    const uint64_t rate = uint64_t(align) * wfx.nSamplesPerSec;
    if (align == 0 || align > UINT16_MAX || rate > UINT32_MAX)
        return false;
    wfx.nBlockAlign = static_cast<uint16_t>(align);
    wfx.nAvgBytesPerSec = static_cast<uint32_t>(rate);
    wfx.cbSize = 0;
    wfx.extra.clear();
    return true;
}

static int readFileInfo(PWAVEIOCB& out, const std::string& name, uint32_t formType, uint32_t flags) {
    RiffFile f;
    if (!f.open(name, RiffFile::Mode::Read))
        return WIOERR_FILEIO;
    RiffChunk riff;
    if (f.descend(riff, nullptr) != kRiffOk || riff.ckid != fourcc("RIFF") || riff.fccType != formType)
        return WIOERR_FILEIO;
    const int64_t realSize = f.size();
    if (realSize < 0)
        return WIOERR_FILEIO;
    const uint32_t fileSize = static_cast<uint32_t>(std::min<int64_t>(realSize, UINT32_MAX));
    if (f.seek(riff.dwDataOffset + 4, SEEK_SET) < 0)
        return WIOERR_FILEIO;
    if (uint64_t(riff.dwDataOffset) + riff.cksize > fileSize)
        riff.cksize = fileSize - riff.dwDataOffset;
    const uint64_t riffEnd = uint64_t(riff.dwDataOffset) + riff.cksize;

    auto cb = std::make_unique<WaveIoBlock>();
    bool haveFmt = false, haveData = false, haveFact = false;
    bool prevWasData = false, dataDeclaredEmpty = false;
    uint32_t dataEnd = fileSize, dataOffset = 0, dataDeclared = 0, dataStated = 0;
    std::optional<uint32_t> factCount;
    std::vector<uint8_t> body;

    for (;;) {
        RiffChunk ck;
        if (f.descend(ck, &riff) != kRiffOk)
            break;
        cb->chunks.push_back({ck.ckid, ck.dwDataOffset - 8, ck.cksize});
        const uint32_t stated = ck.cksize; // before a chunk running past the end is cut to it
        const uint64_t ckEnd = uint64_t(ck.dwDataOffset) + ck.cksize;
        if (ckEnd > riffEnd) {
            if (haveFmt && haveData)
                break;
            if (ckEnd > fileSize)
                ck.cksize = fileSize - ck.dwDataOffset;
        }
        if (prevWasData) {
            // Behind a data chunk whose size was never filled in, the audio itself follows: what
            // reads as a header of non-text bytes is no chunk, and the data runs to the end.
            if (dataDeclaredEmpty && !printableId(ck.ckid))
                break;
            dataEnd = ck.dwDataOffset - 8;
        }
        prevWasData = false;

        if (ck.ckid == fourcc("LIST")) {
            if (ck.cksize >= 4 && ck.fccType == fourcc("INFO") && cb->pInfo.read(f, ck) != kRiffOk)
                return WIOERR_FILEIO;
        } else if (ck.ckid == fourcc("DISP")) {
            if (!readBody(f, ck, body))
                return WIOERR_FILEIO;
            cb->pDisp.addFromChunk(body);
        } else if (ck.ckid == fourcc("fmt ")) {
            if (haveFmt)
                break;
            if (!readBody(f, ck, body))
                return WIOERR_FILEIO;
            cb->wfx = wioWaveFormatFromBytes(body.data(), ck.cksize);
            haveFmt = true;
        } else if (ck.ckid == fourcc("data")) {
            if (haveData)
                break;
            haveData = true;
            dataOffset = ck.dwDataOffset;
            dataDeclared = ck.cksize;
            dataDeclaredEmpty = ck.cksize == 0;
            dataStated = stated;
            prevWasData = true;
        } else if (ck.ckid == fourcc("fact")) {
            if (haveFact)
                break;
            haveFact = true;
            uint8_t count[4];
            if (ck.cksize >= 4 && f.read(count, 4) == 4)
                factCount = getLE32(count);
        }
        if (f.ascend(ck) != kRiffOk) {
            if (haveData)
                break;
            return WIOERR_FILEIO;
        }
    }
    f.close();

    cb->dwFlags = flags;
    cb->szFileName = name;
    cb->dwFileSize = fileSize;
    cb->ckRIFF = riff;
    if (flags & RIFF_INFOONLY) {
        out = std::move(cb);
        return WIOERR_NOERROR;
    }
    if (!haveFmt || !haveData || cb->wfx.nBlockAlign == 0)
        return WIOERR_BADFILE;
    const uint16_t storedAlign = cb->wfx.nBlockAlign;
    if (cb->wfx.wFormatTag == WAVE_FORMAT_PCM && !normalisePcm(cb->wfx))
        return WIOERR_BADFILE;
    // Every length below divides by these two.
    if (cb->wfx.nSamplesPerSec == 0 || cb->wfx.nAvgBytesPerSec == 0)
        return WIOERR_BADFILE;
    // The pad byte behind an odd-sized data chunk, before the next chunk or at the end of the
    // file, is no audio.
    if ((dataDeclared & 1) && uint64_t(dataOffset) + dataDeclared + 1 == dataEnd)
        dataEnd = dataOffset + dataDeclared;
    const uint32_t area = dataEnd > dataOffset ? dataEnd - dataOffset : 0;
    cb->dwDataBytes = storedAlign * (area / storedAlign);
    cb->dwDataOffset = dataOffset;
    // A size never filled in (0, or all ones from a streaming writer) states nothing.
    cb->dataCutShort =
        dataStated != 0 && dataStated != UINT32_MAX && uint64_t(dataOffset) + dataStated > uint64_t(realSize);
    cb->ckDATA.ckid = fourcc("data");
    cb->ckDATA.dwDataOffset = dataOffset;
    cb->ckDATA.cksize = cb->dwDataBytes;
    cb->dwDataSamples = wioBytesToSamples(*cb, cb->dwDataBytes);
    cb->dwLastSample = cb->dwDataSamples;
    // The fact count never decides the length.
    (void)factCount;
    cb->dwFirstSample = 0;
    cb->dwBytesLeft = 0;
    cb->dwPosition = 0;
    cb->cbStruct = static_cast<uint32_t>(sizeof(WaveIoBlock) + cb->wfx.extra.size());
    out = std::move(cb);
    return WIOERR_NOERROR;
}

int wioReadFileInfo(PWAVEIOCB& cb, const std::string& name, uint32_t formType, uint32_t flags) {
    cb.reset();
    if (name.empty())
        return WIOERR_BADARG;
    try {
        return readFileInfo(cb, name, formType, flags);
    } catch (const std::bad_alloc&) {
        cb.reset();
        return WIOERR_NOMEM;
    }
}

int wioCreateFileInfo(PWAVEIOCB& cb, const WaveFormatEx* format) {
    cb.reset();
    if (!format)
        return WIOERR_BADARG;
    try {
        cb = std::make_unique<WaveIoBlock>();
        cb->dwFlags = RIFF_FILE;
        cb->wfx = wioCopyWaveFormat(*format);
        cb->cbStruct = static_cast<uint32_t>(sizeof(WaveIoBlock) + cb->wfx.extra.size());
    } catch (const std::bad_alloc&) {
        cb.reset();
        return WIOERR_NOMEM;
    }
    return WIOERR_NOERROR;
}

int wioWriteFileInfo(WaveIoBlock* cb, const std::string& name) {
    if (!cb || name.empty())
        return WIOERR_BADARG;
    auto f = std::make_unique<RiffFile>();
    bool ok = f->open(name, RiffFile::Mode::Create);
    if (ok && cb->ioBufferSize > 0)
        ok = f->setBuffer(cb->ioBufferSize);
    RiffChunk riff, fmt, data;
    riff.ckid = fourcc("RIFF");
    riff.fccType = fourcc("WAVE");
    fmt.ckid = fourcc("fmt ");
    data.ckid = fourcc("data");
    const std::vector<uint8_t> record = wioWaveFormatBytes(cb->wfx);
    ok = ok && f->createChunk(riff) == kRiffOk && f->createChunk(fmt) == kRiffOk &&
         f->write(record.data(), uint32_t(record.size())) == int64_t(record.size()) &&
         f->ascend(fmt) == kRiffOk && f->createChunk(data) == kRiffOk;
    if (!ok) {
        const bool opened = f->isOpen();
        f->close();
        if (opened) {
            std::error_code ec;
            fs::remove(name, ec);
        }
        return WIOERR_FILEIO;
    }
    cb->hFile = std::move(f);
    cb->ckRIFF = riff;
    cb->ckDATA = data;
    cb->created = true;
    cb->szFileName = name;
    cb->dwDataOffset = data.dwDataOffset;
    cb->dwDataBytes = 0;
    cb->dwDataSamples = wioBytesToSamples(*cb, cb->dwDataBytes);
    cb->dwLastSample = cb->dwDataSamples;
    cb->dwFirstSample = 0;
    cb->dwPosition = 0;
    cb->dwBytesLeft = 0;
    return WIOERR_NOERROR;
}

int wioWaveOpen(WaveIoBlock* cb) {
    if (!cb)
        return WIOERR_BADARG;
    if (cb->hFile)
        return WIOERR_NOERROR;
    auto f = std::make_unique<RiffFile>();
    // Existing files are only ever read, so opening one can never damage it.
    if (!f->open(cb->szFileName, RiffFile::Mode::Read))
        return WIOERR_FILEIO;
    if (cb->ioBufferSize > 0 && !f->setBuffer(cb->ioBufferSize))
        return WIOERR_NOMEM;
    if (!(cb->dwFlags & RAW_FILE)) {
        RiffChunk riff;
        if (f->descend(riff, nullptr) != kRiffOk || riff.ckid != fourcc("RIFF") ||
            riff.fccType != fourcc("WAVE"))
            return WIOERR_FILEIO;
    }
    cb->hFile = std::move(f);
    const int r = wioWaveSetPosition(cb, cb->dwPosition);
    if (r != WIOERR_NOERROR)
        cb->hFile.reset();
    return r;
}

int wioWaveClose(WaveIoBlock* cb) {
    if (!cb)
        return WIOERR_BADARG;
    if (!cb->hFile)
        return WIOERR_NOERROR;
    RiffFile& f = *cb->hFile;
    int result = WIOERR_NOERROR;
    if (cb->created && (cb->ckDATA.dwFlags & kChunkDirty)) {
        RiffChunk fact;
        fact.ckid = fourcc("fact");
        uint8_t count[4];
        putLE32(count, cb->dwDataSamples);
        const bool ok = f.flush() && f.seek(int64_t(cb->dwDataOffset) + cb->dwDataBytes, SEEK_SET) >= 0 &&
                        f.ascend(cb->ckDATA) == kRiffOk && f.createChunk(fact) == kRiffOk &&
                        f.write(count, 4) == 4 && f.ascend(fact) == kRiffOk &&
                        cb->pDisp.write(f) == kRiffOk && cb->pInfo.write(f) == kRiffOk &&
                        f.ascend(cb->ckRIFF) == kRiffOk && f.flush();
        if (ok) {
            const int64_t size = f.size();
            cb->dwFileSize = size < 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(size, UINT32_MAX));
            cb->dwLastSample = cb->dwDataSamples;
        } else {
            result = WIOERR_FILEIO;
        }
    }
    if (!f.close())
        result = WIOERR_FILEIO;
    cb->hFile.reset();
    cb->created = false;
    cb->dwBytesLeft = 0;
    cb->dwPosition = 0;
    return result;
}

int wioWaveSetPosition(WaveIoBlock* cb, int64_t frame) {
    if (!cb)
        return WIOERR_BADARG;
    if (frame < 0)
        return WIOERR_FILEIO;
    const int64_t last = int64_t(cb->dwLastSample) - cb->dwFirstSample - 1;
    frame = std::clamp<int64_t>(frame, 0, std::max<int64_t>(last, 0));
    if (!cb->hFile) {
        cb->dwPosition = static_cast<uint32_t>(frame);
        return WIOERR_NOERROR;
    }
    const uint32_t bytes = wioSamplesToBytes(*cb, static_cast<uint32_t>(frame) + cb->dwFirstSample);
    if (cb->hFile->seek(int64_t(cb->dwDataOffset) + bytes, SEEK_SET) < 0)
        return WIOERR_FILEIO;
    // Never beyond the data area, whatever the rounding of a non-PCM format gives.
    const int64_t toEnd = std::min<int64_t>(wioSamplesToBytes(*cb, cb->dwLastSample), cb->dwDataBytes);
    cb->dwBytesLeft = static_cast<int32_t>(std::clamp<int64_t>(toEnd - bytes, 0, INT32_MAX));
    cb->dwPosition = wioBytesToSamples(*cb, bytes) - cb->dwFirstSample;
    return WIOERR_NOERROR;
}

int64_t wioWaveReadData(WaveIoBlock* cb, uint8_t* buffer, uint32_t bytes) {
    if (!cb || !cb->hFile || cb->dwBytesLeft <= 0 || !buffer)
        return -1;
    const uint32_t want = std::min<uint32_t>(bytes, static_cast<uint32_t>(cb->dwBytesLeft));
    const int64_t got = cb->hFile->read(buffer, want);
    if (got <= 0)
        return got;
    if (got < bytes)
        cb->dwBytesLeft = 0;
    else
        cb->dwBytesLeft = static_cast<int32_t>(std::max<int64_t>(cb->dwBytesLeft - got, 0));
    cb->dwPosition = (cb->dwLastSample - cb->dwFirstSample) -
                     wioBytesToSamples(*cb, static_cast<uint32_t>(cb->dwBytesLeft));
    return got;
}

int64_t wioWaveWriteData(WaveIoBlock* cb, const uint8_t* buffer, uint32_t bytes) {
    if (!cb || !cb->hFile || !cb->created || (cb->dwFlags & RAW_FILE) || bytes == 0 || !buffer)
        return -1;
    // RIFF sizes are 32 bits: leave room for the trailing chunks.
    if (uint64_t(cb->dwDataOffset) + cb->dwDataBytes + bytes > UINT32_MAX - 65536)
        return 0;
    const int64_t put = cb->hFile->write(buffer, bytes);
    if (put <= 0)
        return 0;
    cb->ckDATA.dwFlags |= kChunkDirty;
    const int64_t offset = cb->hFile->tell();
    if (offset < cb->dwDataOffset)
        return put;
    const uint32_t written = static_cast<uint32_t>(offset - cb->dwDataOffset);
    const uint32_t position = wioBytesToSamples(*cb, written);
    cb->dwPosition = position;
    cb->dwDataBytes = std::max(cb->dwDataBytes, written);
    cb->dwDataSamples = std::max(cb->dwDataSamples, position);
    cb->dwLastSample = std::max(cb->dwLastSample, position);
    cb->dwBytesLeft = static_cast<int32_t>(
        std::min<uint32_t>(wioSamplesToBytes(*cb, cb->dwLastSample - position), INT32_MAX));
    return put;
}

int wioCopyFileInfo(WaveIoBlock* target, const WaveIoBlock* source) {
    if (!target || !source)
        return WIOERR_BADARG;
    target->pInfo.copyTextsFrom(source->pInfo);
    target->pDisp = source->pDisp;
    return WIOERR_NOERROR;
}

int wioBuildFileInfoFromRAW(PWAVEIOCB& cb, const std::string& name, uint32_t headerSize, uint32_t rate,
                            uint16_t channels, uint16_t bits) {
    cb.reset();
    if (name.empty())
        return WIOERR_BADARG;
    std::error_code ec;
    const uintmax_t size = fs::file_size(name, ec);
    if (ec)
        return WIOERR_FILEIO;
    if (size < headerSize || size > UINT32_MAX)
        return WIOERR_BADFILE;
    WaveFormatEx wfx;
    pcmBuildWaveHeader(&wfx, bits, channels, rate);
    if (wfx.nBlockAlign == 0 || wfx.nAvgBytesPerSec == 0)
        return WIOERR_BADFILE;
    try {
        cb = std::make_unique<WaveIoBlock>();
    } catch (const std::bad_alloc&) {
        return WIOERR_NOMEM;
    }
    cb->dwFlags = RAW_FILE;
    cb->wfx = wfx;
    cb->szFileName = name;
    cb->dwFileSize = static_cast<uint32_t>(size);
    cb->dwDataOffset = headerSize;
    cb->dwDataBytes = static_cast<uint32_t>(size) - headerSize;
    cb->dwDataSamples = wioBytesToSamples(*cb, cb->dwDataBytes);
    cb->dwFirstSample = 0;
    cb->dwLastSample = cb->dwDataSamples;
    cb->cbStruct = sizeof(WaveIoBlock);
    return WIOERR_NOERROR;
}

bool wioIsWaveFile(const std::string& name, uint32_t flags) {
    PWAVEIOCB cb;
    return wioReadFileInfo(cb, name, fourcc("WAVE"), flags) == WIOERR_NOERROR;
}

} // namespace vk350
