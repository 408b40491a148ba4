// PatternsWindow: the patterns window. It holds the last pattern dump of the machine as raw SysEx bytes,
// received through the options window or loaded from a .syx file, saves them to a .syx file and
// sends them back as they are. Window thread only.
#pragma once

#include "bank_slots.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QTimer;
class QToolBar;

namespace vk350 {

class Dialogs;
class LogMemo;
class SettingsStore;
class OptionsWindow;

class PatternsWindow : public QMainWindow, public PatternDumps {
public:
    static constexpr int kBufferSize = 65536;

    // Reads its placement and visibility from the store (PX3, PY3, SHOW3) and shows itself when
    // it was shown; store and dialogs must outlive the window.
    PatternsWindow(SettingsStore& store, Dialogs& dialogs, QWidget* parent = nullptr);
    ~PatternsWindow() override;

    // Sends go through the options window's MIDI output, once it exists.
    void SetOptionsWindow(OptionsWindow* window) { options_ = window; }

    // A received pattern dump replaces the held one; one too long for the buffer is refused and
    // the held dump stays.
    void ReceivePatternDump(const uint8_t* message, int size, const QString& line) override;

    // Writes PX3, PY3, SHOW3 (the main window's closing calls this).
    void WriteSettings();

    // Keeps the held dump in folder between runs: restores it from there now (a damaged one as
    // far as it reads, with one log line), and writes it back a moment after each change and
    // when the window's settings are written at closing (patterns_window_kept.cpp).
    void KeepIn(const QString& folder);
    // Writes the kept dump now; false, with a log line, when it cannot be written.
    bool SaveKept();
    QString KeptFile() const { return keptFile_; }

    const uint8_t* Buffer() const { return buffer_.get(); }
    int HeldLength() const { return held_; }

private:
    void CreateMenus();
    void CreateToolBar();
    // Runs a command and shows an error that escapes it in the window's error box.
    void RunCommand(void (PatternsWindow::*command)());
    void ShowError(const QString& text);

    void NewPatterns();
    void LoadSysex();
    void SaveSysex();
    void SendToMidi();
    void ToggleButtonsBar();

    SettingsStore& store_;
    Dialogs& dialogs_;
    OptionsWindow* options_ = nullptr;
    void HeldChanged();

    std::unique_ptr<uint8_t[]> buffer_;
    int held_ = 0;
    QString keptFile_;
    QTimer* keepTimer_ = nullptr;

    // The window's parts, named in its object tree after these members.
    LogMemo* logMemo = nullptr;
    QToolBar* toolBar = nullptr;
    QAction* newItem = nullptr;
    QAction* loadSysexItem = nullptr;
    QAction* saveSysexItem = nullptr;
    QAction* sendToMidiItem = nullptr;
    QAction* buttonsBarItem = nullptr;
    QAction* clearAllButton = nullptr;
    QAction* loadAllButton = nullptr;
    QAction* saveAllButton = nullptr;
    QAction* sendToMidiButton = nullptr;
};

} // namespace vk350
