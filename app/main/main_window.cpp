// MainWindow construction: layout, knob strip, menus, toolbar, start-up and placement.
#include "main_window.h"

#include "command_guard.h"
#include "part_names.h"

#include "bank_window.h"
#include "dialogs.h"
#include "main_window_audio.h"
#include "options_window.h"
#include "patterns_window.h"
#include "sample_view.h"
#include "screen_fit.h"
#include "settings_store.h"
#include "toolbar_icons.h"
#include "value_field.h"
#include "value_fields.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace vk350 {

namespace {

constexpr int kScrollBarHeight = 16;
constexpr int kFieldStripHeight = 16;

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, SettingsStore* store, const MainAudio* audio, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs),
      ownStore_(store ? nullptr : std::make_unique<QtSettingsStore>()),
      store_(store ? store : ownStore_.get()) {
    setWindowTitle(QStringLiteral("VK350 Sample Editor v1.0"));
    move(675, 145);
    resize(1136, 651);

    CreateEditor();
    CreateFieldStrip();
    CreateLayout();
    CreateAnalysisViews();
    CreateMenus();
    CreateToolBar();
    CreateHiddenShortcuts();
    AcceptFileDrops();
    CreateRecentFiles();
    CreateAudioChain(audio);
    ConnectAnalysisViews(chainConnector);
    ReadStartSettings();
    CreateHistory();
    CreateNavigation();
    CreatePlayRange();
    CreatePanelItems();
    CreateProcessMenu();
    setRefusalNotice([this](const QString& text) { ShowRefusal(text); });
}

void MainWindow::CreateEditor() {
    sampleView = named(new SampleView, "sampleView");
    SampleView& e = *sampleView;
    e.SetDocument(*document_);
    document_->OnChanged = [this] { UpdateHistoryItems(); };
    e.SetGradientEnabled(true);
    e.SetGradientType(grxBottomToTop);
    e.SetAxes2Enabled(true);
    e.SetMarkerSize(0);
    e.SetLocatorSize(5);
    e.SetSelectionStyle(1);
    e.SetSpectrumCenter(true);
    e.OnLocatorChange = [this](SampleView*) { RunCommand([this] { SampleViewLocatorChange(); }); };
    e.OnSelectorChange = [this](SampleView*) { RunCommand([this] { SampleViewSelectionChange(); }); };
}

void MainWindow::CreateFieldStrip() {
    fieldStrip = named(new QWidget, "fieldStrip");
    auto* row = new QHBoxLayout(fieldStrip);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(4);
    const QFontMetrics fm(fieldStrip->font());

    struct FieldSetup {
        ValueField** knob;
        const char* name;
        const char* caption;
        int min, max, cursorRange, start;
        const char* widest;
        const char* hint;
        void (MainWindow::*handler)();
    };
    const FieldSetup knobs[] = {
        {&sizeField, "sizeField", "Size", 1, 512, 256, 1, "512Ko", "Sample Size",
         &MainWindow::SizeFieldChange},
        {&zoomField, "zoomField", "Zoom", 1, 1000, 256, 1, "1000", "Zoom Factor ",
         &MainWindow::ZoomFieldChange},
        {&originField, "originField", "Orig", 0, 500000, 150, 0, "500000", nullptr,
         &MainWindow::OriginFieldChange},
        {&locatorField, "locatorField", "Loc  ", 0, 500000, 150, 0, "500000", nullptr,
         &MainWindow::LocatorFieldChange},
        {&byteValueField, "byteValueField", "Val", 0, 255, 256, 0, "255", nullptr,
         &MainWindow::ByteValueFieldChange},
        {&selectionStartField, "selectionStartField", "Pos", 0, 500000, 150, 0, "500000", nullptr,
         &MainWindow::SelectionStartFieldChange},
        {&selectionLengthField, "selectionLengthField", "Len", 0, 500000, 150, 0, "500000", nullptr,
         &MainWindow::SelectionLengthFieldChange},
        {&offsetField, "offsetField", "Offset", -255, 255, 150, 0, "-255", nullptr,
         &MainWindow::OffsetFieldChange},
        {&levelField, "levelField", "Level", 0, 200, 256, 0, "200", nullptr, nullptr},
        {&maxField, "maxField", "Max", 0, 255, 150, 0, "255", nullptr, nullptr},
        {&minField, "minField", "Min", 0, 255, 150, 0, "255", nullptr, nullptr},
    };
    const int height = std::max(kFieldStripHeight, fm.height() + 2);
    bool first = true;
    for (const FieldSetup& s : knobs) {
        auto* label = new QLabel(QString::fromUtf8(s.caption), fieldStrip);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFixedHeight(height);
        auto* knob = named(new ValueField(fieldStrip), s.name);
        knob->SetMin(s.min);
        knob->SetMax(s.max);
        knob->SetCursorRange(s.cursorRange);
        knob->SetAlwayDetect(true);
        knob->SetState(s.start);
        styleValueField(knob);
        knob->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        knob->setFixedSize(fm.horizontalAdvance(QString::fromLatin1(s.widest)) + 12, height);
        knob->setCursor(Qt::SizeVerCursor);
        if (s.hint)
            knob->setToolTip(QString::fromUtf8(s.hint));
        if (s.handler) {
            const auto handler = s.handler;
            knob->OnChange = [this, handler](ValueField&) {
                RunCommand([this, handler] { (this->*handler)(); });
            };
        }
        // The gap before a caption belongs to the caption, so a hidden knob leaves none behind.
        if (!first)
            label->setContentsMargins(6, 0, 0, 0);
        first = false;
        row->addWidget(label);
        row->addWidget(knob);
        *s.knob = knob;
        if (s.knob == &levelField) {
            label->hide();
            knob->hide();
            knob->setEnabled(false);
        }
    }
    row->addStretch(1);
    fieldStrip->setFixedHeight(height);
}

