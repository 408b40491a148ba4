// The connector: buffers in, blocks out to the displays in step with the sound, OnTrigger on
// every pass of the pump.
#include "chain_fixture.h"
#include "connector_error.h"
#include "pass_toggles.h"

#include <thread>

using namespace vk350;

namespace {

// Counts the message rounds a pass asks for.
class CountingPump : public ConnectorPump {
public:
    void wake() override { ++wakes; }
    void handleMessages() override { ++rounds; }
    bool terminating() const override { return closing; }
    int wakes = 0;
    int rounds = 0;
    bool closing = false;
};

class ConnectorTest : public ::testing::Test {
protected:
    // Format, size and the lifecycle up to running, as a device would broadcast it.
    void start(uint16_t bits = 8, uint16_t channels = 1, uint32_t rate = 22050, uint32_t size = 2048) {
        const WaveFormatEx f = pcmFormat(bits, channels, rate);
        connector_.SetPWaveFormat(&f);
        connector_.SetBufferSize(size);
        connector_.Opened();
        connector_.Started();
        dispatcher_.runPending(); // the start message
    }
    void stop() {
        connector_.Stopped();
        connector_.Closed();
    }
    // Steps time by the pump's pause and lets one pass run.
    void pass() {
        clock_.advance(QueuePump::kPauseMicros);
        dispatcher_.runPending();
    }

    ManualMicroClock clock_{1000000};
    QueueDispatcher dispatcher_{clock_};
    ConnectorHub hub_{dispatcher_};
    QueuePump pump_{dispatcher_, hub_};
    Connector connector_{hub_, clock_};
};

} // namespace

TEST_F(ConnectorTest, BlocksAreHandedOutWhenTheirAudioIsDue) {
    // 8-bit mono 22050 Hz, a 2048-byte buffer, 1024-byte blocks: the block at offset 1024 is
    // due trunc(1024 * 1e6 / 22050) = 46439 us after the buffer arrived.
    RecordingDisplay level(1024);
    connector_.SetLevel1(&level);
    start();
    const Bytes data = rampBytes(2048);
    const int64_t arrival = clock_.now();
    connector_.NewBuffer(data.data(), 2048);
    struct Step {
        int64_t at;
        size_t blocks;
    };
    for (const Step& s : {Step{0, 1}, Step{46438, 1}, Step{46439, 2}, Step{100000, 2}, Step{200000, 2}}) {
        clock_.set(arrival + s.at);
        connector_.ProcessData();
        EXPECT_EQ(level.blocks.size(), s.blocks) << "at " << s.at << " us";
    }
    ASSERT_EQ(level.blocks.size(), 2u);
    EXPECT_EQ(level.blocks[0], Bytes(data.begin(), data.begin() + 1024));
    EXPECT_EQ(level.blocks[1], Bytes(data.begin() + 1024, data.end()));
    EXPECT_EQ(connector_.RefreshCount(0), 2u);
    // Without Synchronize every block is due at once.
    connector_.SetSynchronize(false);
    clock_.set(arrival + 200000);
    connector_.NewBuffer(data.data(), 2048);
    connector_.ProcessData();
    connector_.ProcessData();
    EXPECT_EQ(level.blocks.size(), 4u);
    connector_.RemoveDisplay(&level);
}

