// The wave output over the virtual device: what reaches the device, the state machine and its
// events, positions, limits and the exact error texts.
#include "buffer_gate.h"
#include "chain_fixture.h"
#include "user_notices.h"
#include "wave_device_factory.h"
#include "wave_error.h"
#include "wave_out_functions.h"
#include "wave_player_error.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

using namespace vk350;

namespace {

class WaveOut : public PlaybackRig {
protected:
    // The text of the WavePlayerError that f raises, "" when none.
    template <class F> static std::string errorOf(F f) {
        try {
            f();
        } catch (const WavePlayerError& e) {
            return e.what();
        }
        return "";
    }
    Bytes repeat(const Bytes& b, int times) {
        Bytes out;
        for (int i = 0; i < times; ++i)
            out.insert(out.end(), b.begin(), b.end());
        return out;
    }
};

// A source that claims more bytes than it was given room for.
class Boaster : public DspComponent {
public:
    void BufferLoad(ChainBuffer* h, bool& more) override {
        std::fill_n(h->lpData, std::min(h->dwBufferLength, h->dwCapacity), uint8_t(0x55));
        h->dwBytesRecorded = 1000000;
        more = ++loads < 3;
    }
    int loads = 0;
};

// An endless source whose loads on another thread than its maker's wait at a gate.
class GatedSource : public DspComponent {
public:
    void BufferLoad(ChainBuffer* h, bool& more) override {
        if (std::this_thread::get_id() != maker_)
            gate.pass();
        h->dwBytesRecorded = std::min(h->dwBufferLength, h->dwCapacity);
        std::fill_n(h->lpData, h->dwBytesRecorded, uint8_t(0x40));
        more = true;
        ++loads;
    }
    BufferGate gate;
    std::atomic<int> loads{0};

private:
    const std::thread::id maker_ = std::this_thread::get_id();
};

} // namespace

TEST_F(WaveOut, PlaysEveryByteOnceAndStopsByItself) {
    struct Case {
        size_t bytes;
        uint16_t bits, channels;
        uint32_t rate;
        int buffers;
        uint32_t size;
    };
    const Case cases[] = {
        {5000, 8, 1, 22050, 10, 2048}, {100, 8, 1, 22050, 10, 2048},  {60000, 16, 2, 44100, 4, 4096},
        {4096, 8, 1, 8000, 2, 2048},   {9999, 16, 1, 11025, 3, 1000}, {40000, 8, 2, 22050, 500, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes << " bytes " << c.bits << "/" << c.channels << " in "
                                        << c.buffers << " x " << c.size);
        device_.clearPlayed();
        events_.clear();
        out_.SetNumBuffers(c.buffers);
        out_.SetBufferSize(c.size);
        const Bytes data = rampBytes(c.bytes);
        load(data, c.bits, c.channels, c.rate);
        int ready = 0;
        int filled = 0;
        out_.OnBufferReady = [&](DspComponent&, ChainBuffer*) {
            ++ready;
            events_.push_back("ready");
        };
        out_.OnBufferFilled = [&](DspComponent&, ChainBuffer* h) {
            ++filled;
            EXPECT_GT(h->dwBytesRecorded, 0u);
            EXPECT_EQ(h->dwFlags & WHDR_INQUEUE, 0u) << "fired before the header is queued";
        };
        out_.Start();
        ASSERT_TRUE(playToEnd());
        const Bytes whole = Bytes(data.begin(), data.begin() + data.size() / (c.bits / 8 * c.channels) *
                                                                   (c.bits / 8 * c.channels));
        EXPECT_EQ(device_.played(), whole);
        EXPECT_EQ(out_.BytesPlayed(), whole.size());
        // OnStop once, after the last buffer went down the chain.
        ASSERT_GE(events_.size(), 3u);
        EXPECT_EQ(events_.back(), "stop");
        EXPECT_EQ(events_[events_.size() - 2], "ready");
        EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 1);
        const uint32_t buffer = out_.GetBufferSize();
        EXPECT_EQ(ready, int((whole.size() + buffer - 1) / buffer));
        EXPECT_EQ(filled, ready);
        EXPECT_TRUE(out_.IsOpen()); // stopping leaves it open; the owner closes
        out_.Close();
        EXPECT_EQ(events_.back(), "close");
        EXPECT_EQ(device_.openOutputs(), 0);
        out_.OnBufferReady = nullptr;
        out_.OnBufferFilled = nullptr;
    }
}

