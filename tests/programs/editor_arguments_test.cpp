// The editor's command line: Qt's options are stepped over with their values, ours are answered,
// anything else is a mistake named in one line.
#include "editor_arguments.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vk350;
using Action = EditorArguments::Action;

namespace {

EditorArguments parse(std::vector<std::string> args) {
    args.insert(args.begin(), "vk350-editor");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return parseEditorArguments(int(args.size()), argv.data());
}

struct Case {
    std::vector<std::string> args;
    Action action;
    std::string file;
    std::string error;
};

} // namespace

TEST(EditorArguments, ReadsFilesOptionsAndMistakes) {
    const std::vector<Case> cases = {
        {{}, Action::Run, "", ""},
        {{"kick.bin"}, Action::Run, "kick.bin", ""},
        {{"-"}, Action::Run, "-", ""},
        {{"--", "-odd.bin"}, Action::Run, "-odd.bin", ""},
        {{"--", "--help"}, Action::Run, "--help", ""},
        // Qt's options, with one dash or two, their values wherever they stand.
        {{"-platform", "offscreen", "kick.bin"}, Action::Run, "kick.bin", ""},
        {{"kick.bin", "--platform", "offscreen"}, Action::Run, "kick.bin", ""},
        {{"-style", "fusion", "-geometry", "640x480+0+0", "-reverse"}, Action::Run, "", ""},
        {{"-style=fusion", "-stylesheet=a.qss", "-qmljsdebugger=port:1234", "k.bin"},
         Action::Run,
         "k.bin",
         ""},
        {{"-session", "1234abc", "-display", ":1", "-nograb"}, Action::Run, "", ""},
        {{"-style", "-V"}, Action::Run, "", ""}, // a value is taken as Qt takes it
        {{"-h"}, Action::Help, "", ""},
        {{"kick.bin", "--help"}, Action::Help, "kick.bin", ""},
        {{"-V"}, Action::Version, "", ""},
        {{"-platform", "xcb", "--version"}, Action::Version, "", ""},
        {{"--version", "--frob"}, Action::Version, "", ""},
        {{"--frob"}, Action::Error, "", "unknown option '--frob'"},
        {{"--frob", "--version"}, Action::Error, "", "unknown option '--frob'"},
        {{"-v"}, Action::Error, "", "unknown option '-v'"},
        {{"-platform=xcb"}, Action::Error, "", "unknown option '-platform=xcb'"},
        {{"-fusion=x"}, Action::Error, "", "unknown option '-fusion=x'"},
        {{"kick.bin", "-platform"}, Action::Error, "", "option '-platform' needs a value"},
        {{"--style"}, Action::Error, "", "option '--style' needs a value"},
        // Several files fill the bank (ManyFilesAreAllKept).
        {{"a.bin", "b.bin"}, Action::Run, "a.bin", ""},
        {{"a.bin", "--", "b.bin"}, Action::Run, "a.bin", ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += "[" + a + "] ";
        const EditorArguments a = parse(c.args);
        EXPECT_EQ(a.action, c.action) << line;
        EXPECT_EQ(a.error, c.error) << line;
        if (c.action != Action::Error) {
            EXPECT_EQ(a.file, c.file) << line;
        }
    }
}

TEST(EditorArguments, TextsNameTheProgramAndItsVersion) {
    EXPECT_EQ(editorUsage(), "usage: vk350-editor [OPTION]... [FILE]...");
    EXPECT_EQ(editorVersionLine(), std::string("vk350-editor ") + VK350_PROJECT_VERSION);
    const std::string help = editorHelp();
    EXPECT_EQ(help.rfind(editorUsage() + "\n", 0), 0u) << help;
    for (const char* option : {"--help", "--version", "-platform"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(EditorArguments, ManyFilesAreAllKept) {
    const EditorArguments a = parse({"kit_1.bin", "-platform", "offscreen", "kit_0.bin", "--", "-kit.wav"});
    EXPECT_EQ(a.action, Action::Run);
    EXPECT_EQ(a.file, "kit_1.bin");
    EXPECT_EQ(a.files, (std::vector<std::string>{"kit_1.bin", "kit_0.bin", "-kit.wav"}));
    EXPECT_TRUE(parse({}).files.empty());
}