void MainWindow::CreateLayout() {
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    analysisPanel = named(new QWidget, "analysisPanel");
    analysisPanel->setFixedHeight(194);
    analysisSplitter = named(new QWidget, "analysisSplitter");
    analysisSplitter->setFixedHeight(3);
    analysisSplitter->setCursor(Qt::SplitVCursor);
    column->addWidget(analysisPanel);
    column->addWidget(analysisSplitter);

    auto* lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(0);
    meterPanel = named(new QWidget, "meterPanel");
    meterPanel->setFixedWidth(37);
    editPanel = named(new QWidget, "editPanel");
    lower->addWidget(meterPanel);
    lower->addWidget(editPanel, 1);
    column->addLayout(lower, 1);

    // The editing panel places its children itself: strip on top, editor, scroll bar along the bottom.
    fieldStrip->setParent(editPanel);
    sampleView->setParent(editPanel);
    scrollBar = named(new QScrollBar(Qt::Horizontal, editPanel), "scrollBar");
    scrollBar->setRange(0, 100);
    scrollBar->setPageStep(10);
    connect(scrollBar, &QScrollBar::valueChanged, this,
            [this](int position) { RunCommand([this, position] { ScrollBarChange(position); }); });
    editPanel->installEventFilter(this);
    setCentralWidget(central);
}

