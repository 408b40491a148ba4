#include "wave_player.h"

#include "user_notices.h"
#include "wave_out_functions.h"
#include "wave_player_error.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace vk350 {

namespace {

const char* const kNoDevice = "No wave audio playing device found";
const char* const kChangeWhileOpen = "Change to property while device was open";

// a * b / c rounded to nearest, halves up, for the position conversions.
int64_t mulDivRound(int64_t a, int64_t b, int64_t c) {
    if (c == 0)
        return 0;
    const int64_t q = a * b / c;
    const int64_t r = a * b % c;
    return q + (2 * r) / c;
}

} // namespace

WavePlayer::WavePlayer(WaveDevice& device, Dispatcher& dispatcher)
    : device_(device), dispatcher_(dispatcher), numDevs_(std::max(device.deviceCount(), 0)) {
    UpdateProductName();
}

WavePlayer::~WavePlayer() {
    SetDestroying();
    try {
        Close();
    } catch (const std::exception&) {
        // Nobody is left to tell.
    }
    // The thread goes before the device it writes to.
    EndThread();
    if (output_)
        output_->close();
    output_.reset();
}

void WavePlayer::Error(const std::string& text) {
    if (OnError)
        OnError(*this, text);
    throw WavePlayerError(text);
}

void WavePlayer::ChangeWhileOpen() {
    if (IsOpen())
        Error(kChangeWhileOpen);
}

void WavePlayer::UpdateProductName() {
    std::string name;
    if (numDevs_ > 0 && deviceID_ != -2)
        name = device_.deviceName(deviceID_);
    productName_ = name.empty() ? kNoDevice : name;
}

void WavePlayer::SetDeviceID(int value) {
    ChangeWhileOpen();
    if (value < WAVE_MAPPER || value >= numDevs_)
        value = -2;
    deviceID_ = value;
    UpdateProductName();
}

void WavePlayer::SetNumBuffers(int value) {
    ChangeWhileOpen();
    if (value != numBuffers_ && value > 1)
        numBuffers_ = std::min(value, kMaxBuffers);
}

void WavePlayer::SetBufferSize(uint32_t bytes) {
    ChangeWhileOpen();
    SoundComponent::SetBufferSize(std::max(bytes, kMinBufferSize));
}

void WavePlayer::SetCallBackMode(CallbackMode value) {
    ChangeWhileOpen();
    if (value == cmCallback && !kInterruptTimeNotices) {
        showMessageBox("TMMWaveOut", "\"CallBacks\" are called at interrupt time !\n"
                                     "This is currently only supported under Windows 95");
        return;
    }
    callBackMode_ = value;
}

void WavePlayer::SetLooping(bool value) {
    if (value == looping_)
        return;
    looping_ = value;
    std::lock_guard lock(mutex_);
    loopsRemaining_ = loopCount_;
}

void WavePlayer::SetLoopCount(uint16_t value) {
    if (value == loopCount_)
        return;
    std::lock_guard lock(mutex_);
    loopCount_ = value;
    loopsRemaining_ = loopCount_;
}

void WavePlayer::SetPWaveFormat(const WaveFormatEx* format) {
    const WaveFormatEx* old = GetPWaveFormat();
    const bool differs = format ? !old || *old != wioCopyWaveFormat(*format) : old != nullptr;
    // The buffers on the device were filled in the old format.
    if (differs && (state_ & (kStarted | kPaused)))
        Stop();
    SoundComponent::SetPWaveFormat(format);
}

void WavePlayer::BufferLoad(ChainBuffer* header, bool& more) {
    // OnBufferFilled fires when the header is queued, not here.
    if (OnBufferLoad)
        OnBufferLoad(*this, header, more);
    if (GetInput())
        GetInput()->BufferLoad(header, more);
}

bool WavePlayer::QueryDevice(int device, const WaveFormatEx* format) {
    if (!format)
        return false;
    lastError_ = device_.query(device, *format);
    return lastError_ == kWaveOk;
}

