// TForm1 construction: layout, knob strip, menus, toolbar, start-up and placement.
#include "main_window.h"

#include "command_guard.h"
#include "part_names.h"

#include "bank_window.h"
#include "dialogs.h"
#include "knob_label.h"
#include "main_window_audio.h"
#include "options_window.h"
#include "patterns_window.h"
#include "sample_edit.h"
#include "screen_fit.h"
#include "settings_store.h"
#include "toolbar_icons.h"
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

TForm1::TForm1(Dialogs& dialogs, SettingsStore* store, const MainAudio* audio, QWidget* parent)
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
    ConnectAnalysisViews(MMConnector1);
    FormCreate();
    CreateHistory();
    CreateNavigation();
    CreatePlayRange();
    CreatePanelItems();
}

void TForm1::CreateEditor() {
    sqSampleEdit1 = named(new TsqSampleEdit, "sqSampleEdit1");
    TsqSampleEdit& e = *sqSampleEdit1;
    e.SetGradientEnabled(true);
    e.SetGradientType(grxBottomToTop);
    e.SetAxes2Enabled(true);
    e.SetMarkerSize(0);
    e.SetLocatorSize(5);
    e.SetSelectionStyle(1);
    e.SetSpectrumCenter(true);
    e.OnLocatorChange = [this](TsqSampleEdit*) { RunCommand([this] { sqSampleEdit1LocatorChange(); }); };
    e.OnSelectorChange = [this](TsqSampleEdit*) { RunCommand([this] { sqSampleEdit1SelectorChange(); }); };
}