TEST_F(WaveOut, BusyCursorWhileALargeStartFillsItsBuffers) {
    struct Case {
        bool show;
        int buffers;
        uint32_t size;
        std::vector<bool> expected;
    };
    const Case cases[] = {
        {true, 10, 2048, {}},            // 20480 bytes: quick
        {true, 48, 2048, {}},            // 98304 bytes: not above 100000
        {true, 49, 2048, {true, false}}, // 100352 bytes
        {false, 100, 2048, {}},
    };
    std::vector<bool> seen;
    setBusyCursorHandler([&](bool busy) { seen.push_back(busy); });
    for (const Case& c : cases) {
        seen.clear();
        load(rampBytes(1000));
        out_.SetShowHourGlass(c.show);
        out_.SetNumBuffers(c.buffers);
        out_.SetBufferSize(c.size);
        out_.Start();
        EXPECT_EQ(seen, c.expected) << c.buffers << " x " << c.size;
        out_.Stop();
        out_.Close();
    }
    setBusyCursorHandler(nullptr);
}

TEST_F(WaveOut, LoopsDeliverTheSampleTheRightNumberOfTimes) {
    for (FIX_BUFFERS = true;; FIX_BUFFERS = false) {
        for (const auto& [length, count] : {std::pair{5000, 2}, std::pair{2048, 1}, std::pair{300, 4}}) {
            SCOPED_TRACE(testing::Message()
                         << length << " bytes, count " << count << ", fixed " << FIX_BUFFERS);
            device_.clearPlayed();
            events_.clear();
            const Bytes data = rampBytes(size_t(length));
            load(data);
            out_.SetLooping(true);
            out_.SetLoopCount(uint16_t(count));
            out_.Start();
            ASSERT_TRUE(playToEnd());
            EXPECT_EQ(device_.played(), repeat(data, count + 1));
            EXPECT_EQ(std::count(events_.begin(), events_.end(), "looping"), count);
            out_.Close();
        }
        if (!FIX_BUFFERS)
            break;
    }
    FIX_BUFFERS = true;

    // Endless: plays on until stopped, the sample whole each time round.
    device_.clearPlayed();
    events_.clear();
    const Bytes data = rampBytes(3000);
    load(data);
    out_.SetLoopCount(0);
    out_.Start();
    for (int i = 0; i < 2000; ++i)
        step(1000);
    EXPECT_TRUE(out_.IsPlaying());
    out_.Stop();
    const Bytes played = device_.played();
    EXPECT_GT(played.size(), 40000u); // two seconds at 22050
    const Bytes looped = repeat(data, 20);
    ASSERT_LE(played.size(), looped.size());
    EXPECT_EQ(played, Bytes(looped.begin(), looped.begin() + long(played.size())));
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 1);
    EXPECT_EQ(out_.QueuedBuffers(), 0);
    // The posted buffer notices of the stopped run change nothing.
    for (int i = 0; i < 10; ++i)
        step(1000);
    EXPECT_EQ(device_.played(), played);
    out_.SetLooping(false);
    out_.Close();
}

