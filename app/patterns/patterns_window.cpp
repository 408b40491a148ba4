// PatternsWindow: the patterns window's commands and its share of received dumps.
#include "patterns_window.h"

#include "command_guard.h"

#include "dialogs.h"
#include "file_names.h"
#include "file_reasons.h"
#include "log_memo.h"
#include "options_settings.h"
#include "options_window.h"
#include "part_names.h"
#include "safe_file.h"
#include "screen_fit.h"
#include "settings_store.h"
#include "toolbar_icons.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <algorithm>
#include <cstring>
#include <exception>
#include <span>
#include <vector>

namespace vk350 {

namespace {

const char* const kFilter = "Sysex File|*.syx|All files (*.*)|*.*";

} // namespace

PatternsWindow::PatternsWindow(SettingsStore& store, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), store_(store), dialogs_(dialogs), buffer_(new uint8_t[kBufferSize]()) {
    setWindowTitle(QStringLiteral("VK350 Patterns "));
    logMemo = new LogMemo(this);
    logMemo->Add(QStringLiteral("..."));
    setCentralWidget(logMemo);
    CreateMenus();
    CreateToolBar();
    nameParts({{logMemo, "logMemo"},
               {toolBar, "ToolBar1"},
               {newItem, "newItem"},
               {loadSysexItem, "loadSysexItem"},
               {saveSysexItem, "saveSysexItem"},
               {sendToMidiItem, "sendToMidiItem"},
               {buttonsBarItem, "buttonsBarItem"},
               {clearAllButton, "clearAllButton"},
               {loadAllButton, "loadAllButton"},
               {saveAllButton, "saveAllButton"},
               {sendToMidiButton, "sendToMidiButton"}});
    resize(420, 260);

    Placement p = kPatternsPlacementDesign;
    readPlacement(store_, kPatternsPlacementNames, p);
    moveToStoredCorner(this, p.x, p.y);
    keepOnScreenWhenShown(this, !store_.Exists());
    if (p.shown)
        show();
}

PatternsWindow::~PatternsWindow() = default;

void PatternsWindow::CreateMenus() {
    const auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& key,
                            void (PatternsWindow::*command)()) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    newItem = add(file, QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
                  &PatternsWindow::NewPatterns);
    loadSysexItem = add(file, QStringLiteral("Load Sysex"), QKeySequence(Qt::CTRL | Qt::Key_L),
                        &PatternsWindow::LoadSysex);
    saveSysexItem = add(file, QStringLiteral("Save Sysex"), QKeySequence(Qt::CTRL | Qt::Key_S),
                        &PatternsWindow::SaveSysex);
    file->addSeparator();
    sendToMidiItem = add(file, QStringLiteral("Send to MIDI"), QKeySequence(), &PatternsWindow::SendToMidi);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    buttonsBarItem =
        add(view, QStringLiteral("Buttons bar"), QKeySequence(), &PatternsWindow::ToggleButtonsBar);
    buttonsBarItem->setCheckable(true);
    buttonsBarItem->setChecked(true);
}

void PatternsWindow::CreateToolBar() {
    toolBar = addToolBar(QStringLiteral("Buttons bar"));
    toolBar->setMovable(false);
    toolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    const auto add = [this](ToolIcon icon, const QString& hint, void (PatternsWindow::*command)()) {
        QAction* a = toolBar->addAction(toolbarIcon(icon), hint.trimmed());
        a->setToolTip(hint);
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
        return a;
    };
    clearAllButton = add(ToolIcon::New, QStringLiteral("Clear All "), &PatternsWindow::NewPatterns);
    loadAllButton = add(ToolIcon::Open, QStringLiteral("Load All "), &PatternsWindow::LoadSysex);
    saveAllButton = add(ToolIcon::Save, QStringLiteral("Save All "), &PatternsWindow::SaveSysex);
    sendToMidiButton =
        add(ToolIcon::SendMidi, QStringLiteral("Send Parameters to MIDI"), &PatternsWindow::SendToMidi);
}

