#include "sound_component.h"

namespace vk350 {

void TMMCustomSoundComponent::Deliver(TMMDSPComponent* c, TMMLifecycle step) {
    switch (step) {
    case TMMLifecycle::Opened:
        c->Opened();
        break;
    case TMMLifecycle::Started:
        c->Started();
        break;
    case TMMLifecycle::Paused:
        c->Paused();
        break;
    case TMMLifecycle::Restarted:
        c->Restarted();
        break;
    case TMMLifecycle::Stopped:
        c->Stopped();
        break;
    case TMMLifecycle::Closed:
        c->Closed();
        break;
    case TMMLifecycle::Reseting:
        c->Reseting();
        break;
    case TMMLifecycle::Looped:
        c->Looped();
        break;
    }
}

void TMMCustomSoundComponent::Broadcast(TMMLifecycle step) {
    // The head: as far upstream as the links go, unless another device feeds this one.
    TMMDSPComponent* head = this;
    fedByDevice_ = false;
    for (TMMDSPComponent* c = GetInput(); c; c = c->GetInput()) {
        if (c->IsSoundDevice()) {
            fedByDevice_ = true;
            head = this;
            break;
        }
        head = c;
    }
    TMMDSPComponent* nextDevice = nullptr;
    for (TMMDSPComponent* c = GetOutput(); c && !nextDevice; c = c->GetOutput())
        if (c->IsSoundDevice())
            nextDevice = c;

    const bool downstreamFirst = step == TMMLifecycle::Stopped || step == TMMLifecycle::Closed;
    if (downstreamFirst && nextDevice)
        Deliver(nextDevice, step);
    for (TMMDSPComponent* c = head; c; c = c->GetOutput()) {
        if (c == this)
            continue;
        if (c->IsSoundDevice()) {
            if (!downstreamFirst)
                Deliver(c, step);
            break;
        }
        if (step == TMMLifecycle::Opened)
            c->SetBufferSize(GetBufferSize());
        Deliver(c, step);
    }
    Deliver(this, step);
}

} // namespace vk350
