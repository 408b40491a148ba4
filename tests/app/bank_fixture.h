// The four windows as the program wires them, over one loopback MIDI cable (what goes out comes
// back in), with scripted dialogs, a recording settings store over the real one and a scratch
// folder.
#pragma once

#include "bank_window.h"
#include "loopback_midi_driver.h"
#include "main_window.h"
#include "main_window_parts.h"
#include "options_window.h"
#include "patterns_window.h"
#include "recording_settings_store.h"
#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "sample_edit.h"
#include "scripted_dialogs.h"
#include "window_parts.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vk350 {

class BankTest : public ::testing::Test {
protected:
    using Bytes = std::vector<uint8_t>;

    void SetUp() override {
        QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { Close(); }

    void Open() {
        main = std::make_unique<TForm1>(dialogs, &store);
        bank = std::make_unique<TForm2>(store, dialogs);
        patterns = std::make_unique<TForm3>(store, dialogs);
        options = std::make_unique<TForm4>(OptionsLinks{store, dialogs, driver, main->SampleEdit(),
                                                        main->EditingPanel(), *bank, *patterns, waveOut});
        main->SetOptionsWindow(options.get());
        main->SetBankWindow(bank.get());
        main->SetPatternsWindow(patterns.get());
        bank->SetOptionsWindow(options.get());
        bank->SetMainWindow(main.get());
        patterns->SetOptionsWindow(options.get());
        bank->SetSendPauseMs(0);
        main->show();
        ClearLog();
        driver.clearBacklog(0);
    }

    void Close() {
        options.reset(); // it reaches the other windows
        patterns.reset();
        bank.reset();
        main.reset();
    }

    void Fill(int slot, const Bytes& bytes) {
        TsqSampleEdit& e = bank->SlotEdit(slot);
        e.Sample().LoadFromBuffer(bytes.data(), int(bytes.size()));
        e.SetSampleLen(int(bytes.size()));
    }

    Bytes SlotBytes(int slot, int length = -1) {
        const TsqSampleEdit& e = bank->SlotEdit(slot);
        return Bytes(e.GetData(), e.GetData() + (length < 0 ? e.GetSampleLen() : length));
    }

    QString WriteFile(const QString& name, const Bytes& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return f.fileName();
    }

    Bytes ReadFile(const QString& name) const {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray data = f.readAll();
        return Bytes(data.begin(), data.end());
    }

    static Bytes Ramp(size_t n, int seed = 0) {
        Bytes v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = uint8_t(seed * 37 + int(i) * 5 + int(i / 300));
        return v;
    }

    // A part of the bank or the options window, by its name or by its array's name and its index
    // ("SlotNames", 8).
    template <class T> T* BankPart(const char* name) const { return findPart<T>(*bank, name); }
    template <class T> T* BankPart(const char* name, int index) const {
        return findPart<T>(*bank, name, index);
    }
    template <class T> T* OptionsPart(const char* name) const { return findPart<T>(*options, name); }

    QStringList Log() const { return OptionsPart<LogMemo>("Memo1")->Lines(); }
    void ClearLog() const { OptionsPart<LogMemo>("Memo1")->Clear(); }

    QtSettingsStore qtStore;
    RecordingSettingsStore store{&qtStore};
    ScriptedDialogs dialogs;
    LoopbackMidiDriver driver{1};
    NoWaveOutput waveOut;
    QTemporaryDir dir;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<TForm2> bank;
    std::unique_ptr<TForm3> patterns;
    std::unique_ptr<TForm4> options;
};

} // namespace vk350
