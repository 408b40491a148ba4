// The connectors' pump on the Qt event loop: each pass processes the running connectors and the
// next follows on a precise 1 ms timer; the events that wait run in the loop between two passes,
// so the window stays responsive and never runs a command inside a pass. Without an OnException
// a failed pass goes to Qt's warning log.
#pragma once

#include "connector_hub.h"
#include "connector_pump.h"

#include <memory>

class QObject;

namespace vk350 {

class QtConnectorPump : public ConnectorPump {
public:
    // The window thread; registers itself with hub.
    explicit QtConnectorPump(ConnectorHub& hub);
    ~QtConnectorPump() override;

    void wake() override;
    bool terminating() const override;
    // Window thread: true while a chain of passes runs (a pass is due or under way).
    bool active() const { return active_; }
    // Window thread: passes waiting on the timer; never more than one.
    int scheduled() const { return scheduled_; }

private:
    void run();

    ConnectorHub& hub_;
    std::unique_ptr<QObject> context_;
    bool active_ = false;
    int scheduled_ = 0;
};

} // namespace vk350
