// BankWindow: the sample bank window, the machine's ten sample locations side by side. Each slot has
// its short name, size and name captions and its own waveform control; the window loads and saves
// slots as raw files, sends them to the machine, receives the machine's dumps (through the options
// window) and hands a slot to the main window. Window thread only.
#pragma once

#include "bank_slots.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace vk350 {

class Dialogs;
class SettingsStore;
class MainWindow;
class OptionsWindow;

class BankWindow : public QMainWindow, public BankSlots {
public:
    // Reads its placement and visibility from the store (PX2, PY2, SHOW2) and shows itself when
    // it was shown; store and dialogs must outlive the window.
    BankWindow(SettingsStore& store, Dialogs& dialogs, QWidget* parent = nullptr);
    ~BankWindow() override;

    // The windows it works with, once they exist: sends go through the options window, a click
    // on a slot's caption copies the slot into the main window.
    void SetOptionsWindow(OptionsWindow* window) { options_ = window; }
    void SetMainWindow(MainWindow* window) { main_ = window; }

    // A click on a slot's waveform: plays slot 0..9. Unassigned, the click does nothing.
    std::function<void(int slot)> OnPlaySlot;

    // Writes PX2, PY2, SHOW2 (the main window's closing calls this).
    void WriteSettings();
    // Fills the slots from the first with the files in name order, as Load all does, and names
    // those that did not fit.
    void LoadFiles(QStringList paths);

    // BankSlots: what the options window and the main window's copy reach.
    SampleView& SlotView(int slot) override;
    void SetSlotName(int slot, const QString& caption) override;
    void SetSlotSize(int slot, const QString& caption) override;
    QString SlotName(int slot) const;
    QString SlotSize(int slot) const;

    // The wait after each message of a bank send, so that the machine can store the sample.
    void SetSendPauseMs(int ms) { sendPauseMs_ = ms; }

    // Keeps the slots in folder between runs: restores them from there now (a damaged store as
    // far as it reads, with one log line), and writes them back a moment after each change and
    // when the window's settings are written at closing (bank_window_kept.cpp).
    void KeepIn(const QString& folder);
    // Writes the kept slots now; false, with a log line, when they cannot be written.
    bool SaveKept();
    QString KeptFile() const { return keptFile_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction (bank_window.cpp).
    void CreateSlots();
    void CreateMenus();
    void CreateToolBar();
    QMenu* CreateSlotMenu(int slot);
    void ReadSettings();
    void NameParts();
    QAction* AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                     const std::function<void()>& command);
    // Runs a command and shows an error that escapes it in the window's error box.
    void RunCommand(const std::function<void()>& command);

    // File commands (bank_window_files.cpp).
    void LoadOne(int slot);
    void LoadAll();
    void SaveOne(int slot);
    void SaveAll();
    void ShowLoaded(int slot, const QString& name, const QString& size);
    void ShowError(const QString& text);
    // Filling slots from files, WAV or raw, and from drops (bank_window_drops.cpp).
    void AcceptFileDrops();
    bool LoadSlotFile(int slot, const QString& path, QString& reason);
    void DropFiles(int slot, const QStringList& paths);

    // Edition, transfer and slot commands (bank_window_transfer.cpp).
    void NewBank();
    void DeleteSlot(int slot);
    void ReverseAll();
    void UnsignedAll();
    void ToggleButtonsBar();
    void SendOne(int slot);
    void SendAll();
    bool SendSlot(int slot);
    void CopyToMain(int slot);
    void PlaySlot(int slot);

    // Slot steps and keeping (bank_window_kept.cpp).
    struct SlotChange {
        int slot = 0;
        bool bytes = false;
        QString nameBefore, sizeBefore, nameAfter, sizeAfter;
    };
    struct SlotStep {
        QString name;
        std::vector<SlotChange> changes;
    };
    void CreateSlotHistory();
    void RecordSlotSteps(const QString& name);
    void RecordLater();
    void UndoSlots();
    void RedoSlots();
    void MoveSlotStep(std::vector<SlotStep>& from, std::vector<SlotStep>& to, bool undo);
    void ApplySlotStep(const SlotStep& step, bool undo);
    void UpdateSlotHistoryItems();
    void RestoreKept();

    SettingsStore& store_;
    Dialogs& dialogs_;
    OptionsWindow* options_ = nullptr;
    MainWindow* main_ = nullptr;
    std::vector<SlotStep> undoSteps_;
    std::vector<SlotStep> redoSteps_;
    // The captions as of the last recorded step.
    std::array<QString, kSlotCount> recordedNames_;
    std::array<QString, kSlotCount> recordedSizes_;
    bool recordPending_ = false;
    // Slots loaded from or saved to a file by the command running now: they hold nothing unsaved.
    unsigned filedSlots_ = 0;
    QString keptFile_;
    QTimer* keepTimer_ = nullptr;
    int sendPauseMs_ = 300;

    // The window's parts, named in its object tree after these members; a part of a slot array
    // takes the member name and the slot 0..9 ("slotViews3" is slotViews[3]).
    std::array<SampleView*, kSlotCount> slotViews{};
    std::array<QLabel*, kSlotCount> slotShortNames{};
    std::array<QLabel*, kSlotCount> slotSizes{};
    std::array<QLabel*, kSlotCount> slotNames{};
    // The context menu of each slot's captions: Load, Save, Delete, Send to Midi.
    std::array<QMenu*, kSlotCount> slotMenus{};
    QToolBar* toolBar = nullptr;

    QAction* newItem = nullptr;
    QAction* loadItem = nullptr;
    QAction* saveItem = nullptr;
    QAction* sendToMidiItem = nullptr;
    QAction* reverseItem = nullptr;
    QAction* unsignedItem = nullptr;
    QAction* buttonsBarItem = nullptr;
    QAction* clearAllButton = nullptr;
    QAction* loadAllButton = nullptr;
    QAction* saveAllButton = nullptr;
    QAction* sendAllButton = nullptr;
    QAction* unsignedButton = nullptr;
    // Undo and Redo take back or do again the last change to the slots (every slot one command
    // changed, with its captions).
    QAction* undoItem = nullptr;
    QAction* redoItem = nullptr;
};

} // namespace vk350
