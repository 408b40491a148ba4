#include "connector.h"

#include "connector_error.h"
#include "pcm_scan.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

namespace {

constexpr size_t kOscopes = 2;
constexpr size_t kSpectrums = 4;
constexpr size_t kSpectrograms = 5;

// First slot of each group and the slot after its last.
constexpr std::array<std::pair<size_t, size_t>, 6> kGroupSlots = {
    {{0, 2}, {2, 4}, {4, 6}, {6, 8}, {8, 12}, {12, 14}}};

size_t groupOf(size_t slot) {
    for (size_t g = 0; g < kGroupSlots.size(); ++g)
        if (slot < kGroupSlots[g].second)
            return g;
    return kGroupSlots.size() - 1;
}

// The views read 8- and 16-bit mono or stereo PCM; a wider file is bound for a moment while it
// is converted, and the views keep their format meanwhile.
bool analysable(const WaveFormatEx* f) {
    return f && f->wFormatTag == WAVE_FORMAT_PCM && (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
           (f->nChannels == 1 || f->nChannels == 2);
}

} // namespace

Connector::Connector(ConnectorHub& hub, MicroClock& clock) : hub_(hub), clock_(clock) {
    hub_.add(this);
}

Connector::~Connector() {
    SetDestroying();
    timer_.stop();
    LeaveCount();
    hub_.remove(this);
}

void Connector::Post(void (Connector::*handler)()) {
    hub_.dispatcher().post([this, handler, alive = std::weak_ptr<int>(life_)] {
        if (alive.lock())
            (this->*handler)();
    });
}

void Connector::JoinCount() {
    if (counted_)
        return;
    counted_ = true;
    hub_.joinAutoTrigger();
}

void Connector::LeaveCount() {
    if (!counted_)
        return;
    counted_ = false;
    hub_.leaveAutoTrigger();
}

void Connector::StopRunning() {
    running_ = false;
    LeaveCount();
}

void Connector::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    if (!value) {
        StopRunning();
        for (PcmDisplay* d : slots_)
            if (d)
                d->ResetData();
    } else if (analysing_ && realTime_) {
        Post(&Connector::HandleStart);
    }
}

void Connector::SetAutoTrigger(bool value) {
    if (value == autoTrigger_)
        return;
    autoTrigger_ = value;
    if (running_) {
        if (value)
            JoinCount();
        else
            LeaveCount();
    }
}

void Connector::SetSpeed(int value) {
    speed_ = std::clamp(value, kMinSpeed, kMaxSpeed);
}

void Connector::SetRealTime(bool value) {
    if (IsOpened())
        throw ConnectorError("Change to property while device was open");
    realTime_ = value;
}

bool Connector::SetDisplay(DisplaySlot slot, PcmDisplay* display) {
    const size_t i = size_t(slot);
    if (display == slots_[i])
        return false;
    const size_t group = groupOf(i);
    // Slots come in twins (1 and 2) except the spectrums; the twin may not hold the same view.
    if (display && group != kSpectrums && slots_[i ^ 1] == display)
        return false;
    {
        std::lock_guard lock(lock_);
        slots_[i] = display;
        groups_[group].fresh = false;
    }
    if (display) {
        const WaveFormatEx* f = GetPWaveFormat();
        if (analysing_)
            display->SetPCMWaveFormat(analysisFormat_);
        else if (analysable(f))
            display->SetPCMWaveFormat(*f);
    }
    return true;
}

void Connector::RemoveDisplay(const PcmDisplay* display) {
    if (!display)
        return;
    std::lock_guard lock(lock_);
    for (size_t i = 0; i < kSlots; ++i)
        if (slots_[i] == display)
            slots_[i] = nullptr;
}

bool Connector::HasDisplays(size_t group) const {
    for (size_t i = kGroupSlots[group].first; i < kGroupSlots[group].second; ++i)
        if (slots_[i])
            return true;
    return false;
}

void Connector::RestartGroups() {
    for (size_t g = 0; g < kGroups; ++g)
        if (HasDisplays(g)) {
            groups_[g].fresh = true;
            groups_[g].position = 0;
            groups_[g].position2 = 0;
        }
}

uint32_t Connector::RefreshCount(size_t group) const {
    return group < kGroups ? groups_[group].count : 0;
}

