#pragma once

#include <array>
#include <cstdint>

// The two 8-bit µ-law conversion tables. Both are computed once per process; every sample
// buffer shares them. Only the low byte of an entry is ever used.
struct MuLawTables {
    // µ-law code to offset-binary linear (128 = zero line).
    std::array<std::int32_t, 256> ExpandTable{};
    // Offset-binary linear to µ-law code (bit 7 = sign, bits 0 to 6 = magnitude).
    std::array<std::int32_t, 256> CompressTable{};

    static const MuLawTables& Instance();

private:
    MuLawTables();
};