bool WavePlayer::WaitUntil(const std::function<bool()>& done, int polls, int pollMs) const {
    for (int i = 0; i < polls; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return done();
}

void WavePlayer::StartThread() {
    const bool started = thread_.start(
        priority_, [this](ChainBuffer* header, uint64_t run) { BufferDone(header, run); },
        [this, alive = std::weak_ptr<int>(life_)](std::exception_ptr error) {
            // The device closes at once, from the window thread; the error goes on from there.
            dispatcher_.post([this, alive, error] {
                if (!alive.lock())
                    return;
                try {
                    Close();
                } catch (const std::exception&) {
                    // The first failure is the one to report.
                }
                std::rethrow_exception(error);
            });
        },
        5000);
    if (!started)
        Error("WaveOut:\n\rCould not create thread");
}

void WavePlayer::EndThread() {
    thread_.quit();
}

bool WavePlayer::WaitForProcessing() {
    std::unique_lock lock(mutex_);
    if (processing_ > 0 && processor_ == std::this_thread::get_id())
        return false;
    processed_.wait(lock, [this] { return processing_ == 0; });
    return true;
}

void WavePlayer::Open() {
    if (numDevs_ == 0)
        Error(kNoDevice);
    if (deviceID_ == -2)
        Error("Invalid DeviceID");
    if (!GetPWaveFormat())
        Error("WaveOutOpen:\n\rInvalid wave format");
    if (IsOpen())
        Close();
    const WaveFormatEx format = *GetPWaveFormat();
    if (!QueryDevice(deviceID_, &format))
        Error("WaveOutOpen:\n\rThe actual device can''t play this format");
    try {
        Broadcast(Lifecycle::Opened);
        if (callBackMode_ == cmThread)
            StartThread();
        WaveDeviceEvents events;
        events.onOpen = [this] { state_ |= kOpen; };
        events.onClose = [this] { state_ &= ~kOpen; };
        events.onDone = [this](ChainBuffer* header) { DeviceDone(header); };
        events.onError = [this](int code) { deviceError_ = code; };
        lastError_ = device_.open(deviceID_, format, std::move(events), output_);
        if (lastError_ != kWaveOk)
            Error("WaveOutOpen:\n\r" + WaveOutErrorString(lastError_));
        if (!WaitUntil([this] { return IsOpen(); }, 500, 10))
            Error("WaveOutOpen:\n\rUnable to open device");
    } catch (const std::exception& e) {
        // Back to closed, chain included, before the failure goes on.
        if (!dynamic_cast<const WavePlayerError*>(&e) && OnError)
            OnError(*this, e.what());
        EndThread();
        if (output_)
            output_->close();
        output_.reset();
        state_ = 0;
        Broadcast(Lifecycle::Closed);
        throw;
    }
    if (OnOpen)
        OnOpen(*this);
}

void WavePlayer::Close() {
    if (!((IsOpen() && !closing_) || deferredClose_))
        return;
    closing_ = true;
    if (state_ & (kStarted | kPaused)) {
        try {
            Stop();
        } catch (...) {
            closing_ = false; // a later Close may try again
            throw;
        }
    }
    if (deferredStop_) {
        deferredClose_ = true;
        return;
    }
    // Stop has waited for the buffer in processing; the thread ends before the device goes.
    EndThread();
    const int result = output_ ? output_->close() : kWaveOk;
    lastError_ = result;
    const bool closed = WaitUntil([this] { return !IsOpen(); }, 500, 10);
    output_.reset();
    {
        std::lock_guard lock(mutex_);
        ClearPositions();
    }
    Broadcast(Lifecycle::Closed);
    state_ = 0;
    closing_ = false;
    deferredClose_ = false;
    if (!Destroying() && OnClose)
        OnClose(*this);
    // Reported once everything is released, so a failed close still leaves it closed.
    if (result != kWaveOk)
        Error("WaveOutClose:\n\r" + WaveOutErrorString(result));
    if (!closed)
        Error("WaveOutClose:\n\rUnable to close device");
}

void WavePlayer::ClearPositions() {
    bytesPlayed_ = 0;
    lastReading_ = 0;
    wrapCount_ = 0;
    wrapSpan_ = 0;
    loopStart_ = 0;
}

void WavePlayer::ClearBufferCounts() {
    queued_ = 0;
    waiting_ = 0;
    processing_ = 0;
    stopping_ = false;
    resetting_ = false;
}

uint64_t WavePlayer::BytesPlayed() {
    std::lock_guard lock(mutex_);
    return bytesPlayed_;
}

int64_t WavePlayer::ToTimeFormat(int64_t frames) const {
    const WaveFormatEx* f = GetPWaveFormat();
    switch (timeFormat_) {
    case tfMillisecond:
        return mulDivRound(frames, 1000, f->nSamplesPerSec);
    case tfByte: {
        const int64_t bytes = mulDivRound(frames, f->nAvgBytesPerSec, f->nSamplesPerSec);
        const int64_t block = std::max<int64_t>(f->nBlockAlign, 1);
        return (bytes + block - 1) / block * block;
    }
    case tfSample:
        break;
    }
    return frames;
}

int64_t WavePlayer::GetPosition() {
    if (!IsOpen() || !GetPWaveFormat() || deferredClose_ || !output_)
        return 0;
    uint32_t reading = 0;
    if (output_->position(reading) != kWaveOk)
        return 0;
    int64_t frames;
    {
        std::lock_guard lock(mutex_);
        frames = int64_t(reading) + wrapCount_ * wrapSpan_ - int64_t(loopStart_);
    }
    return ToTimeFormat(std::max<int64_t>(frames, 0));
}

} // namespace vk350
