// The wave file control block and the functions over it. None of them throws: they return 0 or
// one of the result codes below and, on failure, leave no file open.
#pragma once

#include "disp_chunks.h"
#include "info_chunk.h"
#include "riff_file.h"
#include "wave_format.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

enum WioResult : int {
    WIOERR_NOERROR = 0,
    WIOERR_BADFILE = 101, // invalid or unusable file
    WIOERR_BADARG = 104,  // missing argument
    WIOERR_FILEIO = 106,  // cannot open, read, write or seek
    WIOERR_NOMEM = 107,   // out of memory
};

// Source kinds (dwFlags).
constexpr uint32_t RIFF_FILE = 1;
constexpr uint32_t RIFF_RESOURCE = 2;
constexpr uint32_t RIFF_MEMORY = 4;
constexpr uint32_t RIFF_INFOONLY = 8;
constexpr uint32_t RAW_FILE = 16;

// One chunk met while reading the file, for tools that list a file's layout.
struct WaveChunkEntry {
    uint32_t id = 0;
    uint32_t offset = 0; // of the chunk header
    uint32_t size = 0;   // as stored in the header
};

struct WaveIoBlock {
    uint32_t cbStruct = 0;
    uint32_t dwFlags = 0;
    std::unique_ptr<RiffFile> hFile; // open handle, none while closed
    RiffChunk ckRIFF;
    RiffChunk ckDATA;
    uint32_t dwFileSize = 0;
    uint32_t dwDataBytes = 0;
    uint32_t dwDataOffset = 0;
    uint32_t dwDataSamples = 0;
    uint32_t dwFirstSample = 0;
    uint32_t dwLastSample = 0;
    int32_t dwBytesLeft = 0;
    uint32_t dwPosition = 0;
    std::string szFileName;
    DispList pDisp;
    InfoList pInfo;
    double dBytesPerSec = 0; // 0: the format record decides
    WaveFormatEx wfx;

    bool dataCutShort = false; // the data chunk's stated size runs past the end of the file
    bool created = false;      // made by wioWriteFileInfo, open for writing
    uint32_t ioBufferSize = 0; // stream buffer for the next open; 0 keeps the default
    std::vector<WaveChunkEntry> chunks;
};

using PWAVEIOCB = std::unique_ptr<WaveIoBlock>;

// Rounded to nearest, halves up: a*b/c computed without overflow. c == 0 gives 0.
uint32_t wioMulDivRound(uint32_t a, uint32_t b, uint32_t c);

// Frame, byte and millisecond arithmetic of a block's format.
uint32_t wioBytesToSamples(const WaveIoBlock& cb, uint32_t bytes);
uint32_t wioSamplesToBytes(const WaveIoBlock& cb, uint32_t frames); // whole blocks, rounded up
uint32_t wioBytesToTime(const WaveIoBlock& cb, uint32_t bytes);
uint32_t wioSamplesToTime(const WaveIoBlock& cb, uint32_t frames);
uint32_t wioTimeToSamples(const WaveIoBlock& cb, uint32_t ms);
uint32_t wioTimeToBytes(const WaveIoBlock& cb, uint32_t ms); // whole blocks, rounded up

int wioReadFileInfo(PWAVEIOCB& cb, const std::string& name, uint32_t formType, uint32_t flags);
int wioCreateFileInfo(PWAVEIOCB& cb, const WaveFormatEx* format);
int wioWriteFileInfo(WaveIoBlock* cb, const std::string& name);
int wioWaveOpen(WaveIoBlock* cb);
int wioWaveClose(WaveIoBlock* cb);
int wioWaveSetPosition(WaveIoBlock* cb, int64_t frame);
int64_t wioWaveReadData(WaveIoBlock* cb, uint8_t* buffer, uint32_t bytes);
int64_t wioWaveWriteData(WaveIoBlock* cb, const uint8_t* buffer, uint32_t bytes);
int wioCopyFileInfo(WaveIoBlock* target, const WaveIoBlock* source);
int wioBuildFileInfoFromRAW(PWAVEIOCB& cb, const std::string& name, uint32_t headerSize, uint32_t rate,
                            uint16_t channels, uint16_t bits);
bool wioIsWaveFile(const std::string& name, uint32_t flags);
// Whether the file read into cb states a longer data chunk than it holds (a file cut off while
// being written or copied); its audio is then only the part that is there.
inline bool wioDataChunkCutShort(const WaveIoBlock& cb) {
    return cb.dataCutShort;
}

} // namespace vk350
