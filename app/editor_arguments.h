// The editor's command line, read before Qt starts, so that --help, --version and mistakes are
// answered on a machine without a display.
#pragma once

#include <string>
#include <vector>

namespace vk350 {

struct EditorArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string file;               // the sample to open at start; empty for none
    std::vector<std::string> files; // every file named, file first; two or more fill the bank
    std::string error;              // with Action::Error: what was wrong, one line
};

// argv as main() receives it. Qt's own options (-platform NAME, -style=NAME, -reverse, ...) are
// stepped over with their values, for QApplication to take.
EditorArguments parseEditorArguments(int argc, const char* const* argv);

// "usage: vk350-editor [OPTION]... [FILE]...", the line that follows every mistake.
std::string editorUsage();
// The text of --help.
std::string editorHelp();
// The line of --version.
std::string editorVersionLine();

} // namespace vk350
