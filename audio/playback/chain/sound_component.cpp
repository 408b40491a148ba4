#include "sound_component.h"

namespace vk350 {

void SoundComponent::Deliver(DspComponent* c, Lifecycle step) {
    switch (step) {
    case Lifecycle::Opened:
        c->Opened();
        break;
    case Lifecycle::Started:
        c->Started();
        break;
    case Lifecycle::Paused:
        c->Paused();
        break;
    case Lifecycle::Restarted:
        c->Restarted();
        break;
    case Lifecycle::Stopped:
        c->Stopped();
        break;
    case Lifecycle::Closed:
        c->Closed();
        break;
    case Lifecycle::Reseting:
        c->Reseting();
        break;
    case Lifecycle::Looped:
        c->Looped();
        break;
    }
}

void SoundComponent::Broadcast(Lifecycle step) {
    // The head: as far upstream as the links go, unless another device feeds this one.
    DspComponent* head = this;
    fedByDevice_ = false;
    for (DspComponent* c = GetInput(); c; c = c->GetInput()) {
        if (c->IsSoundDevice()) {
            fedByDevice_ = true;
            head = this;
            break;
        }
        head = c;
    }
    DspComponent* nextDevice = nullptr;
    for (DspComponent* c = GetOutput(); c && !nextDevice; c = c->GetOutput())
        if (c->IsSoundDevice())
            nextDevice = c;

    const bool downstreamFirst = step == Lifecycle::Stopped || step == Lifecycle::Closed;
    if (downstreamFirst && nextDevice)
        Deliver(nextDevice, step);
    for (DspComponent* c = head; c; c = c->GetOutput()) {
        if (c == this)
            continue;
        if (c->IsSoundDevice()) {
            if (!downstreamFirst)
                Deliver(c, step);
            break;
        }
        if (step == Lifecycle::Opened)
            c->SetBufferSize(GetBufferSize());
        Deliver(c, step);
    }
    Deliver(this, step);
}

} // namespace vk350
