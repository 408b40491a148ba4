// WavePlayer: plays its chain through a wave output device. It pulls buffers from its Input
// (the wave file), queues them on the device, and as each one has played passes it to its
// Output (the connector) and fills it again, looping the source when asked. Failures raise
// WavePlayerError after OnError, with the step that failed and why.
//
// Threads: every function and property on the window thread. Buffer-done notices reach the
// window thread (cmWindow, the default) or the wave output's own playback thread (cmThread);
// there the chain's BufferLoad and BufferReady run, as do OnLooping and OnBufferFilled. Stop,
// Close, Reset and destruction wait for the buffer that thread is processing, and the thread
// ends before the device closes, so once they return nothing reads the chain any more.
#pragma once

#include "dispatcher.h"
#include "playback_thread.h"
#include "sound_component.h"
#include "wave_device.h"
#include "wave_document.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vk350 {

enum CallbackMode { cmWindow, cmCallback, cmThread };

// Headers are prepared once per playback and returned buffers are processed strictly in
// the order they were queued. Window thread.
inline bool FIX_BUFFERS = true;
// Buffer notices at interrupt time, which some systems give; never on this one.
inline constexpr bool kInterruptTimeNotices = false;

class WavePlayer : public SoundComponent {
public:
    static constexpr int kMaxBuffers = 500;
    static constexpr uint32_t kMinBufferSize = 32;

    // Window thread. The device and dispatcher must outlive the component; the device count is
    // taken now.
    WavePlayer(WaveDevice& device, Dispatcher& dispatcher);
    ~WavePlayer() override;

    using NotifyEvent = std::function<void(WavePlayer& Sender)>;
    NotifyEvent OnOpen;
    NotifyEvent OnClose;
    NotifyEvent OnStart;
    NotifyEvent OnPause;
    NotifyEvent OnRestart;
    NotifyEvent OnStop;
    NotifyEvent OnLooping; // the buffer thread
    std::function<void(WavePlayer& Sender, const std::string& Text)> OnError;
    // OnBufferFilled (inherited) fires with each header just before it is queued.

    // Properties, all on the window thread. A change of DeviceID, NumBuffers, BufferSize or
    // CallBackMode while open raises "Change to property while device was open".
    int DeviceID() const { return deviceID_; }
    void SetDeviceID(int value); // -1 .. NumDevs - 1; anything else is stored as -2
    const std::string& productName() const { return productName_; }
    int NumDevs() const { return numDevs_; }
    int NumBuffers() const { return numBuffers_; }
    void SetNumBuffers(int value);               // taken above 1 only, at most 500
    void SetBufferSize(uint32_t bytes) override; // at least 32
    CallbackMode CallBackMode() const { return callBackMode_; }
    void SetCallBackMode(CallbackMode value);
    bool Looping() const { return looping_; }
    void SetLooping(bool value);
    uint16_t LoopCount() const { return loopCount_; }
    void SetLoopCount(uint16_t value); // 0: endless
    TimeUnit TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(TimeUnit value) { timeFormat_ = value; }
    ThreadPriority Priority() const { return priority_; }
    void SetPriority(ThreadPriority value) { priority_ = value; }
    bool ShowHourGlass() const { return showHourGlass_; }
    void SetShowHourGlass(bool value) { showHourGlass_ = value; }

    // Window thread.
    void Open();
    // Window thread: stops first; the playback thread ends before the device closes.
    void Close();
    // Window thread.
    void Start();
    // Window thread.
    void Pause();
    // Window thread.
    void Restart();
    // Window thread: waits for the buffer in processing on the playback thread. Called by a
    // handler of that buffer, it completes once the buffer is done.
    void Stop();
    // Window thread: waits for the buffer in processing as Stop does.
    void Reset();
    // Window thread: whether device can play format; the device does not stay open.
    bool QueryDevice(int device, const WaveFormatEx* format);
    // Window thread (and the buffer thread, from OnTrigger or OnLooping): the play position in
    // TimeFormat; 0 while closed.
    int64_t GetPosition();
    // Window thread: the position when playback last stopped.
    int64_t FinalPosition() const { return finalPosition_; }
    // Any thread: bytes of the buffers played and passed on during this playback.
    uint64_t BytesPlayed();
    // Any thread: the last device result code.
    int LastError() const { return lastError_; }