TEST_F(ConnectorTest, GroupsInOrderAndBlocksThatDoNotFitAreSkipped) {
    std::vector<std::string> order;
    struct Named : RecordingDisplay {
        Named(uint32_t n, std::string name, std::vector<std::string>& log)
            : RecordingDisplay(n), name_(std::move(name)), log_(log) {}
        void RefreshPCMData(const uint8_t* d) override {
            log_.push_back(name_);
            RecordingDisplay::RefreshPCMData(d);
        }
        std::string name_;
        std::vector<std::string>& log_;
    };
    Named spectrogram(512, "spectrogram", order), spectrum(256, "spectrum", order),
        light(4096, "light", order), meter(700, "meter", order), level(512, "level", order);
    RecordingDisplay level2(1024); // the group's block is its largest display's
    connector_.SetSpectrogram1(&spectrogram);
    connector_.SetSpectrum3(&spectrum);
    connector_.SetLight2(&light);
    connector_.SetMeter1(&meter);
    connector_.SetLevel1(&level);
    connector_.SetLevel2(&level2);
    connector_.SetSynchronize(false);
    start();
    const Bytes data = rampBytes(2048);
    connector_.NewBuffer(data.data(), 2000); // 2000 valid bytes
    connector_.ProcessData();
    EXPECT_EQ(order, (std::vector<std::string>{"level", "meter", "spectrum", "spectrogram"}));
    for (int i = 0; i < 20; ++i)
        connector_.ProcessData();
    EXPECT_EQ(level.blocks.size(), 1u);  // 1024-byte steps: only one fits in 2000
    EXPECT_EQ(level2.blocks.size(), 1u); // and both level displays draw it
    EXPECT_EQ(meter.blocks.size(), 2u);  // 700: offsets 0 and 700
    EXPECT_EQ(light.blocks.size(), 0u);  // longer than the data
    EXPECT_EQ(spectrum.blocks.size(), 7u);
    EXPECT_EQ(spectrogram.blocks.size(), 3u);
    EXPECT_EQ(meter.blocks[1], Bytes(data.begin() + 700, data.begin() + 1400));
    // A spectrogram that accelerates moves on by a quarter block.
    spectrogram.blocks.clear();
    spectrogram.accelerate = true;
    RecordingDisplay second(1024);
    connector_.SetSpectrogram2(&second);
    connector_.NewBuffer(data.data(), 2000);
    for (int i = 0; i < 20; ++i)
        connector_.ProcessData();
    EXPECT_EQ(spectrogram.blocks.size(), 12u); // starts 0, 128, ... 1408
    EXPECT_EQ(second.blocks.size(), 1u);
    EXPECT_EQ(spectrogram.blocks[1], Bytes(data.begin() + 128, data.begin() + 640));
    for (PcmDisplay* d : std::initializer_list<PcmDisplay*>{&spectrogram, &spectrum, &light, &meter, &level,
                                                            &level2, &second})
        connector_.RemoveDisplay(d);
}

TEST_F(ConnectorTest, OnTriggerFiresOnEveryPassWithoutDisplaysUntilStopped) {
    int triggers = 0;
    connector_.OnTrigger = [&](Connector&) { ++triggers; };
    // Started, but the start message has not run: no pass yet, not even a manual one.
    const WaveFormatEx f = pcmFormat(8, 1, 22050);
    connector_.SetPWaveFormat(&f);
    connector_.Opened();
    connector_.Started();
    EXPECT_TRUE(connector_.StartedForAnalysis());
    connector_.ProcessData();
    EXPECT_EQ(triggers, 0);
    dispatcher_.runPending();
    EXPECT_TRUE(connector_.Running());
    EXPECT_EQ(hub_.runningAutoTriggers(), 1);
    for (int i = 0; i < 10; ++i)
        pass();
    EXPECT_GE(triggers, 10);
    EXPECT_LE(triggers, 11);
    stop();
    EXPECT_FALSE(connector_.Running());
    EXPECT_EQ(hub_.runningAutoTriggers(), 0);
    const int atStop = triggers;
    for (int i = 0; i < 5; ++i)
        pass();
    EXPECT_EQ(triggers, atStop);
    EXPECT_FALSE(pump_.active());
    EXPECT_EQ(dispatcher_.pending(), 0u);

    // Disabled, it neither runs nor triggers; enabled again while started, it runs again.
    start();
    connector_.SetEnabled(false);
    pass();
    pass();
    EXPECT_EQ(triggers, atStop);
    connector_.SetEnabled(true);
    dispatcher_.runPending();
    pass();
    EXPECT_GT(triggers, atStop);
    stop();
}

TEST_F(ConnectorTest, PassStructure) {
    // Each pass lets (5001 - largest Speed) rounds of messages run, one more with EnterIdle.
    CountingPump counting;
    hub_.setPump(&counting);
    Connector slow(hub_, clock_);
    struct Case {
        int speed;
        bool enterIdle;
        int rounds;
    };
    for (const Case& c : {Case{5000, false, 1}, Case{4990, false, 11}, Case{1, false, 5000},
                          Case{99999, true, 2}, Case{-3, true, 5001}}) {
        connector_.SetSpeed(c.speed);
        slow.SetSpeed(1);
        slow.SetEnterIdle(c.enterIdle);
        EXPECT_EQ(connector_.EnterIdle(), c.enterIdle); // one switch for all
        counting.rounds = 0;
        start();
        EXPECT_TRUE(hub_.Pass());
        EXPECT_EQ(counting.rounds, c.rounds) << c.speed;
        stop();
        EXPECT_FALSE(hub_.Pass());
    }
    slow.SetEnterIdle(false);
    start();
    counting.closing = true; // the application is ending: passes stop
    EXPECT_FALSE(hub_.Pass());
    stop();
    EXPECT_GE(counting.wakes, 1);
    hub_.setPump(&pump_);
}

