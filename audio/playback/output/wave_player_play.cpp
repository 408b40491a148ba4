// WavePlayer: starting, stopping and the buffer cycle.
#include "wave_player.h"

#include "user_notices.h"
#include "wave_out_functions.h"
#include "wave_player_error.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <thread>

namespace vk350 {

namespace {

// How often, and how long, to wait for a device to hand a header back.
constexpr int kDonePolls = 65000;
constexpr int kDonePollMs = 2;

} // namespace

void WavePlayer::FreeHeaders() {
    headers_.clear();
    inUse_ = 0;
    next_ = 0;
}

bool WavePlayer::LoadHeader(ChainBuffer& header) {
    header.dwBufferLength = std::min(GetBufferSize(), header.dwCapacity);
    header.dwBytesRecorded = 0;
    header.LoopRec = LoopRecord();
    const bool looping = looping_;
    if (looping) {
        std::lock_guard lock(mutex_);
        header.LoopRec.dwLooping = -1;
        header.LoopRec.dwLoopCount = loopCount_;
        header.LoopRec.dwLoopsRemaining = loopsRemaining_;
    }
    bool more = false;
    BufferLoad(&header, more);
    // A source may claim more than it was given room for; the device never plays past it.
    header.dwBytesRecorded = std::min(header.dwBytesRecorded, header.dwBufferLength);
    header.dwBufferLength = header.dwBytesRecorded;
    if (looping) {
        std::lock_guard lock(mutex_);
        loopsRemaining_ = header.LoopRec.dwLoopsRemaining;
    }
    return more && header.dwBytesRecorded > 0;
}

bool WavePlayer::QueueHeader(ChainBuffer& header) {
    if (OnBufferFilled)
        OnBufferFilled(*this, &header);
    if (stopping_)
        return false;
    header.dwFlags = (header.dwFlags & ~WHDR_DONE) | WHDR_PREPARED;
    header.dwSavedBytes = header.dwBytesRecorded;
    {
        // Counted before the write: a fast device may hand it back before write returns.
        std::lock_guard lock(mutex_);
        ++queued_;
    }
    const int result = output_->write(&header);
    if (result != kWaveOk) {
        {
            std::lock_guard lock(mutex_);
            --queued_;
        }
        lastError_ = result;
        Error("WaveOutWrite:\n\r" + WaveOutErrorString(result));
    }
    return true;
}

int WavePlayer::QueueAll() {
    int count = 0;
    more_ = true;
    for (int i = 0; i < numBuffers_ && more_; ++i) {
        if (size_t(i) >= headers_.size()) {
            try {
                auto b = std::make_unique<Buffer>();
                b->data = std::make_unique<uint8_t[]>(GetBufferSize());
                b->hdr.lpData = b->data.get();
                b->hdr.dwCapacity = GetBufferSize();
                headers_.push_back(std::move(b));
            } catch (const std::bad_alloc&) {
                Error("Unable to allocate memory for wave header");
            }
        }
        ChainBuffer& header = headers_[size_t(i)]->hdr;
        header.dwFlags = WHDR_PREPARED;
        more_ = LoadHeader(header);
        if (header.dwBytesRecorded == 0)
            break;
        inUse_ = i + 1;
        if (QueueHeader(header))
            ++count;
    }
    return count;
}

void WavePlayer::AbortStart() {
    stopping_ = true;
    if (output_)
        output_->reset();
    state_ &= ~(kStarted | kPaused);
    Broadcast(Lifecycle::Stopped);
    FreeHeaders();
    std::lock_guard lock(mutex_);
    queued_ = 0;
    stopping_ = false;
    resetting_ = false;
}

void WavePlayer::Start() {
    if (!IsOpen())
        Open();
    if (!IsOpen() || (state_ & kStarted))
        return;
    ++run_;
    {
        std::lock_guard lock(mutex_);
        ClearPositions();
        loopsRemaining_ = loopCount_;
        ClearBufferCounts();
    }
    finalPause_ = false;
    deferredStop_ = false;
    deviceError_ = kWaveOk;
    int count = 0;
    {
        const BusyCursor busy(showHourGlass_ && uint64_t(GetBufferSize()) * uint64_t(numBuffers_) > 100000);
        output_->pause();
        Broadcast(Lifecycle::Started);
        try {
            count = QueueAll();
        } catch (...) {
            AbortStart();
            throw;
        }
        inUse_ = count;
        state_ |= kStarted;
    }
    if (count == 0) {
        AbortStart();
        try {
            Close();
        } catch (const WavePlayerError&) {
            // The start failure is what the user needs to hear about.
        }
        Error("WaveOutStart:\n\rUnable to start device");
    }
    if (!(state_ & kPaused)) {
        lastError_ = output_->restart();
        if (lastError_ != kWaveOk)
            Error("WaveOutStart:\n\r" + WaveOutErrorString(lastError_));
    }
    if (OnStart)
        OnStart(*this);
}

void WavePlayer::Pause() {
    if (!IsOpen())
        Open();
    if (!IsOpen() || (state_ & kPaused))
        return;
    if (state_ & kStarted) {
        // Not under mutex_: a device may hand buffers back from within pause.
        lastError_ = output_->pause();
        if (lastError_ != kWaveOk)
            Error("WaveOutPause:\n\r" + WaveOutErrorString(lastError_));
    }
    state_ |= kPaused;
    Broadcast(Lifecycle::Paused);
    if (OnPause)
        OnPause(*this);
}

void WavePlayer::Restart() {
    if (!(state_ & kStarted) || !(state_ & kPaused))
        return;
    resetting_ = false;
    Broadcast(Lifecycle::Restarted);
    lastError_ = output_->restart();
    if (lastError_ != kWaveOk)
        Error("WaveOutRestart:\n\r" + WaveOutErrorString(lastError_));
    state_ &= ~kPaused;
    if (OnRestart)
        OnRestart(*this);
}

void WavePlayer::Stop() {
    if (!(state_ & (kStarted | kPaused)))
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        resetting_ = true;
    }
    finalPosition_ = GetPosition();
    {
        std::lock_guard lock(mutex_);
        wrapCount_ = 0;
        wrapSpan_ = 0;
    }
    // A buffer in processing on the playback thread may be reading the source or queueing
    // itself: it finishes before the device hands everything back and the buffers go.
    const bool fromProcessing = !WaitForProcessing();
    if (output_) {
        lastError_ = output_->reset();
        if (lastError_ != kWaveOk)
            Error("WaveOutReset:\n\r" + WaveOutErrorString(lastError_));
    }
    if (fromProcessing) {
        // Stopped by a handler of the buffer being processed: that buffer finishes first and
        // asks for the stop again.
        deferredStop_ = true;
        return;
    }
    DoneStopping();
}

