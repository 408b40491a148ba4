#include "run_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

CommandResult runCommand(const std::string& commandLine, bool withStderr) {
    CommandResult r;
    const std::string line = commandLine + (withStderr ? " 2>&1" : " 2>/dev/null");
    std::FILE* p = popen(line.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate.string();
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::string();
}

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}