// Looping for a minute keeps nothing in a device that was not asked to record: the editor's
// endless loop over the virtual device must not grow its memory by the byte rate.
TEST_F(WaveOut, ADeviceNotRecordingKeepsNothingOfAnEndlessLoop) {
    device_.setRecording(false);
    load(rampBytes(3000));
    out_.SetLooping(true);
    out_.SetLoopCount(0);
    out_.Start();
    for (int i = 0; i < 600; ++i)
        step(100000);
    EXPECT_TRUE(out_.IsPlaying());
    EXPECT_GE(events_.size(), 400u) << "it went round its loop all the while";
    EXPECT_TRUE(device_.played().empty());
    device_.setRecording(true);
    step(100000);
    EXPECT_EQ(device_.played().size(), 2205u) << "asked again, it keeps what follows";
    out_.Close();
}

TEST_F(WaveOut, StateMachineAndEvents) {
    load(rampBytes(20000));
    out_.Pause(); // a closed device opens, paused
    EXPECT_EQ(events_, (std::vector<std::string>{"open", "pause"}));
    out_.Start(); // starts paused: nothing plays until restarted
    EXPECT_TRUE(out_.IsPlaying());
    EXPECT_EQ(out_.QueuedBuffers(), 10);
    step(100000);
    EXPECT_TRUE(device_.played().empty());
    EXPECT_EQ(out_.GetPosition(), 0);
    out_.Restart();
    step(10000);
    EXPECT_EQ(device_.played().size(), 220u);
    out_.Pause();
    step(100000);
    EXPECT_EQ(device_.played().size(), 220u);
    EXPECT_EQ(out_.GetPosition(), 220);
    out_.Pause(); // already paused
    out_.Restart();
    out_.Restart(); // not paused
    step(10000);
    EXPECT_EQ(device_.played().size(), 441u); // the half byte of the first ten ms is heard now
    out_.Start();                             // already started
    out_.Stop();
    EXPECT_FALSE(out_.IsPlaying());
    EXPECT_EQ(out_.QueuedBuffers(), 0);
    EXPECT_EQ(out_.FinalPosition(), 441);
    out_.Stop(); // already stopped
    out_.Close();
    out_.Close();
    EXPECT_EQ(events_, (std::vector<std::string>{"open", "pause", "start", "restart", "pause", "restart",
                                                 "stop", "close"}));
    // Each Play goes through Open again.
    events_.clear();
    out_.Start();
    out_.Stop();
    out_.Close();
    EXPECT_EQ(events_, (std::vector<std::string>{"open", "start", "stop", "close"}));
}

TEST_F(WaveOut, PositionInEachTimeFormat) {
    load(rampBytes(80000), 16, 2, 44100);
    out_.SetBufferSize(8192);
    out_.Start();
    step(100000); // a tenth of a second: 4410 frames
    struct Case {
        TimeUnit format;
        int64_t expected;
    };
    for (const Case& c : {Case{tfSample, 4410}, Case{tfByte, 17640}, Case{tfMillisecond, 100}}) {
        out_.SetTimeFormat(c.format);
        EXPECT_EQ(out_.GetPosition(), c.expected);
    }
    // A device that wakes only when a buffer ends still tells where the sound is in between.
    clock_.advance(50000);
    EXPECT_EQ(out_.GetPosition(), 150);
    out_.Stop();
    out_.Close();
    EXPECT_EQ(out_.GetPosition(), 0); // closed
}

TEST_F(WaveOut, PositionCountsOnAcrossACounterWrap) {
    // 8-bit mono 128000 Hz: a 2048-byte buffer lasts 16 ms, and the device's counter wraps
    // after 2^20 frames (8.192 s).
    device_.setPositionModulus(uint64_t(1) << 20);
    load(rampBytes(1200000), 8, 1, 128000);
    out_.SetTimeFormat(tfSample);
    out_.Start();
    bool wrapped = false;
    for (int i = 0; i < 580 && out_.IsPlaying(); ++i) {
        step(16000);
        const int64_t played = int64_t(device_.played().size());
        const int64_t position = out_.GetPosition();
        wrapped = wrapped || played >= (int64_t(1) << 20);
        // Each wrap adds the counter's span: the low 20 bits set, one short of 2^20.
        EXPECT_NEAR(double(position), double(played), 1.0) << "step " << i;
    }
    EXPECT_TRUE(wrapped);
    out_.Stop();
    out_.Close();
}

