#include "raw_midi_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vk350;

namespace {

// Records what the parser raises as one readable trace.
struct Trace {
    RawMidiParser parser;
    std::vector<std::string> events;
    std::vector<uint8_t> sysex;

    Trace() {
        parser.OnShort = [this](uint8_t s, uint8_t a, uint8_t b) {
            char text[32];
            std::snprintf(text, sizeof text, "short %02X %02X %02X", s, a, b);
            events.emplace_back(text);
        };
        parser.OnSysExData = [this](const uint8_t* p, size_t n) { sysex.insert(sysex.end(), p, p + n); };
        parser.OnSysExEnd = [this](bool complete) {
            events.push_back(std::string(complete ? "sysex " : "cut sysex ") + std::to_string(sysex.size()));
        };
    }

    void feed(std::vector<uint8_t> bytes, bool byteByByte = false) {
        if (!byteByByte) {
            parser.feed(bytes.data(), bytes.size());
            return;
        }
        for (uint8_t b : bytes)
            parser.feed(&b, 1);
    }
};

} // namespace

TEST(RawMidiParser, RunningStatusForChannelMessages) {
    for (bool byteByByte : {false, true}) {
        Trace t;
        // Two note-ons under one status, then two program changes (one data byte each).
        t.feed({0x90, 0x3C, 0x40, 0x3E, 0x41, 0xC5, 0x07, 0x08}, byteByByte);
        EXPECT_EQ(t.events, (std::vector<std::string>{"short 90 3C 40", "short 90 3E 41", "short C5 07 00",
                                                      "short C5 08 00"}))
            << byteByByte;
    }

    Trace t;
    // A real-time byte between status and data changes nothing; a system common message ends the
    // running status, so the data bytes after it are noise.
    t.feed({0x90, 0x3C, 0xF8, 0x40, 0xF2, 0x01, 0x02, 0x3E, 0x41, 0x05, 0xB0, 0x07, 0x64});
    EXPECT_EQ(t.events, (std::vector<std::string>{"short F8 00 00", "short 90 3C 40", "short F2 01 02",
                                                  "short B0 07 64"}));
}

TEST(RawMidiParser, RealTimeBytesInsideASysExPassWithoutBreakingIt) {
    for (bool byteByByte : {false, true}) {
        Trace t;
        t.feed({0xF0, 0x2A, 0x03, 0xF8, 0x01, 0xFE, 0x04, 0xF7}, byteByByte);
        EXPECT_EQ(t.events, (std::vector<std::string>{"short F8 00 00", "short FE 00 00", "sysex 6"}));
        EXPECT_EQ(t.sysex, (std::vector<uint8_t>{0xF0, 0x2A, 0x03, 0x01, 0x04, 0xF7}));
        EXPECT_FALSE(t.parser.inSysEx());
    }
}

TEST(RawMidiParser, AStatusByteCutsASysExShort) {
    Trace t;
    t.feed({0xF0, 0x2A, 0x03, 0x90, 0x3C, 0x40});
    EXPECT_EQ(t.events, (std::vector<std::string>{"cut sysex 3", "short 90 3C 40"}));
    EXPECT_EQ(t.sysex, (std::vector<uint8_t>{0xF0, 0x2A, 0x03}));

    // A new F0 also ends the one before; a stray F7 outside any SysEx is dropped.
    Trace u;
    u.feed({0xF0, 0x01, 0xF0, 0x02, 0xF7, 0xF7, 0x12});
    EXPECT_EQ(u.events, (std::vector<std::string>{"cut sysex 2", "sysex 5"}));
    EXPECT_EQ(u.sysex, (std::vector<uint8_t>{0xF0, 0x01, 0xF0, 0x02, 0xF7}));
}

TEST(RawMidiParser, ShortMessageLengths) {
    EXPECT_EQ(shortMessageLength(0x90), 3);
    EXPECT_EQ(shortMessageLength(0xCF), 2);
    EXPECT_EQ(shortMessageLength(0xD3), 2);
    EXPECT_EQ(shortMessageLength(0xE0), 3);
    EXPECT_EQ(shortMessageLength(0xF2), 3);
    EXPECT_EQ(shortMessageLength(0xF3), 2);
    EXPECT_EQ(shortMessageLength(0xF8), 1);
    EXPECT_EQ(shortMessageLength(0xF0), 0);
    EXPECT_EQ(shortMessageLength(0xF7), 0);
    EXPECT_EQ(shortMessageLength(0x40), 0);
}
