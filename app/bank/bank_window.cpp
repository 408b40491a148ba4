// BankWindow construction: the ten slot panels, the menus and the tool bar, the placement settings,
// and the mouse on the slots' captions and waveforms.
#include "bank_window.h"

#include "command_guard.h"

#include "options_settings.h"
#include "part_names.h"
#include "sample_view.h"
#include "screen_fit.h"
#include "settings_store.h"
#include "toolbar_icons.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace vk350 {

namespace {

constexpr const char* kShortNames[BankSlots::kSlotCount] = {"BD", "SD", "RS", "HH", "P3",
                                                            "P2", "TM", "CB", "CP", "P1"};
// The captions the window starts with; transfers use the locations' own sizes.
constexpr const char* kInitialSizes[BankSlots::kSlotCount] = {"8K", "16K", "16K", "8K",  "4K",
                                                              "4K", "16K", "64K", "16K", "4K"};
constexpr int kSlotWidth = 104;
constexpr int kWaveHeight = 150;
const char* const kSlotProperty = "vk350Slot";

int slotOf(const QObject* object) {
    const QVariant v = object->property(kSlotProperty);
    return v.isValid() ? v.toInt() : -1;
}

} // namespace

BankWindow::BankWindow(SettingsStore& store, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), store_(store), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("VK350 Sample Bank"));
    CreateSlots();
    AcceptFileDrops();
    CreateMenus();
    CreateToolBar();
    CreateSlotHistory();
    NameParts();
    ReadSettings();
}

BankWindow::~BankWindow() = default;

void BankWindow::CreateSlots() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    QFont bold = font();
    bold.setBold(true);
    for (int s = 0; s < kSlotCount; ++s) {
        auto* frame = new QFrame(panel);
        frame->setFrameShape(QFrame::StyledPanel);
        auto* column = new QVBoxLayout(frame);
        column->setContentsMargins(2, 2, 2, 2);
        column->setSpacing(1);
        auto* shortName = new QLabel(QLatin1String(kShortNames[s]), frame);
        shortName->setFont(bold);
        auto* size = new QLabel(QLatin1String(kInitialSizes[s]), frame);
        auto* name = new QLabel(QStringLiteral("..."), frame);
        // A long file name is cut at the panel's edge instead of widening the window.
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        auto* edit = new SampleView(frame);
        edit->setMinimumSize(kSlotWidth, kWaveHeight);
        edit->setProperty(kSlotProperty, s);
        edit->installEventFilter(this);
        for (QLabel* label : {shortName, size, name}) {
            label->setAlignment(Qt::AlignCenter);
            label->setProperty(kSlotProperty, s);
            label->setContextMenuPolicy(Qt::DefaultContextMenu);
            label->installEventFilter(this);
            column->addWidget(label);
        }
        column->addWidget(edit, 1);
        row->addWidget(frame, 1);
        slotShortNames[size_t(s)] = shortName;
        slotSizes[size_t(s)] = size;
        slotNames[size_t(s)] = name;
        slotViews[size_t(s)] = edit;
        slotMenus[size_t(s)] = CreateSlotMenu(s);
    }
    setCentralWidget(panel);
}

QMenu* BankWindow::CreateSlotMenu(int slot) {
    auto* menu = new QMenu(this);
    const auto add = [this, menu, slot](const QString& caption, void (BankWindow::*command)(int)) {
        QAction* a = menu->addAction(caption);
        a->setData(slot);
        connect(a, &QAction::triggered, this, [this, command, slot, caption] {
            RunCommand([=, this] { (this->*command)(slot); });
            RecordSlotSteps(caption);
        });
    };
    add(QStringLiteral("Load"), &BankWindow::LoadOne);
    add(QStringLiteral("Save"), &BankWindow::SaveOne);
    menu->addSeparator();
    add(QStringLiteral("Delete"), &BankWindow::DeleteSlot);
    menu->addSeparator();
    add(QStringLiteral("Send to Midi"), &BankWindow::SendOne);
    return menu;
}

QAction* BankWindow::AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                             const std::function<void()>& command) {
    QAction* action = menu->addAction(caption);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, command, caption] {
        RunCommand(command);
        RecordSlotSteps(caption);
    });
    return action;
}

void BankWindow::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    newItem =
        AddItem(file, QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_Delete), [this] { NewBank(); });
    loadItem =
        AddItem(file, QStringLiteral("Load"), QKeySequence(Qt::CTRL | Qt::Key_L), [this] { LoadAll(); });
    saveItem =
        AddItem(file, QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveAll(); });
    file->addSeparator();
    sendToMidiItem = AddItem(file, QStringLiteral("Send to MIDI"), QKeySequence(), [this] { SendOne(0); });

    QMenu* edition = bar->addMenu(QStringLiteral("&Edition"));
    reverseItem = AddItem(edition, QStringLiteral("Reverse"), QKeySequence(Qt::CTRL | Qt::Key_R),
                          [this] { ReverseAll(); });
    unsignedItem = AddItem(edition, QStringLiteral("Unsigned"), QKeySequence(Qt::CTRL | Qt::Key_U),
                           [this] { UnsignedAll(); });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    buttonsBarItem =
        AddItem(view, QStringLiteral("Buttons bar"), QKeySequence(), [this] { ToggleButtonsBar(); });
    buttonsBarItem->setCheckable(true);
    buttonsBarItem->setChecked(true);
}

