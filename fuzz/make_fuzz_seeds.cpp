// Writes a small seed corpus for the fuzz harnesses, made by the project's own code: wave files
// from the wave writer, sample dumps from the dump builder, pattern and raw MIDI streams of the
// shapes the machine and an interface send, and editing scripts. make_fuzz_seeds DIR fills
// DIR/fuzz_wave, DIR/fuzz_sysex, DIR/fuzz_syx_patterns, DIR/fuzz_raw_midi and
// DIR/fuzz_sample_buffer.
#include "pcm_support.h"
#include "safe_file.h"
#include "sample_dump.h"
#include "wave_file_io.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace vk350;
using Bytes = std::vector<uint8_t>;

namespace {

bool ok = true;

void put(const fs::path& file, const Bytes& bytes) {
    std::string error;
    if (!safeWriteBytes(file.string(), bytes, &error)) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
        ok = false;
    }
}

Bytes ramp(size_t n, int step) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(128 + int(i) * step);
    return b;
}

Bytes dump(int slot, const Bytes& samples) {
    Bytes out(kMaxDumpSize);
    out.resize(buildSampleDump(slot, samples, out));
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A pattern dump as the machine sends it: its header, the command, data bytes, the end.
Bytes pattern(uint8_t command, size_t length) {
    Bytes m = {kSysExStart, 0x2A, 0x03, 0x01, command};
    for (size_t i = 0; i < length; ++i)
        m.push_back(uint8_t((i * 5) & 0x7F));
    m.push_back(kSysExEnd);
    return m;
}

void wave(const fs::path& file, uint16_t bits, uint16_t channels, uint32_t rate, const Bytes& data) {
    WaveFormatEx format;
    pcmBuildWaveHeader(&format, bits, channels, rate);
    PWAVEIOCB cb;
    if (wioCreateFileInfo(cb, &format) != 0) {
        ok = false;
        return;
    }
    cb->pInfo.setText("INAM", "seed");
    std::vector<uint8_t> text = {1, 0, 0, 0, 'k', 'i', 'c', 'k', 0};
    cb->pDisp.addFromChunk(text);
    ok = ok && wioWriteFileInfo(cb.get(), file.string()) == 0 &&
         wioWaveWriteData(cb.get(), data.data(), uint32_t(data.size())) == int64_t(data.size()) &&
         wioWaveClose(cb.get()) == 0;
}

// The same wave said to hold 65535 channels of 8 bits: a header the reader takes (more than two
// channels are mixed down) whose one-second block is nearly 3 GB. Converting it must not size a
// buffer from that figure.
void manyChannels(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string tag = "fmt ";
    const auto fmt = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
    if (fmt == bytes.end() || bytes.end() - fmt < 24) {
        ok = false;
        return;
    }
    const size_t body = size_t(fmt - bytes.begin()) + 8;
    const auto put16 = [&](size_t at, uint16_t v) {
        bytes[at] = uint8_t(v);
        bytes[at + 1] = uint8_t(v >> 8);
    };
    put16(body + 2, 0xFFFF);  // channels
    put16(body + 12, 0xFFFF); // block align
    for (int i = 0; i < 4; ++i)
        bytes[body + 4 + size_t(i)] = uint8_t(44100u >> (8 * i));
    const uint32_t rate = 44100u * 0xFFFFu;
    for (int i = 0; i < 4; ++i)
        bytes[body + 8 + size_t(i)] = uint8_t(rate >> (8 * i));
    put(to, bytes);
}

// An editing script: the first byte sizes the sample (64 bytes a unit), then five bytes a step.
Bytes script(uint8_t units, std::initializer_list<std::pair<uint8_t, int32_t>> steps) {
    Bytes s = {units};
    const Bytes sample = ramp(size_t(units) * 64, 3);
    s.insert(s.end(), sample.begin(), sample.end());
    for (const auto& [op, value] : steps) {
        s.push_back(op);
        for (int i = 0; i < 4; ++i)
            s.push_back(uint8_t(uint32_t(value) >> (8 * i)));
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* h :
         {"fuzz_wave", "fuzz_sysex", "fuzz_syx_patterns", "fuzz_raw_midi", "fuzz_sample_buffer"})
        fs::create_directories(root / h);

    wave(root / "fuzz_wave" / "mono8.wav", 8, 1, 22050, ramp(300, 7));
    wave(root / "fuzz_wave" / "stereo16.wav", 16, 2, 44100, ramp(400, 11));
    manyChannels(root / "fuzz_wave" / "mono8.wav", root / "fuzz_wave" / "channels_65535.wav");

    const Bytes bd = dump(0, ramp(7, 9)), p1 = dump(9, ramp(300, 5)), one = dump(3, Bytes{0x81});
    put(root / "fuzz_sysex" / "two_dumps.syx", join({bd, p1}));
    put(root / "fuzz_sysex" / "one_sample.syx", one);
    put(root / "fuzz_sysex" / "dump_and_stray_byte.syx", join({bd, Bytes{0x00}}));

    put(root / "fuzz_syx_patterns" / "all_patterns.syx", pattern(kCmdAllPatterns, 600));
    put(root / "fuzz_syx_patterns" / "pattern_and_dump.syx", join({pattern(kCmdOnePattern, 40), bd}));
    put(root / "fuzz_syx_patterns" / "foreign_and_cut.syx",
        join({Bytes{kSysExStart, 0x43, 0x10, 0x4C, kSysExEnd}, Bytes{kSysExStart, 0x2A, 0x03}}));

    // Note on, the same with running status, a program change, a dump with a clock byte inside,
    // a song position, and a SysEx cut short by a note off.
    Bytes stream = {0x90, 0x3C, 0x64, 0x3E, 0x64, 0xC0, 0x05};
    Bytes clocked = bd;
    clocked.insert(clocked.begin() + 4, 0xF8);
    stream.insert(stream.end(), clocked.begin(), clocked.end());
    for (uint8_t b : {0xF2, 0x10, 0x20, 0xF0, 0x2A, 0x03, 0x80, 0x3C, 0x00})
        stream.push_back(b);
    put(root / "fuzz_raw_midi" / "mixed.mid", stream);
    put(root / "fuzz_raw_midi" / "bank.syx", join({bd, p1}));

    // Select, copy, paste, cut, crop, undo, reverse, convert, normalise; then a zoom and a
    // selection at the edges of the buffer.
    put(root / "fuzz_sample_buffer" / "edits.bin", script(8, {{4, 10},
                                                              {5, 100},
                                                              {13, 0},
                                                              {3, 200},
                                                              {14, 0},
                                                              {18, 0},
                                                              {15, 1},
                                                              {19, 0},
                                                              {16, 0},
                                                              {21, 0},
                                                              {20, 1},
                                                              {26, 0},
                                                              {27, 0},
                                                              {28, 0}}));
    put(root / "fuzz_sample_buffer" / "edges.bin",
        script(2, {{2, 0x7FFFFFFF}, {4, -5}, {5, 0x7FFFFFFF}, {17, 0}, {0, 0}, {10, 524288}, {22, 200}}));
    return ok ? 0 : 1;
}
