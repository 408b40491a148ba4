// Runs the connectors' processing passes on the window thread. Each pass processes every running
// connector and is followed by the next after a pause of about a millisecond, for as long as a
// connector runs (ConnectorHub::Pass decides). The window messages that wait run between two
// passes, in the window thread's own loop: a pass never runs that loop itself, so no command (a
// Stop, a second Play) can run in the middle of a pass. The editor's pump is a Qt timer; the
// tool's and the tests' is a QueuePump.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>

namespace vk350 {

class ConnectorPump {
public:
    virtual ~ConnectorPump() = default;
    // Window thread: passes are wanted; begin them unless they run already. However often it
    // is called, one chain of passes runs at a time.
    virtual void wake() = 0;
    // Window thread: a round of window messages within a pass. Both pumps return to their loop
    // between passes, which is where the messages run; a pump that had no loop of its own
    // would handle them here.
    virtual void handleMessages() {}
    // Window thread: true while the application shuts down; passes end then.
    virtual bool terminating() const { return false; }

    // Window thread: the pause between two passes; 1000 by default. A longer pause (the display's
    // pace) lets each pass hand out every block that fell due since the last, in order, so the
    // displays are given the same blocks with fewer wake-ups.
    int64_t pauseMicros() const { return pauseMicros_; }
    void setPauseMicros(int64_t micros) { pauseMicros_ = std::max<int64_t>(micros, 1000); }
    bool paced() const { return pauseMicros_ > 1000; }
    static constexpr int64_t kDisplayPaceMicros = 16667; // a 60 Hz display

    // Set and called on the window thread: receives what escapes a pass. The passes then end
    // until a connector starts again. Without it the failure goes to the pump's fallback.
    std::function<void(std::exception_ptr)> OnException;

private:
    int64_t pauseMicros_ = 1000;
};

} // namespace vk350
