#include "sample_byte_maps.h"

#include <cmath>

namespace vk350 {

void convertSign(std::span<std::uint8_t> bytes) {
    for (std::uint8_t& b : bytes)
        b = convertSign(b);
}

const MuLawTables& MuLawTables::Instance() {
    static const MuLawTables tables;
    return tables;
}

MuLawTables::MuLawTables() {
    for (int i = 0; i < 256; ++i) {
        // The G.711 segment magnitude without G.711's bit inversion: 0 to 8031.
        const int e = (i >> 4) & 7;
        const int m = i & 15;
        const int c = (1 << e) * (2 * m + 33) - 33;
        // 128 + c/63 and 128 - c/63 with the fraction dropped toward zero; both stay
        // non-negative, so integer division truncates exactly as needed.
        ExpandTable[i] = (i & 0x80) ? 128 + c / 63 : (128 * 63 - c) / 63;
    }
    for (int i = 0; i < 256; ++i) {
        // The negative side measures its magnitude from 127, so 127 and 128 both code as zero.
        if (i >= 128) {
            const double x = 1.0 + 255.0 * (i - 128) / 127.0;
            CompressTable[i] = static_cast<std::int32_t>(std::trunc(23.0 * std::log(x))) | 0x80;
        } else {
            const double x = 1.0 + 255.0 * (127 - i) / 127.0;
            CompressTable[i] = static_cast<std::int32_t>(std::trunc(23.0 * std::log(x)));
        }
    }
}

// Compress, sign-magnitude to offset binary, then the negative zero (0) to 128.
void linearToMuLawCodes(std::span<std::uint8_t> bytes) {
    const auto& table = MuLawTables::Instance().CompressTable;
    for (std::uint8_t& b : bytes) {
        const std::uint8_t coded = convertSign(static_cast<std::uint8_t>(table[b] & 0xFF));
        b = coded == 0 ? 128 : coded;
    }
}

void muLawCodesToLinear(std::span<std::uint8_t> bytes) {
    const auto& table = MuLawTables::Instance().ExpandTable;
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>(table[convertSign(b)] & 0xFF);
}

} // namespace vk350
