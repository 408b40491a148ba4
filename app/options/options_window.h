// OptionsWindow: the options window. Its pages choose the audio and MIDI devices, the KVB9 board's
// setup, the work folder and the waveform colours, and show the MIDI log. It owns the two MIDI
// ports, the send buffer and the log, sends samples and receives dumps, and keeps the stored
// settings of the options. Window thread unless a function says otherwise.
#pragma once

#include "bank_slots.h"
#include "conversion_options.h"
#include "dialogs.h"
#include "kvb9_setup.h"
#include "log_memo.h"
#include "midi_input.h"
#include "midi_output.h"
#include "options_settings.h"
#include "sample_receive.h"
#include "sample_send.h"
#include "transfer_progress.h"
#include "value_field.h"
#include "wave_format.h"
#include "wave_output_link.h"

#include <QDialog>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QPushButton;

namespace vk350 {

class QtDispatcher;

// Everything the window reaches outside itself; each must outlive it.
struct OptionsLinks {
    SettingsStore& store;
    Dialogs& dialogs;
    MidiDriver& midi;
    SampleView& mainWave; // the main window's waveform control
    QWidget* mainPanel;   // the panel around it, which takes its back colour
    BankSlots& bank;
    PatternDumps& patterns;
    WaveOutputLink& waveOut;
};

class OptionsWindow : public QDialog {
public:
    // Runs the start-up: reads the settings, fills the lists, opens the ports and logs them,
    // sends the KVB9 setup when asked to.
    explicit OptionsWindow(const OptionsLinks& links, QWidget* parent = nullptr);
    ~OptionsWindow() override;

    // --- the link with the machine ---
    // Fits the sample (held in the machine's form) to slot's size, sends it and logs each step.
    // False when nothing or not all of it went out.
    bool SendSample(int slot, SampleSource source, SampleBuffer& sample);
    // Sends a sample held in the editor's form: it goes out in the machine's form and comes back
    // converted, with a tail the fitting added left zero. A send that fails or is cancelled
    // leaves the sample's bytes and length as they were.
    bool SendEditorSample(int slot, SampleSource source, SampleDocument& sample);
    // Sends bytes as they are, as one SysEx block (pattern dumps); logs a failure or a cut and
    // returns the output's code (failure, when given, gets the line). Nothing goes out below 3 bytes.
    int SendSysExBlock(const uint8_t* block, size_t size, const QString& text, QString* failure = nullptr);
    // Fits the editor's sample to slot's size, with its log line.
    void FitSample(int slot, SampleBuffer& sample);
    void SendKVB9Setup();
    // The transfer that sends run in: a caller sending several messages begins and ends it around
    // them (and pauses through it), so that one progress dialog and one Cancel cover them all.
    TransferProgress& Transfer() { return transfer_; }
    // MIDI input thread: the handler of midiInput's OnSysEx. Decides what the message means and
    // hands the result to the window thread; touches no widget.
    void MidiInputSysEx(MidiInput* Sender, const uint8_t* SysExAdd, int MsgSize);
    // Applies every received message not applied yet, in arrival order.
    void ApplyReceived();

    // The window's two MIDI ports, as opened from the MIDI page.
    MidiInput& MidiIn() { return *midiInput; }
    MidiOutput& MidiOut() { return *midiOutput; }
    // Port handling: opening and closing log their results (and clear the log first).
    void OpenPorts();
    void ClosePorts();
    void ChangePorts();

    // --- settings ---
    // Writes the stored values in their order; afterwards EN4 is read back for the check mark.
    void WriteSettings();
    const OptionsSettings& Settings() const { return settings_; }

    // The work folder (always ending with a separator) and the playback work file in it.
    QString WorkFolder() const;
    QString WorkFileName() const;
    // The editor's raw sample format: 8 bits, mono, the chosen rate.
    uint32_t SampleRate() const { return rate_; }
    const WaveFormatEx& WaveFormat() const { return format_; }
    // How WAV files are converted to that format, as chosen on the Audio page.
    ConversionOptions Conversion() const;
    // Bytes of all output buffers together.
    int TotalBufferSize() const { return totalBufferSize_; }

    void AddLog(const QString& line);

    // Fired with the state of the main window's Options check mark: when the window shows or
    // hides and when EN4 is read back after writing.
    std::function<void(bool checked)> OnMenuCheck;