void Connector::SetPWaveFormat(const WaveFormatEx* format) {
    const WaveFormatEx* old = GetPWaveFormat();
    const bool differs = format ? !old || *old != wioCopyWaveFormat(*format) : old != nullptr;
    DspComponent::SetPWaveFormat(format);
    const WaveFormatEx* now = GetPWaveFormat();
    if (!differs || !analysable(now))
        return;
    for (PcmDisplay* d : slots_)
        if (d)
            d->SetPCMWaveFormat(*now);
}

void Connector::Started() {
    DspComponent::Started();
    const WaveFormatEx* f = GetPWaveFormat();
    // Only PCM is analysed; other formats leave the displays without data.
    if (analysing_ || !analysable(f))
        return;
    {
        std::lock_guard lock(lock_);
        analysisFormat_ = *f;
        silence_ = f->wBitsPerSample == 8 ? 128 : 0;
        buffer_.assign(std::max<uint32_t>(GetBufferSize(), 1), silence_);
        valid_ = 0;
        arrival_ = 0;
        groups_ = {};
    }
    pendingTriggers_ = 0;
    paused_ = false;
    running_ = false;
    analysing_ = true;
    for (PcmDisplay* d : slots_)
        if (d)
            d->SetPCMWaveFormat(analysisFormat_);
    if (enabled_ && realTime_)
        Post(&Connector::HandleStart);
}

void Connector::HandleStart() {
    if (!analysing_)
        return;
    pendingTriggers_ = 0;
    running_ = true;
    if (autoTrigger_)
        JoinCount();
}

void Connector::FillSilence() {
    std::lock_guard lock(lock_);
    std::fill(buffer_.begin(), buffer_.end(), silence_);
    valid_ = uint32_t(buffer_.size());
}

void Connector::PausedTick() {
    std::lock_guard lock(lock_);
    RestartGroups();
}

void Connector::Paused() {
    DspComponent::Paused();
    FillSilence();
    paused_ = true;
    if (!realTime_ || !analysing_)
        return;
    // The displays decay on silence while nothing plays.
    const uint32_t size = GetBufferSize();
    const uint32_t rate = std::max<uint32_t>(analysisFormat_.nAvgBytesPerSec, 1);
    const uint32_t period = size > 8191 ? 25 : std::max<uint32_t>(uint32_t(uint64_t(size) * 1000 / rate), 1);
    if (!timer_.start(period, [this] { PausedTick(); }))
        throw OutOfResources();
}

void Connector::Restarted() {
    DspComponent::Restarted();
    timer_.stop();
    paused_ = false;
}

void Connector::Reseting() {
    DspComponent::Reseting();
    FillSilence();
}

void Connector::Stopped() {
    DspComponent::Stopped();
    StopRunning();
    paused_ = false;
    timer_.stop();
    {
        std::lock_guard lock(lock_);
        buffer_.clear();
        buffer_.shrink_to_fit();
        valid_ = 0;
        groups_ = {};
    }
    analysing_ = false;
    if (refreshOnStop_)
        for (PcmDisplay* d : slots_)
            if (d)
                d->ResetData();
}

void Connector::NewBuffer(const uint8_t* data, uint32_t bytes) {
    if (!enabled_ || paused_ || !analysing_ || !data)
        return;
    const int64_t now = clock_.now();
    {
        std::lock_guard lock(lock_);
        if (buffer_.empty())
            return;
        valid_ = std::min<uint32_t>(bytes, uint32_t(buffer_.size()));
        std::memcpy(buffer_.data(), data, valid_);
        arrival_ = now;
        RestartGroups();
    }
    if (!realTime_ && autoTrigger_)
        ProcessData();
}

void Connector::BufferReady(ChainBuffer* header) {
    // The buffer just played is gone; the one audible now is the device's next.
    const ChainBuffer* source = header;
    if (synchronize_ && header->lpSyncHdr && header->dwBytesRecorded > 0)
        source = header->lpSyncHdr;
    NewBuffer(source->lpData, source->validBytes());
    DspComponent::BufferReady(header);
}

void Connector::BufferLoad(ChainBuffer* header, bool& more) {
    DspComponent::BufferLoad(header, more);
    NewBuffer(header->lpData, header->validBytes());
}

