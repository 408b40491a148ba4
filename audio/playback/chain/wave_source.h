// WaveSource: the wave object served to the audio chain. At the head of a chain it is a
// source: its BufferLoad fills each buffer from the wave, wrapping to the start when the
// device loops, and gives silence while not started or not Enabled. It adopts the wave's
// format whenever the wave changes, so a new file reaches every component down the chain.
//
// Threads: properties and the lifecycle on the window thread; BufferLoad on the device's
// buffer thread, which is the window thread by default.
#pragma once

#include "dsp_component.h"
#include "wave_document.h"

#include <atomic>
#include <functional>

namespace vk350 {

class WaveSource : public DspComponent {
public:
    using NotifyEvent = std::function<void(WaveSource& Sender)>;

    WaveSource();
    ~WaveSource() override;

    NotifyEvent OnOpen;
    NotifyEvent OnClose;
    NotifyEvent OnChange;  // before the new format is adopted
    NotifyEvent OnChanged; // after
    NotifyEvent OnLooping; // the buffer thread

    // Window thread. The wave's own OnChange belongs to this component.
    WaveDocument& Wave() { return wave_; }
    const WaveDocument& Wave() const { return wave_; }
    // Window thread: binds this wave to the other's file, with its settings.
    void SetWave(const WaveDocument& other);

    // Window thread (read on the buffer thread).
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    // Window thread. Used when the component records from an Input.
    bool OverwriteExisting() const { return overwriteExisting_; }
    void SetOverwriteExisting(bool value) { overwriteExisting_ = value; }
    // Any thread: 128 for 8-bit PCM, else 0.
    uint8_t SilenceValue() const;

    // Window thread.
    void Opened() override;
    // Window thread.
    void Started() override;
    // Window thread.
    void Closed() override;
    // The buffer thread.
    void BufferLoad(ChainBuffer* header, bool& more) override;

protected:
    virtual void DoChanged();
    virtual void DoOpen();
    virtual void DoClose();

private:
    void Fill(ChainBuffer* header, bool& more);

    WaveDocument wave_;
    std::atomic<bool> enabled_{true};
    bool overwriteExisting_ = true;
    bool fileOpened_ = false;
    uint32_t openPosition_ = 0; // where each run starts, in the wave's time format
};

} // namespace vk350
