// The main window with its options window, playing through a virtual device whose clock the
// test moves, a work folder of its own and WAV files the tests write.
#pragma once

#include "drivers/virtual_wave_device.h"
#include "loopback_midi_driver.h"
#include "main_window.h"
#include "main_window_parts.h"
#include "options_window.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "received_bank.h"
#include "received_patterns.h"
#include "sample_edit.h"
#include "scripted_dialogs.h"
#include "settings_store.h"
#include "wave_out.h"
#include "wave_out_link.h"
#include "window_parts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>

namespace vk350 {

using Bytes = std::vector<uint8_t>;

// A RIFF WAVE file: "fmt " with the given fields, then "data" (stating dataSize, or its real
// size when -1) and any chunks after it.
inline Bytes WaveFile(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data,
                      int64_t dataSize = -1, const Bytes& after = {}) {
    Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    const auto le = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    const uint16_t align = uint16_t(channels * bits / 8);
    for (const auto& [v, n] : {std::pair{16u, 4},
                               {tag, 2},
                               {channels, 2},
                               {rate, 4},
                               {rate * align, 4},
                               {align, 2},
                               {bits, 2},
                               {0x61746164u, 4}})
        le(v, n);
    le(uint32_t(dataSize < 0 ? data.size() : size_t(dataSize)), 4);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1)
        b.push_back(0);
    b.insert(b.end(), after.begin(), after.end());
    const uint32_t riff = uint32_t(b.size() - 8);
    std::memcpy(&b[4], &riff, 4); // little-endian machines only, as the tests run
    return b;
}

inline Bytes ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    return Bytes(data.begin(), data.end());
}

class AudioWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
        device.setRecording(true);
        main = std::make_unique<TForm1>(dialogs, &store, &audio);
        link = std::make_unique<WaveOutLink>(main->ChainOutput(), device);
        options = std::make_unique<TForm4>(OptionsLinks{store, dialogs, midi, main->SampleEdit(),
                                                        main->EditingPanel(), bank, patterns, *link});
        main->SetOptionsWindow(options.get());
        main->SetBankSlots(&bank);
        findPart<QLabel>(*options, "lbCheminTemp")->setText(work.path() + QLatin1Char('/'));
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        dialogs.messages.clear();
    }
    void TearDown() override {
        options.reset();
        main.reset();
    }

    QString Write(const QString& name, const Bytes& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }
    Bytes Sample() const {
        const TsqSampleEdit& e = *findEditor(*main);
        return Bytes(e.GetData(), e.GetData() + e.GetSampleLen());
    }
    static Bytes Ramp(size_t n, int step = 7) {
        Bytes v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = uint8_t(i * step + i / 256);
        return v;
    }
    // Runs a file command with its dialog answered.
    void Answered(QAction* command, const QString& path, int filterIndex = 1) {
        dialogs.Answer(path, filterIndex);
        command->trigger();
    }
    void Step(int64_t micros = 1000) {
        clock.advance(micros);
        device.tick();
        dispatcher.runPending();
    }
    void PlayToEnd() {
        for (int i = 0; i < 100000 && main->ChainOutput().IsOpen(); ++i)
            Step();
    }
    QString WorkFile(const char* leaf) const { return work.filePath(QLatin1String(leaf)); }

    ManualMicroClock clock;
    VirtualWaveDevice device{clock};
    QueueDispatcher dispatcher{clock};
    ConnectorHub hub{dispatcher};
    QueuePump pump{dispatcher, hub};
    MainAudio audio{device, dispatcher, hub};
    QtSettingsStore store;
    ScriptedDialogs dialogs;
    LoopbackMidiDriver midi{1};
    ReceivedBank bank;
    ReceivedPatterns patterns;
    QTemporaryDir dir, work;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<WaveOutLink> link;
    std::unique_ptr<TForm4> options;
};

} // namespace vk350
