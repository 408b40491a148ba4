// Running the external programs that tests compare against (sox, the vk350 tool).
#pragma once

#include <string>

struct CommandResult {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string out; // standard output, and standard error when asked for
};

// Runs a shell command line; with withStderr the error stream is captured too.
CommandResult runCommand(const std::string& commandLine, bool withStderr = false);

// Full path of a program found on PATH, or empty.
std::string findProgram(const std::string& name);

// Quotes a file name for the shell.
std::string shellQuote(const std::string& s);