QAction* MainWindow::AddItem(QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& shortcut, void (MainWindow::*command)()) {
    QAction* action = named(menu->addAction(caption), name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (command)
        connect(action, &QAction::triggered, this, [this, command] {
            RunCommand([this, command] { (this->*command)(); });
            AfterCommand(command);
        });
    return action;
}

void MainWindow::CreateMenus() {
    QMenuBar* bar = menuBar();
    fileMenu = named(bar->addMenu(QStringLiteral("&File")), "fileMenu");
    newItem = AddItem(fileMenu, "newItem", QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
                      &MainWindow::NewSample);
    loadRawItem = AddItem(fileMenu, "loadRawItem", QStringLiteral("Load Raw-Bin"),
                          QKeySequence(Qt::CTRL | Qt::Key_L), &MainWindow::LoadRawBin);
    saveRawItem = AddItem(fileMenu, "saveRawItem", QStringLiteral("Save Raw-Bin"),
                          QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::SaveRawBin);
    waveSeparator = named(fileMenu->addSeparator(), "waveSeparator");
    // F1 and Ctrl+F1 also live on the window (CreateHiddenShortcuts), because these items are hidden.
    loadWaveItem = AddItem(fileMenu, "loadWaveItem", QStringLiteral("Load Wave "), QKeySequence(Qt::Key_F1),
                           &MainWindow::LoadWave);
    saveAsWaveItem = AddItem(fileMenu, "saveAsWaveItem", QStringLiteral("Save as Wave"),
                             QKeySequence(Qt::CTRL | Qt::Key_F1), &MainWindow::SaveAsWave);
    fileMenu->addSeparator();
    sendToMidiItem = AddItem(fileMenu, "sendToMidiItem", QStringLiteral("Send to MIDI"),
                             QKeySequence(Qt::Key_F9), &MainWindow::SendToMidi);
    receiveFromMidiItem = AddItem(fileMenu, "receiveFromMidiItem", QStringLiteral("Receive from MIDI"),
                                  QKeySequence(), nullptr);
    fileMenu->addSeparator();
    exitItem = AddItem(fileMenu, "exitItem", QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                       &MainWindow::Exit);

    editionMenu = named(bar->addMenu(QStringLiteral("&Edition")), "editionMenu");
    undoItem = AddItem(editionMenu, "undoItem", QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                       &MainWindow::UndoEdit);
    editionMenu->addSeparator();
    selectAllItem = AddItem(editionMenu, "selectAllItem", QStringLiteral("Select All"),
                            QKeySequence(Qt::CTRL | Qt::Key_A), &MainWindow::SelectAll);
    cutItem = AddItem(editionMenu, "cutItem", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                      &MainWindow::Cut);
    copyItem = AddItem(editionMenu, "copyItem", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                       &MainWindow::Copy);
    pasteItem = AddItem(editionMenu, "pasteItem", QStringLiteral("Paste To Locator"),
                        QKeySequence(Qt::CTRL | Qt::Key_V), &MainWindow::Paste);
    cropItem = AddItem(editionMenu, "cropItem", QStringLiteral("Crop"), QKeySequence(Qt::CTRL | Qt::Key_W),
                       &MainWindow::Crop);
    muteItem = AddItem(editionMenu, "muteItem", QStringLiteral("Mute"), QKeySequence(Qt::CTRL | Qt::Key_M),
                       &MainWindow::Mute);
    editionMenu->addSeparator();
    linToMuLawItem = AddItem(editionMenu, "linToMuLawItem", QStringLiteral("Lin to µLaw -8bits"),
                             QKeySequence(), &MainWindow::LinearToMuLaw);
    muLawToLinItem = AddItem(editionMenu, "muLawToLinItem", QStringLiteral("µLaw to Lin -8bits"),
                             QKeySequence(), &MainWindow::MuLawToLinear);
    reverseItem = AddItem(editionMenu, "reverseItem", QStringLiteral("Reverse"),
                          QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::Reverse);
    unsignedItem = AddItem(editionMenu, "unsignedItem", QStringLiteral("Unsigned"),
                           QKeySequence(Qt::CTRL | Qt::Key_U), &MainWindow::ToggleSign);

    audioMenu = named(bar->addMenu(QStringLiteral("Audio")), "audioMenu");
    loopItem = AddItem(audioMenu, "loopItem", QStringLiteral("Loop            "), QKeySequence(),
                       &MainWindow::LoopItem);
    audioMenu->addSeparator();
    goToStartItem = AddItem(audioMenu, "goToStartItem", QStringLiteral("Go to Start"), QKeySequence(),
                            &MainWindow::GoToStart);
    goToEndItem =
        AddItem(audioMenu, "goToEndItem", QStringLiteral("Go to End"), QKeySequence(), &MainWindow::GoToEnd);
    fastForwardItem = AddItem(audioMenu, "fastForwardItem", QStringLiteral("Fast Foward"), QKeySequence(),
                              &MainWindow::FastForward);
    forwardItem =
        AddItem(audioMenu, "forwardItem", QStringLiteral("Foward "), QKeySequence(), &MainWindow::Forward);
    backwardItem =
        AddItem(audioMenu, "backwardItem", QStringLiteral("Backward"), QKeySequence(), &MainWindow::Backward);
    fastBackwardItem = AddItem(audioMenu, "fastBackwardItem", QStringLiteral("Fast Backward"), QKeySequence(),
                               &MainWindow::FastBackward);
    audioMenu->addSeparator();
    playItem =
        AddItem(audioMenu, "playItem", QStringLiteral("Play        "), QKeySequence(), &MainWindow::Play);

    viewMenu = named(bar->addMenu(QStringLiteral("&View")), "viewMenu");
    zoomInItem = AddItem(viewMenu, "zoomInItem", QStringLiteral("Zoom In                "),
                         QKeySequence(Qt::Key_F5), &MainWindow::ZoomIn);
    zoomOutItem = AddItem(viewMenu, "zoomOutItem", QStringLiteral("Zoom Out            "),
                          QKeySequence(Qt::Key_F6), &MainWindow::ZoomOut);
    minimumItem = AddItem(viewMenu, "minimumItem", QStringLiteral("Minimun               "),
                          QKeySequence(Qt::Key_F7), &MainWindow::ZoomMinimum);
    fullSizeItem = AddItem(viewMenu, "fullSizeItem", QStringLiteral("Full Size            "),
                           QKeySequence(Qt::Key_F8), &MainWindow::FullSize);
    viewMenu->addSeparator();
    followLocatorItem = AddItem(viewMenu, "followLocatorItem", QStringLiteral("Follow Locator"),
                                QKeySequence(Qt::CTRL | Qt::Key_F8), nullptr);
    showPointsItem = AddItem(viewMenu, "showPointsItem", QStringLiteral("Show/Hide Points"),
                             QKeySequence(Qt::CTRL | Qt::Key_F11), &MainWindow::ShowHidePoints);
    showBarsItem = AddItem(viewMenu, "showBarsItem", QStringLiteral("Show/Hide Bars"),
                           QKeySequence(Qt::CTRL | Qt::Key_F12), &MainWindow::ShowHideBars);
    showVuMetersItem = AddItem(viewMenu, "showVuMetersItem", QStringLiteral("Show Vu-meters"),
                               QKeySequence(Qt::Key_F11), &MainWindow::ShowVuMeters);
    showRtSpectrumItem = AddItem(viewMenu, "showRtSpectrumItem", QStringLiteral("Show RT Spectrum"),
                                 QKeySequence(Qt::Key_F12), nullptr);
    viewMenu->addSeparator();
    // Each item is enabled once its window is attached (SetOptionsWindow, SetBankWindow, ...).
    preferencesItem = AddItem(viewMenu, "preferencesItem", QStringLiteral("Preferences"),
                              QKeySequence(Qt::Key_F2), &MainWindow::TogglePreferences);
    preferencesItem->setCheckable(true);
    sampleBankItem = AddItem(viewMenu, "sampleBankItem", QStringLiteral("VK350 Sample Bank"),
                             QKeySequence(Qt::Key_F3), &MainWindow::ShowBankWindow);
    patternsItem = AddItem(viewMenu, "patternsItem", QStringLiteral("VK350 Patterns"),
                           QKeySequence(Qt::Key_F4), &MainWindow::ShowPatternsWindow);
    SetItemEnabled(preferencesItem, false);
    SetItemEnabled(sampleBankItem, false);
    SetItemEnabled(patternsItem, false);

    aboutMenu = named(bar->addMenu(QStringLiteral("&About....")), "aboutMenu");
    aboutBoxItem = AddItem(aboutMenu, "aboutBoxItem", QStringLiteral("OVL VK350 Sample Editor "),
                           QKeySequence(), &MainWindow::ShowAboutBox);
    SetItemEnabled(aboutBoxItem, false);

    for (QAction* a : {loopItem, followLocatorItem, showPointsItem, showBarsItem})
        a->setCheckable(true);
    showPointsItem->setChecked(true);
    SetItemEnabled(undoItem, false);
    SetItemEnabled(saveAsWaveItem, false);
    receiveFromMidiItem->setVisible(false);
    SetItemEnabled(receiveFromMidiItem, false);
}

QAction* MainWindow::AddButton(const char* name, const QIcon& icon, const QString& caption,
                               const QString& hint, void (MainWindow::*command)()) {
    QAction* action = named(new QAction(icon, caption.isEmpty() ? hint.trimmed() : caption, this), name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    toolBar->addAction(action);
    if (!caption.isEmpty()) {
        // Captioned buttons show their caption, not an icon.
        if (auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action)))
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    if (command)
        connect(action, &QAction::triggered, this, [this, command] {
            RunCommand([this, command] { (this->*command)(); });
            AfterCommand(command);
        });
    return action;
}

void MainWindow::CreateToolBar() {
    toolBar = named(addToolBar(QStringLiteral("Tools")), "ToolBar1");
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar->setIconSize(QSize(22, 22));
    toolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    newButton = AddButton("newButton", toolbarIcon(ToolIcon::New), {},
                          QStringLiteral("Cleanup the place ..."), &MainWindow::NewSample);
    loadRawButton = AddButton("loadRawButton", toolbarIcon(ToolIcon::Open), {},
                              QStringLiteral("Load BIN-RAW file"), &MainWindow::LoadRawBin);
    saveRawButton = AddButton("saveRawButton", toolbarIcon(ToolIcon::Save), {},
                              QStringLiteral("Save BIN-RAW to file"), &MainWindow::SaveRawBin);
    loadWaveButton = AddButton("loadWaveButton", toolbarIcon(ToolIcon::OpenWave), {},
                               QStringLiteral("Load WAV file"), &MainWindow::LoadWave);
    toolBar->addSeparator();
    sendToMidiButton = AddButton("sendToMidiButton", toolbarIcon(ToolIcon::SendMidi), {},
                                 QStringLiteral("Send to MIDI"), &MainWindow::SendToMidi);

    locationChooser = named(new QComboBox, "locationChooser");
    locationChooser->setToolTip(QStringLiteral("VK350 Bank Location"));
    locationChooser->setMaxVisibleItems(12);
    locationChooser->addItems({QStringLiteral("----------------"), QStringLiteral("Bass  Drum     "),
                               QStringLiteral("Snare Drum "), QStringLiteral("Rim Shot     "),
                               QStringLiteral("HiHat              "), QStringLiteral("Percu3           "),
                               QStringLiteral("Percu2"), QStringLiteral("Tom"), QStringLiteral("Cymbal"),
                               QStringLiteral("Clap"), QStringLiteral("Percu1")});
    locationChooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    locationChooser->setFocusPolicy(Qt::ClickFocus);
    toolBar->addWidget(locationChooser);
    copyToBankButton =
        AddButton("copyToBankButton", toolbarIcon(ToolIcon::CopyToBank), {},
                  QStringLiteral("Copy Sample to VK350 Bank location "), &MainWindow::CopyToBank);
    toolBar->addSeparator();
    fullViewButton = AddButton("fullViewButton", toolbarIcon(ToolIcon::FullView), {},
                               QStringLiteral("Full View"), &MainWindow::FullSize);
    zoomOneToOneButton = AddButton("zoomOneToOneButton", toolbarIcon(ToolIcon::ZoomOneToOne), {},
                                   QStringLiteral("Zoom 1:1"), &MainWindow::ZoomOneToOne);
    toolBar->addSeparator();
    zeroButton =
        AddButton("zeroButton", {}, QStringLiteral("Zero"), QStringLiteral("Fix Zero"), &MainWindow::FixZero);
    linearButton = AddButton("linearButton", {}, QStringLiteral("Linear"),
                             QStringLiteral("Convert to Linear"), &MainWindow::MuLawToLinear);
    muLawButton = AddButton("muLawButton", {}, QStringLiteral("µLaw"), QStringLiteral("Convert to µLaw"),
                            &MainWindow::LinearToMuLaw);
    signedButton = AddButton("signedButton", toolbarIcon(ToolIcon::Sign), {},
                             QStringLiteral("Convert to Signed/Unsigned"), &MainWindow::ToggleSign);
    cutButton = AddButton("cutButton", toolbarIcon(ToolIcon::Cut), {},
                          QStringLiteral("Cut/Truncate Selection"), &MainWindow::Cut);
    toolBar->addSeparator();
    playButton =
        AddButton("playButton", toolbarIcon(ToolIcon::Play), {}, QStringLiteral("Play"), &MainWindow::Play);
    loopButton = AddButton("loopButton", toolbarIcon(ToolIcon::Loop), {},
                           QStringLiteral("Loop /One shot play "), &MainWindow::LoopButton);
    loopButton->setCheckable(true);
    SetItemEnabled(playButton, false);

    fileNameLabel = named(new QLabel(QStringLiteral("...")), "fileNameLabel");
    fileNameLabel->setMinimumWidth(160);
    fileNameLabel->setContentsMargins(10, 0, 10, 0);
    fileNameLabel->setToolTip(QStringLiteral("Current file"));
    toolBar->addWidget(fileNameLabel);
    stopButton = AddButton("stopButton", toolbarIcon(ToolIcon::Stop), {}, QStringLiteral("Stop"),
                           &MainWindow::StopButton);
}

void MainWindow::CreateHiddenShortcuts() {
    // Qt ignores the shortcut of an invisible action, so the keys of the hidden wave items live on
    // the window and follow the items' enabled state.
    loadWaveKey_ = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(loadWaveKey_, &QShortcut::activated, this, [this] {
        if (ItemEnabled(loadWaveItem)) {
            RunCommand([this] { LoadWave(); });
            AfterCommand(&MainWindow::LoadWave);
        }
    });
    saveAsWaveKey_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1), this);
    connect(saveAsWaveKey_, &QShortcut::activated, this, [this] {
        if (ItemEnabled(saveAsWaveItem))
            RunCommand([this] { SaveAsWave(); });
    });
}

