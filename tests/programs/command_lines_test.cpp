// Both programs started as a script starts them, on a machine without a display: help and
// version on standard output with status 0; a mistake as one line on standard error that gives
// the usage, with status 2.
#include "run_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// No X11 or Wayland display, and Qt asked for X11: a program that started Qt here would abort.
Outcome run(const std::string& program, const std::string& args) {
    char errPath[] = "/tmp/vk350-err-XXXXXX";
    const int fd = mkstemp(errPath);
    if (fd < 0)
        return {};
    close(fd);
    // Grouped, so that the error stream goes to its file and not where runCommand sends it.
    const CommandResult r =
        runCommand("{ env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + shellQuote(program) + " " +
                       args + " </dev/null 2>" + errPath + "; }",
                   true);
    std::ifstream in(errPath);
    std::stringstream err;
    err << in.rdbuf();
    std::remove(errPath);
    return {r.status, r.out, err.str()};
}

struct Case {
    const char* program;
    std::string args;
    int status;
    std::string out; // exactly, or with a trailing '*' as a start
    std::string err; // the same
};

bool matches(const std::string& text, const std::string& pattern) {
    if (!pattern.empty() && pattern.back() == '*')
        return text.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
    return text == pattern;
}

const std::string kVersion = VK350_PROJECT_VERSION;
const std::string kToolUsage = "; usage: vk350 COMMAND [ARGS] (vk350 --help lists the commands)\n";
const std::string kEditorUsage = "; usage: vk350-editor [OPTION]... [FILE]...\n";

} // namespace

TEST(CommandLines, HelpVersionAndMistakes) {
    const char* tool = VK350_TOOL;
    const char* editor = VK350_EDITOR;
    const std::vector<Case> cases = {
        {tool, "--version", 0, "vk350 " + kVersion + "\n", ""},
        {tool, "-V", 0, "vk350 " + kVersion + "\n", ""},
        {tool, "--help", 0, "usage: vk350 COMMAND [ARGS]\n*", ""},
        {tool, "", 2, "", "vk350: missing command" + kToolUsage},
        {tool, "--frobnicate", 2, "", "vk350: unknown option '--frobnicate'" + kToolUsage},
        {tool, "frobnicate", 2, "", "vk350: unknown command 'frobnicate'" + kToolUsage},
        {tool, "convert a.wav b.bin --fast", 2, "",
         "vk350: convert: unknown option '--fast'; usage: vk350 convert IN.wav OUT [--rate R] [--mulaw]\n"},
        {tool, "convert a.wav b.bin --rate", 2, "",
         "vk350: convert: --rate needs a value; usage: vk350 convert IN.wav OUT [--rate R] [--mulaw]\n"},
        {tool, "convert a.wav", 2, "", "vk350: usage: vk350 convert IN.wav OUT [--rate R] [--mulaw]\n"},
        {tool, "send x.syx", 2, "", "vk350: --port N is required; usage: vk350 send FILE.syx*"},
        {editor, "--version", 0, "vk350-editor " + kVersion + "\n", ""},
        {editor, "-platform offscreen -V", 0, "vk350-editor " + kVersion + "\n", ""},
        {editor, "--help", 0, "usage: vk350-editor [OPTION]... [FILE]...\n*", ""},
        {editor, "--frobnicate", 2, "", "vk350-editor: unknown option '--frobnicate'" + kEditorUsage},
        {editor, "kick.bin -platform", 2, "",
         "vk350-editor: option '-platform' needs a value" + kEditorUsage},
        // Several files are taken (they fill the bank); a mistake after them still stops.
        {editor, "a.bin b.bin --style", 2, "", "vk350-editor: option '--style' needs a value" + kEditorUsage},
    };
    for (const Case& c : cases) {
        const Outcome o = run(c.program, c.args);
        const std::string what = std::string(c.program) + " " + c.args;
        EXPECT_EQ(o.status, c.status) << what << "\n" << o.out << o.err;
        EXPECT_TRUE(matches(o.out, c.out)) << what << "\nout: " << o.out;
        EXPECT_TRUE(matches(o.err, c.err)) << what << "\nerr: " << o.err;
        // A mistake is one line, so that it reads well in a script's log.
        if (c.status == 2) {
            EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << what << "\n" << o.err;
        }
    }
}
