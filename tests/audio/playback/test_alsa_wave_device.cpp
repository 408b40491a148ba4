// The real ALSA library end to end without a sound card: an ALSA configuration of the test's
// own routes "default" to a file, and what playback writes there is compared byte for byte.
#include "chain_fixture.h"
#include "drivers/alsa_wave_device.h"
#include "wave_player_error.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

using namespace vk350;

namespace {

class AlsaWave : public WaveTest {
protected:
    // Points libasound at the system's configuration plus ours, which redefines "default".
    void useConfig(const std::string& defaultPcm) {
        std::ofstream(path("asound.conf")) << "pcm.!default " << defaultPcm << "\n";
        setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + path("asound.conf")).c_str(), 1);
    }
    void useFile() {
        useConfig("{ type file slave.pcm \"null\" file \"" + path("out.raw") + "\" format \"raw\" }");
    }
    // A device that plays against the clock, keeps its frames in "frames.raw" and fails the
    // first count calls of fault (all of them for -1) with error.
    // libasound reloads a configuration whose file is new, not one rewritten within a second.
    void useFaults(const std::string& fault, int error, int count) {
        static int configs = 0;
        const std::string conf = path("faults" + std::to_string(++configs) + ".conf");
        std::ofstream(conf) << "pcm_type.vk350fault { lib \"" VK350_ALSA_FAULT_PCM "\" }\n"
                            << "pcm.!default { type vk350fault record \"" << path("frames.raw")
                            << "\" calls \"" << path("calls") << "\" fault \"" << fault << "\" error "
                            << error << " count " << count << " }\n";
        setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + conf).c_str(), 1);
        std::filesystem::remove(path("frames.raw"));
        std::filesystem::remove(path("calls"));
    }
    void TearDown() override {
        unsetenv("ALSA_CONFIG_PATH");
        WaveTest::TearDown();
    }

    // Plays the wave file through a wave out on device, to the end.
    void play(WaveDevice& device, const Bytes& data, uint16_t bits, uint16_t channels, uint32_t rate,
              int loopCount) {
        writeFile("in.wav", pcmWave(bits, channels, rate, data));
        QueueDispatcher dispatcher;
        WaveSource file;
        WavePlayer out(device, dispatcher);
        file.SetOutput(&out);
        out.SetDeviceID(WAVE_MAPPER);
        file.Wave().SetFileName(path("in.wav"));
        out.SetLooping(loopCount > 0);
        out.SetLoopCount(uint16_t(loopCount));
        int stops = 0;
        out.OnStop = [&](WavePlayer&) { ++stops; };
        out.Start();
        EXPECT_TRUE(dispatcher.runUntil([&] { return stops > 0; }, 20000000));
        out.Close();
        EXPECT_EQ(stops, 1);
    }
};

Bytes times(const Bytes& b, int n) {
    Bytes out;
    for (int i = 0; i < n; ++i)
        out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

TEST_F(AlsaWave, PlayingWritesExactlyTheSampleBytes) {
    struct Case {
        size_t bytes;
        uint16_t bits, channels;
        uint32_t rate;
        int loopCount; // 0: once
        int plays;
    };
    const Case cases[] = {
        {11025, 8, 1, 22050, 0, 1}, {100, 8, 1, 22050, 0, 1},  {30000, 16, 2, 44100, 0, 1},
        {5000, 8, 1, 22050, 2, 3},  {4096, 16, 1, 8000, 1, 2}, {70000, 8, 1, 11025, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.bytes << " bytes " << c.bits << "/" << c.channels << " x" << c.plays);
        useFile();
        std::filesystem::remove(path("out.raw"));
        AlsaWaveDevice device;
        ASSERT_EQ(device.deviceCount(), 1) << "the file-backed default is the only output";
        EXPECT_EQ(device.pcmName(WAVE_MAPPER), "default");
        EXPECT_EQ(device.pcmName(0), "default");
        EXPECT_EQ(device.pcmName(1), "");
        const Bytes data = rampBytes(c.bytes);
        play(device, data, c.bits, c.channels, c.rate, c.loopCount);
        EXPECT_EQ(readFile("out.raw"), times(data, c.plays));
    }
}

// A sound server that stalls or reconnects fails calls for a while: playback rides that out as
// the system's own player does, every frame arrives once and in order, and only a device that
// is gone or keeps failing ends it, with the error and without hanging.
TEST_F(AlsaWave, PassingDeviceErrorsAreRiddenOutAndLastingOnesEndPlayback) {
    struct Case {
        const char* fault;
        int error;
        int count;
        bool ends;
    };
    const Case cases[] = {
        {"delay", EIO, 3, false},   {"delay", EBADFD, 3, false}, {"write", EINTR, 3, false},
        {"write", EPIPE, 2, false}, {"write", EIO, 2, false},    {"start", EIO, 2, false},
        {"write", EIO, -1, true},   {"write", ENODEV, 1, true},  {"start", EIO, -1, true},
    };
    const Bytes data = rampBytes(6615); // 0.3 s of 8-bit mono at 22050 Hz
    writeFile("in.wav", pcmWave(8, 1, 22050, data));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fault << " fails with " << c.error << " x" << c.count);
        useFaults(c.fault, c.error, c.count);
        AlsaWaveDevice device;
        QueueDispatcher dispatcher;
        WaveSource file;
        WavePlayer out(device, dispatcher);
        file.SetOutput(&out);
        file.Wave().SetFileName(path("in.wav"));
        std::string error;
        int stops = 0;
        out.OnError = [&](WavePlayer&, const std::string& text) { error = text; };
        out.OnStop = [&](WavePlayer&) { ++stops; };
        dispatcher.OnException = [](std::exception_ptr) {}; // the error is kept by OnError
        try {
            out.Start();
        } catch (const WavePlayerError&) {
        }
        EXPECT_TRUE(
            dispatcher.runUntil([&] { return stops > 0 || (!out.IsPlaying() && !error.empty()); }, 20000000));
        try {
            out.Close();
        } catch (const WavePlayerError&) {
        }
        if (c.ends) {
            EXPECT_NE(error, "");
        } else {
            EXPECT_EQ(error, "");
            EXPECT_EQ(stops, 1);
            EXPECT_EQ(readFile("frames.raw"), data);
        }
    }
}