void MainWindow::ReadStartSettings() {
    // The analysis views and the wave items stay hidden.
    for (QAction* a : {showVuMetersItem, showRtSpectrumItem}) {
        SetItemEnabled(a, false);
        a->setVisible(false);
    }
    DisableAnalysisViews();
    for (QWidget* w : {meterPanel, analysisPanel, analysisSplitter}) {
        w->setEnabled(false);
        w->hide();
    }
    // Keep the enabled state of the items about to be hidden: their keys follow it.
    for (QAction* a : {loadWaveItem, loadWaveButton, stopButton})
        SetItemEnabled(a, true);
    loadWaveButton->setVisible(false);
    loadWaveItem->setVisible(false);
    saveAsWaveItem->setVisible(false);
    waveSeparator->setVisible(false);
    stopButton->setVisible(false);

    KeepBarsWhole();
    // Placement and gradient steps from the settings store.
    LoadWindowPlacement();
    // No bank location chosen.
    locationChooser->setCurrentIndex(0);
    // Keys that the menus' own shortcuts do not give.
    linToMuLawItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    muLawToLinItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));
    // Alt+E is also the menu bar's key for "&Edition"; the item wins, as the menu bar hands the
    // key on to it (eventFilter) and the item's own shortcut stays out of the window's map.
    muLawToLinItem->setShortcutContext(Qt::WidgetShortcut);
    menuBar()->installEventFilter(this);
    loopItem->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk));
    goToStartItem->setShortcut(QKeySequence(Qt::Key_Home));
    goToEndItem->setShortcut(QKeySequence(Qt::Key_End));
    fastForwardItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    forwardItem->setShortcut(QKeySequence(Qt::Key_Right));
    backwardItem->setShortcut(QKeySequence(Qt::Key_Left));
    fastBackwardItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left));
    playItem->setShortcut(QKeySequence(Qt::Key_Space));
    // Nothing plays yet.
    playing_ = false;
}

