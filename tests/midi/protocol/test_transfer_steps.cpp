// The send, receive and KVB9 steps as plain functions: what they do to the sample, the bytes
// they produce and the log lines they write, byte for byte.
#include "bank_location.h"
#include "kvb9_setup.h"
#include "midi_result.h"
#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "sample_receive.h"
#include "sample_send.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kStore = 524288;

Bytes ramp(size_t n, uint8_t start = 0) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(start + i * 3);
    return v;
}

// A store of the editor's capacity holding samples, the rest filled with junk.
Bytes store(const Bytes& samples) {
    Bytes s(kStore, 0xEE);
    std::copy(samples.begin(), samples.end(), s.begin());
    return s;
}

Bytes dumpOf(int slot, const Bytes& machine) {
    Bytes m(sampleDumpSize(machine.size()));
    buildSampleDump(slot, machine, m);
    return m;
}

} // namespace

TEST(SampleSend, FittingLogsAndResizesLikeTheMachineExpects) {
    struct Case {
        int slot;
        SampleSource source;
        size_t length;
        const char* line;
        size_t newLength;
    };
    const Case cases[] = {
        {0, SampleSource::Bank, 10000, "Adjust Size #0 Cut 1808 bytes", 8192},
        {4, SampleSource::Bank, 100, "Adjust Size  #4 Add 3996 bytes", 4096},
        {3, SampleSource::Bank, 16384, "Adjust Size  #3 Add 0 bytes", 16384}, // exact: logged with 0
        {9, SampleSource::Bank, 0, "Adjust Size  #9 Add 4096 bytes", 4096},
        {8, SampleSource::Editor, 9000, "Adjust Size Editor - Cut 808 bytes", 8192},
        {7, SampleSource::Editor, 1, "Adjust Size Editor - Add 65535 bytes", 65536},
        {1, SampleSource::Editor, 16384, "", 16384}, // exact: no line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Bytes s = store(ramp(c.length, 1));
        const SizeFit fit = fitSampleToSlot(c.slot, c.source, s, c.length);
        EXPECT_EQ(fit.logLine, c.line);
        EXPECT_EQ(fit.length, c.newLength);
        // Added bytes are zeros; kept bytes are untouched; nothing past the slot size changes.
        const Bytes kept = ramp(std::min(c.length, c.newLength), 1);
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), s.begin()));
        for (size_t i = c.length; i < c.newLength; ++i)
            ASSERT_EQ(s[i], 0) << i;
        EXPECT_EQ(s[std::max(c.length, c.newLength)], 0xEE);
        if (c.length > c.newLength) { // the dropped tail is only out of the length
            EXPECT_EQ(s[c.newLength], ramp(c.length, 1)[c.newLength]);
        }
    }
    // Outside the bank, or a store too small for the slot: nothing changes.
    Bytes small(100, 7);
    EXPECT_EQ(fitSampleToSlot(0, SampleSource::Bank, small, 50).length, 50u);
    EXPECT_EQ(fitSampleToSlot(10, SampleSource::Bank, small, 50).logLine, "");
    EXPECT_EQ(small, Bytes(100, 7));
}

