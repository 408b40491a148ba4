#include "bank_location.h"
#include "sample_dump.h"
#include "sysex_file.h"
#include "transfer_log.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vk350;

namespace {

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

std::vector<uint8_t> dump(int slot, const std::vector<uint8_t>& samples) {
    std::vector<uint8_t> m(sampleDumpSize(samples.size()));
    EXPECT_EQ(buildSampleDump(slot, samples, m), m.size());
    return m;
}

} // namespace

TEST(SampleDump, MessageLayoutAndSizesOfTheSlotSizes) {
    // 4 K slot: 585 full groups, then one byte and its top-bit byte.
    auto m = dump(4, randomBytes(4096, 1));
    EXPECT_EQ(m.size(), 4695u);
    EXPECT_EQ(std::vector<uint8_t>(m.begin(), m.begin() + 5),
              (std::vector<uint8_t>{0xF0, 0x2A, 0x03, 0x01, 0x04}));
    EXPECT_EQ(m[5], 0x00);
    EXPECT_EQ(m[6], 0x10);
    EXPECT_EQ(m[7], 0x00);
    EXPECT_EQ(m[8], 5); // P3 carries instrument 5
    EXPECT_EQ(m[9], 0x00);
    EXPECT_EQ(m[10], 0x00);
    EXPECT_EQ(m.back(), 0xF7);

    m = dump(1, randomBytes(16384, 2));
    EXPECT_EQ((std::vector<uint8_t>{m[5], m[6], m[7]}), (std::vector<uint8_t>{0x00, 0x40, 0x00}));
    EXPECT_EQ(dump(3, randomBytes(16384, 3)).size(), 18738u); // HH

    m = dump(7, randomBytes(65535, 4));
    EXPECT_EQ(m.size(), 74911u);
    EXPECT_EQ(m.size(), kMaxDumpSize);
    EXPECT_EQ((std::vector<uint8_t>{m[5], m[6], m[7]}), (std::vector<uint8_t>{0x7F, 0x7F, 0x03}));
    EXPECT_EQ(m[8], 11);

    // Length bit 7 goes to bit 0 of the third length byte.
    m = dump(0, randomBytes(128 + 3, 5));
    EXPECT_EQ((std::vector<uint8_t>{m[5], m[6], m[7]}), (std::vector<uint8_t>{0x03, 0x00, 0x01}));

    // Every byte between the header and F7 is a MIDI data byte.
    for (size_t i = 1; i + 1 < m.size(); ++i)
        ASSERT_LT(m[i], 0x80) << i;
}

TEST(SampleDump, PackingAndChecksumByHand) {
    const std::vector<uint8_t> seven = {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
    std::vector<uint8_t> packed(8, 0xEE);
    packSamples(seven, packed.data());
    EXPECT_EQ(packed, (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x40}));

    // A last group of two: their low bits, then their top bits in bits 6 and 5.
    const std::vector<uint8_t> two = {0xFF, 0x81};
    packed.assign(3, 0xEE);
    packSamples(two, packed.data());
    EXPECT_EQ(packed, (std::vector<uint8_t>{0x7F, 0x01, 0x60}));

    // One sample 0xFF in slot BD, worked out by hand: checksum (0x7F + 0x40) mod 128 = 0x3F.
    EXPECT_EQ(dump(0, {0xFF}), (std::vector<uint8_t>{0xF0, 0x2A, 0x03, 0x01, 0x04, 0x01, 0x00, 0x00, 0x00,
                                                     0x00, 0x00, 0x7F, 0x40, 0x3F, 0xF7}));
}

TEST(SampleDump, RoundTripForEverySlotSizeAndShortLengths) {
    // Each slot with its own size, then lengths 1 to 20 in every slot.
    std::vector<std::pair<int, size_t>> cases;
    for (int slot = 0; slot < kBankSlots; ++slot)
        cases.emplace_back(
            slot, std::min<size_t>(kBankLocations[static_cast<size_t>(slot)].size(), kMaxDumpSamples));
    for (size_t l = 1; l <= 20; ++l)
        for (int slot = 0; slot < kBankSlots; ++slot)
            cases.emplace_back(slot, l);
    unsigned seed = 10;
    for (const auto& [slot, l] : cases) {
        const auto samples = randomBytes(l, ++seed);
        const auto m = dump(slot, samples);
        std::vector<uint8_t> out(l + 5, 0xAA);
        const DumpCheck c = unpackSampleDump(m, out);
        ASSERT_EQ(c.status, DumpStatus::Ok) << "L=" << l << " slot " << slot;
        EXPECT_EQ(c.slot, slot);
        EXPECT_EQ(c.count, l);
        EXPECT_EQ(c.lengthField, l);
        EXPECT_EQ(c.messageSize, m.size());
        EXPECT_EQ(c.checksumCalc, m[m.size() - 2]);
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + static_cast<long>(l)), samples)
            << "L=" << l;
        EXPECT_EQ(out[l], 0xAA) << "wrote past the count, L=" << l;
    }
}

