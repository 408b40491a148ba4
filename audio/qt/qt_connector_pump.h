// The connectors' pump on the Qt event loop: each pass lets waiting events run, processes the
// running connectors, and the next pass follows on a precise 1 ms timer, so the window stays
// responsive between passes.
#pragma once

#include "connector_hub.h"
#include "connector_pump.h"

#include <exception>
#include <functional>
#include <memory>

class QObject;

namespace vk350 {

class QtConnectorPump : public ConnectorPump {
public:
    // The window thread; registers itself with hub.
    explicit QtConnectorPump(ConnectorHub& hub);
    ~QtConnectorPump() override;

    void wake() override;
    void handleMessages() override;
    bool terminating() const override;
    bool active() const { return active_; }

    // Receives what escapes a pass (the pass then ends until the next start); without it the
    // text goes to Qt's warning log.
    std::function<void(std::exception_ptr)> OnException;

private:
    void run();

    ConnectorHub& hub_;
    std::unique_ptr<QObject> context_;
    bool active_ = false;
};

} // namespace vk350
