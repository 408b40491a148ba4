// TForm3: the patterns window's commands and its share of received dumps.
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

TForm3::TForm3(SettingsStore& store, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), store_(store), dialogs_(dialogs), buffer_(new uint8_t[kBufferSize]()) {
    setWindowTitle(QStringLiteral("VK350 Patterns "));
    Memo1 = new LogMemo(this);
    Memo1->Add(QStringLiteral("..."));
    setCentralWidget(Memo1);
    CreateMenus();
    CreateToolBar();
    nameParts({{Memo1, "Memo1"},
               {ToolBar1, "ToolBar1"},
               {mnuNew, "mnuNew"},
               {mnuLoadSysex, "mnuLoadSysex"},
               {mnuSaveSysex, "mnuSaveSysex"},
               {mnuSendToMidi, "mnuSendToMidi"},
               {mnuButtonsBar, "mnuButtonsBar"},
               {btnClearAll, "btnClearAll"},
               {btnLoadAll, "btnLoadAll"},
               {btnSaveAll, "btnSaveAll"},
               {btnSendToMidi, "btnSendToMidi"}});
    resize(420, 260);

    Placement p = kPatternsPlacementDesign;
    readPlacement(store_, kPatternsPlacementNames, p);
    moveToStoredCorner(this, p.x, p.y);
    keepOnScreenWhenShown(this, !store_.Exists());
    if (p.shown)
        show();
}

TForm3::~TForm3() = default;

void TForm3::CreateMenus() {
    const auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& key,
                            void (TForm3::*command)()) {
        QAction* a = menu->addAction(caption);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuNew = add(file, QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_Delete), &TForm3::NewPatterns);
    mnuLoadSysex =
        add(file, QStringLiteral("Load Sysex"), QKeySequence(Qt::CTRL | Qt::Key_L), &TForm3::LoadSysex);
    mnuSaveSysex =
        add(file, QStringLiteral("Save Sysex"), QKeySequence(Qt::CTRL | Qt::Key_S), &TForm3::SaveSysex);
    file->addSeparator();
    mnuSendToMidi = add(file, QStringLiteral("Send to MIDI"), QKeySequence(), &TForm3::SendToMidi);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    mnuButtonsBar = add(view, QStringLiteral("Buttons bar"), QKeySequence(), &TForm3::ToggleButtonsBar);
    mnuButtonsBar->setCheckable(true);
    mnuButtonsBar->setChecked(true);
}

void TForm3::CreateToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("Buttons bar"));
    ToolBar1->setMovable(false);
    ToolBar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    const auto add = [this](ToolIcon icon, const QString& hint, void (TForm3::*command)()) {
        QAction* a = ToolBar1->addAction(toolbarIcon(icon), hint.trimmed());
        a->setToolTip(hint);
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
        return a;
    };
    btnClearAll = add(ToolIcon::New, QStringLiteral("Clear All "), &TForm3::NewPatterns);
    btnLoadAll = add(ToolIcon::Open, QStringLiteral("Load All "), &TForm3::LoadSysex);
    btnSaveAll = add(ToolIcon::Save, QStringLiteral("Save All "), &TForm3::SaveSysex);
    btnSendToMidi = add(ToolIcon::SendMidi, QStringLiteral("Send Parameters to MIDI"), &TForm3::SendToMidi);
}

void TForm3::RunCommand(void (TForm3::*command)()) {
    runGuardedCommand([this, command] { (this->*command)(); },
                      [this](const QString& text) { ShowError(text); });
    HeldChanged();
}

void TForm3::ShowError(const QString& text) {
    dialogs_.Message(this, MessageIcon::Error, QStringLiteral("File Error"), text);
}

void TForm3::WriteSettings() {
    if (writePlacement(store_, kPatternsPlacementNames, Placement{x(), y(), isVisible()}))
        store_.Flush();
    if (!keptFile_.isEmpty())
        SaveKept();
}

void TForm3::ReceivePatternDump(const uint8_t* message, int size, const QString& line) {
    if (!message || size < 0 || size > kBufferSize)
        return;
    std::memcpy(buffer_.get(), message, size_t(size));
    held_ = size;
    Memo1->Add(line);
    HeldChanged();
}

// The held length goes too: a Send after New has nothing to send.
void TForm3::NewPatterns() {
    std::fill_n(buffer_.get(), kBufferSize, uint8_t{0});
    held_ = 0;
    Memo1->Clear();
}

// The first 65536 bytes of the file at most. The whole read is done before the held dump is
// touched, so a file that fails half-way leaves it as it was.
void TForm3::LoadSysex() {
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
    Memo1->Add(QStringLiteral("Load Sysex %1 Bytes").arg(size));
}

// Always a .syx name; a file that cannot be written is reported and any old file stays whole.
void TForm3::SaveSysex() {
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
void TForm3::SendToMidi() {
    if (!options_)
        return;
    QString failure;
    if (held_ >= 3)
        options_->SendSysExBlock(buffer_.get(), size_t(held_), QStringLiteral("Send Sysex"), &failure);
    Memo1->Add(QStringLiteral("Send Sysex %1 Bytes").arg(held_));
    if (!failure.isEmpty())
        Memo1->Add(failure);
}

void TForm3::ToggleButtonsBar() {
    ToolBar1->setVisible(mnuButtonsBar->isChecked());
}

} // namespace vk350