// Connectors that join while a pass runs (a quick Stop and Play, a trigger switched back on)
// join the one chain of passes.
TEST_F(ConnectorTest, StartsDuringAPassLeaveOneChainOfPasses) {
    Connector other(hub_, clock_);
    const WaveFormatEx f = pcmFormat(8, 1, 22050);
    other.SetPWaveFormat(&f);
    other.SetAutoTrigger(false);
    other.Opened();
    other.Started();
    start();
    int passes = 0;
    ToggleDuringPasses(connector_, other, passes);
    for (int i = 0; i < 20; ++i) {
        pass();
        dispatcher_.runPending(); // the start messages posted during the pass
        EXPECT_EQ(dispatcher_.pending(), 1u) << "passes queued after pass " << i;
    }
    EXPECT_TRUE(other.Running());
    other.Stopped();
    other.Closed();
    stop();
}

TEST_F(ConnectorTest, TwinSlotsRefuseTheSameDisplay) {
    RecordingDisplay a, b;
    RecordingScope scope(256);
    struct Case {
        DisplaySlot first, second;
        bool accepted;
    };
    const Case cases[] = {
        {DisplaySlot::Level1, DisplaySlot::Level2, false},
        {DisplaySlot::Meter2, DisplaySlot::Meter1, false},
        {DisplaySlot::Light1, DisplaySlot::Light2, false},
        {DisplaySlot::Spectrogram2, DisplaySlot::Spectrogram1, false},
        {DisplaySlot::Spectrum1, DisplaySlot::Spectrum4, true},
        {DisplaySlot::Level1, DisplaySlot::Meter1, true},
    };
    for (const Case& c : cases) {
        Connector conn(hub_, clock_);
        EXPECT_TRUE(conn.SetDisplay(c.first, &a));
        EXPECT_EQ(conn.SetDisplay(c.second, &a), c.accepted);
        EXPECT_EQ(conn.Display(c.second) == &a, c.accepted);
        EXPECT_FALSE(conn.SetDisplay(c.first, &a)); // unchanged
        EXPECT_TRUE(conn.SetDisplay(c.second, &b));
        conn.RemoveDisplay(&a);
        EXPECT_EQ(conn.Display(c.first), nullptr);
        EXPECT_EQ(conn.Display(c.second), &b);
    }
    EXPECT_TRUE(connector_.SetOscope1(&scope));
    EXPECT_FALSE(connector_.SetOscope2(&scope));
    EXPECT_EQ(connector_.Oscope1(), &scope);
    connector_.RemoveDisplay(&scope);
}

TEST_F(ConnectorTest, StopEnabledAndRefreshOnStopResetTheDisplays) {
    RecordingDisplay level, spectrum;
    connector_.SetLevel1(&level);
    connector_.SetSpectrum2(&spectrum);
    start();
    stop();
    EXPECT_EQ(level.resets, 1);
    EXPECT_EQ(spectrum.resets, 1);
    connector_.SetRefreshOnStop(false);
    start();
    stop();
    EXPECT_EQ(level.resets, 1);
    start();
    connector_.SetEnabled(false);
    EXPECT_EQ(level.resets, 2);
    EXPECT_FALSE(connector_.Running());
    const Bytes data = rampBytes(2048);
    connector_.NewBuffer(data.data(), 2048); // ignored while disabled
    connector_.SetEnabled(true);
    dispatcher_.runPending();
    connector_.ProcessData();
    EXPECT_TRUE(level.blocks.empty());
    stop();
    connector_.RemoveDisplay(&level);
    connector_.RemoveDisplay(&spectrum);
}