void TForm1::CreateKnobStrip() {
    KnobStrip = named(new QWidget, "KnobStrip");
    auto* row = new QHBoxLayout(KnobStrip);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(4);
    const QFontMetrics fm(KnobStrip->font());

    struct KnobSetup {
        Tsqpotlab** knob;
        const char* name;
        const char* caption;
        int min, max, cursorRange, start;
        const char* widest;
        const char* hint;
        void (TForm1::*handler)();
    };
    const KnobSetup knobs[] = {
        {&sqpotlab7, "sqpotlab7", "Size", 1, 512, 256, 1, "512Ko", "Sample Size", &TForm1::sqpotlab7Change},
        {&sqpotlab1, "sqpotlab1", "Zoom", 1, 1000, 256, 1, "1000", "Zoom Factor ", &TForm1::sqpotlab1Change},
        {&sqpotlab2, "sqpotlab2", "Orig", 0, 500000, 150, 0, "500000", nullptr, &TForm1::sqpotlab2Change},
        {&sqpotlab4, "sqpotlab4", "Loc  ", 0, 500000, 150, 0, "500000", nullptr, &TForm1::sqpotlab4Change},
        {&sqpotlab3, "sqpotlab3", "Val", 0, 255, 256, 0, "255", nullptr, &TForm1::sqpotlab3Change},
        {&sqpotlab5, "sqpotlab5", "Pos", 0, 500000, 150, 0, "500000", nullptr, &TForm1::sqpotlab5Change},
        {&sqpotlab6, "sqpotlab6", "Len", 0, 500000, 150, 0, "500000", nullptr, &TForm1::sqpotlab6Change},
        {&sqpotlab10, "sqpotlab10", "Offset", -255, 255, 150, 0, "-255", nullptr, &TForm1::sqpotlab10Change},
        {&sqpotlab11, "sqpotlab11", "Level", 0, 200, 256, 0, "200", nullptr, nullptr},
        {&sqpotlab8, "sqpotlab8", "Max", 0, 255, 150, 0, "255", nullptr, nullptr},
        {&sqpotlab9, "sqpotlab9", "Min", 0, 255, 150, 0, "255", nullptr, nullptr},
    };
    const int height = std::max(kKnobStripHeight, fm.height() + 2);
    bool first = true;
    for (const KnobSetup& s : knobs) {
        auto* label = new QLabel(QString::fromUtf8(s.caption), KnobStrip);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFixedHeight(height);
        auto* knob = named(new Tsqpotlab(KnobStrip), s.name);
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
            knob->OnChange = [this, handler](Tsqpotlab&) {
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
        if (s.knob == &sqpotlab11) {
            label->hide();
            knob->hide();
            knob->setEnabled(false);
        }
    }
    row->addStretch(1);
    KnobStrip->setFixedHeight(height);
}

void TForm1::CreateLayout() {
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    AnalysisPanel = named(new QWidget, "AnalysisPanel");
    AnalysisPanel->setFixedHeight(194);
    AnalysisSplitter = named(new QWidget, "AnalysisSplitter");
    AnalysisSplitter->setFixedHeight(3);
    AnalysisSplitter->setCursor(Qt::SplitVCursor);
    column->addWidget(AnalysisPanel);
    column->addWidget(AnalysisSplitter);

    auto* lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(0);
    MeterPanel = named(new QWidget, "MeterPanel");
    MeterPanel->setFixedWidth(37);
    EditPanel = named(new QWidget, "EditPanel");
    lower->addWidget(MeterPanel);
    lower->addWidget(EditPanel, 1);
    column->addLayout(lower, 1);

    // The editing panel places its children itself: strip on top, editor, scroll bar along the bottom.
    KnobStrip->setParent(EditPanel);
    sqSampleEdit1->setParent(EditPanel);
    TrackBar1 = named(new QScrollBar(Qt::Horizontal, EditPanel), "TrackBar1");
    TrackBar1->setRange(0, 100);
    TrackBar1->setPageStep(10);
    connect(TrackBar1, &QScrollBar::valueChanged, this,
            [this](int position) { RunCommand([this, position] { TrackBar1Change(position); }); });
    EditPanel->installEventFilter(this);
    setCentralWidget(central);
}

QAction* TForm1::AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                         void (TForm1::*command)()) {
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

void TForm1::CreateMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = named(bar->addMenu(QStringLiteral("&File")), "mnuFile");
    mnuNew = AddItem(mnuFile, "mnuNew", QStringLiteral("New"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
                     &TForm1::NewSample);
    mnuLoadRaw = AddItem(mnuFile, "mnuLoadRaw", QStringLiteral("Load Raw-Bin"),
                         QKeySequence(Qt::CTRL | Qt::Key_L), &TForm1::LoadRawBin);
    mnuSaveRaw = AddItem(mnuFile, "mnuSaveRaw", QStringLiteral("Save Raw-Bin"),
                         QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveRawBin);
    mnuWaveSeparator = named(mnuFile->addSeparator(), "mnuWaveSeparator");
    // F1 and Ctrl+F1 also live on the window (CreateHiddenShortcuts), because these items are hidden.
    mnuLoadWave = AddItem(mnuFile, "mnuLoadWave", QStringLiteral("Load Wave "), QKeySequence(Qt::Key_F1),
                          &TForm1::LoadWave);
    mnuSaveAsWave = AddItem(mnuFile, "mnuSaveAsWave", QStringLiteral("Save as Wave"),
                            QKeySequence(Qt::CTRL | Qt::Key_F1), &TForm1::SaveAsWave);
    mnuFile->addSeparator();
    mnuSendToMidi = AddItem(mnuFile, "mnuSendToMidi", QStringLiteral("Send to MIDI"),
                            QKeySequence(Qt::Key_F9), &TForm1::SendToMidi);
    mnuReceiveFromMidi =
        AddItem(mnuFile, "mnuReceiveFromMidi", QStringLiteral("Receive from MIDI"), QKeySequence(), nullptr);
    mnuFile->addSeparator();
    mnuExit = AddItem(mnuFile, "mnuExit", QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                      &TForm1::Exit);

    mnuEdition = named(bar->addMenu(QStringLiteral("&Edition")), "mnuEdition");
    mnuUndo = AddItem(mnuEdition, "mnuUndo", QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                      &TForm1::UndoEdit);
    mnuEdition->addSeparator();
    mnuSelectAll = AddItem(mnuEdition, "mnuSelectAll", QStringLiteral("Select All"),
                           QKeySequence(Qt::CTRL | Qt::Key_A), &TForm1::SelectAll);
    mnuCut = AddItem(mnuEdition, "mnuCut", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                     &TForm1::Cut);
    mnuCopy = AddItem(mnuEdition, "mnuCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                      &TForm1::Copy);
    mnuPaste = AddItem(mnuEdition, "mnuPaste", QStringLiteral("Paste To Locator"),
                       QKeySequence(Qt::CTRL | Qt::Key_V), &TForm1::Paste);
    mnuCrop = AddItem(mnuEdition, "mnuCrop", QStringLiteral("Crop"), QKeySequence(Qt::CTRL | Qt::Key_W),
                      &TForm1::Crop);
    mnuMute = AddItem(mnuEdition, "mnuMute", QStringLiteral("Mute"), QKeySequence(Qt::CTRL | Qt::Key_M),
                      &TForm1::Mute);
    mnuEdition->addSeparator();
    mnuLinToMuLaw = AddItem(mnuEdition, "mnuLinToMuLaw", QStringLiteral("Lin to µLaw -8bits"), QKeySequence(),
                            &TForm1::LinearToMuLaw);
    mnuMuLawToLin = AddItem(mnuEdition, "mnuMuLawToLin", QStringLiteral("µLaw to Lin -8bits"), QKeySequence(),
                            &TForm1::MuLawToLinear);
    mnuReverse = AddItem(mnuEdition, "mnuReverse", QStringLiteral("Reverse"),
                         QKeySequence(Qt::CTRL | Qt::Key_R), &TForm1::Reverse);
    mnuUnsigned = AddItem(mnuEdition, "mnuUnsigned", QStringLiteral("Unsigned"),
                          QKeySequence(Qt::CTRL | Qt::Key_U), &TForm1::ToggleSign);

    mnuAudio = named(bar->addMenu(QStringLiteral("Audio")), "mnuAudio");
    mnuLoop =
        AddItem(mnuAudio, "mnuLoop", QStringLiteral("Loop            "), QKeySequence(), &TForm1::LoopItem);
    mnuAudio->addSeparator();
    mnuGoToStart =
        AddItem(mnuAudio, "mnuGoToStart", QStringLiteral("Go to Start"), QKeySequence(), &TForm1::GoToStart);
    mnuGoToEnd =
        AddItem(mnuAudio, "mnuGoToEnd", QStringLiteral("Go to End"), QKeySequence(), &TForm1::GoToEnd);
    mnuFastForward = AddItem(mnuAudio, "mnuFastForward", QStringLiteral("Fast Foward"), QKeySequence(),
                             &TForm1::FastForward);
    mnuForward = AddItem(mnuAudio, "mnuForward", QStringLiteral("Foward "), QKeySequence(), &TForm1::Forward);
    mnuBackward =
        AddItem(mnuAudio, "mnuBackward", QStringLiteral("Backward"), QKeySequence(), &TForm1::Backward);
    mnuFastBackward = AddItem(mnuAudio, "mnuFastBackward", QStringLiteral("Fast Backward"), QKeySequence(),
                              &TForm1::FastBackward);
    mnuAudio->addSeparator();
    mnuPlay = AddItem(mnuAudio, "mnuPlay", QStringLiteral("Play        "), QKeySequence(), &TForm1::Play);

    mnuView = named(bar->addMenu(QStringLiteral("&View")), "mnuView");
    mnuZoomIn = AddItem(mnuView, "mnuZoomIn", QStringLiteral("Zoom In                "),
                        QKeySequence(Qt::Key_F5), &TForm1::ZoomIn);
    mnuZoomOut = AddItem(mnuView, "mnuZoomOut", QStringLiteral("Zoom Out            "),
                         QKeySequence(Qt::Key_F6), &TForm1::ZoomOut);
    mnuMinimum = AddItem(mnuView, "mnuMinimum", QStringLiteral("Minimun               "),
                         QKeySequence(Qt::Key_F7), &TForm1::ZoomMinimum);
    mnuFullSize = AddItem(mnuView, "mnuFullSize", QStringLiteral("Full Size            "),
                          QKeySequence(Qt::Key_F8), &TForm1::FullSize);
    mnuView->addSeparator();
    mnuFollowLocator = AddItem(mnuView, "mnuFollowLocator", QStringLiteral("Follow Locator"),
                               QKeySequence(Qt::CTRL | Qt::Key_F8), nullptr);
    mnuShowPoints = AddItem(mnuView, "mnuShowPoints", QStringLiteral("Show/Hide Points"),
                            QKeySequence(Qt::CTRL | Qt::Key_F11), &TForm1::ShowHidePoints);
    mnuShowBars = AddItem(mnuView, "mnuShowBars", QStringLiteral("Show/Hide Bars"),
                          QKeySequence(Qt::CTRL | Qt::Key_F12), &TForm1::ShowHideBars);
    mnuShowVuMeters = AddItem(mnuView, "mnuShowVuMeters", QStringLiteral("Show Vu-meters"),
                              QKeySequence(Qt::Key_F11), &TForm1::ShowVuMeters);
    mnuShowRtSpectrum = AddItem(mnuView, "mnuShowRtSpectrum", QStringLiteral("Show RT Spectrum"),
                                QKeySequence(Qt::Key_F12), nullptr);
    mnuView->addSeparator();
    // Each item is enabled once its window is attached (SetOptionsWindow, SetBankWindow, ...).
    mnuPreferences = AddItem(mnuView, "mnuPreferences", QStringLiteral("Preferences"),
                             QKeySequence(Qt::Key_F2), &TForm1::TogglePreferences);
    mnuPreferences->setCheckable(true);
    mnuSampleBank = AddItem(mnuView, "mnuSampleBank", QStringLiteral("VK350 Sample Bank"),
                            QKeySequence(Qt::Key_F3), &TForm1::ShowBankWindow);
    mnuPatterns = AddItem(mnuView, "mnuPatterns", QStringLiteral("VK350 Patterns"), QKeySequence(Qt::Key_F4),
                          &TForm1::ShowPatternsWindow);
    SetItemEnabled(mnuPreferences, false);
    SetItemEnabled(mnuSampleBank, false);
    SetItemEnabled(mnuPatterns, false);

    mnuAbout = named(bar->addMenu(QStringLiteral("&About....")), "mnuAbout");
    mnuAboutBox = AddItem(mnuAbout, "mnuAboutBox", QStringLiteral("OVL VK350 Sample Editor "), QKeySequence(),
                          &TForm1::ShowAboutBox);
    SetItemEnabled(mnuAboutBox, false);

    for (QAction* a : {mnuLoop, mnuFollowLocator, mnuShowPoints, mnuShowBars})
        a->setCheckable(true);
    mnuShowPoints->setChecked(true);
    SetItemEnabled(mnuUndo, false);
    SetItemEnabled(mnuSaveAsWave, false);
    mnuReceiveFromMidi->setVisible(false);
    SetItemEnabled(mnuReceiveFromMidi, false);
}

QAction* TForm1::AddButton(const char* name, const QIcon& icon, const QString& caption, const QString& hint,
                           void (TForm1::*command)()) {
    QAction* action = named(new QAction(icon, caption.isEmpty() ? hint.trimmed() : caption, this), name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    ToolBar1->addAction(action);
    if (!caption.isEmpty()) {
        // Captioned buttons show their caption, not an icon.
        if (auto* button = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(action)))
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    if (command)
        connect(action, &QAction::triggered, this, [this, command] {
            RunCommand([this, command] { (this->*command)(); });
            AfterCommand(command);
        });
    return action;
}

void TForm1::CreateToolBar() {
    ToolBar1 = named(addToolBar(QStringLiteral("Tools")), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setIconSize(QSize(22, 22));
    ToolBar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    btnNew = AddButton("btnNew", toolbarIcon(ToolIcon::New), {}, QStringLiteral("Cleanup the place ..."),
                       &TForm1::NewSample);
    btnLoadRaw = AddButton("btnLoadRaw", toolbarIcon(ToolIcon::Open), {}, QStringLiteral("Load BIN-RAW file"),
                           &TForm1::LoadRawBin);
    btnSaveRaw = AddButton("btnSaveRaw", toolbarIcon(ToolIcon::Save), {},
                           QStringLiteral("Save BIN-RAW to file"), &TForm1::SaveRawBin);
    btnLoadWave = AddButton("btnLoadWave", toolbarIcon(ToolIcon::OpenWave), {},
                            QStringLiteral("Load WAV file"), &TForm1::LoadWave);
    ToolBar1->addSeparator();
    btnSendToMidi = AddButton("btnSendToMidi", toolbarIcon(ToolIcon::SendMidi), {},
                              QStringLiteral("Send to MIDI"), &TForm1::SendToMidi);

    ComboBox1 = named(new QComboBox, "ComboBox1");
    ComboBox1->setToolTip(QStringLiteral("VK350 Bank Location"));
    ComboBox1->setMaxVisibleItems(12);
    ComboBox1->addItems({QStringLiteral("----------------"), QStringLiteral("Bass  Drum     "),
                         QStringLiteral("Snare Drum "), QStringLiteral("Rim Shot     "),
                         QStringLiteral("HiHat              "), QStringLiteral("Percu3           "),
                         QStringLiteral("Percu2"), QStringLiteral("Tom"), QStringLiteral("Cymbal"),
                         QStringLiteral("Clap"), QStringLiteral("Percu1")});
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBox1->setFocusPolicy(Qt::ClickFocus);
    ToolBar1->addWidget(ComboBox1);
    btnCopyToBank = AddButton("btnCopyToBank", toolbarIcon(ToolIcon::CopyToBank), {},
                              QStringLiteral("Copy Sample to VK350 Bank location "), &TForm1::CopyToBank);
    ToolBar1->addSeparator();
    btnFullView = AddButton("btnFullView", toolbarIcon(ToolIcon::FullView), {}, QStringLiteral("Full View"),
                            &TForm1::FullSize);
    btnZoomOneToOne = AddButton("btnZoomOneToOne", toolbarIcon(ToolIcon::ZoomOneToOne), {},
                                QStringLiteral("Zoom 1:1"), &TForm1::ZoomOneToOne);
    ToolBar1->addSeparator();
    btnZero = AddButton("btnZero", {}, QStringLiteral("Zero"), QStringLiteral("Fix Zero"), &TForm1::FixZero);
    btnLinear = AddButton("btnLinear", {}, QStringLiteral("Linear"), QStringLiteral("Convert to Linear"),
                          &TForm1::MuLawToLinear);
    btnMuLaw = AddButton("btnMuLaw", {}, QStringLiteral("µLaw"), QStringLiteral("Convert to µLaw"),
                         &TForm1::LinearToMuLaw);
    btnSigned = AddButton("btnSigned", toolbarIcon(ToolIcon::Sign), {},
                          QStringLiteral("Convert to Signed/Unsigned"), &TForm1::ToggleSign);
    btnCut = AddButton("btnCut", toolbarIcon(ToolIcon::Cut), {}, QStringLiteral("Cut/Truncate Selection"),
                       &TForm1::Cut);
    ToolBar1->addSeparator();
    btnPlay = AddButton("btnPlay", toolbarIcon(ToolIcon::Play), {}, QStringLiteral("Play"), &TForm1::Play);
    btnLoop = AddButton("btnLoop", toolbarIcon(ToolIcon::Loop), {}, QStringLiteral("Loop /One shot play "),
                        &TForm1::LoopButton);
    btnLoop->setCheckable(true);
    SetItemEnabled(btnPlay, false);

    Label12 = named(new QLabel(QStringLiteral("...")), "Label12");
    Label12->setMinimumWidth(160);
    Label12->setContentsMargins(10, 0, 10, 0);
    Label12->setToolTip(QStringLiteral("Current file"));
    ToolBar1->addWidget(Label12);
    btnStop =
        AddButton("btnStop", toolbarIcon(ToolIcon::Stop), {}, QStringLiteral("Stop"), &TForm1::StopButton);
}

void TForm1::CreateHiddenShortcuts() {
    // Qt ignores the shortcut of an invisible action, so the keys of the hidden wave items live on
    // the window and follow the items' enabled state.
    loadWaveKey_ = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(loadWaveKey_, &QShortcut::activated, this, [this] {
        if (ItemEnabled(mnuLoadWave)) {
            RunCommand([this] { LoadWave(); });
            AfterCommand(&TForm1::LoadWave);
        }
    });
    saveAsWaveKey_ = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1), this);
    connect(saveAsWaveKey_, &QShortcut::activated, this, [this] {
        if (ItemEnabled(mnuSaveAsWave))
            RunCommand([this] { SaveAsWave(); });
    });
}

void TForm1::FormCreate() {
    // The analysis views and the wave items stay hidden.
    for (QAction* a : {mnuShowVuMeters, mnuShowRtSpectrum}) {
        SetItemEnabled(a, false);
        a->setVisible(false);
    }
    DisableAnalysisViews();
    for (QWidget* w : {MeterPanel, AnalysisPanel, AnalysisSplitter}) {
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
    ComboBox1->setCurrentIndex(0);
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
void TForm1::KeepBarsWhole() {
    constexpr int kLeastEditorHeight = 48;
    const int width = std::max(ToolBar1->sizeHint().width(), KnobStrip->sizeHint().width());
    const int panel = KnobStrip->height() + kLeastEditorHeight + kScrollBarHeight;
    const int height = menuBar()->sizeHint().height() + ToolBar1->sizeHint().height() + panel;
    setMinimumSize(std::max(width, minimumSizeHint().width()), std::max(height, minimumSizeHint().height()));
}

// Qt reports a hidden action as disabled; the item's own state is kept beside it, since the
// keys of hidden items follow it.
void TForm1::SetItemEnabled(QAction* item, bool enabled) {
    item->setProperty("itemEnabled", enabled);
    item->setEnabled(enabled);
}

bool TForm1::ItemEnabled(const QAction* item) {
    const QVariant stored = item->property("itemEnabled");
    return stored.isValid() ? stored.toBool() : item->isEnabled();
}

void TForm1::SetAboutBox(QWidget* window) {
    aboutBox_ = window;
    SetItemEnabled(mnuAboutBox, window != nullptr);
}

// Reads PX1, PY1, PW1, PH1 and StepsGradient in that order; the first missing value ends the read.
// A place partly off every screen is moved onto the nearest one.
void TForm1::LoadWindowPlacement() {
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
        sqSampleEdit1->SetGradientNbOfColors(values[4]);
    // On a first run the window opens at the top of the screen: the room below it is left for
    // the title bars of the windows opened after it.
    const bool firstRun = !store_->Exists();
    if (firstRun)
        move(x(), QGuiApplication::primaryScreen()->availableGeometry().top());
    keepOnScreenWhenShown(this, firstRun);
}

// A value that cannot be written ends the writing.
void TForm1::SaveWindowPlacement() {
    if (store_->WriteInteger(QStringLiteral("PX1"), x()) &&
        store_->WriteInteger(QStringLiteral("PY1"), y()) &&
        store_->WriteInteger(QStringLiteral("PW1"), width()) &&
        store_->WriteInteger(QStringLiteral("PH1"), height()))
        store_->Flush();
}

// The closing sequence: every window's settings in their order, then the MIDI ports, and the
// wave output last.
void TForm1::closeEvent(QCloseEvent* event) {
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
        WaveOut1->Close();
    });
    if (OnCloseWaveOut)
        OnCloseWaveOut();
    StoreViewSettings();
    StorePanelSettings();
    event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sqSampleEdit1 && event->type() == QEvent::Wheel)
        return WheelOverWave(static_cast<QWheelEvent*>(event));
    if (watched == EditPanel && event->type() == QEvent::Resize)
        FormResize();
    if (watched == MeterPanel && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
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
void TForm1::FormResize() {
    const int w = EditPanel->width();
    const int h = EditPanel->height();
    const int strip = KnobStrip->height();
    const int taller = std::max(0, strip - kKnobStripHeight);
    // A narrow window cuts the strip off at its right edge rather than squeezing knobs over captions.
    KnobStrip->setGeometry(0, 0, std::max(w, KnobStrip->sizeHint().width()), strip);
    sqSampleEdit1->setGeometry(1, kKnobStripHeight + 1 + taller, std::max(1, w),
                               std::max(1, h - 32 - taller));
    TrackBar1->setGeometry(0, h - kScrollBarHeight, w, kScrollBarHeight);
    sqSampleEdit1->SetGradientNbOfColors(255);
    sqSampleEdit1->SetGradientNbOfColors(254);
    sqSampleEdit1->DrawWave();
    ResizeMeters();
    SyncScrollBar();
}

void TForm1::RunCommand(const std::function<void()>& command) {
    runGuardedCommand(
        command, [this](const QString& text) { ShowError(QStringLiteral("VK350 Sample Editor"), text); },
        QStringLiteral("Unexpected error"));
}

void TForm1::ShowError(const QString& title, const QString& text) {
    dialogs_.Message(this, MessageIcon::Error, title, text);
}

} // namespace vk350