void Connector::Trigger() {
    if (!enabled_ || autoTrigger_ || pendingTriggers_ > 0)
        return;
    if (!running_ && (realTime_ || !analysing_))
        return;
    if (hub_.dispatcher().isDispatchThread()) {
        ProcessData();
        return;
    }
    ++pendingTriggers_;
    Post(&Connector::HandleTrigger);
}

void Connector::HandleTrigger() {
    if (enabled_ && running_)
        ProcessData();
    if (pendingTriggers_ > 0)
        --pendingTriggers_;
}

bool Connector::Due(uint32_t position, int64_t elapsed) const {
    if (!synchronize_ || analysisFormat_.nAvgBytesPerSec == 0)
        return true;
    return elapsed >= int64_t(uint64_t(position) * 1000000 / analysisFormat_.nAvgBytesPerSec);
}

void Connector::ProcessGroup(size_t group, int64_t elapsed) {
    Group& g = groups_[group];
    const auto [first, last] = kGroupSlots[group];
    if (group == kSpectrograms) {
        // Each spectrogram keeps its own place; the group is done when neither can draw.
        bool anyLeft = false;
        for (size_t i = first; i < last; ++i) {
            PcmDisplay* d = slots_[i];
            if (!d)
                continue;
            uint32_t& position = i == first ? g.position : g.position2;
            const uint32_t block = d->BlockLength();
            const bool fits = block > 0 && uint64_t(position) + block <= valid_;
            if (!fits)
                continue;
            anyLeft = true;
            if (!Due(position, elapsed))
                continue;
            const uint32_t start = position;
            position += d->Accelerate() ? std::max<uint32_t>(block / 4, 1) : block;
            d->RefreshPCMData(buffer_.data() + start);
            ++g.count;
        }
        if (!anyLeft)
            g.fresh = false;
        return;
    }
    uint32_t block = 0;
    for (size_t i = first; i < last; ++i)
        if (slots_[i])
            block = std::max(block, slots_[i]->BlockLength());
    if (!Due(g.position, elapsed))
        return;
    uint32_t advance = block;
    if (group == kOscopes) {
        if (triggerMode_ != tmNone && !paused_) {
            const int64_t cross = pcmFindZeroCross(analysisFormat_, buffer_.data(), valid_, g.position,
                                                   triggerLevel_, triggerMode_ == tmUpFlank);
            if (cross >= 0)
                g.position = uint32_t(cross);
        }
        const PcmScopeDisplay* scope =
            static_cast<const PcmScopeDisplay*>(slots_[first] ? slots_[first] : slots_[first + 1]);
        if (scope->Scroll() && scope->Accelerate())
            advance = scope->FFTLength() / 4 * (scope->BitLength() + 1) * (scope->Mode() + 1);
    }
    const uint32_t start = g.position;
    g.position += std::max<uint32_t>(advance, 1);
    if (block == 0 || uint64_t(start) + block > valid_) {
        g.fresh = false;
        return;
    }
    for (size_t i = first; i < last; ++i)
        if (slots_[i])
            slots_[i]->RefreshPCMData(buffer_.data() + start);
    ++g.count;
}

void Connector::ProcessData() {
    if (!enabled_)
        return;
    if (!running_ && (realTime_ || !analysing_))
        return;
    {
        std::lock_guard lock(lock_);
        if (buffer_.empty())
            return;
        const int64_t elapsed = clock_.now() - arrival_;
        // At the display's pace a pass hands out every block due by now, each in turn.
        const bool catchUp = synchronize_ && hub_.pump() && hub_.pump()->paced();
        for (size_t g = 0; g < kGroups; ++g) {
            if (!groups_[g].fresh || !HasDisplays(g))
                continue;
            uint32_t drawn;
            do {
                drawn = groups_[g].count;
                ProcessGroup(g, elapsed);
            } while (catchUp && groups_[g].fresh && groups_[g].count != drawn);
        }
    }
    if (OnTrigger)
        OnTrigger(*this);
}

void Connector::GetPeak(int16_t& first, int16_t& second) {
    std::lock_guard lock(lock_);
    if (buffer_.empty() || valid_ == 0) {
        first = second = silence_;
        return;
    }
    pcmFindPeak(analysisFormat_, buffer_.data(), valid_, first, second);
}

} // namespace vk350
