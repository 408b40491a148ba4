#include "queue_pump.h"

namespace vk350 {

QueuePump::QueuePump(QueueDispatcher& dispatcher, ConnectorHub& hub) : dispatcher_(dispatcher), hub_(hub) {
    hub_.setPump(this);
}

QueuePump::~QueuePump() {
    if (hub_.pump() == this)
        hub_.setPump(nullptr);
}

void QueuePump::wake() {
    if (active_)
        return;
    active_ = true;
    dispatcher_.post([this, alive = std::weak_ptr<int>(life_)] {
        if (alive.lock())
            run();
    });
}

void QueuePump::handleMessages() {
    dispatcher_.runPending();
}

void QueuePump::run() {
    active_ = false; // stays so when the pass throws
    if (!hub_.Pass())
        return;
    active_ = true;
    dispatcher_.postAfter(kPauseMicros, [this, alive = std::weak_ptr<int>(life_)] {
        if (alive.lock())
            run();
    });
}

} // namespace vk350
