#include "command_guard.h"

#include <exception>

namespace vk350 {

void runGuardedCommand(const std::function<void()>& command, const std::function<void(const QString&)>& show,
                       const std::optional<QString>& unexpectedText) {
    try {
        command();
    } catch (const std::exception& e) {
        show(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        if (!unexpectedText)
            throw;
        show(*unexpectedText);
    }
}

} // namespace vk350
