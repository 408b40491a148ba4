// An options window over the loopback MIDI cable, with the main waveform, the stand-ins of the
// bank and patterns windows, a wave output with two devices and a settings store the test fills.
#pragma once

#include "loopback_midi_driver.h"
#include "options_window.h"
#include "received_bank.h"
#include "received_patterns.h"
#include "recording_settings_store.h"
#include "scripted_dialogs.h"
#include "window_parts.h"

#include <QApplication>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vk350 {

// A wave output as the Audio page sees it: two devices unless told otherwise.
class TwoDeviceOutput : public WaveOutputLink {
public:
    int devices = 2;
    bool failList = false;
    int deviceId = -1;
    int numBuffers = 10;
    PlaybackMethod method = PlaybackMethod::Window;
    bool interrupt = false;

    int DeviceCount() override {
        if (failList)
            throw std::runtime_error("no audio system");
        return devices;
    }
    std::string DeviceName(int device) override {
        return device < 0 ? "Default output" : "Card " + std::to_string(device);
    }
    void SetDeviceID(int device) override { deviceId = device; }
    int BufferSize() const override { return 2048; }
    int NumBuffers() const override { return numBuffers; }
    void SetNumBuffers(int count) override { numBuffers = count; }
    PlaybackMethod Method() const override { return method; }
    void SetMethod(PlaybackMethod m) override { method = m; }
    bool InterruptAllowed() const override { return interrupt; }
};

class OptionsTest : public ::testing::Test {
protected:
    using Bytes = std::vector<uint8_t>;

    void SetUp() override { QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear(); }
    void TearDown() override { form.reset(); }

    TForm4& Open() {
        form = std::make_unique<TForm4>(
            OptionsLinks{store, dialogs, *driver, wave, &panel, bank, patterns, waveOut});
        return *form;
    }

    // Every value of the first group, so that it is read whole and applied.
    void StoreLooks() {
        const char* const names[] = {"PX4",           "PY4",           "KVB9IN",        "KVB9PRE",
                                     "KVB9AS",        "SYSXDELAY",     "TIMEOUT",       "GradientType",
                                     "StepsGradient", "BGradientType", "BStepsGradient"};
        const int values[] = {20, 30, 0, 0, 1, 0, 20, 1, 100, 2, 100};
        for (size_t i = 0; i < std::size(names); ++i)
            store.Set(QLatin1String(names[i]), values[i]);
        for (const char* prefix : {"", "B"})
            for (const char* c : {"ColorBack", "ColorLine", "ColorMark", "ColorAxes", "ColorGradient",
                                  "ColorLocator", "ColorSelection", "ColorWaveText", "ColorWaveMinmax"})
                store.Set(QLatin1String(prefix) + QLatin1String(c), 0x102030);
    }

    // A part of the open window, by its name or by its array's name and its index ("rbRate", 2).
    template <class T> T* Part(const char* name) const { return findPart<T>(*form, name); }
    template <class T> T* Part(const char* name, int index) const { return findPart<T>(*form, name, index); }

    QStringList Log() const { return Part<LogMemo>("Memo1")->Lines(); }
    void ClearLog() const { Part<LogMemo>("Memo1")->Clear(); }

    // Waits until the input has handled what reached it, then lets the window apply it.
    void Deliver(int port = 0) {
        driver->waitUntilDelivered(port);
        QApplication::processEvents();
    }

    static Bytes Ramp(size_t n, uint8_t start = 0) {
        Bytes v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = uint8_t(start + i * 7 + i / 256);
        return v;
    }

    Bytes SlotBytes(int slot) {
        TsqSampleEdit& e = bank.SlotEdit(slot);
        return Bytes(e.GetData(), e.GetData() + e.GetSampleLen());
    }

    std::unique_ptr<LoopbackMidiDriver> driver = std::make_unique<LoopbackMidiDriver>(2);
    RecordingSettingsStore store;
    ScriptedDialogs dialogs;
    TsqSampleEdit wave;
    QWidget panel;
    ReceivedBank bank;
    ReceivedPatterns patterns;
    TwoDeviceOutput waveOut;
    std::unique_ptr<TForm4> form;
};

} // namespace vk350