void PatternsWindow::RunCommand(void (PatternsWindow::*command)()) {
    runGuardedCommand([this, command] { (this->*command)(); },
                      [this](const QString& text) { ShowError(text); });
    HeldChanged();
}

void PatternsWindow::ShowError(const QString& text) {
    dialogs_.Message(this, MessageIcon::Error, QStringLiteral("File Error"), text);
}

void PatternsWindow::WriteSettings() {
    if (writePlacement(store_, kPatternsPlacementNames, Placement{x(), y(), isVisible()}))
        store_.Flush();
    if (!keptFile_.isEmpty())
        SaveKept();
}

void PatternsWindow::ReceivePatternDump(const uint8_t* message, int size, const QString& line) {
    if (!message || size < 0 || size > kBufferSize)
        return;
    std::memcpy(buffer_.get(), message, size_t(size));
    held_ = size;
    logMemo->Add(line);
    HeldChanged();
}

// The held length goes too: a Send after New has nothing to send.
void PatternsWindow::NewPatterns() {
    std::fill_n(buffer_.get(), kBufferSize, uint8_t{0});
    held_ = 0;
    logMemo->Clear();
}

// The first 65536 bytes of the file at most. The whole read is done before the held dump is
// touched, so a file that fails half-way leaves it as it was.
void PatternsWindow::LoadSysex() {
    FileDialogRequest request;
    request.title = QStringLiteral(" Load Sysex File");
    request.filter = QString::fromUtf8(kFilter);
    request.filterIndex = 1;
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted)
        return;
    QFile file(answer.fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(
            withReason(QStringLiteral("Read File Error - Abort Loading"), readReasonLine(answer.fileName)));
        return;
    }
    const qint64 size = std::min<qint64>(file.size(), kBufferSize);
    if (size <= 0)
        return; // an empty file has nothing to hold
    std::vector<uint8_t> bytes(size_t(size), 0);
    if (file.read(reinterpret_cast<char*>(bytes.data()), size) != size) {
        ShowError(QStringLiteral("Read File Error - Abort Loading"));
        return;
    }
    std::copy(bytes.begin(), bytes.end(), buffer_.get());
    held_ = int(size);
    logMemo->Add(QStringLiteral("Load Sysex %1 Bytes").arg(size));
    // A longer file keeps its start; saved again, it would replace the whole file by the cut one.
    if (file.size() > size)
        dialogs_.Message(
            this, MessageIcon::Warning, QStringLiteral("File Warning"),
            withReason(
                QStringLiteral("Sysex File Too Long - Cut to %1 of %2 Bytes").arg(size).arg(file.size()),
                answer.fileName + QStringLiteral(": the rest of the file was not loaded")));
}

// Always a .syx name; a file that cannot be written is reported and any old file stays whole.
void PatternsWindow::SaveSysex() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save Sysex File");
    request.filter = QString::fromUtf8(kFilter);
    request.filterIndex = 1;
    request.confirmOverwrite = true;
    const FileDialogAnswer answer = dialogs_.SaveFile(this, request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    const QString name = ForceExtension(answer.fileName, QStringLiteral(".syx"));
    if (!safeWriteBytes(QFile::encodeName(name).toStdString(),
                        std::span<const uint8_t>(buffer_.get(), size_t(held_))))
        ShowError(withReason(QStringLiteral("Write File Error - Abort Saving"),
                             writeReasonLine(name, uint64_t(std::max(held_, 0)))));
}

// The bytes go out as they are held; the line is logged even when there was nothing to send.
void PatternsWindow::SendToMidi() {
    if (!options_)
        return;
    QString failure;
    if (held_ >= 3)
        options_->SendSysExBlock(buffer_.get(), size_t(held_), QStringLiteral("Send Sysex"), &failure);
    logMemo->Add(QStringLiteral("Send Sysex %1 Bytes").arg(held_));
    if (!failure.isEmpty())
        logMemo->Add(failure);
}

void PatternsWindow::ToggleButtonsBar() {
    toolBar->setVisible(buttonsBarItem->isChecked());
}

} // namespace vk350
