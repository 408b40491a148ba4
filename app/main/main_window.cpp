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
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace vk350 {

namespace {

constexpr int kScrollBarHeight = 16;
constexpr int kKnobStripHeight = 16;

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, SettingsStore* store, const MainAudio* audio, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs),
      ownStore_(store ? nullptr : std::make_unique<QtSettingsStore>()),
      store_(store ? store : ownStore_.get()) {
    setWindowTitle(QStringLiteral("VK350 Sample Editor v1.0"));
    move(675, 145);
    resize(1136, 651);

    CreateEditor();
    CreateKnobStrip();
    CreateLayout();
    CreateAnalysisViews();
    CreateMenus();
    CreateToolBar();
    CreateHiddenShortcuts();
    AcceptFileDrops();
    CreateRecentFiles();
    CreateAudioChain(audio);
    ConnectAnalysisViews(chainConnector);
    FormCreate();
    CreateHistory();
    CreateNavigation();
    CreatePlayRange();
    CreatePanelItems();
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

void MainWindow::CreateKnobStrip() {
    fieldStrip = named(new QWidget, "fieldStrip");
    auto* row = new QHBoxLayout(fieldStrip);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(4);
    const QFontMetrics fm(fieldStrip->font());

    struct KnobSetup {
        ValueField** knob;
        const char* name;
        const char* caption;
        int min, max, cursorRange, start;
        const char* widest;
        const char* hint;
        void (MainWindow::*handler)();
    };
    const KnobSetup knobs[] = {
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
    const int height = std::max(kKnobStripHeight, fm.height() + 2);
    bool first = true;
    for (const KnobSetup& s : knobs) {
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
    mnuFile = named(bar->addMenu(QStringLiteral("&File")), "mnuFile");
    mnuNew = AddItem(mnuFile, "mnuNew", QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
                     &MainWindow::NewSample);
    mnuLoadRaw = AddItem(mnuFile, "mnuLoadRaw", QStringLiteral("Load Raw-Bin"),
                         QKeySequence(Qt::CTRL | Qt::Key_L), &MainWindow::LoadRawBin);
    mnuSaveRaw = AddItem(mnuFile, "mnuSaveRaw", QStringLiteral("Save Raw-Bin"),
                         QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::SaveRawBin);
    mnuWaveSeparator = named(mnuFile->addSeparator(), "mnuWaveSeparator");
    // F1 and Ctrl+F1 also live on the window (CreateHiddenShortcuts), because these items are hidden.
    mnuLoadWave = AddItem(mnuFile, "mnuLoadWave", QStringLiteral("Load Wave "), QKeySequence(Qt::Key_F1),
                          &MainWindow::LoadWave);
    mnuSaveAsWave = AddItem(mnuFile, "mnuSaveAsWave", QStringLiteral("Save as Wave"),
                            QKeySequence(Qt::CTRL | Qt::Key_F1), &MainWindow::SaveAsWave);
    mnuFile->addSeparator();
    mnuSendToMidi = AddItem(mnuFile, "mnuSendToMidi", QStringLiteral("Send to MIDI"),
                            QKeySequence(Qt::Key_F9), &MainWindow::SendToMidi);
    mnuReceiveFromMidi =
        AddItem(mnuFile, "mnuReceiveFromMidi", QStringLiteral("Receive from MIDI"), QKeySequence(), nullptr);
    mnuFile->addSeparator();
    mnuExit = AddItem(mnuFile, "mnuExit", QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                      &MainWindow::Exit);

    mnuEdition = named(bar->addMenu(QStringLiteral("&Edition")), "mnuEdition");
    mnuUndo = AddItem(mnuEdition, "mnuUndo", QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                      &MainWindow::UndoEdit);
    mnuEdition->addSeparator();
    mnuSelectAll = AddItem(mnuEdition, "mnuSelectAll", QStringLiteral("Select All"),
                           QKeySequence(Qt::CTRL | Qt::Key_A), &MainWindow::SelectAll);
    mnuCut = AddItem(mnuEdition, "mnuCut", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                     &MainWindow::Cut);
    mnuCopy = AddItem(mnuEdition, "mnuCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                      &MainWindow::Copy);
    mnuPaste = AddItem(mnuEdition, "mnuPaste", QStringLiteral("Paste To Locator"),
                       QKeySequence(Qt::CTRL | Qt::Key_V), &MainWindow::Paste);
    mnuCrop = AddItem(mnuEdition, "mnuCrop", QStringLiteral("Crop"), QKeySequence(Qt::CTRL | Qt::Key_W),
                      &MainWindow::Crop);
    mnuMute = AddItem(mnuEdition, "mnuMute", QStringLiteral("Mute"), QKeySequence(Qt::CTRL | Qt::Key_M),
                      &MainWindow::Mute);
    mnuEdition->addSeparator();
    mnuLinToMuLaw = AddItem(mnuEdition, "mnuLinToMuLaw", QStringLiteral("Lin to µLaw -8bits"), QKeySequence(),
                            &MainWindow::LinearToMuLaw);
    mnuMuLawToLin = AddItem(mnuEdition, "mnuMuLawToLin", QStringLiteral("µLaw to Lin -8bits"), QKeySequence(),
                            &MainWindow::MuLawToLinear);
    mnuReverse = AddItem(mnuEdition, "mnuReverse", QStringLiteral("Reverse"),
                         QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::Reverse);
    mnuUnsigned = AddItem(mnuEdition, "mnuUnsigned", QStringLiteral("Unsigned"),
                          QKeySequence(Qt::CTRL | Qt::Key_U), &MainWindow::ToggleSign);

    mnuAudio = named(bar->addMenu(QStringLiteral("Audio")), "mnuAudio");
    mnuLoop = AddItem(mnuAudio, "mnuLoop", QStringLiteral("Loop            "), QKeySequence(),
                      &MainWindow::LoopItem);
    mnuAudio->addSeparator();
    mnuGoToStart = AddItem(mnuAudio, "mnuGoToStart", QStringLiteral("Go to Start"), QKeySequence(),
                           &MainWindow::GoToStart);
    mnuGoToEnd =
        AddItem(mnuAudio, "mnuGoToEnd", QStringLiteral("Go to End"), QKeySequence(), &MainWindow::GoToEnd);
    mnuFastForward = AddItem(mnuAudio, "mnuFastForward", QStringLiteral("Fast Foward"), QKeySequence(),
                             &MainWindow::FastForward);
    mnuForward =
        AddItem(mnuAudio, "mnuForward", QStringLiteral("Foward "), QKeySequence(), &MainWindow::Forward);
    mnuBackward =
        AddItem(mnuAudio, "mnuBackward", QStringLiteral("Backward"), QKeySequence(), &MainWindow::Backward);
    mnuFastBackward = AddItem(mnuAudio, "mnuFastBackward", QStringLiteral("Fast Backward"), QKeySequence(),
                              &MainWindow::FastBackward);
    mnuAudio->addSeparator();
    mnuPlay = AddItem(mnuAudio, "mnuPlay", QStringLiteral("Play        "), QKeySequence(), &MainWindow::Play);

    mnuView = named(bar->addMenu(QStringLiteral("&View")), "mnuView");
    mnuZoomIn = AddItem(mnuView, "mnuZoomIn", QStringLiteral("Zoom In                "),
                        QKeySequence(Qt::Key_F5), &MainWindow::ZoomIn);
    mnuZoomOut = AddItem(mnuView, "mnuZoomOut", QStringLiteral("Zoom Out            "),
                         QKeySequence(Qt::Key_F6), &MainWindow::ZoomOut);
    mnuMinimum = AddItem(mnuView, "mnuMinimum", QStringLiteral("Minimun               "),
                         QKeySequence(Qt::Key_F7), &MainWindow::ZoomMinimum);
    mnuFullSize = AddItem(mnuView, "mnuFullSize", QStringLiteral("Full Size            "),
                          QKeySequence(Qt::Key_F8), &MainWindow::FullSize);
    mnuView->addSeparator();
    mnuFollowLocator = AddItem(mnuView, "mnuFollowLocator", QStringLiteral("Follow Locator"),
                               QKeySequence(Qt::CTRL | Qt::Key_F8), nullptr);
    mnuShowPoints = AddItem(mnuView, "mnuShowPoints", QStringLiteral("Show/Hide Points"),
                            QKeySequence(Qt::CTRL | Qt::Key_F11), &MainWindow::ShowHidePoints);
    mnuShowBars = AddItem(mnuView, "mnuShowBars", QStringLiteral("Show/Hide Bars"),
                          QKeySequence(Qt::CTRL | Qt::Key_F12), &MainWindow::ShowHideBars);
    mnuShowVuMeters = AddItem(mnuView, "mnuShowVuMeters", QStringLiteral("Show Vu-meters"),
                              QKeySequence(Qt::Key_F11), &MainWindow::ShowVuMeters);
    mnuShowRtSpectrum = AddItem(mnuView, "mnuShowRtSpectrum", QStringLiteral("Show RT Spectrum"),
                                QKeySequence(Qt::Key_F12), nullptr);
    mnuView->addSeparator();
    // Each item is enabled once its window is attached (SetOptionsWindow, SetBankWindow, ...).
    mnuPreferences = AddItem(mnuView, "mnuPreferences", QStringLiteral("Preferences"),
                             QKeySequence(Qt::Key_F2), &MainWindow::TogglePreferences);
    mnuPreferences->setCheckable(true);
    mnuSampleBank = AddItem(mnuView, "mnuSampleBank", QStringLiteral("VK350 Sample Bank"),
                            QKeySequence(Qt::Key_F3), &MainWindow::ShowBankWindow);
    mnuPatterns = AddItem(mnuView, "mnuPatterns", QStringLiteral("VK350 Patterns"), QKeySequence(Qt::Key_F4),
                          &MainWindow::ShowPatternsWindow);
    SetItemEnabled(mnuPreferences, false);
    SetItemEnabled(mnuSampleBank, false);
    SetItemEnabled(mnuPatterns, false);

    mnuAbout = named(bar->addMenu(QStringLiteral("&About....")), "mnuAbout");
    mnuAboutBox = AddItem(mnuAbout, "mnuAboutBox", QStringLiteral("OVL VK350 Sample Editor "), QKeySequence(),
                          &MainWindow::ShowAboutBox);
    SetItemEnabled(mnuAboutBox, false);

    for (QAction* a : {mnuLoop, mnuFollowLocator, mnuShowPoints, mnuShowBars})
        a->setCheckable(true);
    mnuShowPoints->setChecked(true);
    SetItemEnabled(mnuUndo, false);
    SetItemEnabled(mnuSaveAsWave, false);
    mnuReceiveFromMidi->setVisible(false);
    SetItemEnabled(mnuReceiveFromMidi, false);
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

    btnNew = AddButton("btnNew", toolbarIcon(ToolIcon::New), {}, QStringLiteral("Cleanup the place ..."),
                       &MainWindow::NewSample);
    btnLoadRaw = AddButton("btnLoadRaw", toolbarIcon(ToolIcon::Open), {}, QStringLiteral("Load BIN-RAW file"),
                           &MainWindow::LoadRawBin);
    btnSaveRaw = AddButton("btnSaveRaw", toolbarIcon(ToolIcon::Save), {},
                           QStringLiteral("Save BIN-RAW to file"), &MainWindow::SaveRawBin);
    btnLoadWave = AddButton("btnLoadWave", toolbarIcon(ToolIcon::OpenWave), {},
                            QStringLiteral("Load WAV file"), &MainWindow::LoadWave);
    toolBar->addSeparator();
    btnSendToMidi = AddButton("btnSendToMidi", toolbarIcon(ToolIcon::SendMidi), {},
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
    btnCopyToBank = AddButton("btnCopyToBank", toolbarIcon(ToolIcon::CopyToBank), {},
                              QStringLiteral("Copy Sample to VK350 Bank location "), &MainWindow::CopyToBank);
    toolBar->addSeparator();
    btnFullView = AddButton("btnFullView", toolbarIcon(ToolIcon::FullView), {}, QStringLiteral("Full View"),
                            &MainWindow::FullSize);
    btnZoomOneToOne = AddButton("btnZoomOneToOne", toolbarIcon(ToolIcon::ZoomOneToOne), {},
                                QStringLiteral("Zoom 1:1"), &MainWindow::ZoomOneToOne);
    toolBar->addSeparator();
    btnZero =
        AddButton("btnZero", {}, QStringLiteral("Zero"), QStringLiteral("Fix Zero"), &MainWindow::FixZero);
    btnLinear = AddButton("btnLinear", {}, QStringLiteral("Linear"), QStringLiteral("Convert to Linear"),
                          &MainWindow::MuLawToLinear);
    btnMuLaw = AddButton("btnMuLaw", {}, QStringLiteral("µLaw"), QStringLiteral("Convert to µLaw"),
                         &MainWindow::LinearToMuLaw);
    btnSigned = AddButton("btnSigned", toolbarIcon(ToolIcon::Sign), {},
                          QStringLiteral("Convert to Signed/Unsigned"), &MainWindow::ToggleSign);
    btnCut = AddButton("btnCut", toolbarIcon(ToolIcon::Cut), {}, QStringLiteral("Cut/Truncate Selection"),
                       &MainWindow::Cut);
    toolBar->addSeparator();
    btnPlay =
        AddButton("btnPlay", toolbarIcon(ToolIcon::Play), {}, QStringLiteral("Play"), &MainWindow::Play);
    btnLoop = AddButton("btnLoop", toolbarIcon(ToolIcon::Loop), {}, QStringLiteral("Loop /One shot play "),
                        &MainWindow::LoopButton);
    btnLoop->setCheckable(true);
    SetItemEnabled(btnPlay, false);

    fileNameLabel = named(new QLabel(QStringLiteral("...")), "fileNameLabel");
    fileNameLabel->setMinimumWidth(160);
    fileNameLabel->setContentsMargins(10, 0, 10, 0);
    fileNameLabel->setToolTip(QStringLiteral("Current file"));
    toolBar->addWidget(fileNameLabel);
    btnStop = AddButton("btnStop", toolbarIcon(ToolIcon::Stop), {}, QStringLiteral("Stop"),
                        &MainWindow::StopButton);
}

void MainWindow::CreateHiddenShortcuts() {
    // Qt ignores the shortcut of an invisible action, so the keys of the hidden wave items live on
    // the window and follow the items' enabled state.
    loadWaveKey_ = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(loadWaveKey_, &QShortcut::activated, this, [this] {
        if (ItemEnabled(mnuLoadWave)) {
            RunCommand([this] { LoadWave(); });
            AfterCommand(&MainWindow::LoadWave);
        }
    });
    saveAsWaveKey_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1), this);
    connect(saveAsWaveKey_, &QShortcut::activated, this, [this] {
        if (ItemEnabled(mnuSaveAsWave))
            RunCommand([this] { SaveAsWave(); });
    });
}

void MainWindow::FormCreate() {
    // The analysis views and the wave items stay hidden.
    for (QAction* a : {mnuShowVuMeters, mnuShowRtSpectrum}) {
        SetItemEnabled(a, false);
        a->setVisible(false);
    }
    DisableAnalysisViews();
    for (QWidget* w : {meterPanel, analysisPanel, analysisSplitter}) {
        w->setEnabled(false);
        w->hide();
    }
    // Keep the enabled state of the items about to be hidden: their keys follow it.
    for (QAction* a : {mnuLoadWave, btnLoadWave, btnStop})
        SetItemEnabled(a, true);
    btnLoadWave->setVisible(false);
    mnuLoadWave->setVisible(false);
    mnuSaveAsWave->setVisible(false);
    mnuWaveSeparator->setVisible(false);
    btnStop->setVisible(false);

    KeepBarsWhole();
    // Placement and gradient steps from the settings store.
    LoadWindowPlacement();
    // No bank location chosen.
    locationChooser->setCurrentIndex(0);
    // Keys that the menus' own shortcuts do not give.
    mnuLinToMuLaw->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    mnuMuLawToLin->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));
    // Alt+E is also the menu bar's key for "&Edition"; the item wins, as the menu bar hands the
    // key on to it (eventFilter) and the item's own shortcut stays out of the window's map.
    mnuMuLawToLin->setShortcutContext(Qt::WidgetShortcut);
    menuBar()->installEventFilter(this);
    mnuLoop->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk));
    mnuGoToStart->setShortcut(QKeySequence(Qt::Key_Home));
    mnuGoToEnd->setShortcut(QKeySequence(Qt::Key_End));
    mnuFastForward->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right));
    mnuForward->setShortcut(QKeySequence(Qt::Key_Right));
    mnuBackward->setShortcut(QKeySequence(Qt::Key_Left));
    mnuFastBackward->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left));
    mnuPlay->setShortcut(QKeySequence(Qt::Key_Space));
    // Nothing plays yet.
    Playing = false;
}

