// MainWindow: the main window, the sample editor. It holds the waveform view, the knob strip that
// shows positions in samples, the scroll bar, the toolbar and the menus, and runs the editing,
// view and file commands. Window thread only.
#pragma once

#include "sample_document.h"
#include "wave_source.h"

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <utility>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;
class QShortcut;
class QToolBar;
class QToolButton;
class QWheelEvent;

namespace vk350 {

class BankSlots;
class WavePreviewPlayer;
class ConnectorHub;
class ConnectorPump;
class Dialogs;
class Dispatcher;
class Connector;
class WavePlayer;
class WaveDevice;
class SettingsStore;
class BankWindow;
class PatternsWindow;
class OptionsWindow;
class Connector;
class LevelView;
class LevelScaleView;
class OscopeView;
class SpectrogramView;
class SpectrumView;
class ValueField;
class SampleView;

// The wave system the main window plays through; each must outlive the window. The window
// takes the dispatcher's and the hub's pump's OnException while it lives: playback failures
// that surface outside any command go to its error box.
struct MainAudio {
    WaveDevice& device;
    Dispatcher& dispatcher; // the window thread's
    ConnectorHub& hub;      // with a pump on the window thread
};

class MainWindow : public QMainWindow {
public:
    // Without a store of its own the window uses the per-user settings store. Without a wave
    // system it has one of its own with no output device, so Play reports that none exists.
    explicit MainWindow(Dialogs& dialogs, SettingsStore* store = nullptr, const MainAudio* audio = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // The other windows are created by the application; the View and About menus only show them.
    void SetAboutBox(QWidget* window);
    // The options window: the Options item shows and hides it and carries its check mark; the
    // transfer commands send through it.
    void SetOptionsWindow(OptionsWindow* window);
    // The bank slots that "Copy to bank location" fills.
    void SetBankSlots(BankSlots* bank);
    // The sample bank and patterns windows: the View items show them, "Copy to bank location"
    // fills the bank's slots, a click on a slot's waveform plays it, and closing stores their
    // settings.
    void SetBankWindow(BankWindow* window);
    void SetPatternsWindow(PatternsWindow* window);
    // A bank slot's sample becomes the edited one, under the slot's name, with the chooser on
    // that slot's location.
    void TakeSlotSample(int slot, const SampleView& source, const QString& name);

    // Closing stores the bank's and the patterns window's settings through these, in the order
    // of the closing sequence, once those windows exist.
    std::function<void()> OnStoreBankSettings;
    std::function<void()> OnStorePatternsSettings;
    // Told last in the closing sequence, once the wave output has closed.
    std::function<void()> OnCloseWaveOut;

    // Feeds the analysis views from connector (none: from nothing). The views leave the connector
    // they had; the window leaves its connector when it goes.
    void ConnectAnalysisViews(Connector* connector);
    Connector* AnalysisConnector() const { return analysisConnector_; }

    // Opens a sample file as "Load Raw-Bin" does after its dialog (the command line uses this).
    void OpenSampleFile(const QString& path);
    // What plays the wave open dialog's preview (main_window_preview.cpp).
    std::unique_ptr<WavePreviewPlayer> CreatePreviewPlayer();

    // Plays bank slot 0 to 9 through the main window's output, its bytes taken as µ-law codes
    // in the machine's form; the slot itself is left as it was. Errors go to the error box.
    void PlaySlot(int slot);

    // The folder the work files go to: the options window's, else a per-user cache folder.
    QString WorkFolder() const;

    // Routines shared by the commands.
    void ApplyFieldsToView();
    void ResetViewAfterLoad();
    void ZoomToSelection();
    void LoadWindowPlacement();
    void SaveWindowPlacement();

    // Enabled state of a menu item or button, also while it is hidden.
    static void SetItemEnabled(QAction* item, bool enabled);
    static bool ItemEnabled(const QAction* item);

    // Runs a command and shows any error that escapes it in the standard error box.
    void RunCommand(const std::function<void()>& command);

    // Asks Save / Discard / Cancel when the main sample has unsaved changes, as closing does;
    // true when the program may end. A discard is remembered, so closing does not ask again.
    bool ConfirmUnsavedWork();

    // The edited sample: its bytes, history, file identity, saved mark and busy state.
    SampleDocument& Document() { return *document_; }

    // What the application and the tests reach besides the parts, which they find by name.
    // The waveform editor and the panel around it, which takes the editor's back colour.
    SampleView& MainView() { return *sampleView; }
    QWidget* EditingPanel() { return editPanel; }
    // The audio chain: the playable wave feeds the output, whose played buffers reach the
    // connector, whose trigger moves the locator.
    WaveSource& ChainWave() { return *chainWave; }
    WavePlayer& ChainOutput() { return *chainOutput; }
    Connector& ChainConnector() { return *chainConnector; }
    bool IsPlaying() const { return playing_; }
    // The value the Offset knob last added to every byte.
    int AppliedOffset() const { return lastOffset_; }
    // The file type last chosen in the load and the save dialogs.
    int ChosenLoadFilter() const { return loadFilterIndex_; }
    int ChosenSaveFilter() const { return saveFilterIndex_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // --- the window's parts, each named after its member in the window's object tree ---
    SampleView* sampleView = nullptr;
    ValueField* sizeField = nullptr;            // Size (units of 1024 bytes)
    ValueField* zoomField = nullptr;            // Zoom
    ValueField* originField = nullptr;          // Orig
    ValueField* locatorField = nullptr;         // Loc
    ValueField* byteValueField = nullptr;       // Val
    ValueField* selectionStartField = nullptr;  // Pos
    ValueField* selectionLengthField = nullptr; // Len
    ValueField* offsetField = nullptr;          // Offset
    ValueField* levelField = nullptr;           // Level (unused)
    ValueField* maxField = nullptr;             // Max
    ValueField* minField = nullptr;             // Min
    QScrollBar* scrollBar = nullptr;
    QComboBox* locationChooser = nullptr;
    QLabel* fileNameLabel = nullptr;
    QToolBar* toolBar = nullptr;
    QWidget* analysisPanel = nullptr;
    QWidget* analysisSplitter = nullptr;
    QWidget* meterPanel = nullptr;
    QWidget* editPanel = nullptr;
    QWidget* fieldStrip = nullptr;
    OscopeView* oscopeView = nullptr;
    SpectrumView* spectrumView = nullptr;
    SpectrogramView* spectrogramView = nullptr;
    LevelView* levelView = nullptr;
    LevelScaleView* levelScaleView = nullptr;

    // The audio chain: the playable wave feeds the output, whose played buffers reach the
    // connector, whose trigger moves the locator.
    WaveSource* chainWave = nullptr;
    WavePlayer* chainOutput = nullptr;
    Connector* chainConnector = nullptr;

    // Menus and items.
    QMenu* fileMenu = nullptr;
    QMenu* editionMenu = nullptr;
    QMenu* audioMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* aboutMenu = nullptr;
    QAction* newItem = nullptr;
    QAction* loadRawItem = nullptr;
    QAction* saveRawItem = nullptr;
    QAction* waveSeparator = nullptr;
    QAction* loadWaveItem = nullptr;
    QAction* saveAsWaveItem = nullptr;
    QAction* sendToMidiItem = nullptr;
    QAction* receiveFromMidiItem = nullptr;
    QAction* exitItem = nullptr;
    QMenu* recentFilesMenu = nullptr; // File > Recent Files: the last files opened or saved
    QAction* undoItem = nullptr;
    QAction* redoItem = nullptr;
    QAction* selectAllItem = nullptr;
    QAction* cutItem = nullptr;
    QAction* copyItem = nullptr;
    QAction* pasteItem = nullptr;
    QAction* cropItem = nullptr;
    QAction* muteItem = nullptr;
    QAction* linToMuLawItem = nullptr;
    QAction* muLawToLinItem = nullptr;
    QAction* reverseItem = nullptr;
    QAction* unsignedItem = nullptr;
    QAction* loopItem = nullptr;
    QAction* goToStartItem = nullptr;
    QAction* goToEndItem = nullptr;
    QAction* fastForwardItem = nullptr;
    QAction* forwardItem = nullptr;
    QAction* backwardItem = nullptr;
    QAction* fastBackwardItem = nullptr;
    QAction* playItem = nullptr;
    QAction* zoomInItem = nullptr;
    QAction* zoomOutItem = nullptr;
    QAction* minimumItem = nullptr;
    QAction* fullSizeItem = nullptr;
    QAction* followLocatorItem = nullptr;
    QAction* showPointsItem = nullptr;
    QAction* showBarsItem = nullptr;
    QAction* showVuMetersItem = nullptr;
    QAction* showRtSpectrumItem = nullptr;
    QAction* preferencesItem = nullptr;
    QAction* sampleBankItem = nullptr;
    QAction* patternsItem = nullptr;
    QAction* aboutBoxItem = nullptr;
    QAction* zoomInAtLocatorItem = nullptr;
    QAction* zoomOutAtLocatorItem = nullptr;
    QAction* minMaxWaveItem = nullptr;
    QAction* playFromLocatorItem = nullptr;
    QAction* playSelectionItem = nullptr;

    // The Process menu and the location's fit in the status bar.
    QMenu* processMenu = nullptr;
    QAction* fadeInItem = nullptr;
    QAction* fadeOutItem = nullptr;
    QAction* gainItem = nullptr;
    QAction* normaliseItem = nullptr;
    QAction* removeDcItem = nullptr;
    QAction* trimSilenceItem = nullptr;
    QAction* deleteItem = nullptr;
    QAction* pasteInsertItem = nullptr;
    QAction* fitToLocationItem = nullptr;
    QLabel* locationFitLabel = nullptr;

    // Toolbar buttons.
    QAction* newButton = nullptr;
    QAction* loadRawButton = nullptr;
    QAction* saveRawButton = nullptr;
    QAction* loadWaveButton = nullptr;
    QAction* sendToMidiButton = nullptr;
    QAction* copyToBankButton = nullptr;
    QAction* fullViewButton = nullptr;
    QAction* zoomOneToOneButton = nullptr;
    QAction* zeroButton = nullptr;
    QAction* linearButton = nullptr;
    QAction* muLawButton = nullptr;
    QAction* signedButton = nullptr;
    QAction* cutButton = nullptr;
    QAction* playButton = nullptr;
    QAction* loopButton = nullptr;
    QAction* stopButton = nullptr;

    // Declared before the parts that show it.
    std::unique_ptr<SampleDocument> document_ = std::make_unique<SampleDocument>();

    // --- window values ---
    bool playing_ = false;
    int lastOffset_ = 0;
    int loadFilterIndex_ = 1;
    int saveFilterIndex_ = 1;

    // Construction (main_window.cpp).
    void CreateEditor();
    void CreateFieldStrip();
    void CreateMenus();
    void CreateToolBar();
    void CreateLayout();
    void CreateHiddenShortcuts();
    void ReadStartSettings();
    void FitToWindow();
    void KeepBarsWhole();
    // A menu item or toolbar button named name in the window's object tree.
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                     void (MainWindow::*command)());
    QAction* AddButton(const char* name, const QIcon& icon, const QString& caption, const QString& hint,
                       void (MainWindow::*command)());

    // Analysis and meter panels (main_window_analysis.cpp).
    void CreateAnalysisViews();
    void DisableAnalysisViews();
    void ResizeMeters();
    void ShowVuMeters();

    // Editor events and knob handlers (main_window_view.cpp).
    void SampleViewLocatorChange();
    void SampleViewSelectionChange();
    void SizeFieldChange();
    void ZoomFieldChange();
    void OriginFieldChange();
    void LocatorFieldChange();
    void ByteValueFieldChange();
    void SelectionStartFieldChange();
    void SelectionLengthFieldChange();
    void OffsetFieldChange();
    void ScrollBarChange(int position);
    void SetScrollBar(int position);
    void SetPositionMaxima(int maximum);
    void ShowSizeField(int value, const QString& unit);
    void ShowMinMax();
    int ByteAt(int64_t index) const;
    int EditorWidthForZoom() const;

    // View commands (main_window_view.cpp).
    void ZoomIn();
    void ZoomOut();
    void ZoomMinimum();
    void FullSize();
    void ZoomOneToOne();
    void ShowHidePoints();
    void ShowHideBars();
    void GoToStart();
    void GoToEnd();
    void MoveLocator(int64_t samples);
    void FastForward();
    void Forward();
    void Backward();
    void FastBackward();
    void ShowAboutBox();
    void ApplyZoomField();

    // Editing commands (main_window_edit.cpp).
    void NewSample();
    void SelectAll();
    void Cut();
    void Copy();
    void Paste();
    void Crop();
    void Mute();
    void LinearToMuLaw();
    void MuLawToLinear();
    void Reverse();
    void ToggleSign();
    void FixZero();
    void UndoEdit();
    void Exit();

    // Transfer commands (main_window_transfer.cpp).
    void SendToMidi();
    void CopyToBank();
    int ChosenLocation() const;
    void ShowFittedSize();
    void TogglePreferences();
    void ShowBankWindow();
    void ShowPatternsWindow();

    // File commands (main_window_files.cpp).
    void LoadRawBin();
    void SaveRawBin();
    // Save Raw-Bin's dialog and save; asked, it proposes the sample's own kind, name and folder.
    void SaveDocument(bool asked);
    void SaveAsWave();
    bool LoadSample(const QString& path);
    // Files dropped on the window (main_window_drops.cpp).
    void AcceptFileDrops();
    void DropFiles(const QStringList& paths);
    // File > Recent Files (main_window_recent.cpp).
    void CreateRecentFiles();
    void RememberRecentFile(const QString& path);
    bool OpenWaveFile(const QString& path);
    void OpenRecentFile(const QString& path);
    void ShowRecentFiles();
    bool SaveRawFile(const QString& name);
    bool HasSampleToSave();
    void ShowError(const QString& title, const QString& text);
    void ShowSaveError(const QString& name);
    void EnablePlayback();

    // The WAV road and the work files (main_window_wave.cpp).
    void LoadWave();
    bool ConvertWaveFile(const QString& source, const QString& workFile);
    void ShowCut(double keptSeconds, double wholeSeconds);
    void RefreshPlaybackWave();
    bool SaveWaveFile(const QString& name);
    QString WorkFile(const QString& leaf);
    void RememberUserFile(const QString& path);
    uint32_t ChosenRate() const;

    // Playback (main_window_play.cpp).
    void CreateAudioChain(const MainAudio* audio);
    void Play();
    void StopButton();
    void LoopItem();
    void LoopButton();
    void OutputStarted();
    void OutputStopped();
    void ConnectorTrigger();
    void StopPlayback();
    void PlaySlotNow(int slot);
    void StartPlaying();
    void ShowPlaybackFailure(std::exception_ptr failure);

    // Undo and redo steps, the title's mark and the question before closing
    // (main_window_history.cpp).
    void CreateHistory();
    void AfterCommand(void (MainWindow::*command)());
    static QString StepName(void (MainWindow::*command)());
    void RecordStep(const QString& name);
    void SampleLoaded(const QString& path, SampleKind kind, bool complete = true);
    void SampleSaved(const QString& path, SampleKind kind);
    void RedoEdit();
    void ShowSteppedSample();
    void UpdateHistoryItems();
    bool ConfirmClose();
    // Before another sample replaces this one: Save / Discard / Cancel over unsaved changes.
    bool MayReplaceSample(const QString& incoming);
    bool AskToSaveChanges(const QString& question, bool closing);
    // A refused command says why in the status bar.
    void ShowRefusal(const QString& text);

    // Wheel, zoom around a point and the scroll bar in samples (main_window_navigation.cpp).
    void CreateNavigation();
    void SyncScrollBar();
    int64_t VisibleSamples() const;
    int FitZoom() const;
    void ZoomAround(int64_t anchor, int column, int zoom);
    void ZoomAtLocator(double factor);
    void ZoomInAtLocator();
    void ZoomOutAtLocator();
    void ScrollBySamples(int64_t samples);
    bool WheelOverWave(QWheelEvent* event);
    void ShowMinMaxWave();
    void StoreViewSettings();
    void DescribeFields();

    // Shaping the sound (main_window_process.cpp).
    void CreateProcessMenu();
    std::pair<int32_t, int32_t> ProcessRange() const;
    std::span<uint8_t> ProcessBytes(std::span<uint8_t> all) const;
    void FadeIn();
    void FadeOut();
    void Gain();
    void Normalise();
    void RemoveDc();
    void TrimSilence();
    void Delete();
    void PasteInsert();
    void FitToLocation();
    void ShowShaped();
    void ShowReshaped();
    void ShowLocationFit();

    // Playing part of the sample (main_window_play_range.cpp).
    void CreatePlayRange();
    void ShowPlaying();
    void PlayFromLocator();
    void PlaySelection();
    void PlayRange(int64_t first, int64_t end);

    // The analysis and meter panels' View items (main_window_panels.cpp).
    void CreatePanelItems();
    void ShowRtSpectrum();
    void StorePanelSettings();

    Dialogs& dialogs_;
    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore* store_;
    QWidget* aboutBox_ = nullptr;
    OptionsWindow* options_ = nullptr;
    BankSlots* bank_ = nullptr;
    BankWindow* bankWindow_ = nullptr;
    PatternsWindow* patternsWindow_ = nullptr;
    QShortcut* loadWaveKey_ = nullptr;
    QShortcut* saveAsWaveKey_ = nullptr;
    // Files the user loaded or saved in this run: no work file may replace one of them.
    QStringList userFiles_;
    QStringList reportedWorkFolders_;
    QStringList recentFiles_; // newest first

    // Declared before the chain, so the chain goes first.
    struct OwnAudio;
    std::unique_ptr<OwnAudio> ownAudio_;
    std::unique_ptr<WaveSource> waveFile_;
    std::unique_ptr<Connector> connector_;
    std::unique_ptr<WavePlayer> waveOut_;
    Connector* analysisConnector_ = nullptr;
    // Whose OnException reports to this window.
    Dispatcher* dispatcher_ = nullptr;
    ConnectorPump* pump_ = nullptr;
    // Parts of a wheel notch not yet turned into scrolling (times the scroll step) or zooming.
    int64_t wheelScrollRest_ = 0;
    double wheelZoom_ = 1;
    // The sample index of the playing wave's first byte.
    int64_t playOffset_ = 0;
};

} // namespace vk350