TEST(SampleDump, ReceiveMapSendsSharedInstrumentsToTheirSlots) {
    const int expected[] = {0, 1, 2, 3, 3, 4, 5, 6, 6, 6, 6, 7, 8, 9};
    for (int i = 0; i <= 13; ++i)
        EXPECT_EQ(slotForInstrument(i), expected[i]) << i;
    EXPECT_EQ(slotForInstrument(14), -1);
    EXPECT_EQ(slotForInstrument(-1), -1);

    auto m = dump(6, randomBytes(100, 20));
    m[8] = 9; // a tom the machine numbers 9 lands in TM
    DumpCheck c = checkSampleDump(m);
    EXPECT_EQ(c.status, DumpStatus::Ok);
    EXPECT_EQ(c.slot, 6);
    EXPECT_EQ(dumpLogLine(c),
              ">RX Instr #6 Msg size =" + std::to_string(m.size()) + " Checksum =" + hex2(m[m.size() - 2]));

    m[8] = 14;
    c = checkSampleDump(m);
    EXPECT_EQ(c.status, DumpStatus::BadInstrument);
    EXPECT_EQ(dumpLogLine(c), "Probleme Instr #14 inconnu");
}

TEST(SampleDump, DamagedDumpsAreRejectedAndLeaveTheDestinationAlone) {
    const auto samples = randomBytes(500, 30);
    const auto good = dump(2, samples);
    std::vector<uint8_t> out(600, 0x55);
    const std::vector<uint8_t> untouched = out;

    auto bad = good;
    bad[40] ^= 0x01; // one flipped bit in the data moves the sum by one
    const int delta = (bad[40] & 1) ? 1 : -1;
    DumpCheck c = unpackSampleDump(bad, out);
    EXPECT_EQ(c.status, DumpStatus::BadChecksum);
    EXPECT_EQ(c.slot, 2);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(dumpLogLine(c), "Probleme de Checksum - Msg =" + hex2(good[good.size() - 2]) + " Calc =" +
                                  hex2(static_cast<uint8_t>((good[good.size() - 2] + delta) & 0x7F)));

    // The checksum byte's top bit is not part of the comparison.
    bad = good;
    bad[bad.size() - 2] |= 0x80;
    EXPECT_EQ(checkSampleDump(bad).status, DumpStatus::Ok);

    bad = good;
    bad[5] ^= 0x01; // length field one off, checksum still right
    c = unpackSampleDump(bad, out);
    EXPECT_EQ(c.status, DumpStatus::BadLength);
    EXPECT_EQ(c.slot, 2); // the receiver clears this slot
    EXPECT_EQ(c.lengthField, 501u);
    EXPECT_EQ(c.count, 500u);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(dumpLogLine(c), "Probleme controle taille du sample");

    // Bit 15 of the length lives in bit 1 of the third length byte.
    bad = good;
    bad[7] |= 0x02;
    EXPECT_EQ(checkSampleDump(bad).lengthField, 500u + 32768u);
    EXPECT_EQ(checkSampleDump(bad).status, DumpStatus::BadLength);
}

TEST(SampleDump, TruncatedAndOversizedInputsNeverReadOrWriteOutOfBounds) {
    const auto good = dump(0, randomBytes(30, 40));
    // Exact-size copies, so that the sanitizer build catches any read past the end.
    for (size_t n = 0; n < kDumpOverhead; ++n) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        std::vector<uint8_t> out(100, 0);
        const DumpCheck c = unpackSampleDump(cut, out);
        EXPECT_EQ(c.status, DumpStatus::TooShort) << n;
        EXPECT_EQ(c.messageSize, n);
        EXPECT_EQ(out, std::vector<uint8_t>(100, 0));
    }
    EXPECT_EQ(classifySysEx(std::vector<uint8_t>{}), SysExKind::Truncated);
    EXPECT_EQ(classifySysEx(std::vector<uint8_t>{0xF0, 0x2A, 0x03, 0x01}), SysExKind::Truncated);
    EXPECT_EQ(classifySysEx(std::vector<uint8_t>{0xF0, 0x2A, 0x03, 0x02}), SysExKind::Foreign);
    EXPECT_EQ(receiveLogLine(std::vector<uint8_t>{0xF0, 0x2A}), "Probleme Sysex trop court - Msg size =2");
    // However short, a message whose header bytes differ is another maker's.
    EXPECT_EQ(receiveLogLine(std::vector<uint8_t>{0xF0, 0xF7}), "UFO Sysex Message !?!");
    EXPECT_EQ(receiveLogLine(std::vector<uint8_t>{0xF0, 0x43, 0xF7}), "UFO Sysex Message !?!");

    // A destination too small for the count.
    std::vector<uint8_t> small(29, 0x11);
    EXPECT_EQ(unpackSampleDump(good, small).status, DumpStatus::TooLarge);
    EXPECT_EQ(small, std::vector<uint8_t>(29, 0x11));

    // More data than any length field can describe fails the length check, whatever the checksum.
    std::vector<uint8_t> huge(kDumpOverhead + 80000, 0x00);
    std::copy(good.begin(), good.begin() + kDumpHeaderSize, huge.begin());
    huge.back() = 0xF7;
    std::vector<uint8_t> out(100000);
    EXPECT_EQ(unpackSampleDump(huge, out).status, DumpStatus::BadLength);

    // Building refuses what the message cannot carry, and a slot that does not exist.
    std::vector<uint8_t> m(kMaxDumpSize + 100, 0x33);
    EXPECT_EQ(buildSampleDump(7, randomBytes(kMaxDumpSamples + 1, 41), m), 0u);
    EXPECT_EQ(buildSampleDump(0, {}, m), 0u);
    EXPECT_EQ(buildSampleDump(10, randomBytes(10, 42), m), 0u);
    EXPECT_EQ(buildSampleDump(0, randomBytes(10, 43), std::span(m).first(sampleDumpSize(10) - 1)), 0u);
    EXPECT_EQ(m, std::vector<uint8_t>(kMaxDumpSize + 100, 0x33));
}

