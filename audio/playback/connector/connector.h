// Connector: the end of a playback chain. It copies each played buffer, hands it block by
// block to up to fourteen attached displays in step with the sound (each block once its audio
// is due by the microsecond clock), and fires OnTrigger on every processing pass. Passes run on
// the window thread from the hub's pump (or from Trigger); buffers arrive on the device's
// buffer thread and are only copied there, under the connector's lock.
#pragma once

#include "connector_hub.h"
#include "dsp_component.h"
#include "micro_clock.h"
#include "pcm_display.h"
#include "periodic_timer.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace vk350 {

enum TriggerKind { tmNone, tmUpFlank, tmDownFlank };

// The display slots, grouped by kind in the order a pass serves them.
enum class DisplaySlot {
    Level1,
    Level2,
    Meter1,
    Meter2,
    Oscope1,
    Oscope2,
    Light1,
    Light2,
    Spectrum1,
    Spectrum2,
    Spectrum3,
    Spectrum4,
    Spectrogram1,
    Spectrogram2,
};

class Connector : public DspComponent {
public:
    static constexpr int kMinSpeed = 1;
    static constexpr int kMaxSpeed = 5000;
    static constexpr size_t kSlots = 14;

    // Window thread. The hub and clock must outlive the connector.
    explicit Connector(ConnectorHub& hub, MicroClock& clock = steadyMicroClock());
    ~Connector() override;

    // The window thread (with RealTime off: the thread that delivers buffers).
    std::function<void(Connector& Sender)> OnTrigger;

    // Properties. Window thread.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool AutoConvert() const { return autoConvert_; }
    void SetAutoConvert(bool value) { autoConvert_ = value; }
    bool AutoTrigger() const { return autoTrigger_; }
    void SetAutoTrigger(bool value);
    bool Synchronize() const { return synchronize_; }
    void SetSynchronize(bool value) { synchronize_ = value; }
    int Speed() const { return speed_; }
    void SetSpeed(int value);
    TriggerKind TriggerMode() const { return triggerMode_; }
    void SetTriggerMode(TriggerKind value) { triggerMode_ = value; }
    int TriggerLevel() const { return triggerLevel_; }
    void SetTriggerLevel(int value) { triggerLevel_ = value; }
    bool RefreshOnStop() const { return refreshOnStop_; }
    void SetRefreshOnStop(bool value) { refreshOnStop_ = value; }
    bool RealTime() const { return realTime_; }
    // Raises "Change to property while device was open" while opened.
    void SetRealTime(bool value);
    // Shared by every connector of the hub.
    bool EnterIdle() const { return hub_.enterIdle(); }
    void SetEnterIdle(bool value) { hub_.setEnterIdle(value); }

    // Display slots. Window thread. A slot refuses the display held by its twin of the same
    // kind (spectrum slots refuse only an unchanged value); false when refused.
    PcmDisplay* Display(DisplaySlot slot) const { return slots_[size_t(slot)]; }
    bool SetDisplay(DisplaySlot slot, PcmDisplay* display);
    // Drops display from every slot; call it before the display goes away.
    void RemoveDisplay(const PcmDisplay* display);
    PcmDisplay* Level1() const { return Display(DisplaySlot::Level1); }
    bool SetLevel1(PcmDisplay* d) { return SetDisplay(DisplaySlot::Level1, d); }
    PcmDisplay* Level2() const { return Display(DisplaySlot::Level2); }
    bool SetLevel2(PcmDisplay* d) { return SetDisplay(DisplaySlot::Level2, d); }
    PcmDisplay* Meter1() const { return Display(DisplaySlot::Meter1); }
    bool SetMeter1(PcmDisplay* d) { return SetDisplay(DisplaySlot::Meter1, d); }
    PcmDisplay* Meter2() const { return Display(DisplaySlot::Meter2); }
    bool SetMeter2(PcmDisplay* d) { return SetDisplay(DisplaySlot::Meter2, d); }
    PcmScopeDisplay* Oscope1() const { return static_cast<PcmScopeDisplay*>(Display(DisplaySlot::Oscope1)); }
    bool SetOscope1(PcmScopeDisplay* d) { return SetDisplay(DisplaySlot::Oscope1, d); }
    PcmScopeDisplay* Oscope2() const { return static_cast<PcmScopeDisplay*>(Display(DisplaySlot::Oscope2)); }
    bool SetOscope2(PcmScopeDisplay* d) { return SetDisplay(DisplaySlot::Oscope2, d); }
    PcmDisplay* Light1() const { return Display(DisplaySlot::Light1); }
    bool SetLight1(PcmDisplay* d) { return SetDisplay(DisplaySlot::Light1, d); }
    PcmDisplay* Light2() const { return Display(DisplaySlot::Light2); }
    bool SetLight2(PcmDisplay* d) { return SetDisplay(DisplaySlot::Light2, d); }
    PcmDisplay* Spectrum1() const { return Display(DisplaySlot::Spectrum1); }
    bool SetSpectrum1(PcmDisplay* d) { return SetDisplay(DisplaySlot::Spectrum1, d); }
    PcmDisplay* Spectrum2() const { return Display(DisplaySlot::Spectrum2); }
    bool SetSpectrum2(PcmDisplay* d) { return SetDisplay(DisplaySlot::Spectrum2, d); }
    PcmDisplay* Spectrum3() const { return Display(DisplaySlot::Spectrum3); }
    bool SetSpectrum3(PcmDisplay* d) { return SetDisplay(DisplaySlot::Spectrum3, d); }
    PcmDisplay* Spectrum4() const { return Display(DisplaySlot::Spectrum4); }
    bool SetSpectrum4(PcmDisplay* d) { return SetDisplay(DisplaySlot::Spectrum4, d); }
    PcmDisplay* Spectrogram1() const { return Display(DisplaySlot::Spectrogram1); }
    bool SetSpectrogram1(PcmDisplay* d) { return SetDisplay(DisplaySlot::Spectrogram1, d); }
    PcmDisplay* Spectrogram2() const { return Display(DisplaySlot::Spectrogram2); }
    bool SetSpectrogram2(PcmDisplay* d) { return SetDisplay(DisplaySlot::Spectrogram2, d); }

