#include "connector_hub.h"

#include "connector.h"

#include <algorithm>

namespace vk350 {

void ConnectorHub::add(Connector* connector) {
    if (!contains(connector))
        connectors_.push_back(connector);
}

void ConnectorHub::remove(Connector* connector) {
    std::erase(connectors_, connector);
}

bool ConnectorHub::contains(const Connector* connector) const {
    return std::find(connectors_.begin(), connectors_.end(), connector) != connectors_.end();
}

void ConnectorHub::joinAutoTrigger() {
    ++autoRunning_;
    if (pump_)
        pump_->wake();
}

void ConnectorHub::leaveAutoTrigger() {
    if (autoRunning_ > 0)
        --autoRunning_;
}

int ConnectorHub::maxSpeed() const {
    if (connectors_.empty())
        return Connector::kMaxSpeed;
    int speed = Connector::kMinSpeed;
    for (const Connector* c : connectors_)
        speed = std::max(speed, c->Speed());
    return speed;
}

bool ConnectorHub::wanted() const {
    return autoRunning_ > 0 && !connectors_.empty() && !(pump_ && pump_->terminating());
}

bool ConnectorHub::Pass() {
    if (pump_) {
        const int rounds = Connector::kMaxSpeed + 1 - maxSpeed();
        for (int i = 0; i < rounds; ++i)
            pump_->handleMessages();
    }
    if (wanted()) {
        // A connector may go away while another one's OnTrigger runs: each is looked up again.
        const std::vector<Connector*> snapshot = connectors_;
        for (Connector* c : snapshot)
            if (contains(c) && c->AutoTrigger() && c->Enabled() && c->Running())
                c->ProcessData();
    }
    if (!wanted())
        return false;
    if (enterIdle_ && pump_)
        pump_->handleMessages();
    return true;
}

} // namespace vk350
