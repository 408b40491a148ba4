// Test fixtures for wave files: a scratch folder per test and a builder for RIFF bytes with any
// layout, including broken ones.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;

void appendLE16(Bytes& b, uint16_t v);
void appendLE32(Bytes& b, uint32_t v);
void appendId(Bytes& b, std::string_view id);
uint32_t readLE32(const Bytes& b, size_t at);
uint16_t readLE16(const Bytes& b, size_t at);

// A "fmt " body of 16 bytes (or 18 with extra count) for the given fields.
Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t bytesPerSec, uint16_t align,
              uint16_t bits, bool withExtraCount = false);
Bytes pcmFmtBody(uint16_t bits, uint16_t channels, uint32_t rate);

// Appends a chunk; size overrides the stored size field, pad adds the even-padding byte.
void appendChunk(Bytes& b, std::string_view id, const Bytes& body, int64_t size = -1, bool pad = true);

// "RIFF" size "WAVE" + chunks; riffSize < 0 stores the true size.
Bytes riffWave(const Bytes& chunks, int64_t riffSize = -1);

// A whole PCM file: fmt + data.
Bytes pcmWave(uint16_t bits, uint16_t channels, uint32_t rate, const Bytes& data);

// 16-bit little-endian samples to bytes.
Bytes s16(std::initializer_list<int> samples);

class WaveTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(std::string_view leaf) const { return (dir_ / leaf).string(); }
    void writeFile(std::string_view leaf, const Bytes& bytes) const;
    Bytes readFile(std::string_view leaf) const;
    // Names in the scratch folder, sorted, to see that nothing was left behind.
    std::vector<std::string> listing() const;

    std::filesystem::path dir_;
};