TEST_F(WaveOut, LoopStartResetsThePosition) {
    load(rampBytes(4410)); // 0.2 s at 22050
    out_.SetTimeFormat(tfSample);
    out_.SetLooping(true);
    out_.Start();
    int64_t highest = 0;
    bool backToStart = false;
    for (int i = 0; i < 300; ++i) {
        step(1000);
        const int64_t p = out_.GetPosition();
        backToStart = backToStart || (highest > 4000 && p < 1000);
        highest = std::max(highest, p);
    }
    EXPECT_TRUE(backToStart);
    EXPECT_LE(highest, 4410 + 2048);
    out_.Stop();
    out_.SetLooping(false);
    out_.Close();
}

TEST_F(WaveOut, PropertyLimits) {
    struct Case {
        const char* name;
        std::function<void()> set;
        std::function<int64_t()> get;
        int64_t expected;
    };
    device_.setDeviceCount(2);
    WavePlayer two(device_, dispatcher_);
    const Case cases[] = {
        {"NumBuffers default", [] {}, [&] { return two.NumBuffers(); }, 10},
        {"NumBuffers 1 ignored", [&] { two.SetNumBuffers(1); }, [&] { return two.NumBuffers(); }, 10},
        {"NumBuffers 0 ignored", [&] { two.SetNumBuffers(0); }, [&] { return two.NumBuffers(); }, 10},
        {"NumBuffers 2", [&] { two.SetNumBuffers(2); }, [&] { return two.NumBuffers(); }, 2},
        {"NumBuffers 1000 is 500", [&] { two.SetNumBuffers(1000); }, [&] { return two.NumBuffers(); }, 500},
        {"BufferSize default", [] {}, [&] { return two.GetBufferSize(); }, 2048},
        {"BufferSize at least 32", [&] { two.SetBufferSize(5); }, [&] { return two.GetBufferSize(); }, 32},
        {"BufferSize 4096", [&] { two.SetBufferSize(4096); }, [&] { return two.GetBufferSize(); }, 4096},
        {"DeviceID default", [] {}, [&] { return two.DeviceID(); }, 0},
        {"DeviceID mapper", [&] { two.SetDeviceID(-1); }, [&] { return two.DeviceID(); }, -1},
        {"DeviceID 1", [&] { two.SetDeviceID(1); }, [&] { return two.DeviceID(); }, 1},
        {"DeviceID 5 of 2", [&] { two.SetDeviceID(5); }, [&] { return two.DeviceID(); }, -2},
        {"DeviceID -7", [&] { two.SetDeviceID(-7); }, [&] { return two.DeviceID(); }, -2},
        {"LoopCount", [&] { two.SetLoopCount(65535); }, [&] { return two.LoopCount(); }, 65535},
        {"TimeFormat default bytes", [] {}, [&] { return two.TimeFormat(); }, tfByte},
        {"Priority default higher", [] {}, [&] { return two.Priority(); }, tpHigher},
        {"CallBackMode default", [] {}, [&] { return two.CallBackMode(); }, cmWindow},
        {"CallBackMode thread", [&] { two.SetCallBackMode(cmThread); }, [&] { return two.CallBackMode(); },
         cmThread},
        {"ShowHourGlass default", [] {}, [&] { return two.ShowHourGlass(); }, 1},
        {"Looping default", [] {}, [&] { return two.Looping(); }, 0},
    };
    for (const Case& c : cases) {
        c.set();
        EXPECT_EQ(c.get(), c.expected) << c.name;
    }
    two.SetDeviceID(1);
    EXPECT_EQ(two.productName(), "Virtual output 2");
    two.SetDeviceID(-1);
    EXPECT_EQ(two.productName(), "Virtual default output");
    two.SetDeviceID(2);
    EXPECT_EQ(two.productName(), "No wave audio playing device found");

    // Interrupt-time callbacks are refused with a message box, and the mode stays.
    std::string title, text;
    setMessageBoxHandler([&](const std::string& t, const std::string& m) { title = t, text = m; });
    two.SetCallBackMode(cmCallback);
    setMessageBoxHandler(nullptr);
    EXPECT_EQ(two.CallBackMode(), cmThread);
    EXPECT_EQ(title, "TMMWaveOut");
    EXPECT_EQ(
        text,
        "\"CallBacks\" are called at interrupt time !\nThis is currently only supported under Windows 95");
}

