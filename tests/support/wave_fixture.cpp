#include "wave_fixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

void appendLE16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void appendLE32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

void appendId(Bytes& b, std::string_view id) {
    // Appended byte by byte: GCC 12 at -O3 warns falsely about vector::insert of a short range.
    std::copy(id.begin(), id.begin() + 4, std::back_inserter(b));
}

uint32_t readLE32(const Bytes& b, size_t at) {
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 |
           uint32_t(b.at(at + 3)) << 24;
}

uint16_t readLE16(const Bytes& b, size_t at) {
    return uint16_t(b.at(at) | b.at(at + 1) << 8);
}

Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t bytesPerSec, uint16_t align,
              uint16_t bits, bool withExtraCount) {
    Bytes b;
    appendLE16(b, tag);
    appendLE16(b, channels);
    appendLE32(b, rate);
    appendLE32(b, bytesPerSec);
    appendLE16(b, align);
    appendLE16(b, bits);
    if (withExtraCount)
        appendLE16(b, 0);
    return b;
}

Bytes pcmFmtBody(uint16_t bits, uint16_t channels, uint32_t rate) {
    const uint16_t align = uint16_t(bits * channels / 8);
    return fmtBody(1, channels, rate, align * rate, align, bits);
}

void appendChunk(Bytes& b, std::string_view id, const Bytes& body, int64_t size, bool pad) {
    appendId(b, id);
    appendLE32(b, size < 0 ? uint32_t(body.size()) : uint32_t(size));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1))
        b.push_back(0);
}

Bytes riffWave(const Bytes& chunks, int64_t riffSize) {
    Bytes b;
    appendId(b, "RIFF");
    appendLE32(b, riffSize < 0 ? uint32_t(chunks.size() + 4) : uint32_t(riffSize));
    appendId(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes pcmWave(uint16_t bits, uint16_t channels, uint32_t rate, const Bytes& data) {
    Bytes chunks;
    appendChunk(chunks, "fmt ", pcmFmtBody(bits, channels, rate));
    appendChunk(chunks, "data", data);
    return riffWave(chunks);
}

Bytes s16(std::initializer_list<int> samples) {
    Bytes b;
    for (int s : samples)
        appendLE16(b, uint16_t(int16_t(s)));
    return b;
}

void WaveTest::SetUp() {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("vk350-audio-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
}

void WaveTest::TearDown() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void WaveTest::writeFile(std::string_view leaf, const Bytes& bytes) const {
    std::ofstream out(path(leaf), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good());
}

Bytes WaveTest::readFile(std::string_view leaf) const {
    std::ifstream in(path(leaf), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> WaveTest::listing() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