    // Any thread.
    bool IsOpen() const { return (state_ & kOpen) != 0; }
    // Any thread.
    bool IsPlaying() const { return (state_ & kStarted) != 0; }
    // Any thread.
    bool IsPausedState() const { return (state_ & kPaused) != 0; }
    // Any thread: headers on the device now.
    int QueuedBuffers() const { return queued_; }

    // Window thread: a format that differs stops playback first.
    void SetPWaveFormat(const WaveFormatEx* format) override;
    // The buffer thread.
    void BufferLoad(ChainBuffer* header, bool& more) override;

protected:
    // Fires OnError, then raises WavePlayerError with text.
    [[noreturn]] void Error(const std::string& text);

private:
    struct Buffer {
        ChainBuffer hdr;
        std::unique_ptr<uint8_t[]> data;
    };
    static constexpr uint32_t kOpen = 1;
    static constexpr uint32_t kStarted = 2;
    static constexpr uint32_t kPaused = 4;

    void ChangeWhileOpen();
    void UpdateProductName();
    // Device thread.
    void DeviceDone(ChainBuffer* header);
    // The buffer thread.
    void BufferDone(ChainBuffer* header, uint64_t run);
    bool LoadHeader(ChainBuffer& header);
    bool QueueHeader(ChainBuffer& header);
    int QueueAll(); // loads and queues up to NumBuffers headers; returns how many
    void DoneStopping();
    void AbortStart();
    void FreeHeaders();
    void ClearPositions();
    void ClearBufferCounts(); // under mutex_: nothing queued, waiting or in processing
    void StartThread();
    void EndThread();
    // Window thread: waits until no buffer is being processed on another thread. False when
    // called from within the processing itself (a handler that stops): that waits for nothing.
    bool WaitForProcessing();
    void PostStop();
    bool WaitUntil(const std::function<bool()>& done, int polls, int pollMs) const;
    int64_t ToTimeFormat(int64_t frames) const;

    WaveDevice& device_;
    Dispatcher& dispatcher_;
    int numDevs_ = 0;
    int deviceID_ = 0;
    std::string productName_;
    int numBuffers_ = 10;
    CallbackMode callBackMode_ = cmWindow;
    uint16_t loopCount_ = 0;
    TimeUnit timeFormat_ = tfByte;
    ThreadPriority priority_ = tpHigher;
    bool showHourGlass_ = true;

    std::atomic<int> lastError_{kWaveOk};
    std::unique_ptr<WaveOutput> output_;
    std::atomic<uint32_t> state_{0};
    std::vector<std::unique_ptr<Buffer>> headers_;
    int inUse_ = 0; // headers in play order
    int next_ = 0;  // the next to come back
    std::atomic<int> queued_{0};
    int waiting_ = 0; // notices handed to the buffer thread, not yet processed
    int processing_ = 0;
    std::thread::id processor_;         // the thread processing a buffer while processing_ > 0
    std::condition_variable processed_; // processing_ fell to 0
    std::atomic<bool> stopping_{false};
    std::atomic<bool> resetting_{false};
    bool closing_ = false;
    bool finalPause_ = false;
    std::atomic<bool> deferredStop_{false};
    std::atomic<bool> deferredClose_{false};
    bool more_ = false; // the source has more data
    std::atomic<int> deviceError_{kWaveOk};
    std::atomic<bool> looping_{false}; // the Loop command changes it while the buffer thread loads
    uint64_t bytesPlayed_ = 0;
    uint32_t lastReading_ = 0;
    int64_t wrapCount_ = 0;
    int64_t wrapSpan_ = 0;
    uint32_t loopStart_ = 0;
    int32_t loopsRemaining_ = 0;
    int64_t finalPosition_ = 0;
    // Queued count, processing count, bytes played, stopping flags, loop count and start.
    std::mutex mutex_;
    std::atomic<uint64_t> run_{0}; // one per playback; late notices of an older one are dropped
    // Kept for the component's life: a device may still hand back buffers after the thread ended.
    PlaybackThread thread_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0); // posted work checks it
};

} // namespace vk350