TEST(SampleSend, PlanBuildsTheDumpAndItsLines) {
    struct Case {
        int slot;
        SampleSource source;
        size_t length;
        std::vector<std::string> headLines; // before the "Send Instr" line
        size_t messageSize;
    };
    const Case cases[] = {
        {3, SampleSource::Bank, 16384, {"Adjust Size  #3 Add 0 bytes"}, 18738},
        {4, SampleSource::Editor, 5000, {"Adjust Size Editor - Cut 904 bytes"}, 4695},
        {7, SampleSource::Editor, 65536, {}, 74911}, // a 64 K slot sends its first 65535 bytes
    };
    std::vector<uint8_t> buffer(kSendBufferSize, 0xAA);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        const Bytes samples = ramp(c.length, 5);
        Bytes s = store(samples);
        const SampleSendPlan plan = prepareSampleSend(c.slot, c.source, s, c.length, buffer);
        const size_t size = kBankLocations[size_t(c.slot)].size();
        EXPECT_EQ(plan.length, size);
        ASSERT_EQ(plan.messageSize, c.messageSize);
        Bytes fitted(s.begin(), s.begin() + std::min<size_t>(size, kMaxDumpSamples));
        const Bytes expected = dumpOf(c.slot, fitted);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
        EXPECT_EQ(plan.checksum, expected[expected.size() - 2]);
        std::vector<std::string> lines = c.headLines;
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", plan.checksum);
        lines.push_back("Send Instr #" + std::to_string(c.slot) +
                        " Msg Size =" + std::to_string(c.messageSize) + "  - Checksum =" + hex);
        EXPECT_EQ(plan.logLines, lines);
    }
    // A checksum worked out by hand: one sample 0xFF into BD, fitted with 8191 zeros.
    Bytes s = store({0xFF});
    const SampleSendPlan plan = prepareSampleSend(0, SampleSource::Bank, s, 1, buffer);
    EXPECT_EQ(plan.logLines.back(), "Send Instr #0 Msg Size =9376  - Checksum =3F");
    // A bad slot sends nothing and logs nothing.
    const SampleSendPlan none = prepareSampleSend(-1, SampleSource::Bank, s, 1, buffer);
    EXPECT_EQ(none.messageSize, 0u);
    EXPECT_TRUE(none.logLines.empty());
    EXPECT_EQ(none.length, 1u);
}

TEST(SampleSend, ResultLines) {
    EXPECT_EQ(sendResultLogLine(kMidiOk), "Transfert ok");
    EXPECT_EQ(sendResultLogLine(kMidiInvalidHandle), "Erreur transfert MIDI OUT - code 5");
    EXPECT_EQ(sendResultLogLine(kMidiError), "Erreur transfert MIDI OUT - code 1");
    EXPECT_EQ(cutDumpLogLine(4000, 74911), "Transfert interrompu - dump coupe a 4000 / 74911 octets");
    EXPECT_EQ(cancelledLogLine(), "Transfert annule");
}

