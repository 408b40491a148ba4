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

// The chain stays active through the pass, so a connector that starts meanwhile joins it
// instead of beginning a second one.
void QueuePump::run() {
    bool again = false;
    try {
        again = hub_.Pass();
    } catch (...) {
        active_ = false;
        if (!OnException)
            throw;
        OnException(std::current_exception());
        return;
    }
    active_ = again;
    if (again)
        dispatcher_.postAfter(pauseMicros(), [this, alive = std::weak_ptr<int>(life_)] {
            if (alive.lock())
                run();
        });
}

} // namespace vk350