void WavePlayer::DoneStopping() {
    state_ &= ~(kStarted | kPaused);
    // Bounded waits: a device that vanished hands nothing back any more.
    WaitUntil([this] { return queued_ <= 0 || deviceError_ != kWaveOk; }, 500, 10);
    Broadcast(Lifecycle::Stopped);
    for (const auto& b : headers_) {
        for (int i = 0; i < kDonePolls && !(b->hdr.dwFlags & WHDR_DONE) && queued_ > 0; ++i)
            std::this_thread::yield();
        b->hdr.dwFlags = WHDR_DONE;
    }
    FreeHeaders();
    {
        std::lock_guard lock(mutex_);
        ClearBufferCounts();
    }
    finalPause_ = false;
    deferredStop_ = false;
    more_ = false;
    if (!Destroying() && OnStop)
        OnStop(*this);
    if (deferredClose_)
        Close();
}

void WavePlayer::Reset() {
    if (!(state_ & (kStarted | kPaused)) || resetting_)
        return;
    output_->pause();
    // Notices still on their way belong to the buffers that the reset returns.
    ++run_;
    thread_.flush();
    {
        std::lock_guard lock(mutex_);
        resetting_ = true;
    }
    // A buffer in processing may still queue itself; the reset below hands it back.
    WaitForProcessing();
    lastError_ = output_->reset();
    if (lastError_ != kWaveOk)
        Error("WaveOutReset:\n\r" + WaveOutErrorString(lastError_));
    WaitUntil([this] { return queued_ <= 0; }, 100, 10);
    {
        std::lock_guard lock(mutex_);
        queued_ = 0;
        waiting_ = 0;
        resetting_ = false;
        ClearPositions();
    }
    output_->restart();
    output_->pause();
    next_ = 0;
    finalPause_ = false;
    Broadcast(Lifecycle::Reseting);
    const int count = QueueAll();
    inUse_ = count;
    if (count == 0) {
        Stop();
        return;
    }
    if (!(state_ & kPaused))
        output_->restart();
}

