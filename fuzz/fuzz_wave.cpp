// libFuzzer harness: any bytes as a wave file through the reader, the wave object and the
// conversion, any bytes and formats through the converter. A crash, a sanitizer report, a
// conversion that overruns its prediction or a temporary file left behind is a finding.
#include "byte_order.h"
#include "pcm_convert.h"
#include "pcm_support.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_file_io.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace vk350;

namespace {

const fs::path& scratch() {
    static const fs::path dir = [] {
        // Memory-backed when possible: every run writes, renames and deletes files.
        std::string tmpl =
            fs::is_directory("/dev/shm") ? "/dev/shm/vk350-fuzz-XXXXXX" : "/tmp/vk350-fuzz-XXXXXX";
        const char* made = mkdtemp(tmpl.data());
        if (!made)
            std::abort();
        return fs::path(made);
    }();
    // Registered once the folder exists, so it runs before the path is destroyed.
    static const bool cleanup = [] {
        return std::atexit([] {
                   std::error_code ec;
                   fs::remove_all(scratch(), ec);
               }) == 0;
    }();
    (void)cleanup;
    return dir;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_wave: %s\n", what);
        __builtin_trap();
    }
}

void writeInput(const fs::path& p, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(p.c_str(), "wb");
    check(f != nullptr, "cannot write the input file");
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

void readControlBlock(const std::string& name, uint32_t seed) {
    PWAVEIOCB cb;
    const int r = wioReadFileInfo(cb, name, fourcc("WAVE"), RIFF_FILE);
    check(r == 0 || r == WIOERR_BADFILE || r == WIOERR_FILEIO || r == WIOERR_NOMEM, "unknown result code");
    check((r == 0) == bool(cb), "block and result disagree");
    if (!cb)
        return;
    check(uint64_t(cb->dwDataOffset) + cb->dwDataBytes <= cb->dwFileSize, "data area beyond the file");
    check(!cb->hFile, "file left open");
    if (wioWaveOpen(cb.get()) != 0)
        return;
    wioWaveSetPosition(cb.get(), seed % (cb->dwDataSamples + 2));
    uint8_t buf[4096];
    uint64_t total = 0;
    for (int64_t got; (got = wioWaveReadData(cb.get(), buf, 1 + seed % sizeof buf)) > 0;) {
        check(got <= int64_t(sizeof buf), "read more than asked");
        total += uint64_t(got);
    }
    check(total <= cb->dwDataBytes, "read beyond the data area");
    wioWaveClose(cb.get());
}

void convertWave(const std::string& name, uint32_t seed) {
    static const uint32_t rates[] = {8000, 11025, 22050, 32000, 44100, 48000};
    WaveDocument wave;
    try {
        wave.SetFileName(name);
        wave.SetTimeFormat(TimeUnit(seed % 3));
        wave.OpenFile();
        wave.SetPosition(seed % 1000);
        uint8_t buf[1024];
        for (int i = 0; i < 64 && wave.ReadDataBytes(buf, sizeof buf) > 0; ++i) {
        }
        wave.CloseFile();
        WaveFormatEx target;
        pcmBuildWaveHeader(&target, (seed & 8) ? 16 : 8, (seed & 16) ? 2 : 1, rates[(seed >> 5) % 6]);
        wave.ConvertFile((scratch() / "out.wav").string(), &target);
        // What was written must read back as a wave of the target format.
        PWAVEIOCB cb;
        check(wioReadFileInfo(cb, (scratch() / "out.wav").string(), fourcc("WAVE"), RIFF_FILE) == 0,
              "converted file unreadable");
        check(cb->wfx.nSamplesPerSec == target.nSamplesPerSec && cb->wfx.nChannels == target.nChannels,
              "converted file has another format");
    } catch (const WaveError&) {
    }
}

void convertBuffer(const uint8_t* data, size_t size) {
    if (size < 12)
        return;
    PcmWaveFormat src{}, dst{};
    src.wFormatTag = dst.wFormatTag = 1;
    src.wBitsPerSample = data[0] & 1 ? 16 : (data[0] & 2 ? 8 : data[0]);
    src.nChannels = data[1] % 4;
    dst.wBitsPerSample = data[2] & 1 ? 16 : 8;
    dst.nChannels = data[3] & 1 ? 2 : 1;
    src.nSamplesPerSec = getLE32(data + 4) % 200001;
    dst.nSamplesPerSec = getLE32(data + 8) % 200001;
    const uint8_t* body = data + 12;
    const int64_t bytes = int64_t(size - 12);
    const int64_t predicted = PCMCONVERTSIZEOUTPUTDATA(dst, src, bytes);
    const int64_t room = std::min<int64_t>(predicted < 0 ? 16 : predicted + 4, 1 << 18);
    std::vector<uint8_t> out(size_t(room) + 1, 0xA5);
    const int64_t n = PCMCONVERT(dst, std::span<uint8_t>(out.data(), size_t(room)), src, body, bytes);
    if (bytes > 0)
        check((predicted < 0) == (n < 0), "converter and prediction disagree on the formats");
    check(n <= room, "converter wrote past its room");
    check(out[size_t(room)] == 0xA5, "converter wrote past the end");
    // The prediction covers decimation exactly; repetition may fall short but never over by more
    // than one frame.
    if (predicted >= 0)
        check(n <= predicted + 4, "converter made more than predicted");
}

void importRaw(const std::string& name, uint32_t seed) {
    WaveDocument wave;
    try {
        wave.ImportFromRaw(name, (seed & 1) ? 16 : 8, (seed & 2) ? 2 : 1, 4000 + seed % 50000);
    } catch (const WaveError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path input = scratch() / "in.wav";
    writeInput(input, data, size);
    uint32_t seed = 0;
    for (size_t i = 0; i < size && i < 64; ++i)
        seed = seed * 31 + data[size - 1 - i];

    readControlBlock(input.string(), seed);
    convertWave(input.string(), seed);
    convertBuffer(data, size);
    if ((seed & 0x300) == 0) {
        const fs::path raw = scratch() / "in.raw";
        fs::copy_file(input, raw, fs::copy_options::overwrite_existing);
        importRaw(raw.string(), seed);
    }

    // Nothing but our own files may remain: no temporary "w" file after any failure.
    for (const auto& e : fs::directory_iterator(scratch())) {
        const std::string leaf = e.path().filename().string();
        check(leaf == "in.wav" || leaf == "out.wav" || leaf == "in.raw" || leaf == "in.WAV",
              "a temporary file was left behind");
    }
    std::error_code ec;
    fs::remove(scratch() / "out.wav", ec);
    fs::remove(scratch() / "in.WAV", ec);
    return 0;
}