TEST(SampleDump, MessageKindsAndTheirLogLines) {
    std::vector<uint8_t> m = {0xF0, 0x2A, 0x03, 0x01, 0x03, 0x00, 0xF7};
    EXPECT_EQ(classifySysEx(m), SysExKind::Other);
    EXPECT_EQ(receiveLogLine(m), ""); // command 0x03 is ignored without a word

    m[4] = 0x02;
    EXPECT_EQ(classifySysEx(m), SysExKind::OnePattern);
    EXPECT_EQ(receiveLogLine(m), "> Syx ONEPAT recu 7");
    m[4] = 0x01;
    EXPECT_EQ(receiveLogLine(m), "> Syx ALLPAT recu 7");
    m[1] = 0x41; // another maker
    EXPECT_EQ(receiveLogLine(m), "UFO Sysex Message !?!");

    EXPECT_EQ(sendLogLine(3, 18738, 0x0A), "Send Instr #3 Msg Size =18738  - Checksum =0A");
    EXPECT_EQ(bankAdjustLogLine(2, 16384), "Adjust Size  #2 Add 0 bytes");
    EXPECT_EQ(bankAdjustLogLine(0, 100), "Adjust Size  #0 Add 8092 bytes");
    EXPECT_EQ(bankAdjustLogLine(9, 5000), "Adjust Size #9 Cut 904 bytes");
    EXPECT_EQ(editorAdjustLogLine(7, 65536), "");
    EXPECT_EQ(editorAdjustLogLine(7, 70000), "Adjust Size Editor - Cut 4464 bytes");
    EXPECT_EQ(editorAdjustLogLine(4, 96), "Adjust Size Editor - Add 4000 bytes");
    EXPECT_EQ(kTransferOk, "Transfert ok");
}

TEST(SampleDump, slotNames) {
    EXPECT_EQ(slotFromName("BD"), 0);
    EXPECT_EQ(slotFromName("hh"), 3);
    EXPECT_EQ(slotFromName("P1"), 9);
    EXPECT_EQ(slotFromName("7"), 7);
    EXPECT_EQ(slotFromName("10"), -1);
    EXPECT_EQ(slotFromName("XX"), -1);
    EXPECT_EQ(slotFromName(""), -1);
    EXPECT_EQ(kBankLocations[3].size(), 16384u); // HH fits 16 K, whatever its caption says
    EXPECT_EQ(kBankLocations[8].size(), 8192u);
}

TEST(SysExFile, SplitsMessagesAndNamesTheFirstFault) {
    const std::vector<uint8_t> two = {0xF0, 0x01, 0xF7, 0xF0, 0x02, 0x03, 0xF7};
    SysExSplit s = splitSysEx(two);
    EXPECT_TRUE(s.error.empty());
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[1].size(), 4u);
    EXPECT_EQ(s.messages[1][1], 0x02);

    s = splitSysEx(std::vector<uint8_t>{0xF0, 0x01, 0xF7, 0x05});
    EXPECT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.error, "byte 3 is outside any SysEx message");

    s = splitSysEx(std::vector<uint8_t>{0xF0, 0x01, 0xF0, 0x02, 0xF7});
    EXPECT_TRUE(s.messages.empty());
    EXPECT_EQ(s.error, "SysEx message at byte 0 is cut short at byte 2");

    s = splitSysEx(std::vector<uint8_t>{0xF0, 0x01, 0x02});
    EXPECT_EQ(s.error, "SysEx message at byte 0 has no end (0xF7)");
    EXPECT_TRUE(splitSysEx({}).messages.empty());
}
