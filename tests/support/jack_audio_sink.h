// A JACK client with one audio input port that counts what reaches it, for playing through the
// ALSA JACK plugin into the private test server.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace vk350::testing {

class JackAudioSink {
public:
    explicit JackAudioSink(const char* name = "meter");
    ~JackAudioSink();
    bool ok() const { return client_ != nullptr; }
    std::string portName() const; // "meter:in"
    uint32_t sampleRate() const { return rate_; }
    // Frames whose magnitude was above threshold, and the cycles that held at least one.
    uint64_t soundingFrames() const { return sounding_; }
    uint64_t soundingCycles() const { return cycles_; }
    float peak() const { return peak_; }

private:
    static int process(jack_nframes_t frames, void* arg);
    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    uint32_t rate_ = 0;
    std::atomic<uint64_t> sounding_{0};
    std::atomic<uint64_t> cycles_{0};
    std::atomic<float> peak_{0};
};

} // namespace vk350::testing
