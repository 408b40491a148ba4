// What all connectors of one window thread share: their list, the count of those that run and
// trigger themselves, the largest Speed, the EnterIdle switch and the pump that runs their
// passes. Window thread only, like the connectors' lists and counts it keeps.
#pragma once

#include "connector_pump.h"
#include "dispatcher.h"

#include <vector>

namespace vk350 {

class Connector;

class ConnectorHub {
public:
    explicit ConnectorHub(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}
    ConnectorHub(const ConnectorHub&) = delete;
    ConnectorHub& operator=(const ConnectorHub&) = delete;

    Dispatcher& dispatcher() const { return dispatcher_; }
    // The pump must outlive its use here; none: connectors run only when triggered.
    void setPump(ConnectorPump* pump) { pump_ = pump; }
    ConnectorPump* pump() const { return pump_; }

    void add(Connector* connector);
    void remove(Connector* connector);
    bool contains(const Connector* connector) const;
    size_t count() const { return connectors_.size(); }

    // Connectors that run and trigger themselves; joining wakes the pump.
    void joinAutoTrigger();
    void leaveAutoTrigger();
    int runningAutoTriggers() const { return autoRunning_; }

    // The largest Speed of all connectors (1 to 5000); 5000 when there are none.
    int maxSpeed() const;

    // Shared by all connectors: after each pass's pause, let one more round of messages run.
    bool enterIdle() const { return enterIdle_; }
    void setEnterIdle(bool value) { enterIdle_ = value; }

    // One pass: (5001 - maxSpeed) rounds of messages, then ProcessData of every running,
    // enabled, self-triggering connector. True when another pass should follow. An exception
    // from a connector leaves the pass; the pump starts again at the next start.
    bool Pass();

private:
    bool wanted() const;

    Dispatcher& dispatcher_;
    ConnectorPump* pump_ = nullptr;
    std::vector<Connector*> connectors_;
    int autoRunning_ = 0;
    bool enterIdle_ = false;
};

} // namespace vk350
