#include "sample_dump.h"

#include "bank_location.h"

#include <algorithm>

namespace vk350 {

size_t packedSize(size_t n) {
    const size_t k = n % 7;
    return n / 7 * 8 + (k ? k + 1 : 0);
}

size_t sampleDumpSize(size_t n) {
    return kDumpOverhead + packedSize(n);
}

size_t unpackedCount(size_t d) {
    return d - d / 8 - (d % 8 ? 1 : 0);
}

void packSamples(std::span<const uint8_t> samples, uint8_t* out) {
    const uint8_t* in = samples.data();
    size_t left = samples.size();
    while (left > 0) {
        const size_t group = std::min<size_t>(left, 7);
        uint8_t tops = 0;
        for (size_t i = 0; i < group; ++i) {
            *out++ = in[i] & 0x7F;
            tops |= static_cast<uint8_t>((in[i] >> 7) << (6 - i)); // bit 6 for the group's first byte
        }
        *out++ = tops;
        in += group;
        left -= group;
    }
}

void unpackSamples(std::span<const uint8_t> packed, uint8_t* out) {
    const uint8_t* in = packed.data();
    size_t left = packed.size();
    while (left > 0) {
        const size_t group = std::min<size_t>(left, 8);
        const size_t data = group - 1; // the last byte of a group holds the top bits
        const uint8_t tops = in[data];
        for (size_t i = 0; i < data; ++i)
            *out++ = static_cast<uint8_t>((in[i] & 0x7F) | (((tops >> (6 - i)) & 1) << 7));
        in += group;
        left -= group;
    }
}

uint8_t packedChecksum(std::span<const uint8_t> packed) {
    unsigned sum = 0;
    for (uint8_t b : packed)
        sum += b & 0x7F;
    return static_cast<uint8_t>(sum & 0x7F);
}

size_t buildSampleDump(int slot, std::span<const uint8_t> machineSamples, std::span<uint8_t> out) {
    const size_t l = machineSamples.size();
    if (slot < 0 || slot >= kBankSlots || l == 0 || l > kMaxDumpSamples)
        return 0;
    const size_t n = sampleDumpSize(l);
    if (out.size() < n)
        return 0;
    uint8_t* m = out.data();
    m[0] = kSysExStart;
    m[1] = 0x2A;
    m[2] = 0x03;
    m[3] = 0x01;
    m[4] = kCmdSampleDump;
    m[5] = static_cast<uint8_t>(l & 0x7F);
    m[6] = static_cast<uint8_t>((l >> 8) & 0x7F);
    m[7] = static_cast<uint8_t>(((l >> 7) & 1) + (((l >> 15) & 1) << 1));
    m[8] = kBankLocations[static_cast<size_t>(slot)].instrument;
    m[9] = 0;
    m[10] = 0;
    packSamples(machineSamples, m + kDumpHeaderSize);
    m[n - 2] = packedChecksum({m + kDumpHeaderSize, n - kDumpOverhead});
    m[n - 1] = kSysExEnd;
    return n;
}

SysExKind classifySysEx(std::span<const uint8_t> m) {
    // Any header byte that is there and differs makes it another maker's, however short.
    static constexpr uint8_t header[] = {0x2A, 0x03, 0x01};
    for (size_t i = 1; i < 4 && i < m.size(); ++i)
        if (m[i] != header[i - 1])
            return SysExKind::Foreign;
    if (m.size() < 5)
        return SysExKind::Truncated;
    switch (m[4]) {
    case kCmdSampleDump:
        return SysExKind::SampleDump;
    case kCmdOnePattern:
        return SysExKind::OnePattern;
    case kCmdAllPatterns:
        return SysExKind::AllPatterns;
    default:
        return SysExKind::Other;
    }
}

DumpCheck checkSampleDump(std::span<const uint8_t> m) {
    DumpCheck r;
    const size_t n = m.size();
    r.messageSize = n;
    if (n < kDumpOverhead) {
        r.status = DumpStatus::TooShort;
        return r;
    }
    r.instrument = m[8];
    r.slot = slotForInstrument(r.instrument);
    if (r.slot < 0) {
        r.status = DumpStatus::BadInstrument;
        return r;
    }
    const auto packed = m.subspan(kDumpHeaderSize, n - kDumpOverhead);
    r.checksumSent = m[n - 2];
    r.checksumCalc = packedChecksum(packed);
    r.lengthField = static_cast<uint32_t>(m[5] | (m[7] & 1) << 7 | m[6] << 8 | ((m[7] >> 1) & 1) << 15);
    r.count = static_cast<uint32_t>(unpackedCount(packed.size()));
    if (r.checksumCalc != (r.checksumSent & 0x7F))
        r.status = DumpStatus::BadChecksum;
    else if (r.lengthField != r.count)
        r.status = DumpStatus::BadLength;
    else
        r.status = DumpStatus::Ok;
    return r;
}

DumpCheck unpackSampleDump(std::span<const uint8_t> m, std::span<uint8_t> out) {
    DumpCheck r = checkSampleDump(m);
    if (r.status != DumpStatus::Ok)
        return r;
    if (r.count > out.size()) {
        r.status = DumpStatus::TooLarge;
        return r;
    }
    unpackSamples(m.subspan(kDumpHeaderSize, m.size() - kDumpOverhead), out.data());
    return r;
}

} // namespace vk350
