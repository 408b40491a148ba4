// The connector pump of a QueueDispatcher's thread: each pass is a queued task and the next
// one is queued to run a millisecond later by the dispatcher's clock. Without an OnException
// a failed pass goes on to the dispatcher.
#pragma once

#include "connector_hub.h"
#include "connector_pump.h"
#include "queue_dispatcher.h"

#include <memory>

namespace vk350 {

class QueuePump : public ConnectorPump {
public:
    // Registers itself with hub; dispatcher is the hub's dispatcher.
    QueuePump(QueueDispatcher& dispatcher, ConnectorHub& hub);
    ~QueuePump() override;

    void wake() override;
    // Window thread: true while a chain of passes runs (a pass is queued or under way).
    bool active() const { return active_; }

    static constexpr int64_t kPauseMicros = 1000;

private:
    void run();

    QueueDispatcher& dispatcher_;
    ConnectorHub& hub_;
    bool active_ = false;
    std::shared_ptr<int> life_ = std::make_shared<int>(0); // queued passes check it
};

} // namespace vk350
