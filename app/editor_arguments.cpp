#include "editor_arguments.h"

#include "version.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vk350 {

namespace {

// The options that QApplication and its X11 platform take, named without their dash. Qt reads
// them with one dash or two.
constexpr std::array<std::string_view, 16> kQtOptionsWithValue = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "geometry",
    "qwindowtitle",
    "title",
    "qwindowicon",
    "icon",
    "session",
    "display",
    "name",
    "visual",
    "style",
    "stylesheet",
};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb",
                                                      "testability"};
// Of those, the ones that Qt also reads as "-name=value".
constexpr std::array<std::string_view, 3> kQtOptionsWithEquals = {"style", "stylesheet", "qmljsdebugger"};

template <size_t N> bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

EditorArguments mistake(std::string text) {
    EditorArguments a;
    a.action = EditorArguments::Action::Error;
    a.error = std::move(text);
    return a;
}

} // namespace

EditorArguments parseEditorArguments(int argc, const char* const* argv) {
    EditorArguments result;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (result.files.empty())
                result.file = arg;
            result.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            result.action = EditorArguments::Action::Help;
            return result;
        } else if (arg == "-V" || arg == "--version") {
            result.action = EditorArguments::Action::Version;
            return result;
        } else {
            std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
            const size_t equals = name.find('=');
            if (equals != std::string_view::npos && contains(kQtOptionsWithEquals, name.substr(0, equals)))
                continue;
            if (contains(kQtFlags, name))
                continue;
            if (!contains(kQtOptionsWithValue, name))
                return mistake("unknown option '" + std::string(arg) + "'");
            if (i + 1 >= argc)
                return mistake("option '" + std::string(arg) + "' needs a value");
            ++i;
        }
    }
    return result;
}

std::string editorUsage() {
    return "usage: vk350-editor [OPTION]... [FILE]...";
}

std::string editorHelp() {
    return editorUsage() +
           "\n\n"
           "Edits the 8-bit drum samples of the VK350 and exchanges them with the drum machine\n"
           "over MIDI. FILE, a raw sample (.bin, .raw, .ovl) or a WAV file, is opened at start;\n"
           "two files or more fill the sample bank from its first slot, in name order.\n\n"
           "  -h, --help     show this help and exit\n"
           "  -V, --version  show the version and exit\n\n"
           "Qt's own options (-platform NAME, -style NAME, -geometry WxH+X+Y, -reverse, ...)\n"
           "are passed on to Qt. Exit status: 0 when the editor is closed, 2 for a bad command line.\n";
}

std::string editorVersionLine() {
    return std::string("vk350-editor ") + kVersion;
}

} // namespace vk350