    // Any thread: copies up to one buffer size of played audio for the displays.
    virtual void NewBuffer(const uint8_t* data, uint32_t bytes);
    // Window thread (any thread posts): one pass for a connector without AutoTrigger.
    virtual void Trigger();
    // One processing pass: due blocks to the displays, then OnTrigger. The window thread (with
    // RealTime off: also the thread that delivers buffers).
    void ProcessData();
    // Window thread: the peaks of the analysis buffer, silence without data.
    void GetPeak(int16_t& first, int16_t& second);

    // State. Window thread.
    bool StartedForAnalysis() const { return analysing_; }
    bool Running() const { return running_; }
    uint8_t SilenceValue() const { return silence_; }
    // Blocks drawn per group (levels, meters, oscopes, lights, spectrums, spectrograms).
    uint32_t RefreshCount(size_t group) const;
    // Period of the decay timer that runs while paused; 0 when it does not run.
    uint32_t PausedTimerPeriod() const { return timer_.running() ? timer_.period() : 0; }
    // One tick of that timer: every group with displays starts its buffer again.
    void PausedTick();

    void SetPWaveFormat(const WaveFormatEx* format) override;
    void Started() override;
    void Paused() override;
    void Restarted() override;
    void Reseting() override;
    void Stopped() override;
    void BufferReady(ChainBuffer* header) override;
    void BufferLoad(ChainBuffer* header, bool& more) override;

private:
    struct Group {
        bool fresh = false;
        uint32_t position = 0;
        uint32_t position2 = 0; // the second spectrogram's
        uint32_t count = 0;
    };
    static constexpr size_t kGroups = 6;

    void HandleStart();
    void HandleTrigger();
    void StopRunning();
    void JoinCount();
    void LeaveCount();
    void Post(void (Connector::*handler)());
    bool HasDisplays(size_t group) const;
    void RestartGroups(); // under lock_
    void ProcessGroup(size_t group, int64_t elapsed);
    bool Due(uint32_t position, int64_t elapsed) const;
    void FillSilence();

    ConnectorHub& hub_;
    MicroClock& clock_;
    std::atomic<bool> enabled_{true};
    bool autoConvert_ = true;
    std::atomic<bool> autoTrigger_{true};
    std::atomic<bool> synchronize_{true};
    int speed_ = kMaxSpeed;
    TriggerKind triggerMode_ = tmNone;
    int triggerLevel_ = 0;
    bool refreshOnStop_ = true;
    std::atomic<bool> realTime_{true};

    std::array<PcmDisplay*, kSlots> slots_{};
    std::mutex lock_;
    std::vector<uint8_t> buffer_; // the analysis copy: one buffer size, allocated at start
    uint32_t valid_ = 0;
    WaveFormatEx analysisFormat_;
    uint8_t silence_ = 0;
    std::atomic<bool> analysing_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> paused_{false};
    bool counted_ = false; // in the hub's count of running self-triggering connectors
    std::atomic<int> pendingTriggers_{0};
    int64_t arrival_ = 0;
    std::array<Group, kGroups> groups_{};
    PeriodicTimer timer_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0); // posted messages check it
};

} // namespace vk350
