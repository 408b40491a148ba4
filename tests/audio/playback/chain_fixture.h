// Helpers for the audio chain tests: displays that record what they are given, and a playback
// rig of wave file, wave out and connector over the virtual device, with time moved by hand.
#pragma once

#include "connector.h"
#include "drivers/virtual_wave_device.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "wave_fixture.h"
#include "wave_player.h"
#include "wave_source.h"

#include <string>
#include <vector>

// A display that keeps every block it was handed.
class RecordingDisplay : public vk350::PcmDisplay {
public:
    explicit RecordingDisplay(uint32_t blockLength = 256) : blockLength_(blockLength) {}
    void SetPCMWaveFormat(const vk350::WaveFormatEx& format) override { formats.push_back(format); }
    void RefreshPCMData(const uint8_t* data) override { blocks.emplace_back(data, data + blockLength_); }
    void ResetData() override { ++resets; }
    uint32_t BlockLength() const override { return blockLength_; }
    bool Accelerate() const override { return accelerate; }

    uint32_t blockLength_;
    bool accelerate = false;
    std::vector<vk350::WaveFormatEx> formats;
    std::vector<Bytes> blocks;
    int resets = 0;
};

class RecordingScope : public vk350::PcmScopeDisplay {
public:
    explicit RecordingScope(uint32_t blockLength) : blockLength_(blockLength) {}
    void SetPCMWaveFormat(const vk350::WaveFormatEx&) override {}
    void RefreshPCMData(const uint8_t* data) override { blocks.emplace_back(data, data + blockLength_); }
    void ResetData() override {}
    uint32_t BlockLength() const override { return blockLength_; }
    bool Accelerate() const override { return accelerate; }
    bool Scroll() const override { return scroll; }
    uint32_t FFTLength() const override { return 256; }
    uint32_t BitLength() const override { return 0; }
    uint32_t Mode() const override { return 0; }

    uint32_t blockLength_;
    bool accelerate = false;
    bool scroll = false;
    std::vector<Bytes> blocks;
};

vk350::WaveFormatEx pcmFormat(uint16_t bits, uint16_t channels, uint32_t rate);

// Bytes 0, 1, 2, ... wrapping at 251, so any misplaced byte shows.
Bytes rampBytes(size_t count);

// wave file -> wave out -> connector, over a clocked virtual device and a queue dispatcher.
class PlaybackRig : public WaveTest {
protected:
    PlaybackRig();

    // Binds the wave file to a new file holding data.
    void load(const Bytes& data, uint16_t bits = 8, uint16_t channels = 1, uint32_t rate = 22050);
    // Moves the clock, lets the device play and the window thread run.
    void step(int64_t micros);
    // Steps until the output has stopped; false when it is still playing after maxMicros.
    bool playToEnd(int64_t stepMicros = 1000, int64_t maxMicros = 60000000);

    vk350::ManualMicroClock clock_;
    vk350::VirtualWaveDevice device_{clock_};
    vk350::QueueDispatcher dispatcher_{clock_};
    vk350::ConnectorHub hub_{dispatcher_};
    vk350::QueuePump pump_{dispatcher_, hub_};
    vk350::WaveSource file_;
    vk350::WavePlayer out_{device_, dispatcher_};
    vk350::Connector connector_{hub_, clock_};
    std::vector<std::string> events_;
    int loadCount_ = 0;
};
