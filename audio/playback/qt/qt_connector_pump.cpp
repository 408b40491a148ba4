#include "qt_connector_pump.h"

#include "qt_dispatcher.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

namespace vk350 {

QtConnectorPump::QtConnectorPump(ConnectorHub& hub) : hub_(hub), context_(std::make_unique<QObject>()) {
    hub_.setPump(this);
}

QtConnectorPump::~QtConnectorPump() {
    if (hub_.pump() == this)
        hub_.setPump(nullptr);
}

void QtConnectorPump::wake() {
    if (active_)
        return;
    active_ = true;
    ++scheduled_;
    QTimer::singleShot(0, context_.get(), [this] { run(); });
}

bool QtConnectorPump::terminating() const {
    return QCoreApplication::closingDown();
}

// The chain stays active through the pass, so a connector that starts meanwhile joins it
// instead of beginning a second one. A failure is reported once the chain has ended, so that a
// start while the report is on screen begins a new one.
void QtConnectorPump::run() {
    --scheduled_;
    bool again = false;
    std::exception_ptr failure;
    try {
        again = hub_.Pass();
    } catch (...) {
        failure = std::current_exception();
    }
    active_ = again;
    if (again) {
        ++scheduled_;
        QTimer::singleShot(int(pauseMicros() / 1000), Qt::PreciseTimer, context_.get(), [this] { run(); });
    }
    if (failure)
        QtDispatcher::runGuarded([&] { std::rethrow_exception(failure); }, OnException);
}

} // namespace vk350
