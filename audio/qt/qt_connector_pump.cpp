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
    QTimer::singleShot(0, context_.get(), [this] { run(); });
}

void QtConnectorPump::handleMessages() {
    QCoreApplication::processEvents();
}

bool QtConnectorPump::terminating() const {
    return QCoreApplication::closingDown();
}

void QtConnectorPump::run() {
    active_ = false; // stays so when the pass fails
    bool again = false;
    QtDispatcher::runGuarded([&] { again = hub_.Pass(); }, OnException);
    if (!again)
        return;
    active_ = true;
    QTimer::singleShot(1, Qt::PreciseTimer, context_.get(), [this] { run(); });
}

} // namespace vk350