// The window's smallest size keeps the toolbar and the value strip whole, with a few rows of
// the waveform and the scroll bar below them; a stored size below it is raised to it.
void MainWindow::KeepBarsWhole() {
    constexpr int kLeastEditorHeight = 48;
    const int width = std::max(toolBar->sizeHint().width(), fieldStrip->sizeHint().width());
    const int panel = fieldStrip->height() + kLeastEditorHeight + kScrollBarHeight;
    const int height = menuBar()->sizeHint().height() + toolBar->sizeHint().height() + panel +
                       (locationFitLabel ? statusBar()->sizeHint().height() : 0);
    setMinimumSize(std::max(width, minimumSizeHint().width()), std::max(height, minimumSizeHint().height()));
}

// Qt reports a hidden action as disabled; the item's own state is kept beside it, since the
// keys of hidden items follow it.
void MainWindow::SetItemEnabled(QAction* item, bool enabled) {
    item->setProperty("itemEnabled", enabled);
    item->setEnabled(enabled);
}

bool MainWindow::ItemEnabled(const QAction* item) {
    const QVariant stored = item->property("itemEnabled");
    return stored.isValid() ? stored.toBool() : item->isEnabled();
}

void MainWindow::SetAboutBox(QWidget* window) {
    aboutBox_ = window;
    SetItemEnabled(aboutBoxItem, window != nullptr);
}

