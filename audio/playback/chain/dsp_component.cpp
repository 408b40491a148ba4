#include "dsp_component.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace vk350 {

namespace {

// Every live component, for the link notifications.
struct Registry {
    std::mutex mutex;
    std::vector<DspComponent*> all;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

DspComponent::DspComponent() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.all.push_back(this);
}

DspComponent::~DspComponent() {
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

void DspComponent::NotifyAll(DspComponent* component, ChainPort port) {
    std::vector<DspComponent*> all;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        all = r.all;
    }
    for (DspComponent* c : all)
        c->DeconnectNotification(component, port);
}

void DspComponent::SetLinkable(bool input, bool output) {
    hasInput_ = input;
    hasOutput_ = output;
}

bool DspComponent::CanConnectInput(const DspComponent* component) const {
    if (!component || component == this || !component->hasOutput_ || !hasInput_)
        return false;
    return !output_ || output_->CanConnectInput(component);
}

bool DspComponent::CanConnectOutput(const DspComponent* component) const {
    if (!component || component == this || !component->hasInput_ || !hasOutput_)
        return false;
    return !input_ || input_->CanConnectOutput(component);
}

void DspComponent::DeconnectNotification(DspComponent* component, ChainPort port) {
    if (port == poInput && output_ == component) {
        output_ = nullptr;
        outputPort_.clear();
    } else if (port == poOutput && input_ == component) {
        input_ = nullptr;
        inputPort_.clear();
    }
}

void DspComponent::SetInput(DspComponent* component) {
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

void DspComponent::SetOutput(DspComponent* component) {
    if (component == output_ || (component && !CanConnectOutput(component)))
        return;
    Stopped();
    if (output_) {
        DspComponent* old = output_;
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

void DspComponent::SetPWaveFormat(const WaveFormatEx* format) {
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

void DspComponent::UpdateParams() {
    if (input_)
        SetPWaveFormat(input_->GetPWaveFormat());
    else if (output_)
        output_->ChangePWaveFormat(GetPWaveFormat());
}

uint32_t DspComponent::GetBufferSize() const {
    return opened_ ? effectiveSize_ : bufferSize_;
}

void DspComponent::SetBufferSize(uint32_t bytes) {
    if (started_)
        Stopped();
    bufferSize_ = bytes;
}

void DspComponent::Opened() {
    effectiveSize_ = bufferSize_;
    if (format_) {
        const uint32_t block = std::max<uint32_t>(format_->nBlockAlign, 1);
        effectiveSize_ = std::max(block, bufferSize_ - bufferSize_ % block);
    }
    opened_ = true;
    started_ = false;
    paused_ = false;
}

void DspComponent::Closed() {
    opened_ = false;
}

void DspComponent::Started() {
    if (opened_)
        started_ = true;
}

void DspComponent::Paused() {
    paused_ = true;
}

void DspComponent::Restarted() {
    paused_ = false;
}

void DspComponent::Stopped() {
    started_ = false;
    paused_ = false;
}

void DspComponent::BufferReady(ChainBuffer* header) {
    if (OnBufferReady)
        OnBufferReady(*this, header);
    if (output_)
        output_->BufferReady(header);
}

void DspComponent::BufferLoad(ChainBuffer* header, bool& more) {
    if (OnBufferLoad)
        OnBufferLoad(*this, header, more);
    if (input_)
        input_->BufferLoad(header, more);
    if (OnBufferFilled && header->dwBytesRecorded > 0)
        OnBufferFilled(*this, header);
}

} // namespace vk350
