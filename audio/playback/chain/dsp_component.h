// DspComponent: a link of the audio chain. Each component has one Input and one Output
// partner, carries the format of the audio passing it, takes part in the lifecycle that a sound
// device broadcasts, and moves buffers: BufferLoad pulls data from upstream, BufferReady pushes
// played data downstream. Chains never form a cycle.
//
// Threads: links, formats, sizes and the lifecycle belong to the window thread. BufferLoad and
// BufferReady run on whichever thread the driving device processes buffers on (the window
// thread by default, the device's playback thread in its thread mode).
#pragma once

#include "chain_buffer.h"
#include "wave_format.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vk350 {

enum ChainPort { poInput, poOutput };

class DspComponent;

using BufferEvent = std::function<void(DspComponent& Sender, ChainBuffer* lpWaveHdr)>;
using BufferLoadEvent = std::function<void(DspComponent& Sender, ChainBuffer* lpWaveHdr, bool& MoreBuffers)>;

class DspComponent {
public:
    static constexpr uint32_t kDefaultBufferSize = 2048;

    DspComponent();
    // Drops the links that point to this component.
    virtual ~DspComponent();
    DspComponent(const DspComponent&) = delete;
    DspComponent& operator=(const DspComponent&) = delete;

    BufferEvent OnBufferReady;
    BufferLoadEvent OnBufferLoad;
    BufferEvent OnBufferFilled;

    // Links. Window thread.
    DspComponent* GetInput() const { return input_; }
    virtual void SetInput(DspComponent* component);
    DspComponent* GetOutput() const { return output_; }
    virtual void SetOutput(DspComponent* component);
    // Whether component may become the input (output): never this component, never a
    // component already downstream (upstream) of it, so no link can close a cycle.
    virtual bool CanConnectInput(const DspComponent* component) const;
    virtual bool CanConnectOutput(const DspComponent* component) const;
    // Told to every component when component's end port is released or taken over: whoever
    // is linked to that end drops the link.
    virtual void DeconnectNotification(DspComponent* component, ChainPort port);
    // The partner's end that points back: "Output" for the input link, "Input" for the output.
    const std::string& InputPort() const { return inputPort_; }
    const std::string& OutputPort() const { return outputPort_; }

    // Format. Window thread.
    const WaveFormatEx* GetPWaveFormat() const { return format_ ? &*format_ : nullptr; }
    // Stores a copy (a started component stops first) and passes the format downstream.
    virtual void SetPWaveFormat(const WaveFormatEx* format);
    // What the upstream neighbour calls.
    virtual void ChangePWaveFormat(const WaveFormatEx* format) { SetPWaveFormat(format); }
    // Takes the input's format, or with no input pushes its own downstream.
    virtual void UpdateParams();

    // Buffer size. Window thread. While opened the effective size: whole blocks of the format,
    // at least one block.
    virtual uint32_t GetBufferSize() const;
    virtual void SetBufferSize(uint32_t bytes);

    // Lifecycle, as a sound device broadcasts it. Window thread (Looped: the buffer thread).
    virtual void Opened();
    virtual void Closed();
    virtual void Started();
    virtual void Paused();
    virtual void Restarted();
    virtual void Stopped();
    virtual void Reseting() {}
    virtual void Looped() {}

    // Buffers. The buffer thread.
    virtual void BufferReady(ChainBuffer* header);
    virtual void BufferLoad(ChainBuffer* header, bool& more);

    bool IsOpened() const { return opened_; }
    bool IsStarted() const { return started_; }
    bool IsPaused() const { return paused_; }
    // Sound devices drive the chain and stop the lifecycle walk.
    virtual bool IsSoundDevice() const { return false; }

protected:
    // Components that do not offer a link on one side refuse partners there.
    void SetLinkable(bool input, bool output);
    bool Destroying() const { return destroying_; }
    void SetDestroying() { destroying_ = true; }
    // The requested size, whatever the state.
    uint32_t RequestedBufferSize() const { return bufferSize_; }

private:
    static void NotifyAll(DspComponent* component, ChainPort port);
    void DropFormat();

    DspComponent* input_ = nullptr;
    DspComponent* output_ = nullptr;
    std::optional<WaveFormatEx> format_;
    uint32_t bufferSize_ = kDefaultBufferSize;
    uint32_t effectiveSize_ = kDefaultBufferSize;
    bool opened_ = false;
    bool started_ = false;
    bool paused_ = false;
    bool hasInput_ = true;
    bool hasOutput_ = true;
    bool destroying_ = false;
    std::string inputPort_;
    std::string outputPort_;
};

} // namespace vk350
