// TMMDSPInterface: a pass-through link of the chain that reports the lifecycle as events, for
// code that wants to follow playback without writing a component of its own.
#pragma once

#include "dispatcher.h"
#include "dsp_component.h"

#include <functional>
#include <memory>

namespace vk350 {

class TMMDSPInterface : public TMMDSPComponent {
public:
    // With a dispatcher, events raised on another thread (Looped, on the buffer thread) are
    // posted to its thread; without one they run where the step happens.
    explicit TMMDSPInterface(Dispatcher* dispatcher = nullptr) : dispatcher_(dispatcher) {}

    using TNotifyEvent = std::function<void(TMMDSPComponent& Sender)>;
    TNotifyEvent OnOpen;
    TNotifyEvent OnStart;
    TNotifyEvent OnPause;
    TNotifyEvent OnRestart;
    TNotifyEvent OnLooped;
    TNotifyEvent OnStop;
    TNotifyEvent OnClosed;

    void Opened() override;
    void Closed() override;
    void Started() override;
    void Paused() override;
    void Restarted() override;
    void Stopped() override;
    void Looped() override;

private:
    void Fire(const TNotifyEvent& event);
    Dispatcher* dispatcher_;
    std::shared_ptr<int> life_ = std::make_shared<int>(0); // posted events check it
};

} // namespace vk350