TEST_F(WaveOut, ErrorsCarryTheirTexts) {
    struct Case {
        const char* name;
        std::function<void(WavePlayer&)> act;
        const char* text;
    };
    const Case cases[] = {
        {"invalid device", [](WavePlayer& o) { o.SetDeviceID(5), o.Open(); }, "Invalid DeviceID"},
        {"no format", [this](WavePlayer& o) { file_.Wave().FreeWave(), o.Open(); },
         "WaveOutOpen:\n\rInvalid wave format"},
        {"format refused",
         [this](WavePlayer& o) {
             device_.setAcceptedFormats([](const WaveFormatEx& f) { return f.wBitsPerSample == 16; });
             o.Start();
         },
         "WaveOutOpen:\n\rThe actual device can''t play this format"},
        {"source without data",
         [this](WavePlayer& o) {
             o.SetOutput(nullptr);
             file_.SetOutput(nullptr);
             const WaveFormatEx f = pcmFormat(8, 1, 22050);
             o.SetPWaveFormat(&f);
             o.Start();
         },
         "WaveOutStart:\n\rUnable to start device"},
        {"device while open", [](WavePlayer& o) { o.Open(), o.SetDeviceID(0); },
         "Change to property while device was open"},
        {"buffers while open", [](WavePlayer& o) { o.Open(), o.SetNumBuffers(4); },
         "Change to property while device was open"},
        {"size while open", [](WavePlayer& o) { o.Open(), o.SetBufferSize(4096); },
         "Change to property while device was open"},
        {"mode while open", [](WavePlayer& o) { o.Open(), o.SetCallBackMode(cmThread); },
         "Change to property while device was open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device_.setAcceptedFormats(nullptr);
        load(rampBytes(1000));
        std::vector<std::string> errors;
        WavePlayer o(device_, dispatcher_);
        file_.SetOutput(&o);
        o.OnError = [&](WavePlayer&, const std::string& t) { errors.push_back(t); };
        EXPECT_EQ(errorOf([&] { c.act(o); }), c.text);
        EXPECT_EQ(errors, std::vector<std::string>{c.text});
        if (std::string(c.text).starts_with("Change"))
            EXPECT_TRUE(o.IsOpen());
        else
            EXPECT_FALSE(o.IsOpen());
        o.Close();
        EXPECT_EQ(device_.openOutputs(), 0);
        EXPECT_FALSE(file_.Wave().IsOpen()) << "the chain is closed again";
    }
    file_.SetOutput(&out_);

    // No device at all: the component exists, says so, and refuses to open.
    device_.setDeviceCount(0);
    WavePlayer none(device_, dispatcher_);
    EXPECT_EQ(none.NumDevs(), 0);
    EXPECT_EQ(none.productName(), "No wave audio playing device found");
    file_.SetOutput(&none);
    EXPECT_EQ(errorOf([&] { none.Start(); }), "No wave audio playing device found");
    file_.SetOutput(&out_);
}

TEST_F(WaveOut, ErrorStringsAndFreeFunctions) {
    struct Case {
        int code;
        const char* text;
    };
    for (const Case& c :
         {Case{kWaveNoDriver, "The audio output is not present (it may have been unplugged)."},
          Case{kWaveBadFormat, "The audio output cannot play this format."},
          Case{kWaveAllocated, "The audio output is in use by another program."},
          Case{999, "Specified error number is out of range (unknown error)"},
          Case{-1, "Specified error number is out of range (unknown error)"}})
        EXPECT_EQ(WaveOutErrorString(c.code), c.text);
    device_.setDeviceCount(2);
    EXPECT_EQ(WaveOutNumDevs(device_), 2);
    EXPECT_EQ(WaveOutGetDeviceName(device_, -1), "Virtual default output");
    EXPECT_EQ(WaveOutGetDeviceName(device_, 1), "Virtual output 2");
    EXPECT_EQ(WaveOutGetDeviceName(device_, 2), "");
    EXPECT_EQ(WaveOutGetDeviceName(device_, -2), "");
    EXPECT_TRUE(WaveOutReady(device_, 0));
    EXPECT_EQ(device_.openOutputs(), 0);
    EXPECT_FALSE(WaveOutReady(device_, 2));
    device_.setAcceptedFormats([](const WaveFormatEx& f) { return f.wBitsPerSample == 16; });
    EXPECT_FALSE(WaveOutReady(device_, 0));
    const WaveFormatEx f16 = pcmFormat(16, 2, 44100);
    EXPECT_TRUE(out_.QueryDevice(0, &f16));
    EXPECT_FALSE(out_.QueryDevice(0, nullptr));
    EXPECT_EQ(device_.openOutputs(), 0);
}

TEST_F(WaveOut, StopReturnsEveryQueuedBufferAndFiresOnStopOnce) {
    load(rampBytes(100000));
    out_.Start();
    step(20000);
    EXPECT_EQ(out_.QueuedBuffers(), 10);
    out_.Stop();
    EXPECT_EQ(out_.QueuedBuffers(), 0);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 1);
    for (int i = 0; i < 100; ++i)
        step(1000);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 1);
    EXPECT_EQ(device_.played().size(), 441u);
    // Stopping from within a buffer's processing completes once that buffer is done.
    device_.clearPlayed();
    out_.OnBufferReady = [&](DspComponent&, ChainBuffer*) { out_.Stop(); };
    out_.Start();
    for (int i = 0; i < 200 && out_.IsPlaying(); ++i)
        step(1000);
    EXPECT_FALSE(out_.IsPlaying());
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 2);
    EXPECT_EQ(out_.QueuedBuffers(), 0);
    out_.OnBufferReady = nullptr;
    out_.Close();
}

