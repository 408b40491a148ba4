// The wave file as the head of a chain: what each buffer load delivers, looped or not.
#include "chain_fixture.h"

using namespace vk350;

namespace {

class WaveFileSource : public WaveTest {
protected:
    void bind(const Bytes& data, uint16_t bits = 8, uint16_t channels = 1) {
        writeFile("src.wav", pcmWave(bits, channels, 22050, data));
        file_.Wave().SetFileName(path("src.wav"));
        file_.Opened();
        file_.Started();
    }

    struct Load {
        Bytes bytes;
        bool more;
        bool wrapped;
    };

    // One load as the wave out makes it.
    Load load(uint32_t size, bool looping = false, int32_t count = 0) {
        std::vector<uint8_t> data(size + 16, 0xEE);
        ChainBuffer h;
        h.lpData = data.data();
        h.dwCapacity = size;
        h.dwBufferLength = size;
        if (looping)
            h.LoopRec = {-1, count, remaining_, 0};
        bool more = false;
        file_.BufferLoad(&h, more);
        if (looping)
            remaining_ = h.LoopRec.dwLoopsRemaining;
        // Nothing is written past the header's own allocation.
        EXPECT_EQ(Bytes(data.begin() + size, data.end()), Bytes(16, 0xEE));
        return {Bytes(data.begin(), data.begin() + h.dwBytesRecorded), more, h.LoopRec.dwLoopWrap != 0};
    }

    WaveSource file_;
    int32_t remaining_ = 0;
};

Bytes repeat(const Bytes& b, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

TEST_F(WaveFileSource, LoopingDeliversTheSampleExactlyAndNeverAcrossItsEnd) {
    struct Case {
        uint32_t length, buffer;
        int32_t loopCount; // 0: endless
        int plays;         // expected passes (endless: how many to look at)
    };
    const Case cases[] = {
        {1000, 256, 1, 2},  {1000, 256, 3, 4}, {1024, 256, 2, 3}, {100, 2048, 4, 5},
        {1000, 1000, 1, 2}, {1000, 256, 0, 6}, {7, 2, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.length << " bytes in " << c.buffer << "-byte buffers, count " << c.loopCount);
        const Bytes sample = rampBytes(c.length);
        bind(sample);
        remaining_ = c.loopCount;
        int looped = 0;
        file_.OnLooping = [&](WaveSource&) { ++looped; };
        Bytes all;
        uint32_t inPass = 0; // bytes of the current pass delivered so far
        int wraps = 0;
        for (int guard = 0; guard < 10000; ++guard) {
            const Load l = load(c.buffer, true, c.loopCount);
            all.insert(all.end(), l.bytes.begin(), l.bytes.end());
            inPass += uint32_t(l.bytes.size());
            ASSERT_LE(inPass, c.length) << "a buffer held the end and the start";
            if (inPass == c.length) {
                inPass = 0;
                EXPECT_EQ(l.wrapped, l.more) << "the buffer that ends a pass carries the wrap marker";
                wraps += l.wrapped;
            } else {
                EXPECT_FALSE(l.wrapped);
                EXPECT_EQ(l.bytes.size(), c.buffer);
            }
            if (!l.more || (c.loopCount == 0 && wraps == c.plays))
                break;
        }
        if (c.loopCount == 0) {
            EXPECT_EQ(all, repeat(sample, c.plays));
        } else {
            EXPECT_EQ(all, repeat(sample, c.plays));
            EXPECT_EQ(remaining_, -1);
            // Played out: the next load delivers nothing and asks for no more.
            const Load after = load(c.buffer, true, c.loopCount);
            EXPECT_TRUE(after.bytes.empty());
            EXPECT_FALSE(after.more);
        }
        EXPECT_EQ(looped, wraps);
        file_.Closed();
    }
}

TEST_F(WaveFileSource, OneShotEndsWithAShortBuffer) {
    const Bytes sample = rampBytes(1000);
    bind(sample);
    Load l = load(400);
    EXPECT_TRUE(l.more);
    EXPECT_EQ(l.bytes, Bytes(sample.begin(), sample.begin() + 400));
    load(400);
    l = load(400);
    EXPECT_EQ(l.bytes.size(), 200u);
    EXPECT_FALSE(l.more);
    EXPECT_FALSE(l.wrapped);
    l = load(400);
    EXPECT_TRUE(l.bytes.empty());
    EXPECT_FALSE(l.more);
}

TEST_F(WaveFileSource, SilenceWhileNotStartedOrDisabled) {
    for (const auto& [bits, channels, silence] : {std::tuple{8, 1, 0x80}, std::tuple{16, 2, 0x00}}) {
        SCOPED_TRACE(bits);
        const std::string name = "s" + std::to_string(bits) + ".wav";
        writeFile(name, pcmWave(uint16_t(bits), uint16_t(channels), 22050, rampBytes(64)));
        file_.Wave().SetFileName(path(name));
        EXPECT_EQ(file_.SilenceValue(), silence);
        file_.Opened(); // opened, not started
        Load l = load(100);
        EXPECT_EQ(l.bytes, Bytes(100, uint8_t(silence)));
        EXPECT_TRUE(l.more);
        file_.Started();
        file_.SetEnabled(false);
        l = load(100);
        EXPECT_EQ(l.bytes, Bytes(100, uint8_t(silence)));
        EXPECT_TRUE(l.more);
        file_.SetEnabled(true);
        l = load(100);
        EXPECT_EQ(l.bytes, rampBytes(64));
        file_.Stopped();
        file_.Closed();
    }
    // Without a wave there is nothing at all, not even silence.
    file_.Wave().FreeWave();
    file_.Opened();
    const Load none = load(100);
    EXPECT_TRUE(none.bytes.empty());
    EXPECT_FALSE(none.more);
}

TEST_F(WaveFileSource, EachRunStartsWhereTheWaveStoodAtOpen) {
    const Bytes sample = rampBytes(300);
    bind(sample);
    int opens = 0, closes = 0;
    file_.OnOpen = [&](WaveSource&) { ++opens; };
    file_.OnClose = [&](WaveSource&) { ++closes; };
    load(100);
    file_.Stopped();
    file_.Started();
    EXPECT_EQ(load(100).bytes, Bytes(sample.begin(), sample.begin() + 100));
    file_.Closed();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(file_.Wave().IsOpen());
    file_.Opened();
    EXPECT_EQ(opens, 1);
    EXPECT_TRUE(file_.Wave().IsOpen());
    // A run that played to the end leaves the next one to start from the beginning.
    file_.Started();
    while (!load(128).bytes.empty()) {
    }
    file_.Stopped();
    file_.Closed();
    file_.Opened();
    file_.Started();
    EXPECT_EQ(load(100).bytes, Bytes(sample.begin(), sample.begin() + 100));
}