TEST(SampleReceive, EveryBranchWithItsLinesAndBytes) {
    const Bytes editorSamples = ramp(16384, 9);
    Bytes machine = editorSamples;
    convertSign(machine);
    const Bytes good = dumpOf(3, machine);

    Bytes badChecksum = good;
    badChecksum[badChecksum.size() - 2] ^= 0x11;
    Bytes badLength = good;
    badLength[5] ^= 0x01;                            // length field one off, checksum untouched
    Bytes instrument9 = dumpOf(6, Bytes(100, 0x00)); // all zeros: checksum 00
    instrument9[8] = 9;
    Bytes instrument14 = dumpOf(6, Bytes(100, 0x80));
    instrument14[8] = 14;
    Bytes onePattern = {0xF0, 0x2A, 0x03, 0x01, 0x02, 0x10, 0x20, 0xF7};
    Bytes allPatterns(70000, 0x11);
    allPatterns[0] = 0xF0;
    allPatterns[1] = 0x2A;
    allPatterns[2] = 0x03;
    allPatterns[3] = 0x01;
    allPatterns[4] = 0x01;
    allPatterns.back() = 0xF7;
    Bytes allPatternsFits(allPatterns.begin(), allPatterns.begin() + 65536);
    allPatternsFits.back() = 0xF7;

    struct Case {
        const char* what;
        Bytes message;
        ReceiveAction action;
        std::vector<std::string> lines;
        int slot;
    };
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", good[good.size() - 2]);
    char bad[3];
    std::snprintf(bad, sizeof bad, "%02X", badChecksum[badChecksum.size() - 2]);
    const std::vector<Case> cases = {
        {"good HH dump",
         good,
         ReceiveAction::StoreSample,
         {">RX Instr #3 Msg size =18738 Checksum =" + std::string(hex)},
         3},
        {"bad checksum",
         badChecksum,
         ReceiveAction::LogOnly,
         {"Probleme de Checksum - Msg =" + std::string(bad) + " Calc =" + hex},
         -1},
        {"bad length", badLength, ReceiveAction::LogOnly, {"Probleme controle taille du sample"}, -1},
        {"instrument 9 lands in TM",
         instrument9,
         ReceiveAction::StoreSample,
         {">RX Instr #6 Msg size =128 Checksum =00"},
         6},
        {"instrument 14", instrument14, ReceiveAction::LogOnly, {"Probleme Instr #14 inconnu"}, -1},
        {"one pattern", onePattern, ReceiveAction::StorePattern, {"> Syx ONEPAT recu 8"}, -1},
        {"all patterns at the buffer size",
         allPatternsFits,
         ReceiveAction::StorePattern,
         {"> Syx ALLPAT recu 65536"},
         -1},
        {"all patterns too long",
         allPatterns,
         ReceiveAction::LogOnly,
         {"> Syx ALLPAT recu 70000", "Probleme Sysex trop long - Msg size =70000 - pattern non garde"},
         -1},
        {"foreign",
         {0xF0, 0x43, 0x10, 0x4C, 0x00, 0xF7},
         ReceiveAction::LogOnly,
         {"UFO Sysex Message !?!"},
         -1},
        {"three bytes", {0xF0, 0x2A, 0xF7}, ReceiveAction::LogOnly, {"UFO Sysex Message !?!"}, -1},
        {"header cut short",
         {0xF0, 0x2A, 0x03, 0x01},
         ReceiveAction::LogOnly,
         {"Probleme Sysex trop court - Msg size =4"},
         -1},
        {"dump cut short",
         {0xF0, 0x2A, 0x03, 0x01, 0x04, 0x00, 0xF7},
         ReceiveAction::LogOnly,
         {"Probleme Sysex trop court - Msg size =7"},
         -1},
        {"command 3", {0xF0, 0x2A, 0x03, 0x01, 0x03, 0x00, 0xF7}, ReceiveAction::None, {}, -1},
        {"empty delivery", {}, ReceiveAction::None, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReceivedMessage r = decideReceived(c.message);
        EXPECT_EQ(r.action, c.action);
        EXPECT_EQ(r.logLines, c.lines);
        EXPECT_EQ(r.slot, c.slot);
        switch (c.action) {
        case ReceiveAction::StoreSample:
            EXPECT_EQ(r.nameCaption, "New Sound");
            break;
        case ReceiveAction::StorePattern:
            EXPECT_EQ(r.bytes, c.message);
            EXPECT_EQ(r.patternLogLine, c.lines.front());
            break;
        default:
            EXPECT_TRUE(r.bytes.empty());
        }
    }
    // The good dump comes back in the editor's form, with its size caption.
    const ReceivedMessage r = decideReceived(good);
    EXPECT_EQ(r.bytes, editorSamples);
    EXPECT_EQ(r.sizeCaption, "17K");
    EXPECT_EQ(decideReceived(instrument9).sizeCaption, "1K");
}

TEST(Kvb9, MessagesOnChannelSixteen) {
    EXPECT_EQ(kvb9InputMessage(3), (ShortMessage{0xCF, 0x03, 0x00}));
    EXPECT_EQ(kvb9InputMessage(0), (ShortMessage{0xCF, 0x00, 0x00}));
    EXPECT_EQ(kvb9InputMessage(9), (ShortMessage{0xCF, 0x07, 0x00})); // never beyond the eight inputs
    EXPECT_EQ(kvb9MergeMessage(true), (ShortMessage{0xBF, 0x1F, 0x01}));
    EXPECT_EQ(kvb9MergeMessage(false), (ShortMessage{0xBF, 0x1F, 0x00}));
    const auto both = kvb9SetupMessages(5, true);
    EXPECT_EQ(both[0], (ShortMessage{0xCF, 0x05, 0x00}));
    EXPECT_EQ(both[1], (ShortMessage{0xBF, 0x1F, 0x01}));
    EXPECT_EQ(kvb9FailureLogLine(5), "Erreur envoi KVB9 MIDI OUT - code 5");
}