TEST_F(WaveOut, AVanishingDeviceEndsPlaybackWithAnError) {
    std::vector<std::string> failures;
    dispatcher_.OnException = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const WavePlayerError& err) {
            failures.push_back(err.what());
        }
    };
    load(rampBytes(100000));
    out_.Start();
    step(200000);
    device_.unplug();
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 100 && out_.IsPlaying(); ++i)
        step(1000);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "nothing waits long";
    EXPECT_FALSE(out_.IsPlaying());
    const std::string text = "WaveOutWrite:\n\rThe audio output is not present (it may have been unplugged).";
    EXPECT_EQ(failures, std::vector<std::string>{text});
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 1);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "error " + text), 1);
    out_.Close();
    EXPECT_FALSE(out_.IsOpen());
    dispatcher_.OnException = nullptr;
}

TEST_F(WaveOut, ThreadModeProcessesBuffersOnItsOwnThread) {
    const Bytes data = rampBytes(7000);
    load(data);
    out_.SetCallBackMode(cmThread);
    out_.SetPriority(tpNormal);
    out_.SetLooping(true);
    out_.SetLoopCount(2);
    std::thread::id where;
    out_.OnLooping = [&](WavePlayer&) { where = std::this_thread::get_id(); };
    out_.Start();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (out_.IsPlaying() && std::chrono::steady_clock::now() < limit) {
        step(5000);
        std::this_thread::sleep_for(std::chrono::microseconds(200)); // let the playback thread work
    }
    EXPECT_FALSE(out_.IsPlaying());
    EXPECT_EQ(device_.played(), repeat(data, 3));
    EXPECT_NE(where, std::thread::id());
    EXPECT_NE(where, std::this_thread::get_id());
    out_.Close();
    out_.SetCallBackMode(cmWindow);
    out_.SetLooping(false);
}