// The window's smallest size keeps the toolbar and the value strip whole, with a few rows of
// the waveform and the scroll bar below them; a stored size below it is raised to it.
void MainWindow::KeepBarsWhole() {
    constexpr int kLeastEditorHeight = 48;
    const int width = std::max(toolBar->sizeHint().width(), fieldStrip->sizeHint().width());
    const int panel = fieldStrip->height() + kLeastEditorHeight + kScrollBarHeight;
    const int height = menuBar()->sizeHint().height() + toolBar->sizeHint().height() + panel;
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
    SetItemEnabled(mnuAboutBox, window != nullptr);
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
        Playing = false;
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
        FormResize();
    if (watched == meterPanel && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        ResizeMeters();
    if (watched == menuBar() && event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->key() == mnuMuLawToLin->shortcut()) {
        if (mnuMuLawToLin->isEnabled())
            mnuMuLawToLin->trigger();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The editor sits at (1, 17) under the 16-pixel strip, as wide as the panel and 32 pixels
// shorter; the zoom commands divide by that width. A font that needs a taller strip pushes the
// editor down by the difference and takes it from the editor's height alone. The gradient is
// rebuilt at the new size by stepping its band count away and back.
void MainWindow::FormResize() {
    const int w = editPanel->width();
    const int h = editPanel->height();
    const int strip = fieldStrip->height();
    const int taller = std::max(0, strip - kKnobStripHeight);
    // A narrow window cuts the strip off at its right edge rather than squeezing knobs over captions.
    fieldStrip->setGeometry(0, 0, std::max(w, fieldStrip->sizeHint().width()), strip);
    sampleView->setGeometry(1, kKnobStripHeight + 1 + taller, std::max(1, w), std::max(1, h - 32 - taller));
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