    static constexpr std::array<uint32_t, 6> kRates = {8000, 11025, 22050, 32000, 44100, 48000};

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Construction (options_window.cpp).
    QWidget* CreateAudioPage();
    QWidget* CreateMidiPage();
    QWidget* CreateLogPage();
    QWidget* CreateColorsPage();
    ValueField* CreateField(int min, int max, int value, const QString& hint);
    void NameParts();
    void ReadStartSettings();

    // Settings and the pages' handlers (options_window_settings.cpp).
    void ReadLooks();
    void ApplyLooks();
    void PaintMainPanel(BgrColor color);
    void ShowSettings();
    void GatherSettings();
    void SwatchClick(bool bank, Swatch row);
    void ShowSwatch(QToolButton* swatch, BgrColor color);
    void GradientTypeChange(bool bank, int type);
    void StepsChange(bool bank, int steps);
    void ForEachSlot(const std::function<void(SampleView&)>& apply);
    void RedrawWaves();
    void SelectTempFolder();
    void ShowTempFolder(const QString& caption);
    void BuildAudioList();
    void AudioOutChange(int entry);
    void BufferCountChange();
    void UpdateBufferLabel();
    void RateClick(int index);
    void PlaybackClick(int index);
    void ReadConversion();

    // MIDI (options_window_midi.cpp).
    void FillMidiLists();
    bool SendShort(const ShortMessage& message);
    int SendBlock(const uint8_t* block, size_t size);
    int OutputState() const;
    void ApplyOne(const ReceivedMessage& message);

    // The window's parts, named in its object tree after these members; a part of an array takes
    // the member name and its index from 0 ("rateButtons2" is rateButtons[2]).
    std::unique_ptr<MidiInput> midiInput;
    std::unique_ptr<MidiOutput> midiOutput;

    QTabWidget* pageTabs = nullptr;
    // Audio page.
    QComboBox* audioOutChooser = nullptr;
    std::array<QRadioButton*, 6> rateButtons{};
    ValueField* bufferCountField = nullptr; // hidden
    QLabel* bufferSizeLabel = nullptr;      // hidden
    QWidget* playbackGroup = nullptr;       // hidden
    std::array<QRadioButton*, 3> playbackButtons{};
    std::array<QRadioButton*, 2> conversionButtons{}; // "Exact", "Band-limited"
    QCheckBox* normaliseBox = nullptr;
    // MIDI page.
    QComboBox* midiInChooser = nullptr;
    QComboBox* midiOutChooser = nullptr;
    ValueField* sysexDelayField = nullptr;
    ValueField* timeOutField = nullptr;
    ValueField* kvb9InputField = nullptr;
    QCheckBox* kvb9MergeBox = nullptr;
    QCheckBox* kvb9StartupBox = nullptr;
    QToolButton* kvb9SendButton = nullptr;
    QLabel* workFolderCaption = nullptr; // "Temp folder"
    QLabel* workFolderLabel = nullptr;   // the folder as chosen ("..." by design)
    QToolButton* workFolderButton = nullptr;
    // Log page.
    LogMemo* logMemo = nullptr;
    // Colors page: rows in Swatch order.
    std::array<QToolButton*, kSwatchCount> swatchWave{};
    std::array<QToolButton*, kSwatchCount> swatchBank{};
    QComboBox* waveGradientChooser = nullptr;
    QComboBox* bankGradientChooser = nullptr;
    ValueField* stepsWaveField = nullptr;
    ValueField* stepsBankField = nullptr;

    OptionsLinks links_;
    OptionsSettings settings_;
    std::vector<uint8_t> sendBuffer_;
    // The sample being sent, in the machine's form; the user's own bytes stay as they are.
    SampleBuffer machineCopy_;
    uint32_t rate_ = 22050;
    WaveFormatEx format_;
    int totalBufferSize_ = 0;
    TransferProgress transfer_{this};
    bool transferring_ = false;
    bool cancelLogged_ = false;

    // Filled on the MIDI input thread, emptied on the window thread.
    std::mutex receivedMutex_;
    std::deque<ReceivedMessage> received_;
    // Gives the window thread its turn at them.
    std::unique_ptr<QtDispatcher> receivedTurns_;
};

// The sample format and the conversion that WAV files are turned into: the options window's
// choice, or 8-bit mono at 22050 Hz converted exactly when there is no window.
struct WaveTarget {
    WaveFormatEx format;
    ConversionOptions conversion;
};
WaveTarget waveTargetOf(const OptionsWindow* options);

} // namespace vk350
