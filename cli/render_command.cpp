// "vk350 render": the pictures come from the editor's Qt views, which this tool never links, so
// the command checks its arguments here and runs the renderer program with them.
#include "render_command.h"

#include "commands.h"
#include "render_arguments.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vk350::cli {

namespace {

constexpr const char* kRendererName = "vk350-render";

std::string OwnDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    const std::string self(path, std::size_t(n));
    const std::size_t slash = self.rfind('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash);
}

// Beside the tool (the build tree), else where the package installs it.
std::string FindRenderer() {
    const std::string here = OwnDirectory();
    const std::string installed = here.empty() ? std::string() : here + "/" + VK350_LIBEXEC_FROM_BIN;
    for (const std::string& dir : {here, installed, std::string(VK350_LIBEXEC_DIR)}) {
        if (dir.empty())
            continue;
        const std::string candidate = dir + "/" + kRendererName;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

} // namespace

int runRender(std::span<char*> args) {
    RenderRequest request;
    std::string error;
    switch (ParseRenderArguments(std::span<char* const>(args.data(), args.size()), request, error)) {
    case RenderParse::Help:
        std::fputs(RenderHelp().c_str(), stdout);
        return kExitOk;
    case RenderParse::Error:
        return fail(kExitUsage, error + "; " + kRenderUsage);
    case RenderParse::Ok:
        break;
    }
    const std::string renderer = FindRenderer();
    if (renderer.empty())
        return fail(kExitBadFile, "render: the renderer vk350-render is not installed");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(renderer.c_str()));
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0)
        return fail(kExitBadFile, std::string("render: cannot start the renderer: ") + std::strerror(errno));
    if (child == 0) {
        execv(renderer.c_str(), argv.data());
        std::fprintf(stderr, "vk350: render: cannot start %s: %s\n", renderer.c_str(), std::strerror(errno));
        _exit(kExitBadFile);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return fail(kExitBadFile, "render: lost the renderer");
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return fail(kExitBadFile, "render: the renderer stopped with signal " + std::to_string(WTERMSIG(status)));
}

} // namespace vk350::cli
