// Runs the connectors' processing passes on the window thread. Each pass lets waiting window
// messages run, processes every running connector, and is followed by the next after a pause
// of about a millisecond, for as long as a connector runs (ConnectorHub::Pass decides). The
// editor's pump is a Qt timer; the tool's and the tests' is a QueuePump.
#pragma once

namespace vk350 {

class ConnectorPump {
public:
    virtual ~ConnectorPump() = default;
    // Window thread: passes are wanted; begin them unless they run already.
    virtual void wake() = 0;
    // Window thread: let the window messages that wait run once.
    virtual void handleMessages() = 0;
    // Window thread: true while the application shuts down; passes end then.
    virtual bool terminating() const { return false; }
};

} // namespace vk350
