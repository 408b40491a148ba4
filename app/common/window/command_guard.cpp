#include "command_guard.h"

#include "sample_document.h"

#include <exception>

namespace vk350 {

namespace {

std::function<void(const QString&)>& refusalNotice() {
    static std::function<void(const QString&)> notice;
    return notice;
}

// The refusal of a command while a long job holds a sample; empty when none does.
QString busyRefusal() {
    const std::string reason = SampleDocument::AnyBusyReason();
    if (reason.empty())
        return {};
    return QStringLiteral("Not now: the editor is busy %1").arg(QString::fromLocal8Bit(reason.c_str()));
}

} // namespace

void setRefusalNotice(std::function<void(const QString&)> notice) {
    refusalNotice() = std::move(notice);
}

void runGuardedCommand(const std::function<void()>& command, const std::function<void(const QString&)>& show,
                       const std::optional<QString>& unexpectedText) {
    if (const QString refusal = busyRefusal(); !refusal.isEmpty()) {
        if (refusalNotice())
            refusalNotice()(refusal);
        return;
    }
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