// Reads PX1, PY1, PW1, PH1 and StepsGradient in that order; the first missing value ends the read.
// A place partly off every screen is moved onto the nearest one.
void MainWindow::LoadWindowPlacement() {
    int values[5] = {};
    const char* const kKeys[5] = {"PX1", "PY1", "PW1", "PH1", "StepsGradient"};
    int count = 0;
    for (; count < 5; ++count) {
        const std::optional<int32_t> v = store_->ReadInteger(QLatin1String(kKeys[count]));
        if (!v)
            break;
        values[count] = *v;
    }
    if (count >= 1)
        moveToStoredCorner(this, values[0], count >= 2 ? values[1] : y());
    if (count >= 3)
        resizeToStoredSize(this, values[2], count >= 4 ? values[3] : height());
    if (count >= 5)
        sampleView->SetGradientNbOfColors(values[4]);
    // On a first run the window opens at the top of the screen: the room below it is left for
    // the title bars of the windows opened after it.
    const bool firstRun = !store_->Exists();
    if (firstRun)
        move(x(), QGuiApplication::primaryScreen()->availableGeometry().top());
    keepOnScreenWhenShown(this, firstRun);
}

// A value that cannot be written ends the writing.
void MainWindow::SaveWindowPlacement() {
    if (store_->WriteInteger(QStringLiteral("PX1"), x()) &&
        store_->WriteInteger(QStringLiteral("PY1"), y()) &&
        store_->WriteInteger(QStringLiteral("PW1"), width()) &&
        store_->WriteInteger(QStringLiteral("PH1"), height()))
        store_->Flush();
}

