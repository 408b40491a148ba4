// Raised by the connector: a property that cannot change while the chain is open, and a paused
// connector whose decay timer cannot be started.
#pragma once

#include "component_error.h"

namespace vk350 {

class ConnectorError : public ComponentError {
public:
    explicit ConnectorError(const std::string& text) : ComponentError(text) {}
};

} // namespace vk350

namespace vk350 {

// The system could not give a timer (a thread here).
class OutOfResources : public ComponentError {
public:
    OutOfResources() : ComponentError("Not enough timers available") {}
};

} // namespace vk350
