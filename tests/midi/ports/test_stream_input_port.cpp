#include "stream_input_port.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

// A driver-less input port: the test plays the reader thread.
class TestPort : public StreamInputPort {
public:
    using StreamInputPort::StreamInputPort;
    int close() override { return kMidiOk; }
    void wire(const Bytes& b) { receive(b.data(), b.size()); }
    using StreamInputPort::interrupt;
};

struct Buffers {
    std::vector<Bytes> memory;
    std::vector<MidiBuffer> headers;
    explicit Buffers(size_t count, size_t size) : memory(count, Bytes(size)), headers(count) {
        for (size_t i = 0; i < count; ++i)
            headers[i] = {memory[i].data(), static_cast<uint32_t>(size), 0};
    }
};

} // namespace

TEST(StreamInputPort, FillsBuffersInOrderAndDropsWhatFindsNoRoom) {
    std::vector<Bytes> delivered;
    std::vector<MidiBuffer*> returned;
    TestPort port({nullptr, [&](MidiBuffer& b) {
                       delivered.emplace_back(b.data, b.data + b.bytesRecorded);
                       returned.push_back(&b);
                   }});
    Buffers buffers(2, 4);
    for (auto& h : buffers.headers)
        EXPECT_EQ(port.addBuffer(h), kMidiOk);
    MidiBuffer empty{};
    EXPECT_EQ(port.addBuffer(empty), kMidiInvalidParam);

    port.wire({0xF0, 0x01, 0xF7}); // not started yet: nothing is taken
    EXPECT_TRUE(delivered.empty());
    port.start();
    // Six bytes: a full buffer, then two bytes in the next; then no buffer is left.
    port.wire({0xF0, 0x01, 0x02, 0x03, 0x04, 0xF7, 0xF0, 0x05, 0xF7});
    EXPECT_EQ(delivered, (std::vector<Bytes>{{0xF0, 0x01, 0x02, 0x03}, {0x04, 0xF7}}));
    EXPECT_EQ(returned[0], &buffers.headers[0]);
    EXPECT_EQ(port.droppedBytes(), 3u);

    // Handed back, a buffer serves again from its start.
    port.addBuffer(buffers.headers[1]);
    port.wire({0xF0, 0x06});
    EXPECT_EQ(delivered.size(), 2u); // still arriving
    port.stop();                     // a partly filled buffer comes back on stop
    EXPECT_EQ(delivered.back(), (Bytes{0xF0, 0x06}));
}

TEST(StreamInputPort, ResetReturnsEveryQueuedBuffer) {
    std::vector<uint32_t> counts;
    TestPort port({nullptr, [&](MidiBuffer& b) { counts.push_back(b.bytesRecorded); }});
    Buffers buffers(3, 100);
    for (auto& h : buffers.headers)
        port.addBuffer(h);
    port.start();
    port.wire({0xF0, 0x01, 0x02}); // one message half in
    port.reset();
    EXPECT_EQ(counts, (std::vector<uint32_t>{3, 0, 0}));
    port.wire({0xF0, 0x01, 0xF7}); // stopped by the reset
    EXPECT_EQ(counts.size(), 3u);
}

TEST(StreamInputPort, ALossEndsTheMessageUnderWaySoNothingIsSplicedOntoIt) {
    std::vector<Bytes> delivered;
    std::vector<Bytes> shorts;
    TestPort port({[&](uint8_t s, uint8_t a, uint8_t b) {
                       shorts.push_back({s, a, b});
                   },
                   [&](MidiBuffer& b) { delivered.emplace_back(b.data, b.data + b.bytesRecorded); }});
    Buffers buffers(3, 100);
    for (auto& h : buffers.headers)
        port.addBuffer(h);
    port.interrupt(5); // not started: counted, nothing delivered
    EXPECT_TRUE(delivered.empty());
    port.start();
    port.wire({0xF0, 0x01, 0x02});
    port.interrupt(40);
    // The rest of the lost message is data without a start, and running status is gone too.
    port.wire({0x03, 0x04, 0xF7, 0x90, 0x3C, 0x40, 0x3D, 0x40});
    port.interrupt(0);
    port.wire({0xF0, 0x05, 0xF7});
    EXPECT_EQ(delivered, (std::vector<Bytes>{{0xF0, 0x01, 0x02}, {0xF0, 0x05, 0xF7}}));
    EXPECT_EQ(shorts, (std::vector<Bytes>{{0x90, 0x3C, 0x40}, {0x90, 0x3D, 0x40}}));
    EXPECT_EQ(port.droppedBytes(), 45u);
}