void BankWindow::CreateToolBar() {
    toolBar = addToolBar(QStringLiteral("Buttons bar"));
    toolBar->setMovable(false);
    toolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    const auto add = [this](ToolIcon icon, const QString& hint, const std::function<void()>& command) {
        QAction* a = toolBar->addAction(toolbarIcon(icon), hint.trimmed());
        a->setToolTip(hint);
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, this, [this, command, hint] {
            RunCommand(command);
            RecordSlotSteps(hint.trimmed());
        });
        return a;
    };
    clearAllButton = add(ToolIcon::New, QStringLiteral("Clear All "), [this] { NewBank(); });
    loadAllButton = add(ToolIcon::Open, QStringLiteral("Load All "), [this] { LoadAll(); });
    saveAllButton = add(ToolIcon::Save, QStringLiteral("Save All "), [this] { SaveAll(); });
    sendAllButton = add(ToolIcon::SendMidi, QStringLiteral("Send Parameters to MIDI"), [this] { SendAll(); });
    unsignedButton = add(ToolIcon::Sign, QStringLiteral("Unsigned"), [this] { UnsignedAll(); });
}

void BankWindow::NameParts() {
    nameParts(slotViews, "slotViews");
    nameParts(slotShortNames, "slotShortNames");
    nameParts(slotSizes, "slotSizes");
    nameParts(slotNames, "slotNames");
    nameParts(slotMenus, "slotMenus");
    nameParts({{toolBar, "ToolBar1"},
               {newItem, "newItem"},
               {loadItem, "loadItem"},
               {saveItem, "saveItem"},
               {sendToMidiItem, "sendToMidiItem"},
               {reverseItem, "reverseItem"},
               {unsignedItem, "unsignedItem"},
               {buttonsBarItem, "buttonsBarItem"},
               {clearAllButton, "clearAllButton"},
               {loadAllButton, "loadAllButton"},
               {saveAllButton, "saveAllButton"},
               {sendAllButton, "sendAllButton"},
               {unsignedButton, "unsignedButton"},
               {undoItem, "undoItem"},
               {redoItem, "redoItem"}});
}

void BankWindow::RunCommand(const std::function<void()>& command) {
    runGuardedCommand(command, [this](const QString& text) { ShowError(text); });
}

void BankWindow::ReadSettings() {
    Placement p = kBankPlacementDesign;
    readPlacement(store_, kBankPlacementNames, p);
    moveToStoredCorner(this, p.x, p.y);
    keepOnScreenWhenShown(this, !store_.Exists());
    if (p.shown)
        show();
}

void BankWindow::WriteSettings() {
    if (writePlacement(store_, kBankPlacementNames, Placement{x(), y(), isVisible()}))
        store_.Flush();
    if (!keptFile_.isEmpty())
        SaveKept();
}

SampleView& BankWindow::SlotView(int slot) {
    return *slotViews[size_t(std::clamp(slot, 0, kSlotCount - 1))];
}

void BankWindow::SetSlotName(int slot, const QString& caption) {
    slotNames[size_t(std::clamp(slot, 0, kSlotCount - 1))]->setText(caption);
    RecordLater();
}

void BankWindow::SetSlotSize(int slot, const QString& caption) {
    slotSizes[size_t(std::clamp(slot, 0, kSlotCount - 1))]->setText(caption);
    RecordLater();
}

QString BankWindow::SlotName(int slot) const {
    return slotNames[size_t(std::clamp(slot, 0, kSlotCount - 1))]->text();
}

QString BankWindow::SlotSize(int slot) const {
    return slotSizes[size_t(std::clamp(slot, 0, kSlotCount - 1))]->text();
}

// A click on a caption copies the slot to the main window and a right click opens the slot's
// menu; a click on a waveform plays the slot. The waveforms take no selection of their own: no
// command of this window acts on one.
bool BankWindow::eventFilter(QObject* watched, QEvent* event) {
    const int slot = slotOf(watched);
    if (slot < 0)
        return QMainWindow::eventFilter(watched, event);
    const bool wave = watched == slotViews[size_t(slot)];
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (wave && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            RunCommand([this, slot] { PlaySlot(slot); });
        return wave;
    case QEvent::MouseButtonRelease:
        if (!wave && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            RunCommand([this, slot] { CopyToMain(slot); });
        return wave;
    case QEvent::MouseMove:
    case QEvent::MouseButtonDblClick:
        return wave;
    case QEvent::ContextMenu:
        if (wave)
            return false;
        slotMenus[size_t(slot)]->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

} // namespace vk350
