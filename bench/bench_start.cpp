// From starting a program to its window on screen and settled, and the program's peak memory:
// the editor (offscreen, no sound card needed) beside an empty Qt window, the yardstick, which
// this program shows itself when started with --empty-window. A program counts as settled once
// it has used no more than 0.2 ms of processor time in any 2 ms for 100 ms; that wait is taken off
// the time. cpu_ms is the processor time it used until then. The platform is offscreen unless
// QT_QPA_PLATFORM names another (xcb under Xvfb, say).
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string self;

// Processor time of every thread of the process in nanoseconds, or -1 once the process is gone.
// The scheduler's own count: clock ticks (10 ms) are too coarse for a start that takes a few.
long long cpuNanos(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    long long total = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
        long long onCpu = 0;
        if (in >> onCpu)
            total += onCpu;
    }
    closedir(dir);
    return total;
}

long peakKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void runToSettled(benchmark::State& state, const char* program, const char* argument) {
    const std::string config = "/tmp/vk350-bench-start-" + std::to_string(getpid());
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", config.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_RUNTIME_DIR", config.c_str(), 1);
    setenv("VK350_AUDIO_DRIVER", "virtual", 1);
    setenv("VK350_MIDI_DRIVER", "loopback", 1);
    long peak = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            execl(program, program, argument, static_cast<char*>(nullptr));
            _exit(127);
        }
        long long last = -2;
        auto quietSince = begin;
        for (;;) {
            std::this_thread::sleep_for(2ms);
            const long long now = cpuNanos(pid);
            const auto t = std::chrono::steady_clock::now();
            // Under 0.2 ms of processor time in a poll counts as quiet (a timer or two).
            if (now < 0 || last < 0 || now - last > 200000) {
                quietSince = t;
            } else if (t - quietSince >= 100ms) {
                break;
            }
            last = now;
        }
        const double seconds = std::chrono::duration<double>(quietSince - begin).count();
        peak = peakKb(pid);
        cpuMs += double(last) / 1e6;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        state.SetIterationTime(seconds);
    }
    state.counters["peak_MB"] = double(peak) / 1024;
    state.counters["cpu_ms"] = cpuMs / double(state.iterations());
    std::system(("rm -rf " + config).c_str());
}

void BM_EmptyQtWindow(benchmark::State& state) {
    runToSettled(state, self.c_str(), "--empty-window");
}
BENCHMARK(BM_EmptyQtWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same window showing one line of text: what reading the fonts adds to any window with words.
void BM_QtWindowWithText(benchmark::State& state) {
    runToSettled(state, self.c_str(), "--text-window");
}
BENCHMARK(BM_QtWindowWithText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_EditorStart(benchmark::State& state) {
    runToSettled(state, VK350_EDITOR, nullptr);
}
BENCHMARK(BM_EditorStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--empty-window") == 0) {
        QApplication app(argc, argv);
        QWidget window;
        window.show();
        return app.exec();
    }
    if (argc == 2 && std::strcmp(argv[1], "--text-window") == 0) {
        QApplication app(argc, argv);
        QLabel window(QStringLiteral("VK350 Sample Editor"));
        window.show();
        return app.exec();
    }
    self = "/proc/self/exe"; // the child of a fork runs this same program
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
