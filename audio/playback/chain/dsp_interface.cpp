#include "dsp_interface.h"

namespace vk350 {

void TMMDSPInterface::Fire(const TNotifyEvent& event) {
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

void TMMDSPInterface::Opened() {
    TMMDSPComponent::Opened();
    Fire(OnOpen);
}

void TMMDSPInterface::Closed() {
    TMMDSPComponent::Closed();
    Fire(OnClosed);
}

void TMMDSPInterface::Started() {
    TMMDSPComponent::Started();
    Fire(OnStart);
}

void TMMDSPInterface::Paused() {
    TMMDSPComponent::Paused();
    Fire(OnPause);
}

void TMMDSPInterface::Restarted() {
    TMMDSPComponent::Restarted();
    Fire(OnRestart);
}

void TMMDSPInterface::Stopped() {
    const bool wasStarted = IsStarted();
    TMMDSPComponent::Stopped();
    // Linking calls Stopped on idle components too; only a real stop is reported.
    if (wasStarted)
        Fire(OnStop);
}

void TMMDSPInterface::Looped() {
    TMMDSPComponent::Looped();
    Fire(OnLooped);
}

} // namespace vk350
