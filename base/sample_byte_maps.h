// The byte maps of 8-bit samples that the editor, the MIDI codec and the tool share: the
// machine's sign-magnitude form and the editor's µ-law coding.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vk350 {

// Editor form (offset binary, 128 = zero line) to machine form (sign-magnitude: bit 7 set for
// positive or zero, bits 0 to 6 the magnitude) and back: bytes 1 to 127 become 128 minus their
// value, the rest stay. Its own inverse.
constexpr std::uint8_t convertSign(std::uint8_t b) {
    return (b >= 1 && b <= 127) ? static_cast<std::uint8_t>(128 - b) : b;
}
void convertSign(std::span<std::uint8_t> bytes);

// The two 8-bit µ-law conversion tables, computed once per process. Only the low byte of an
// entry is ever used.
struct MuLawTables {
    // µ-law code to offset-binary linear (128 = zero line).
    std::array<std::int32_t, 256> ExpandTable{};
    // Offset-binary linear to µ-law code (bit 7 = sign, bits 0 to 6 = magnitude).
    std::array<std::int32_t, 256> CompressTable{};

    static const MuLawTables& Instance();

private:
    MuLawTables();
};

// The editor's "Lin to µLaw -8bits": each byte becomes its µ-law code, held in offset-binary
// form so that it draws around the centre: magnitude m is 128 + m when positive, 128 - m when
// negative, and a negative zero is 128.
void linearToMuLawCodes(std::span<std::uint8_t> bytes);
// The editor's "µLaw to Lin -8bits": codes held that way back to offset-binary linear.
void muLawCodesToLinear(std::span<std::uint8_t> bytes);

} // namespace vk350