// With nothing to write the output's thread waits for commands only: a thread that went on
// waiting on the device would wake at every period of a device that runs on.
TEST_F(AlsaWave, AnOutputWithNothingToWriteLeavesTheDeviceAlone) {
    useFaults("none", 0, 0);
    AlsaWaveDevice device;
    std::atomic<int> done{0};
    WaveDeviceEvents events;
    events.onDone = [&](ChainBuffer*) { ++done; };
    std::unique_ptr<WaveOutput> output;
    ASSERT_EQ(device.open(WAVE_MAPPER, pcmFormat(8, 1, 22050), events, output), kWaveOk);
    Bytes data = rampBytes(6615); // more than the ring holds: the thread waits for room
    ChainBuffer h;
    h.lpData = data.data();
    h.dwBufferLength = h.dwCapacity = uint32_t(data.size());
    ASSERT_EQ(output->write(&h), kWaveOk);
    for (int i = 0; i < 500 && done == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(done, 1);
    const auto calls = [&] {
        const Bytes text = readFile("calls");
        return std::string(text.begin(), text.end());
    };
    const std::string before = calls();
    EXPECT_NE(before, "") << "the device was waited on while there was something to write";
    // Several of the device's periods.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(calls(), before);
    EXPECT_EQ(output->close(), kWaveOk);
    EXPECT_EQ(readFile("frames.raw"), data);
}

TEST_F(AlsaWave, WithoutASoundCardNothingOpensAndTheEditorStaysUsable) {
    useConfig("{ type hw card 99 }");
    AlsaWaveDevice device;
    if (device.deviceCount() > 0)
        GTEST_SKIP() << "this machine has a sound card";
    EXPECT_EQ(device.deviceName(WAVE_MAPPER), "");
    QueueDispatcher dispatcher;
    WaveSource file;
    WavePlayer out(device, dispatcher);
    file.SetOutput(&out);
    EXPECT_EQ(out.productName(), "No wave audio playing device found");
    writeFile("in.wav", pcmWave(8, 1, 22050, rampBytes(100)));
    file.Wave().SetFileName(path("in.wav"));
    try {
        out.Start();
        ADD_FAILURE() << "started without a device";
    } catch (const WavePlayerError& e) {
        EXPECT_STREQ(e.what(), "No wave audio playing device found");
    }
    EXPECT_FALSE(out.IsOpen());
    std::unique_ptr<WaveOutput> output;
    EXPECT_EQ(device.open(WAVE_MAPPER, pcmFormat(8, 1, 22050), {}, output), kWaveBadDeviceId);
    EXPECT_EQ(output, nullptr);
}

TEST_F(AlsaWave, FormatsAndErrorCodes) {
    useFile();
    AlsaWaveDevice device;
    ASSERT_EQ(device.deviceCount(), 1);
    WaveFormatEx odd = pcmFormat(12, 1, 22050);
    WaveFormatEx compressed = pcmFormat(8, 1, 22050);
    compressed.wFormatTag = 2;
    WaveFormatEx badAlign = pcmFormat(16, 2, 44100);
    badAlign.nBlockAlign = 3;
    struct Case {
        int device;
        WaveFormatEx format;
        int result;
    };
    for (const Case& c :
         {Case{0, pcmFormat(8, 1, 22050), kWaveOk}, Case{-1, pcmFormat(16, 2, 48000), kWaveOk},
          Case{0, odd, kWaveBadFormat}, Case{0, compressed, kWaveBadFormat},
          Case{0, badAlign, kWaveBadFormat}, Case{1, pcmFormat(8, 1, 22050), kWaveBadDeviceId},
          Case{-2, pcmFormat(8, 1, 22050), kWaveBadDeviceId}})
        EXPECT_EQ(device.query(c.device, c.format), c.result) << c.device << " " << c.format.wBitsPerSample;

    struct Mapping {
        int error;
        int result;
    };
    for (const Mapping& m :
         {Mapping{0, kWaveOk}, Mapping{-ENOENT, kWaveBadDeviceId}, Mapping{-ENODEV, kWaveNoDriver},
          Mapping{-EBADFD, kWaveNoDriver}, Mapping{-EBUSY, kWaveAllocated}, Mapping{-ENOMEM, kWaveNoMemory},
          Mapping{-EINVAL, kWaveInvalidParam}, Mapping{-EIO, kWaveError}})
        EXPECT_EQ(AlsaWaveDevice::resultFromError(m.error), m.result) << m.error;

    // An open output counts frames as they go out, and a closed one refuses everything.
    std::unique_ptr<WaveOutput> output;
    int opened = 0, closed = 0;
    WaveDeviceEvents events;
    events.onOpen = [&] { ++opened; };
    events.onClose = [&] { ++closed; };
    ASSERT_EQ(device.open(0, pcmFormat(16, 2, 44100), events, output), kWaveOk);
    EXPECT_EQ(opened, 1);
    uint32_t frames = 99;
    EXPECT_EQ(output->position(frames), kWaveOk);
    EXPECT_EQ(frames, 0u);
    EXPECT_EQ(output->close(), kWaveOk);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(output->position(frames), kWaveInvalidHandle);
    ChainBuffer h;
    EXPECT_EQ(output->write(&h), kWaveInvalidHandle);
}

TEST(AlsaWaveDeviceList, HardwareOutputsInListOrder) {
    using H = AlsaWaveDevice::Hint;
    using O = AlsaWaveDevice::Output;
    struct Case {
        const char* name;
        std::vector<H> hints;
        std::vector<O> outputs;
        const char* defaultName;
    };
    const Case cases[] = {
        {"nothing listed", {}, {}, "Default"},
        {"a desktop",
         {{"null", "Discard all samples", ""},
          {"default", "Default ALSA Output (currently PipeWire Media Server)", ""},
          {"sysdefault:CARD=PCH", "HDA Intel PCH, ALC892 Analog\nDefault Audio Device", ""},
          {"hw:CARD=PCH,DEV=0", "HDA Intel PCH, ALC892 Analog\nDirect hardware device", ""},
          {"plughw:CARD=PCH,DEV=0", "HDA Intel PCH, ALC892 Analog\nHardware device with conversions", ""},
          {"plughw:CARD=PCH,DEV=2", "HDA Intel PCH, ALC892 Alt Analog\nHardware device with conversions",
           "Input"},
          {"plughw:CARD=NVidia,DEV=3", "HDA NVidia, HDMI 0\nHardware device with conversions", "Output"}},
         {{"plughw:CARD=PCH,DEV=0", "HDA Intel PCH, ALC892 Analog"},
          {"plughw:CARD=NVidia,DEV=3", "HDA NVidia, HDMI 0"}},
         "Default ALSA Output (currently PipeWire Media Server)"},
        {"an older list without plughw entries",
         {{"hw:CARD=USB,DEV=0", "USB Audio CODEC\nDirect hardware device", ""},
          {"hw:CARD=USB,DEV=1", "USB Audio CODEC, mic\nDirect hardware device", "Input"}},
         {{"plughw:CARD=USB,DEV=0", "USB Audio CODEC"}},
         "Default"},
    };
    for (const Case& c : cases) {
        std::string defaultName = "Default";
        EXPECT_EQ(AlsaWaveDevice::pickOutputs(c.hints, defaultName), c.outputs) << c.name;
        EXPECT_EQ(defaultName, c.defaultName) << c.name;
    }
}