TEST_F(ConnectorTest, PauseShowsDecayingSilence) {
    struct Case {
        uint32_t size;
        uint16_t bits;
        uint32_t period; // ms
        uint8_t silence;
    };
    for (const Case& c :
         {Case{2048, 8, 92, 0x80}, Case{8192, 16, 25, 0}, Case{8191, 8, 371, 0x80}, Case{16, 8, 1, 0x80}}) {
        RecordingDisplay level(16);
        connector_.SetLevel1(&level);
        connector_.SetSynchronize(false);
        start(c.bits, 1, 22050, c.size);
        const Bytes data = rampBytes(c.size);
        connector_.NewBuffer(data.data(), c.size);
        connector_.Paused();
        EXPECT_EQ(connector_.PausedTimerPeriod(), c.period);
        EXPECT_EQ(connector_.SilenceValue(), c.silence);
        connector_.ProcessData();
        ASSERT_EQ(level.blocks.size(), 1u);
        EXPECT_EQ(level.blocks[0], Bytes(16, c.silence)) << "the paused buffer is silence";
        connector_.NewBuffer(data.data(), c.size); // no new audio while paused
        connector_.PausedTick();
        connector_.ProcessData();
        EXPECT_EQ(level.blocks.size(), 2u) << "each tick starts the silent buffer again";
        EXPECT_EQ(level.blocks[1], Bytes(16, c.silence));
        connector_.Restarted();
        EXPECT_EQ(connector_.PausedTimerPeriod(), 0u);
        stop();
        connector_.RemoveDisplay(&level);
    }
    // The real timer ticks by itself.
    RecordingDisplay level(16);
    connector_.SetLevel1(&level);
    start(8, 1, 22050, 16);
    connector_.Paused();
    for (int i = 0; i < 500 && level.blocks.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        connector_.ProcessData();
    }
    EXPECT_GE(level.blocks.size(), 2u);
    stop();
    connector_.RemoveDisplay(&level);
}

TEST_F(ConnectorTest, ManualTriggerAndDeliveringThread) {
    int triggers = 0;
    connector_.OnTrigger = [&](Connector&) { ++triggers; };
    connector_.Trigger(); // AutoTrigger: nothing
    connector_.SetAutoTrigger(false);
    connector_.Trigger(); // not running
    EXPECT_EQ(triggers, 0);
    start();
    EXPECT_EQ(hub_.runningAutoTriggers(), 0);
    connector_.Trigger(); // on the window thread: at once
    EXPECT_EQ(triggers, 1);
    std::thread other([&] {
        connector_.Trigger();
        connector_.Trigger(); // one request at a time
    });
    other.join();
    EXPECT_EQ(triggers, 1);
    dispatcher_.runPending();
    EXPECT_EQ(triggers, 2);
    connector_.SetAutoTrigger(true);
    EXPECT_EQ(hub_.runningAutoTriggers(), 1);
    stop();

    // Without RealTime, each buffer is processed where it arrives, and the setting is fixed
    // while the chain is open.
    connector_.SetRealTime(false);
    RecordingDisplay level(512);
    connector_.SetLevel1(&level);
    start();
    EXPECT_FALSE(connector_.Running());
    try {
        connector_.SetRealTime(true);
        ADD_FAILURE() << "no error";
    } catch (const ConnectorError& e) {
        EXPECT_STREQ(e.what(), "Change to property while device was open");
    }
    const Bytes data = rampBytes(2048);
    std::thread deliver([&] { connector_.NewBuffer(data.data(), 2048); });
    deliver.join();
    EXPECT_EQ(level.blocks.size(), 1u);
    EXPECT_EQ(triggers, 3);
    stop();
    connector_.RemoveDisplay(&level);
}

TEST_F(ConnectorTest, BufferReadyTakesTheAudibleBufferAndClampsToTheBufferSize) {
    RecordingDisplay level(1024);
    connector_.SetLevel1(&level);
    connector_.SetSynchronize(false);
    start(8, 1, 22050, 1024);
    Bytes played(4096, 1), audible(4096, 2);
    ChainBuffer p, a;
    p.lpData = played.data();
    a.lpData = audible.data();
    p.dwCapacity = a.dwCapacity = 4096;
    p.dwBytesRecorded = a.dwBytesRecorded = 4096;
    p.lpSyncHdr = &a;
    struct Case {
        bool synchronize;
        uint32_t playedBytes;
        uint8_t expected;
    };
    for (const Case& c : {Case{true, 4096, 2}, Case{false, 4096, 1}, Case{true, 0, 1}}) {
        connector_.SetSynchronize(c.synchronize);
        p.dwBytesRecorded = c.playedBytes;
        level.blocks.clear();
        played.assign(4096, 1);
        connector_.BufferReady(&p);
        clock_.advance(1000000);
        connector_.ProcessData();
        if (c.playedBytes == 0) {
            EXPECT_TRUE(level.blocks.empty());
            continue;
        }
        ASSERT_EQ(level.blocks.size(), 1u); // 4096 bytes offered, one 1024-byte buffer kept
        EXPECT_EQ(level.blocks[0], Bytes(1024, c.expected));
    }
    int16_t first = 0, second = 0;
    connector_.NewBuffer(audible.data(), 1024);
    connector_.GetPeak(first, second);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 2);
    stop();
    connector_.GetPeak(first, second);
    EXPECT_EQ(first, 0x80);
    EXPECT_EQ(second, 0x80);
    connector_.RemoveDisplay(&level);
}

