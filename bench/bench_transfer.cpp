// Sending a sample from the options window: the time from calling send sample to the last byte
// handed to the MIDI driver, for each slot size (the loopback driver takes bytes at once, so the
// figure is the editor's own work: fitting, packing, logging and the transfer's thread).
#include "bank_location.h"
#include "bank_window.h"
#include "loopback_midi_driver.h"
#include "options_window.h"
#include "qt_dialogs.h"
#include "received_bank.h"
#include "received_patterns.h"
#include "settings_store.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <random>

using namespace vk350;

namespace {

// A settings store that holds nothing: every design value stands.
class EmptyStore : public SettingsStore {
public:
    bool Exists() const override { return false; }
    std::optional<int32_t> ReadInteger(const QString&) const override { return std::nullopt; }
    std::optional<QString> ReadString(const QString&) const override { return std::nullopt; }
    bool WriteInteger(const QString&, int32_t) override { return true; }
    bool WriteString(const QString&, const QString&) override { return true; }
    bool Flush() override { return true; }
};

struct Rig {
    LoopbackMidiDriver driver{1};
    EmptyStore store;
    QtDialogs dialogs; // never shown: no command here asks
    SampleView wave;
    QWidget panel;
    ReceivedBank bank;
    ReceivedPatterns patterns;
    NoWaveOutput waveOut;
    OptionsWindow form{OptionsLinks{store, dialogs, driver, wave, &panel, bank, patterns, waveOut}};
};

void BM_SendSample(benchmark::State& state) {
    const int slot = int(state.range(0));
    Rig rig;
    // Nothing listens on the cable's far end: only the sending is measured.
    rig.form.MidiIn().SetUsing(false);
    std::mt19937 rng(3);
    const int length = int(kBankLocations[size_t(slot)].size());
    SampleBuffer& sample = rig.wave.Sample();
    for (int i = 0; i < length; ++i)
        sample.GetData()[i] = uint8_t(rng());
    sample.SetSampleLen(length);
    LogMemo* log = rig.form.findChild<LogMemo*>(QStringLiteral("logMemo"));
    size_t messageSize = 0;
    for (auto _ : state) {
        if (!rig.form.SendSample(slot, SampleSource::Editor, sample))
            state.SkipWithError("send failed");
        state.PauseTiming();
        messageSize = rig.driver.backlog(0).size();
        rig.driver.clearBacklog(0);
        log->Clear();
        state.ResumeTiming();
    }
    state.counters["dump_bytes"] = double(messageSize);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(messageSize));
}
// P3 (4 K), BD (8 K), HH (16 K), CB (64 K, the largest dump).
BENCHMARK(BM_SendSample)->Arg(4)->Arg(0)->Arg(3)->Arg(7)->Unit(benchmark::kMicrosecond);

// The largest dump (74911 bytes) over a cable at MIDI speed, about 24 s: the longest time the
// windows go without painting while it goes out. The main waveform asks for a repaint every 5 ms,
// as a playing view would; every paint it gets is timed.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget* view) : view_(view) {
        view->installEventFilter(this);
        QObject::connect(&ask_, &QTimer::timeout, view, [view] { view->update(); });
        ask_.start(5);
        clock_.start();
    }
    void Restart() {
        longest_ = 0;
        start_ = clock_.nsecsElapsed();
        paints_ = 0;
        last_ = clock_.nsecsElapsed();
    }
    double LongestMs() const { return double(longest_) / 1e6; }
    // When the longest gap began, from the start of the send.
    double LongestAtMs() const { return double(longestAt_) / 1e6; }
    int Paints() const { return paints_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::Paint) {
            const qint64 now = clock_.nsecsElapsed();
            if (now - last_ > longest_) {
                longest_ = now - last_;
                longestAt_ = last_ - start_;
            }
            last_ = now;
            ++paints_;
        }
        return false;
    }

private:
    QWidget* view_;
    QTimer ask_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 longestAt_ = 0;
    qint64 start_ = 0;
    int paints_ = 0;
};

void BM_PaintGapDuringACableSend(benchmark::State& state) {
    Rig rig;
    rig.form.MidiIn().SetUsing(false);
    rig.driver.setPace(0, LoopbackMidiDriver::kCablePace);
    rig.wave.resize(1000, 300);
    rig.wave.show();
    QApplication::processEvents();
    std::mt19937 rng(5);
    SampleBuffer& sample = rig.wave.Sample();
    for (int i = 0; i < 65536; ++i)
        sample.GetData()[i] = uint8_t(rng());
    sample.SetSampleLen(65536);
    PaintClock clock(&rig.wave);
    rig.driver.clearBacklog(0); // the board setup sent at start
    double longest = 0;
    double longestAt = 0;
    int paints = 0;
    for (auto _ : state) {
        clock.Restart();
        if (!rig.form.SendSample(7, SampleSource::Editor, sample))
            state.SkipWithError("send failed");
        // The gap up to the send's end counts too.
        QApplication::processEvents();
        if (clock.LongestMs() > longest) {
            longest = clock.LongestMs();
            longestAt = clock.LongestAtMs();
        }
        paints += clock.Paints();
    }
    state.counters["dump_bytes"] =
        double(rig.driver.backlog(0).size() / std::max<int64_t>(1, state.iterations()));
    state.counters["longest_gap_ms"] = longest;
    state.counters["longest_gap_at_ms"] = longestAt;
    state.counters["paints"] = double(paints);
}
BENCHMARK(BM_PaintGapDuringACableSend)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The bank window's Send all: ten dumps (182700 bytes) over the loopback cable, which takes bytes
// at once. With pause 0 the figure is the editor's own work; with the real 300 ms pauses the
// counter minus_pauses_ms is the total less the ten pauses, which also shows how far the pauses
// overrun.
struct BankRig {
    LoopbackMidiDriver driver{1};
    EmptyStore store;
    QtDialogs dialogs;
    SampleView wave;
    QWidget panel;
    BankWindow bank{store, dialogs};
    ReceivedPatterns patterns;
    NoWaveOutput waveOut;
    OptionsWindow form{OptionsLinks{store, dialogs, driver, wave, &panel, bank, patterns, waveOut}};
};

void BM_SendWholeBank(benchmark::State& state) {
    BankRig rig;
    rig.form.MidiIn().SetUsing(false); // nothing comes back: only the sending is measured
    rig.bank.SetOptionsWindow(&rig.form);
    rig.bank.SetSendPauseMs(int(state.range(0)));
    std::mt19937 rng(11);
    for (int slot = 0; slot < kBankSlots; ++slot) {
        SampleView& e = rig.bank.SlotView(slot);
        const int length = int(kBankLocations[size_t(slot)].size());
        for (int i = 0; i < length; ++i)
            e.GetData()[i] = uint8_t(rng());
        e.SetSampleLen(length);
    }
    QAction* sendAll = rig.bank.findChild<QAction*>(QStringLiteral("sendAllButton"));
    LogMemo* log = rig.form.findChild<LogMemo*>(QStringLiteral("logMemo"));
    rig.driver.clearBacklog(0);
    size_t wire = 0;
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        sendAll->trigger();
        total += double(clock.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        wire = rig.driver.backlog(0).size();
        rig.driver.clearBacklog(0);
        log->Clear();
        state.ResumeTiming();
    }
    const double each = total / double(std::max<int64_t>(1, state.iterations()));
    state.counters["bank_bytes"] = double(wire);
    state.counters["minus_pauses_ms"] = each - 10.0 * double(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(wire));
}
BENCHMARK(BM_SendWholeBank)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SendWholeBank)->Arg(300)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
