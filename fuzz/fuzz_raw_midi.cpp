// libFuzzer harness: any bytes as a raw MIDI stream through the parser, at once and again in
// pieces of sizes taken from the input. The events must not depend on the pieces; every short
// message has a status byte and as many data bytes as its status takes; every SysEx starts with
// 0xF0, holds data bytes only and ends with 0xF7 exactly when complete. A stream that the .syx
// splitter takes whole must come out as the same messages.
#include "fuzz_check.h"
#include "raw_midi_parser.h"
#include "sysex_file.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace vk350;
using vk350::fuzz::check;

namespace {

struct Events {
    std::vector<std::vector<uint8_t>> shorts;
    std::vector<std::vector<uint8_t>> sysex; // whole, as delivered in runs
    std::vector<bool> complete;
    std::vector<uint8_t> open; // the SysEx in progress
    bool operator==(const Events&) const = default;
};

void listen(RawMidiParser& parser, Events& e) {
    parser.OnShort = [&e](uint8_t status, uint8_t first, uint8_t second) {
        check(status >= 0x80 && status != 0xF0 && status != 0xF7, "short message without a status");
        check(first < 0x80 && second < 0x80, "a status byte as data");
        const int length = shortMessageLength(status);
        check(length >= 1, "status of no short message");
        check((length >= 2 || first == 0) && (length >= 3 || second == 0), "data beyond the message");
        e.shorts.push_back({status, first, second});
    };
    parser.OnSysExData = [&e](const uint8_t* data, size_t size) {
        check(size > 0, "an empty run");
        e.open.insert(e.open.end(), data, data + size);
    };
    parser.OnSysExEnd = [&e](bool complete) {
        const std::vector<uint8_t>& m = e.open;
        check(!m.empty() && m.front() == 0xF0, "SysEx without its start");
        for (size_t i = 1; i < m.size(); ++i)
            check(m[i] < 0x80 || (complete && i + 1 == m.size() && m[i] == 0xF7),
                  "status byte inside a SysEx");
        check(complete == (m.size() >= 2 && m.back() == 0xF7), "complete and its end disagree");
        e.sysex.push_back(m);
        e.complete.push_back(complete);
        e.open.clear();
    };
}

Events parse(const uint8_t* data, size_t size, uint32_t seed) {
    Events e;
    RawMidiParser parser;
    listen(parser, e);
    // Seed 0: all at once; otherwise pieces of 1 to 64 bytes.
    for (size_t at = 0; at < size;) {
        seed = seed ? seed * 1103515245u + 12345u : 0;
        const size_t n = seed ? std::min<size_t>(1 + (seed >> 16) % 64, size - at) : size;
        parser.feed(data + at, n);
        at += n;
    }
    check(parser.inSysEx() == !e.open.empty(), "SysEx state and delivered bytes disagree");
    parser.reset();
    check(!parser.inSysEx(), "reset left a SysEx open");
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Events whole = parse(data, size, 0);
    const uint32_t seed = size ? data[0] * 2654435761u + 1 : 1;
    check(parse(data, size, seed) == whole, "events depend on how the bytes arrive");

    const SysExSplit split = splitSysEx(std::span<const uint8_t>(data, size));
    if (split.error.empty()) {
        check(whole.shorts.empty() && whole.open.empty(), "a clean .syx stream gave more than SysEx");
        check(whole.sysex.size() == split.messages.size(), "parser and splitter count differently");
        for (size_t i = 0; i < whole.sysex.size(); ++i) {
            const auto& m = split.messages[i];
            check(whole.complete[i] && whole.sysex[i] == std::vector<uint8_t>(m.begin(), m.end()),
                  "parser and splitter cut differently");
        }
    }
    return 0;
}
