#include "dsp_interface.h"

namespace vk350 {

void DspInterface::Fire(const NotifyEvent& event) {
    if (!event)
        return;
    if (dispatcher_ && !dispatcher_->isDispatchThread())
        dispatcher_->post([event, this, alive = std::weak_ptr<int>(life_)] {
            if (alive.lock())
                event(*this);
        });
    else
        event(*this);
}

void DspInterface::Opened() {
    DspComponent::Opened();
    Fire(OnOpen);
}

void DspInterface::Closed() {
    DspComponent::Closed();
    Fire(OnClosed);
}

void DspInterface::Started() {
    DspComponent::Started();
    Fire(OnStart);
}

void DspInterface::Paused() {
    DspComponent::Paused();
    Fire(OnPause);
}

void DspInterface::Restarted() {
    DspComponent::Restarted();
    Fire(OnRestart);
}

void DspInterface::Stopped() {
    const bool wasStarted = IsStarted();
    DspComponent::Stopped();
    // Linking calls Stopped on idle components too; only a real stop is reported.
    if (wasStarted)
        Fire(OnStop);
}

void DspInterface::Looped() {
    DspComponent::Looped();
    Fire(OnLooped);
}

} // namespace vk350
