// libFuzzer harness: any bytes as a .syx file through the splitter, every message through the
// dump checks; a dump that is accepted unpacks, packs again into a dump that is accepted for the
// same slot and unpacks to the same samples. The input's bytes also serve as samples for a dump
// built from scratch, which must check and unpack back to them exactly.
#include "fuzz_check.h"
#include "sample_dump.h"
#include "sysex_file.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace vk350;
using vk350::fuzz::check;

namespace {

void checkSplit(std::span<const uint8_t> bytes, const SysExSplit& split) {
    size_t next = 0;
    for (const std::span<const uint8_t> m : split.messages) {
        check(m.data() == bytes.data() + next, "messages are not end to end");
        check(m.size() >= 2 && m.front() == kSysExStart && m.back() == kSysExEnd, "message not F0 .. F7");
        check(std::all_of(m.begin() + 1, m.end() - 1, [](uint8_t b) { return b < 0x80; }),
              "a status byte inside a message");
        next += m.size();
    }
    check(split.error.empty() == (next == bytes.size()), "error and coverage disagree");
}

void roundTrip(std::span<const uint8_t> message) {
    const DumpCheck first = checkSampleDump(message);
    check(first.messageSize == message.size() || first.status == DumpStatus::TooShort, "size misreported");
    if (first.status != DumpStatus::Ok)
        return;
    check(first.slot >= 0 && first.slot <= 9, "accepted dump for no slot");
    check(first.count <= kMaxDumpSamples, "accepted dump too long");
    std::vector<uint8_t> samples(first.count, 0xA5);
    check(unpackSampleDump(message, samples).status == DumpStatus::Ok, "accepted dump does not unpack");
    // Too small a destination is refused and left as it was.
    if (first.count > 0) {
        std::vector<uint8_t> small(first.count - 1, 0x5A);
        check(unpackSampleDump(message, small).status == DumpStatus::TooLarge, "short destination taken");
        check(std::all_of(small.begin(), small.end(), [](uint8_t b) { return b == 0x5A; }),
              "refused destination written");
    }
    if (first.count == 0)
        return;
    std::vector<uint8_t> again(kMaxDumpSize);
    const size_t n = buildSampleDump(first.slot, samples, again);
    // A packed area of 8k + 1 bytes carries as many samples as one of 8k (its lone last byte holds
    // no sample): accepted, and packed again without that byte.
    check(n == sampleDumpSize(first.count), "repacked dump has another size");
    check(n == message.size() || n + 1 == message.size(), "accepted dump of a size no dump has");
    again.resize(n);
    const DumpCheck second = checkSampleDump(again);
    check(second.status == DumpStatus::Ok && second.slot == first.slot && second.count == first.count,
          "repacked dump not accepted as the same");
    std::vector<uint8_t> back(first.count);
    unpackSampleDump(again, back);
    check(back == samples, "repacked dump unpacks to other samples");
}

void buildFromScratch(std::span<const uint8_t> bytes) {
    if (bytes.empty())
        return;
    const int slot = bytes[0] % 12 - 1; // -1 and 10 are no slot
    const std::span<const uint8_t> samples = bytes.subspan(1, std::min(bytes.size() - 1, kMaxDumpSamples));
    std::vector<uint8_t> out(kMaxDumpSize, 0xEE);
    const size_t n = buildSampleDump(slot, samples, out);
    if (slot < 0 || slot > 9 || samples.empty()) {
        check(n == 0 && out[0] == 0xEE, "dump built for no slot or no samples");
        return;
    }
    check(n == sampleDumpSize(samples.size()), "dump size differs from its formula");
    const std::span<const uint8_t> dump(out.data(), n);
    check(classifySysEx(dump) == SysExKind::SampleDump, "built dump not a sample dump");
    check(splitSysEx(dump).messages.size() == 1, "built dump not one message");
    std::vector<uint8_t> back(samples.size());
    const DumpCheck c = unpackSampleDump(dump, back);
    check(c.status == DumpStatus::Ok && c.slot == slot, "built dump refused");
    check(std::equal(back.begin(), back.end(), samples.begin(), samples.end()),
          "built dump unpacks otherwise");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const SysExSplit split = splitSysEx(bytes);
    checkSplit(bytes, split);
    for (const std::span<const uint8_t> m : split.messages) {
        classifySysEx(m);
        roundTrip(m);
    }
    // The checks read only what they are given, whatever it is.
    roundTrip(bytes);
    buildFromScratch(bytes);
    return 0;
}
