// DspInterface: a pass-through link of the chain that reports the lifecycle as events, for
// code that wants to follow playback without writing a component of its own.
#pragma once

#include "dispatcher.h"
#include "dsp_component.h"

#include <functional>
#include <memory>

namespace vk350 {

class DspInterface : public DspComponent {
public:
    // With a dispatcher, events raised on another thread (Looped, on the buffer thread) are
    // posted to its thread; without one they run where the step happens.
    explicit DspInterface(Dispatcher* dispatcher = nullptr) : dispatcher_(dispatcher) {}

    using NotifyEvent = std::function<void(DspComponent& Sender)>;
    NotifyEvent OnOpen;
    NotifyEvent OnStart;
    NotifyEvent OnPause;
    NotifyEvent OnRestart;
    NotifyEvent OnLooped;
    NotifyEvent OnStop;
    NotifyEvent OnClosed;

    void Opened() override;
    void Closed() override;
    void Started() override;
    void Paused() override;
    void Restarted() override;
    void Stopped() override;
    void Looped() override;

private:
    void Fire(const NotifyEvent& event);
    Dispatcher* dispatcher_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0); // posted events check it
};

} // namespace vk350
