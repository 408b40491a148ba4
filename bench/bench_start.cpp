// From starting a program to its window on screen and settled, and the program's peak memory:
// the editor (offscreen, no sound card needed) beside an empty Qt window, the yardstick, which
// this program shows itself when started with --empty-window. A program counts as settled once
// it has used no processor time for 100 ms; that wait is taken off the time.
#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string self;

// utime + stime in clock ticks, or -1 once the process is gone.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)
        fields >> skip;
    long utime = 0, stime = 0;
    fields >> utime >> stime;
    return utime + stime;
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
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", config.c_str(), 1);
    setenv("VK350_AUDIO_DRIVER", "virtual", 1);
    setenv("VK350_MIDI_DRIVER", "loopback", 1);
    long peak = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            execl(program, program, argument, static_cast<char*>(nullptr));
            _exit(127);
        }
        long last = -2;
        auto quietSince = begin;
        for (;;) {
            std::this_thread::sleep_for(5ms);
            const long now = cpuTicks(pid);
            const auto t = std::chrono::steady_clock::now();
            if (now != last) {
                last = now;
                quietSince = t;
            } else if (t - quietSince >= 100ms) {
                break;
            }
        }
        const double seconds = std::chrono::duration<double>(quietSince - begin).count();
        peak = peakKb(pid);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        state.SetIterationTime(seconds);
    }
    state.counters["peak_MB"] = double(peak) / 1024;
    std::system(("rm -rf " + config).c_str());
}

void BM_EmptyQtWindow(benchmark::State& state) {
    runToSettled(state, self.c_str(), "--empty-window");
}
BENCHMARK(BM_EmptyQtWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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
    self = "/proc/self/exe"; // the child of a fork runs this same program
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
