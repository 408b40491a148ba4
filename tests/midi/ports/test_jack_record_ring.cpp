#include "jack_record_ring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace vk350;

namespace {
using Bytes = std::vector<uint8_t>;
}

TEST(JackRecordRing, RecordsComeOutWholeInOrderAcrossTheWrap) {
    JackRecordRing ring(64); // 63 bytes usable: a 8-byte header and up to 55 bytes of payload
    ASSERT_TRUE(ring.valid());
    EXPECT_TRUE(ring.empty());
    JackRecordRing::Header h;
    EXPECT_FALSE(ring.peek(h));
    // Sizes chosen so that headers and payloads straddle the end of the memory in turn.
    const std::vector<size_t> sizes = {20, 13, 30, 1, 0, 27, 40, 5, 55, 11, 3};
    uint8_t next = 0;
    for (size_t round = 0; round < sizes.size(); ++round) {
        Bytes data(sizes[round]);
        for (uint8_t& b : data)
            b = next++;
        ASSERT_TRUE(ring.write(uint32_t(round), data.data(), data.size())) << round;
        ASSERT_TRUE(ring.peek(h));
        EXPECT_EQ(h.kind, round);
        EXPECT_EQ(h.size, data.size());
        Bytes out(h.size);
        ring.read(out.data());
        EXPECT_EQ(out, data) << round;
        EXPECT_TRUE(ring.empty());
    }
}

TEST(JackRecordRing, ARecordThatDoesNotFitIsRefusedWholeAndSkipAllEmpties) {
    JackRecordRing ring(64);
    const Bytes payload(20, 7);
    ASSERT_TRUE(ring.write(1, payload.data(), payload.size()));
    ASSERT_TRUE(ring.write(2, payload.data(), payload.size()));
    EXPECT_EQ(ring.writeSpace(), 63u - 56u);
    EXPECT_FALSE(ring.write(3, payload.data(), 1)); // 9 bytes into 7: nothing written
    EXPECT_EQ(ring.writeSpace(), 7u);
    JackRecordRing::Header h;
    ring.skip();
    ASSERT_TRUE(ring.peek(h));
    EXPECT_EQ(h.kind, 2u);
    ASSERT_TRUE(ring.write(4, payload.data(), 5));
    EXPECT_EQ(ring.skipAll(), 2u);
    EXPECT_TRUE(ring.empty());
    EXPECT_EQ(ring.writeSpace(), 63u);
}

// The callback and an ordinary thread at once, as the driver uses it: every record arrives whole
// and in order, however the two interleave (run under ThreadSanitizer, any unordered access shows).
TEST(JackRecordRing, AWriterAndAReaderOnTwoThreadsAgreeOnEveryByte) {
    JackRecordRing ring(1024);
    const uint32_t count = 20000;
    std::thread writer([&] {
        Bytes data;
        for (uint32_t n = 0; n < count; ++n) {
            data.assign(n % 300, uint8_t(n));
            while (!ring.write(n, data.data(), data.size()))
                std::this_thread::yield();
        }
    });
    Bytes out(300);
    uint32_t bad = 0;
    for (uint32_t n = 0; n < count;) {
        JackRecordRing::Header h;
        if (!ring.peek(h)) {
            std::this_thread::yield();
            continue;
        }
        ring.read(out.data());
        bad += h.kind != n || h.size != n % 300 ||
               std::count(out.begin(), out.begin() + h.size, uint8_t(n)) != h.size;
        ++n;
    }
    writer.join();
    EXPECT_EQ(bad, 0u);
    EXPECT_TRUE(ring.empty());
}
