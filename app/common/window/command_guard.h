// The one way the windows run their commands: an error escaping a command is shown in the
// window's error box instead of ending the program. Window thread only.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace vk350 {

// Runs command; a std::exception escaping it goes to show with its text. Anything else thrown
// goes to show with unexpectedText when that is given, and otherwise on to the application's
// last-resort box. While a long job holds a sample (a conversion, a transfer, whose progress
// lets every window take clicks) no command runs: it is refused, and the refusal notice says why.
void runGuardedCommand(const std::function<void()>& command, const std::function<void(const QString&)>& show,
                       const std::optional<QString>& unexpectedText = std::nullopt);

// Where refused commands say why (the main window's status bar); none: nowhere.
void setRefusalNotice(std::function<void(const QString&)> notice);

} // namespace vk350
