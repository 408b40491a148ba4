// A main window shown and active on the offscreen platform, with scripted dialogs, a clean
// settings store and a scratch folder for sample files.
#pragma once

#include "knob_label.h"
#include "main_window.h"
#include "main_window_parts.h"
#include "sample_edit.h"
#include "scripted_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vk350 {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
        ASSERT_TRUE(dir.isValid());
    }

    void TearDown() override { window.reset(); }

    TForm1& Open() {
        window = std::make_unique<TForm1>(dialogs);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    QString WriteFile(const QString& name, const std::vector<uint8_t>& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    static std::vector<uint8_t> Ramp(size_t n) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = uint8_t(i * 7 + i / 256);
        return v;
    }

    static std::vector<uint8_t> ReadFile(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray data = f.readAll();
        return std::vector<uint8_t>(data.begin(), data.end());
    }

    std::vector<uint8_t> Sample() const {
        const TsqSampleEdit& e = *findEditor(*window);
        return std::vector<uint8_t>(e.GetData(), e.GetData() + e.GetSampleLen());
    }

    // Loads a file through Ctrl+L and the scripted open dialog.
    void LoadThroughKeys(const QString& path, int filterIndex = 1) {
        dialogs.Answer(path, filterIndex);
        Key(Qt::Key_L, Qt::ControlModifier);
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(window.get(), key, mods);
    }

    // A knob turned by the user: its value, then its change event, as the mouse would do.
    static void Turn(Tsqpotlab* knob, int value) {
        knob->SetState(value);
        ASSERT_TRUE(knob->OnChange);
        knob->OnChange(*knob);
    }

    void Mouse(QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held) {
        TsqSampleEdit* e = findEditor(*window);
        const QPointF p(x, e->height() / 2);
        QMouseEvent event(type, p, e->mapToGlobal(p), button, held, Qt::NoModifier);
        QApplication::sendEvent(e, &event);
    }

    // A left-button drag on the waveform from one column to another.
    void DragSelection(int from, int to) {
        Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TForm1> window;
};

} // namespace vk350