// The closing sequence: every window's settings in their order, then the MIDI ports, and the
// wave output last.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (!ConfirmClose()) {
        event->ignore();
        return;
    }
    if (OnStoreBankSettings)
        OnStoreBankSettings();
    SaveWindowPlacement();
    if (OnStorePatternsSettings)
        OnStorePatternsSettings();
    if (options_) {
        options_->WriteSettings();
        options_->ClosePorts();
        options_->hide();
    }
    for (QWidget* w : {static_cast<QWidget*>(bankWindow_), static_cast<QWidget*>(patternsWindow_)})
        if (w)
            w->hide();
    if (aboutBox_)
        aboutBox_->close();
    RunCommand([this] {
        playing_ = false;
        chainOutput->Close();
    });
    if (OnCloseWaveOut)
        OnCloseWaveOut();
    StoreViewSettings();
    StorePanelSettings();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sampleView && event->type() == QEvent::Wheel)
        return WheelOverWave(static_cast<QWheelEvent*>(event));
    if (watched == editPanel && event->type() == QEvent::Resize)
        FitToWindow();
    if (watched == meterPanel && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        ResizeMeters();
    if (watched == menuBar() && event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->key() == muLawToLinItem->shortcut()) {
        if (muLawToLinItem->isEnabled())
            muLawToLinItem->trigger();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The editor sits at (1, 17) under the 16-pixel strip, as wide as the panel and 32 pixels
// shorter; the zoom commands divide by that width. A font that needs a taller strip pushes the
// editor down by the difference and takes it from the editor's height alone. The gradient is
// rebuilt at the new size by stepping its band count away and back.
void MainWindow::FitToWindow() {
    const int w = editPanel->width();
    const int h = editPanel->height();
    const int strip = fieldStrip->height();
    const int taller = std::max(0, strip - kFieldStripHeight);
    // A narrow window cuts the strip off at its right edge rather than squeezing knobs over captions.
    fieldStrip->setGeometry(0, 0, std::max(w, fieldStrip->sizeHint().width()), strip);
    sampleView->setGeometry(1, kFieldStripHeight + 1 + taller, std::max(1, w), std::max(1, h - 32 - taller));
    scrollBar->setGeometry(0, h - kScrollBarHeight, w, kScrollBarHeight);
    sampleView->SetGradientNbOfColors(255);
    sampleView->SetGradientNbOfColors(254);
    sampleView->DrawWave();
    ResizeMeters();
    SyncScrollBar();
}

void MainWindow::RunCommand(const std::function<void()>& command) {
    runGuardedCommand(
        command, [this](const QString& text) { ShowError(QStringLiteral("VK350 Sample Editor"), text); },
        QStringLiteral("Unexpected error"));
}

void MainWindow::ShowError(const QString& title, const QString& text) {
    dialogs_.Message(this, MessageIcon::Error, title, text);
}

} // namespace vk350
