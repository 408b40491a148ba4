// The main window's audio commands on an offscreen Qt: from pressing Play to the first byte at
// the (virtual) device for a 65536-byte sample, and "Load Wave " of a 60 s 44100 Hz 16-bit
// stereo file (conversion to 8-bit mono at 22050 Hz, the sample cut to its largest size).
#include "dialogs.h"
#include "drivers/virtual_wave_device.h"
#include "main_window.h"
#include "main_window_parts.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "sample_view.h"
#include "settings_store.h"
#include "virtual_main_audio.h"
#include "wave_player.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace vk350;

namespace {

class EmptyStore : public SettingsStore {
public:
    bool Exists() const override { return false; }
    std::optional<int32_t> ReadInteger(const QString&) const override { return std::nullopt; }
    std::optional<QString> ReadString(const QString&) const override { return std::nullopt; }
    bool WriteInteger(const QString&, int32_t) override { return true; }
    bool WriteString(const QString&, const QString&) override { return true; }
    bool Flush() override { return true; }
};

// Every open dialog answers with one file.
class OneFileDialogs : public Dialogs {
public:
    QString file;
    FileDialogAnswer OpenFile(QWidget*, const FileDialogRequest&) override { return {true, file, 1}; }
    FileDialogAnswer SaveFile(QWidget*, const FileDialogRequest&) override { return {}; }
    QString expected; // the start of the one message a benchmark expects
    int messages = 0;
    void Message(QWidget*, MessageIcon, const QString&, const QString& text) override {
        if (expected.isEmpty() || !text.startsWith(expected))
            qFatal("unexpected message: %s", qPrintable(text));
        ++messages;
    }
    std::optional<uint32_t> ChooseColor(QWidget*, uint32_t) override { return std::nullopt; }
    std::optional<double> AskNumber(QWidget*, const QString&, const QString&, double, double, double,
                                    int) override {
        return std::nullopt;
    }
};

struct Rig : VirtualMainAudio {
    Rig() { device.setRecording(true); } // the first byte is seen in the recording
    EmptyStore store;
    OneFileDialogs dialogs;
    MainWindow window{dialogs, &store, &audio};
};

void PutLE(std::vector<uint8_t>& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

QString WriteFile(const QTemporaryDir& dir, const char* name, const std::vector<uint8_t>& bytes) {
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

void BM_PlayToFirstByte(benchmark::State& state) {
    QTemporaryDir dir;
    Rig rig;
    std::vector<uint8_t> sample(65536);
    for (size_t i = 0; i < sample.size(); ++i)
        sample[i] = uint8_t(128 + 100 * std::sin(double(i) * 0.05));
    rig.window.OpenSampleFile(WriteFile(dir, "kick.bin", sample));
    QAction* play = findAction(rig.window, "playItem");
    for (auto _ : state) {
        play->trigger();
        do {
            rig.clock.advance(100);
            rig.device.tick();
        } while (rig.device.played().empty());
        state.PauseTiming();
        play->trigger();
        rig.device.clearPlayed();
        rig.dispatcher.runPending();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayToFirstByte)->Unit(benchmark::kMillisecond);

// 60 s of two different tones, 44100 Hz, 16 bits, stereo.
std::vector<uint8_t> LongWave() {
    const uint32_t frames = 60 * 44100;
    std::vector<uint8_t> wav = {'R', 'I', 'F', 'F'};
    PutLE(wav, 36 + frames * 4, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0});
    PutLE(wav, 44100, 4);
    PutLE(wav, 44100 * 4, 4);
    wav.insert(wav.end(), {4, 0, 16, 0, 'd', 'a', 't', 'a'});
    PutLE(wav, frames * 4, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        PutLE(wav, uint16_t(int16_t(20000 * std::sin(double(i) * 0.03))), 2);
        PutLE(wav, uint16_t(int16_t(12000 * std::sin(double(i) * 0.07))), 2);
    }
    return wav;
}

void BM_LoadWave60s(benchmark::State& state) {
    QTemporaryDir dir;
    const std::vector<uint8_t> wav = LongWave();
    Rig rig;
    rig.dialogs.file = WriteFile(dir, "long.wav", wav);
    // A minute is more than the machine holds: every load warns that it was cut.
    rig.dialogs.expected = QStringLiteral("Sample Too Long - Cut to");
    // The item is hidden but enabled: triggering it runs the command as F1 does.
    QAction* loadWave = findAction(rig.window, "loadWaveItem");
    const SampleView& editor = *findEditor(rig.window);
    for (auto _ : state) {
        loadWave->trigger();
        benchmark::DoNotOptimize(editor.GetSampleLen());
    }
    if (editor.GetSampleLen() != editor.Max() || rig.dialogs.messages != int(state.iterations()))
        state.SkipWithError("the sample was not loaded");
}
BENCHMARK(BM_LoadWave60s)->Unit(benchmark::kMillisecond);

// One second of looped playback of a 22050 Hz sample with the analysis and meter panels shown
// (panels:1) or hidden (panels:0), the window painting at 60 frames a second. The time per
// iteration is the share of one core that playing and showing cost: 100 ms is 10 %.
void BM_PlayingSecondWithViews(benchmark::State& state) {
    QTemporaryDir dir;
    Rig rig;
    std::vector<uint8_t> sample(65536);
    for (size_t i = 0; i < sample.size(); ++i)
        sample[i] = uint8_t(128 + 100 * std::sin(double(i) * 0.05) * std::sin(double(i) * 0.0003));
    rig.window.OpenSampleFile(WriteFile(dir, "pad.bin", sample));
    if (state.range(0) != 0) {
        findAction(rig.window, "showRtSpectrumItem")->trigger();
        findAction(rig.window, "showVuMetersItem")->trigger();
    }
    rig.window.show();
    QApplication::processEvents();
    findAction(rig.window, "loopItem")->trigger();
    findAction(rig.window, "playItem")->trigger();
    for (auto _ : state) {
        for (int ms = 0; ms < 1000; ++ms) {
            rig.Step();
            if (ms % 16 == 0)
                QApplication::processEvents();
        }
    }
    findAction(rig.window, "playItem")->trigger();
    if (rig.device.played().empty())
        state.SkipWithError("nothing was played");
}
BENCHMARK(BM_PlayingSecondWithViews)->ArgName("panels")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The work files go to the cache folder; a throw-away one unless XDG_CACHE_HOME names another
    // (a tmpfs there shows the cost of syncing them to disk).
    QTemporaryDir cache;
    setenv("XDG_CACHE_HOME", cache.path().toLocal8Bit().constData(), 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
