// Raised by the connector: a property that cannot change while the chain is open, and a paused
// connector whose decay timer cannot be started.
#pragma once

#include "component_error.h"

namespace vk350 {

class EMMConnectorError : public EMMError {
public:
    explicit EMMConnectorError(const std::string& text) : EMMError(text) {}
};

} // namespace vk350

namespace vk350 {

// The system could not give a timer (a thread here).
class EOutOfResources : public EMMError {
public:
    EOutOfResources() : EMMError("Not enough timers available") {}
};

} // namespace vk350