TEST_F(WaveOut, ResetStartsTheDeviceAgainWhereTheSourceIs) {
    const Bytes data = rampBytes(50000);
    load(data);
    out_.SetTimeFormat(tfSample);
    out_.Start();
    step(10000); // 220 bytes heard, 20480 loaded
    out_.Reset();
    EXPECT_EQ(out_.GetPosition(), 0);
    EXPECT_EQ(out_.QueuedBuffers(), 10);
    step(10000);
    const Bytes played = device_.played();
    ASSERT_EQ(played.size(), 440u);
    EXPECT_EQ(Bytes(played.begin(), played.begin() + 220), Bytes(data.begin(), data.begin() + 220));
    EXPECT_EQ(Bytes(played.begin() + 220, played.end()), Bytes(data.begin() + 20480, data.begin() + 20700));
    out_.Stop();
    out_.Close();
}

TEST_F(WaveOut, NothingIsPlayedPastAHeadersData) {
    Boaster source;
    source.SetOutput(&out_);
    const WaveFormatEx f = pcmFormat(8, 1, 22050);
    out_.SetPWaveFormat(&f);
    out_.SetBufferSize(64);
    out_.Start();
    ASSERT_TRUE(playToEnd());
    EXPECT_EQ(device_.played(), Bytes(3 * 64, 0x55));
    out_.Close();
    file_.SetOutput(&out_);
}

TEST_F(WaveOut, ANewFormatStopsPlayback) {
    load(rampBytes(50000));
    out_.Start();
    step(5000);
    file_.Wave().SetTimeFormat(tfByte); // the same format told again: playback goes on
    EXPECT_TRUE(out_.IsPlaying());
    load(rampBytes(50000), 16, 2, 44100);
    EXPECT_FALSE(out_.IsPlaying());
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 1);
    out_.Close();
    device_.clearPlayed();
    out_.Start(); // and the new file plays
    step(10000);
    EXPECT_EQ(device_.played().size() % 4, 0u);
    file_.Wave().FreeWave(); // no format at all: the same
    EXPECT_FALSE(out_.IsPlaying());
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "stop"), 2);
    out_.Close();
}

// A chain that cannot open (its file went away) leaves the output closed with the chain's own
// error, reported once when OnError is set and raised as it is when not.
TEST_F(WaveOut, AChainThatCannotOpenLeavesItClosedWithItsOwnError) {
    for (const bool handler : {true, false}) {
        events_.clear();
        if (!handler)
            out_.OnError = nullptr;
        load(rampBytes(1000));
        std::filesystem::remove(path("play" + std::to_string(loadCount_) + ".wav"));
        try {
            out_.Open();
            ADD_FAILURE() << "opened";
        } catch (const WaveError& e) {
            EXPECT_STREQ(e.what(), "Unable to open wave file");
        }
        EXPECT_FALSE(out_.IsOpen());
        EXPECT_EQ(device_.openOutputs(), 0);
        EXPECT_EQ(std::count(events_.begin(), events_.end(), "error Unable to open wave file"),
                  handler ? 1 : 0);
    }
}