void WavePlayer::PostStop() {
    dispatcher_.post([this, alive = std::weak_ptr<int>(life_), run = run_.load()] {
        if (alive.lock() && run == run_)
            Stop();
    });
}

void WavePlayer::DeviceDone(ChainBuffer* header) {
    {
        std::lock_guard lock(mutex_);
        const int left = --queued_;
        if (resetting_) {
            if (left <= 0)
                resetting_ = false;
            return;
        }
        if (stopping_)
            return;
        ++waiting_;
    }
    const uint64_t run = run_;
    switch (callBackMode_) {
    case cmWindow:
        dispatcher_.post([this, header, run, alive = std::weak_ptr<int>(life_)] {
            if (alive.lock())
                BufferDone(header, run);
        });
        break;
    case cmThread:
        thread_.post(header, run);
        break;
    case cmCallback:
        BufferDone(header, run);
        break;
    }
}

void WavePlayer::BufferDone(ChainBuffer* returned, uint64_t run) {
    {
        std::lock_guard lock(mutex_);
        if (run != run_)
            return;
        waiting_ = std::max(waiting_ - 1, 0);
        if (!(state_ & kStarted) || resetting_ || stopping_ || inUse_ == 0)
            return;
        ++processing_;
        processor_ = std::this_thread::get_id();
    }
    std::exception_ptr failure;
    try {
        ChainBuffer& header = FIX_BUFFERS ? headers_[size_t(next_)]->hdr : *returned;
        if (!FIX_BUFFERS)
            header.dwFlags &= ~WHDR_PREPARED;
        {
            std::lock_guard lock(mutex_);
            bytesPlayed_ += header.dwBufferLength;
        }
        next_ = (next_ + 1) % inUse_;
        header.dwBytesRecorded = header.dwSavedBytes;
        header.lpSyncHdr = &headers_[size_t(next_)]->hdr;
        BufferReady(&header);

        uint32_t reading = 0;
        output_->position(reading);
        if (reading < lastReading_ && lastReading_ - reading > 65534) {
            // The device's counter wrapped.
            std::lock_guard lock(mutex_);
            wrapSpan_ = int64_t(lastReading_ | 0xFFFFF);
            ++wrapCount_;
        }
        lastReading_ = reading;

        if (const int code = deviceError_.exchange(kWaveOk); code != kWaveOk) {
            // The device is gone: what is queued drains and playback ends.
            more_ = false;
            lastError_ = code;
            Error("WaveOutWrite:\n\r" + WaveOutErrorString(code));
        }
        // Every wrap is reported, also those of the last passes, queued before the source ran dry.
        if (looping_ && header.LoopRec.dwLoopWrap != 0 && !deferredStop_) {
            {
                std::lock_guard lock(mutex_);
                loopStart_ = reading;
            }
            header.LoopRec.dwLoopWrap = 0;
            Broadcast(Lifecycle::Looped);
            if (OnLooping)
                OnLooping(*this);
        }
        if (more_ && !deferredStop_) {
            for (int i = 0;
                 i < kDonePolls && !(header.dwFlags & WHDR_DONE) && deviceError_ == kWaveOk && !stopping_;
                 ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(kDonePollMs));
            more_ = LoadHeader(header);
            if (header.dwBytesRecorded == 0) {
                more_ = false;
                if (!deferredStop_)
                    Error("Error filling wave buffer");
            } else {
                QueueHeader(header);
            }
        }
    } catch (...) {
        more_ = false;
        failure = std::current_exception();
    }
    bool stopNow = false;
    {
        std::lock_guard lock(mutex_);
        // Played out: nothing on the device and no returned buffer still to process. A fast
        // device can return everything before the first notice is processed. A Stop already
        // under way on the window thread needs no request.
        const bool playedOut = !stopping_ && queued_ <= 0 && waiting_ == 0;
        if (processing_ == 1 && (deferredStop_ || playedOut) && !finalPause_) {
            finalPause_ = true;
            stopping_ = true;
            stopNow = true;
        }
    }
    if (stopNow) {
        // Stop itself runs from the window thread's loop. Still counted as processing, so
        // nobody closes the device under this call.
        output_->pause();
        PostStop();
    }
    {
        std::lock_guard lock(mutex_);
        if (--processing_ == 0)
            processed_.notify_all();
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vk350