TEST_F(ConnectorTest, OscilloscopesTriggerOnAFlankAndScrollByTheirOwnStep) {
    // Below the zero line for 300 bytes, then above: an up flank at 300, none downwards.
    Bytes data(2048, 100);
    std::fill(data.begin() + 300, data.end(), uint8_t(200));
    struct Case {
        TriggerKind mode;
        bool scroll, accelerate;
        size_t blocks;  // from one buffer
        uint32_t first; // offset of the first block
        uint32_t step;  // between blocks
    };
    const Case cases[] = {
        {tmNone, false, false, 8, 0, 256},      {tmUpFlank, false, false, 6, 300, 256}, // 300, 556, ... 1580
        {tmDownFlank, false, false, 8, 0, 256}, // no such flank: the blocks stay where they were
        {tmNone, true, true, 29, 0, 64},        // FFT length 256 / 4 x 1 byte x mono
        {tmNone, true, false, 8, 0, 256},       // scrolling alone keeps whole blocks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.scroll << c.accelerate);
        RecordingScope scope(256);
        scope.scroll = c.scroll;
        scope.accelerate = c.accelerate;
        connector_.SetOscope2(&scope); // the second slot alone
        connector_.SetTriggerMode(c.mode);
        connector_.SetSynchronize(false);
        start();
        connector_.NewBuffer(data.data(), 2048);
        for (int i = 0; i < 40; ++i)
            connector_.ProcessData();
        ASSERT_EQ(scope.blocks.size(), c.blocks);
        EXPECT_EQ(scope.blocks[0], Bytes(data.begin() + c.first, data.begin() + c.first + 256));
        EXPECT_EQ(scope.blocks[1],
                  Bytes(data.begin() + c.first + c.step, data.begin() + c.first + c.step + 256));
        stop();
        connector_.RemoveDisplay(&scope);
    }
}

// At the display's pace a pass comes every 16.7 ms, longer than a block lasts: each pass hands
// out every block that fell due since the last, in order, never one early, so the displays see
// what they see at a millisecond's pace.
TEST_F(ConnectorTest, AtTheDisplaysPaceEveryBlockIsHandedOutInTurnWhenDue) {
    struct Stamped : RecordingDisplay {
        Stamped(uint32_t n, const ManualMicroClock& c) : RecordingDisplay(n), clock(c) {}
        void RefreshPCMData(const uint8_t* d) override {
            at.push_back(clock.now());
            RecordingDisplay::RefreshPCMData(d);
        }
        const ManualMicroClock& clock;
        std::vector<int64_t> at;
    };
    const Bytes data = rampBytes(2048);
    struct Case {
        int64_t pace;
        uint32_t block;
        bool accelerate; // a spectrogram's quarter steps
        size_t blocks;
    };
    for (const Case& c : {Case{1000, 256, false, 8}, Case{16667, 256, false, 8}, Case{16667, 512, true, 13},
                          Case{16667, 100, false, 20}}) {
        SCOPED_TRACE(::testing::Message() << c.pace << " us, " << c.block << "-byte blocks");
        Stamped shown(c.block, clock_);
        shown.accelerate = c.accelerate;
        if (c.accelerate)
            connector_.SetSpectrogram1(&shown);
        else
            connector_.SetLevel1(&shown);
        pump_.setPauseMicros(c.pace);
        int triggers = 0;
        connector_.OnTrigger = [&](Connector&) { ++triggers; };
        start();
        const int64_t arrival = clock_.now();
        connector_.NewBuffer(data.data(), 2048);
        while (clock_.now() - arrival < 150000) {
            clock_.advance(c.pace);
            dispatcher_.runPending();
        }
        ASSERT_EQ(shown.blocks.size(), c.blocks);
        const uint32_t step = c.accelerate ? c.block / 4 : c.block;
        for (size_t i = 0; i < shown.blocks.size(); ++i) {
            const uint32_t start = uint32_t(i) * step;
            EXPECT_EQ(shown.blocks[i], Bytes(data.begin() + start, data.begin() + start + c.block)) << i;
            const int64_t due = int64_t(uint64_t(start) * 1000000 / 22050);
            EXPECT_GE(shown.at[i] - arrival, due) << i;
            EXPECT_LE(shown.at[i] - arrival, due + c.pace) << i;
        }
        EXPECT_NEAR(triggers, 150000 / c.pace, 2);
        stop();
        connector_.OnTrigger = nullptr;
        connector_.RemoveDisplay(&shown);
    }
}