TEST(WaveDeviceFactory, ChoosesByNameAndEnvironment) {
    struct Case {
        const char* env; // nullptr: unset
        const char* name;
    };
    for (const Case& c : {Case{nullptr, "alsa"}, Case{"", "alsa"}, Case{"virtual", "virtual"},
                          Case{"alsa", "alsa"}, Case{"pulse", "pulse"}}) {
        if (c.env)
            setenv("VK350_AUDIO_DRIVER", c.env, 1);
        else
            unsetenv("VK350_AUDIO_DRIVER");
        EXPECT_EQ(audioDriverNameFromEnvironment(), c.name) << (c.env ? c.env : "unset");
    }
    unsetenv("VK350_AUDIO_DRIVER");
    EXPECT_EQ(audioDriverNames(), (std::vector<std::string>{"alsa", "virtual"}));
    for (const std::string& name : audioDriverNames())
        EXPECT_EQ(createWaveDevice(name)->name(), name);
    EXPECT_EQ(createWaveDevice("pulse"), nullptr);
}

TEST_F(WaveOut, OptionalEventsAndDestructionWhilePlaying) {
    // Unassigned events are simply not fired.
    out_.OnStop = nullptr;
    out_.OnStart = nullptr;
    out_.OnClose = nullptr;
    load(rampBytes(3000));
    out_.Start();
    ASSERT_TRUE(playToEnd());
    out_.Close();
    EXPECT_EQ(device_.played(), rampBytes(3000));

    // A wave out that goes away mid-play closes its device and tells no one.
    int told = 0;
    {
        WavePlayer playing(device_, dispatcher_);
        file_.SetOutput(&playing);
        playing.OnStop = [&](WavePlayer&) { ++told; };
        playing.OnClose = [&](WavePlayer&) { ++told; };
        playing.Start();
        step(10000);
        EXPECT_EQ(device_.openOutputs(), 1);
    }
    EXPECT_EQ(told, 0);
    EXPECT_EQ(device_.openOutputs(), 0);
    EXPECT_FALSE(file_.Wave().IsOpen());
    for (int i = 0; i < 10; ++i)
        step(10000); // notices still on their way find nobody
    file_.SetOutput(&out_);

    // A queue pump leaves its hub when it goes.
    {
        QueuePump other(dispatcher_, hub_);
        EXPECT_EQ(hub_.pump(), &other);
    }
    EXPECT_EQ(hub_.pump(), nullptr);
    hub_.setPump(&pump_);
}

// In thread mode Stop, Close and destruction wait for the buffer the playback thread is
// loading, and leave nothing that reads the source or writes to the device.
TEST_F(WaveOut, ThreadModeStopCloseAndDestroyWaitForTheBufferInProcessing) {
    enum class Action { Stop, Close, Destroy };
    const WaveFormatEx f = pcmFormat(8, 1, 22050);
    for (const Action action : {Action::Stop, Action::Close, Action::Destroy}) {
        SCOPED_TRACE(int(action));
        GatedSource source;
        std::optional<WavePlayer> out;
        out.emplace(device_, dispatcher_);
        source.SetOutput(&*out);
        out->SetPWaveFormat(&f);
        out->SetCallBackMode(cmThread);
        int stops = 0;
        out->OnStop = [&](WavePlayer&) { ++stops; };
        out->Start();
        std::thread opener;
        ASSERT_TRUE(source.gate.catchOne([&] { step(10000); }, opener));
        switch (action) {
        case Action::Stop:
            out->Stop();
            break;
        case Action::Close:
            out->Close();
            break;
        case Action::Destroy:
            out.reset();
            break;
        }
        EXPECT_EQ(source.gate.inside(), 0) << "returned while a buffer was mid-way";
        const int loads = source.loads;
        opener.join();
        for (int i = 0; i < 20; ++i)
            step(10000);
        EXPECT_EQ(source.loads, loads) << "the source was read afterwards";
        EXPECT_EQ(device_.openOutputs(), action == Action::Stop ? 1 : 0);
        if (out) {
            EXPECT_FALSE(out->IsPlaying());
            EXPECT_EQ(out->QueuedBuffers(), 0);
            EXPECT_EQ(stops, 1);
            out->Close();
        }
        EXPECT_EQ(device_.openOutputs(), 0);
    }
    file_.SetOutput(&out_);
}
