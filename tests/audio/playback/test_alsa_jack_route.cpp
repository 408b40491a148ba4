// The ALSA JACK plugin, as a desktop that routes ALSA into JACK has it: a private dummy server,
// a client that measures what reaches its port, and the real ALSA driver playing into it.
#include "chain_fixture.h"
#include "drivers/alsa_wave_device.h"
#include "jack_audio_sink.h"
#include "jack_test_server.h"

#include <chrono>
#include <cstdlib>
#include <fstream>

using namespace vk350;

namespace {

// 50 Hz-ish square wave at half scale: every converted frame stays well above the sink's
// threshold, so the frames that sound count the frames that were played.
Bytes squareWave(uint16_t bits, uint16_t channels, uint32_t rate, double seconds) {
    const size_t frames = size_t(rate * seconds);
    const size_t half = rate / 100;
    Bytes out;
    for (size_t i = 0; i < frames; ++i) {
        const bool high = (i / half) % 2 == 0;
        for (uint16_t c = 0; c < channels; ++c) {
            if (bits == 8) {
                out.push_back(high ? 192 : 64);
            } else {
                const int16_t v = high ? 16384 : -16384;
                out.push_back(uint8_t(v & 0xFF));
                out.push_back(uint8_t(uint16_t(v) >> 8));
            }
        }
    }
    return out;
}

} // namespace

TEST_F(WaveTest, PlaysInRealTimeThroughTheAlsaJackPlugin) {
    vk350::testing::JackTestServer server;
    if (server.missing())
        GTEST_SKIP() << server.failure();
    ASSERT_EQ(server.failure(), "");
    struct Case {
        uint16_t bits, channels;
        uint32_t rate;
    };
    for (const Case& c : {Case{8, 1, 22050}, Case{16, 2, 44100}, Case{16, 1, 8000}}) {
        SCOPED_TRACE(::testing::Message() << c.bits << "-bit " << c.channels << " ch " << c.rate << " Hz");
        vk350::testing::JackAudioSink sink;
        ASSERT_TRUE(sink.ok());
        // The plugin speaks float only; "plug" converts to it, as the system's own "jack" device
        // is used through "default" or "plug:jack".
        std::ofstream(path("asound.conf"))
            << "pcm.!default { type plug slave.pcm { type jack playback_ports { 0 \"" << sink.portName()
            << "\" } } }\n";
        setenv("ALSA_CONFIG_PATH", ("/usr/share/alsa/alsa.conf:" + path("asound.conf")).c_str(), 1);

        const double seconds = 0.4;
        writeFile("in.wav",
                  pcmWave(c.bits, c.channels, c.rate, squareWave(c.bits, c.channels, c.rate, seconds)));
        AlsaWaveDevice device;
        QueueDispatcher dispatcher;
        WaveSource file;
        WavePlayer out(device, dispatcher);
        file.SetOutput(&out);
        out.SetDeviceID(WAVE_MAPPER);
        file.Wave().SetFileName(path("in.wav"));
        int stops = 0;
        std::string error;
        out.OnStop = [&](WavePlayer&) { ++stops; };
        out.OnError = [&](WavePlayer&, const std::string& text) { error = text; };
        const auto begin = std::chrono::steady_clock::now();
        out.Start();
        EXPECT_TRUE(dispatcher.runUntil([&] { return stops > 0; }, 10000000));
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        out.Close();
        EXPECT_EQ(error, "");
        EXPECT_EQ(stops, 1);
        // Done notices follow the sound: the end comes no sooner than the sample's length.
        EXPECT_GE(took, seconds * 0.9);
        // The sample reached the server at its rate, and nothing more: a few frames at each edge
        // of the square pass near zero, and the rate converter rings a little at the edges.
        const double expected = seconds * sink.sampleRate();
        EXPECT_GT(double(sink.soundingFrames()), expected * 0.9);
        EXPECT_LT(double(sink.soundingFrames()), expected * 1.02);
        EXPECT_GT(sink.peak(), 0.45f);
        EXPECT_LT(sink.peak(), 0.7f);
    }
    unsetenv("ALSA_CONFIG_PATH");
}
