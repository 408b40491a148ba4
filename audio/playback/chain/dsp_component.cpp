#include "dsp_component.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace vk350 {

namespace {

// Every live component, for the link notifications.
struct Registry {
    std::mutex mutex;
    std::vector<TMMDSPComponent*> all;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

TMMDSPComponent::TMMDSPComponent() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.all.push_back(this);
}

TMMDSPComponent::~TMMDSPComponent() {
    destroying_ = true;
    if (input_ && input_->output_ == this) {
        input_->output_ = nullptr;
        input_->outputPort_.clear();
    }
    if (output_ && output_->input_ == this) {
        output_->input_ = nullptr;
        output_->inputPort_.clear();
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase(r.all, this);
}

void TMMDSPComponent::NotifyAll(TMMDSPComponent* component, TMMPort port) {
    std::vector<TMMDSPComponent*> all;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        all = r.all;
    }
    for (TMMDSPComponent* c : all)
        c->DeconnectNotification(component, port);
}

void TMMDSPComponent::SetLinkable(bool input, bool output) {
    hasInput_ = input;
    hasOutput_ = output;
}

bool TMMDSPComponent::CanConnectInput(const TMMDSPComponent* component) const {
    if (!component || component == this || !component->hasOutput_ || !hasInput_)
        return false;
    return !output_ || output_->CanConnectInput(component);
}

bool TMMDSPComponent::CanConnectOutput(const TMMDSPComponent* component) const {
    if (!component || component == this || !component->hasInput_ || !hasOutput_)
        return false;
    return !input_ || input_->CanConnectOutput(component);
}

void TMMDSPComponent::DeconnectNotification(TMMDSPComponent* component, TMMPort port) {
    if (port == poInput && output_ == component) {
        output_ = nullptr;
        outputPort_.clear();
    } else if (port == poOutput && input_ == component) {
        input_ = nullptr;
        inputPort_.clear();
    }
}

void TMMDSPComponent::SetInput(TMMDSPComponent* component) {
    if (component == input_ || (component && !CanConnectInput(component)))
        return;
    Stopped();
    if (input_) {
        NotifyAll(this, poInput);
        input_ = nullptr;
        inputPort_.clear();
        ChangePWaveFormat(nullptr);
    }
    if (component) {
        NotifyAll(component, poOutput);
        input_ = component;
        inputPort_ = "Output";
        component->output_ = this;
        component->outputPort_ = "Input";
        UpdateParams();
    }
}

void TMMDSPComponent::SetOutput(TMMDSPComponent* component) {
    if (component == output_ || (component && !CanConnectOutput(component)))
        return;
    Stopped();
    if (output_) {
        TMMDSPComponent* old = output_;
        NotifyAll(this, poOutput);
        output_ = nullptr;
        outputPort_.clear();
        old->ChangePWaveFormat(nullptr); // it has no source any more
    }
    if (component) {
        NotifyAll(component, poInput);
        output_ = component;
        outputPort_ = "Input";
        component->input_ = this;
        component->inputPort_ = "Output";
        UpdateParams();
    }
}

void TMMDSPComponent::SetPWaveFormat(const tWAVEFORMATEX* format) {
    const bool differs = format ? !format_ || *format_ != wioCopyWaveFormat(*format) : format_.has_value();
    if (differs) {
        if (started_)
            Stopped();
        if (format)
            format_ = wioCopyWaveFormat(*format);
        else
            format_.reset();
    }
    if (!destroying_ && output_)
        output_->ChangePWaveFormat(GetPWaveFormat());
}

void TMMDSPComponent::UpdateParams() {
    if (input_)
        SetPWaveFormat(input_->GetPWaveFormat());
    else if (output_)
        output_->ChangePWaveFormat(GetPWaveFormat());
}

uint32_t TMMDSPComponent::GetBufferSize() const {
    return opened_ ? effectiveSize_ : bufferSize_;
}

void TMMDSPComponent::SetBufferSize(uint32_t bytes) {
    if (started_)
        Stopped();
    bufferSize_ = bytes;
}

void TMMDSPComponent::Opened() {
    effectiveSize_ = bufferSize_;
    if (format_) {
        const uint32_t block = std::max<uint32_t>(format_->nBlockAlign, 1);
        effectiveSize_ = std::max(block, bufferSize_ - bufferSize_ % block);
    }
    opened_ = true;
    started_ = false;
    paused_ = false;
}

void TMMDSPComponent::Closed() {
    opened_ = false;
}

void TMMDSPComponent::Started() {
    if (opened_)
        started_ = true;
}

void TMMDSPComponent::Paused() {
    paused_ = true;
}

void TMMDSPComponent::Restarted() {
    paused_ = false;
}

void TMMDSPComponent::Stopped() {
    started_ = false;
    paused_ = false;
}

void TMMDSPComponent::BufferReady(TMMWaveHdr* header) {
    if (OnBufferReady)
        OnBufferReady(*this, header);
    if (output_)
        output_->BufferReady(header);
}

void TMMDSPComponent::BufferLoad(TMMWaveHdr* header, bool& more) {
    if (OnBufferLoad)
        OnBufferLoad(*this, header, more);
    if (input_)
        input_->BufferLoad(header, more);
    if (OnBufferFilled && header->dwBytesRecorded > 0)
        OnBufferFilled(*this, header);
}

} // namespace vk350
