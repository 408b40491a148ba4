// SoundComponent: a component that drives its chain (the wave output device). It
// broadcasts each lifecycle step to the components it feeds and that feed it, up to the next
// sound device either way, and then handles the step itself.
#pragma once

#include "dsp_component.h"

namespace vk350 {

enum class Lifecycle { Opened, Started, Paused, Restarted, Stopped, Closed, Reseting, Looped };

class SoundComponent : public DspComponent {
public:
    bool IsSoundDevice() const override { return true; }
    // True once a broadcast found another device upstream: the chain is fed by that device.
    bool FedByDevice() const { return fedByDevice_; }

protected:
    // Window thread (Looped: the buffer thread). The order: for Stopped and Closed the next
    // device downstream first; then every plain component from the head of the chain down to
    // that device (each given this device's buffer size before Opened); then this device.
    void Broadcast(Lifecycle step);

private:
    static void Deliver(DspComponent* c, Lifecycle step);
    bool fedByDevice_ = false;
};

} // namespace vk350
