// TForm4: the options window. Its pages choose the audio and MIDI devices, the KVB9 board's
// setup, the work folder and the waveform colours, and show the MIDI log. It owns the two MIDI
// ports, the send buffer and the log, sends samples and receives dumps, and keeps the stored
// settings of the options. Window thread unless a function says otherwise.
#pragma once

#include "bank_slots.h"
#include "conversion_options.h"
#include "dialogs.h"
#include "knob_label.h"
#include "kvb9_setup.h"
#include "log_memo.h"
#include "midi_input.h"
#include "midi_output.h"
#include "options_settings.h"
#include "sample_receive.h"
#include "sample_send.h"
#include "transfer_progress.h"
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
    TsqSampleEdit& mainWave; // the main window's waveform control
    QWidget* mainPanel;      // the panel around it, which takes its back colour
    BankSlots& bank;
    PatternDumps& patterns;
    WaveOutputLink& waveOut;
};

class TForm4 : public QDialog {
public:
    // Runs the start-up: reads the settings, fills the lists, opens the ports and logs them,
    // sends the KVB9 setup when asked to.
    explicit TForm4(const OptionsLinks& links, QWidget* parent = nullptr);
    ~TForm4() override;

    // --- the link with the machine ---
    // Fits the sample (held in the machine's form) to slot's size, sends it and logs each step.
    // False when nothing or not all of it went out.
    bool SendSample(int slot, SampleSource source, SampleBuffer& sample);
    // Sends a sample held in the editor's form: it goes out in the machine's form and comes back
    // converted, with a tail the fitting added left zero. A send that fails or is cancelled
    // leaves the sample's bytes and length as they were.
    bool SendEditorSample(int slot, SampleSource source, SampleBuffer& sample);
    // Sends bytes as they are, as one SysEx block (pattern dumps); logs a failure or a cut and
    // returns the output's code (failure, when given, gets the line). Nothing goes out below 3 bytes.
    int SendSysExBlock(const uint8_t* block, size_t size, const QString& text, QString* failure = nullptr);
    // Fits the editor's sample to slot's size, with its log line.
    void FitSample(int slot, SampleBuffer& sample);
    void SendKVB9Setup();
    // The transfer that sends run in: a caller sending several messages begins and ends it around
    // them (and pauses through it), so that one progress dialog and one Cancel cover them all.
    TransferProgress& Transfer() { return transfer_; }
    // MIDI input thread: the handler of sqMidiIn1's OnSysEx. Decides what the message means and
    // hands the result to the window thread; touches no widget.
    void sqMidiIn1SysEx(TsqMidiIn* Sender, const uint8_t* SysExAdd, int MsgSize);
    // Applies every received message not applied yet, in arrival order.
    void ApplyReceived();

    // The window's two MIDI ports, as opened from the MIDI page.
    TsqMidiIn& MidiIn() { return *sqMidiIn1; }
    TsqMidiOut& MidiOut() { return *sqMidiOut1; }
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
    const tWAVEFORMATEX& WaveFormat() const { return format_; }
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
    Tsqpotlab* CreateKnob(int min, int max, int value, const QString& hint);
    void NameParts();
    void FormCreate();

    // Settings and the pages' handlers (options_window_settings.cpp).
    void ReadLooks();
    void ApplyLooks();
    void PaintMainPanel(TColor color);
    void ShowSettings();
    void GatherSettings();
    void SwatchClick(bool bank, Swatch row);
    void ShowSwatch(QToolButton* swatch, TColor color);
    void GradientTypeChange(bool bank, int type);
    void StepsChange(bool bank, int steps);
    void ForEachSlot(const std::function<void(TsqSampleEdit&)>& apply);
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
    // the member name and its index from 0 ("rbRate2" is rbRate[2]).
    std::unique_ptr<TsqMidiIn> sqMidiIn1;
    std::unique_ptr<TsqMidiOut> sqMidiOut1;

    QTabWidget* PageControl1 = nullptr;
    // Audio page.
    QComboBox* cbAudioOut = nullptr;
    std::array<QRadioButton*, 6> rbRate{};
    Tsqpotlab* potBufferCount = nullptr; // hidden
    QLabel* lbBufferSize = nullptr;      // hidden
    QWidget* gbPlayback = nullptr;       // hidden
    std::array<QRadioButton*, 3> rbPlayback{};
    std::array<QRadioButton*, 2> rbConversion{}; // "Exact", "Band-limited"
    QCheckBox* cbNormalise = nullptr;
    // MIDI page.
    QComboBox* cbMidiIn = nullptr;
    QComboBox* cbMidiOut = nullptr;
    Tsqpotlab* potSysexDelay = nullptr;
    Tsqpotlab* potTimeOut = nullptr;
    Tsqpotlab* potKvb9Input = nullptr;
    QCheckBox* cbKvb9Merge = nullptr;
    QCheckBox* cbKvb9Startup = nullptr;
    QToolButton* btnKvb9Send = nullptr;
    QLabel* lbTempFolder = nullptr; // "Temp folder"
    QLabel* lbCheminTemp = nullptr; // the folder as chosen ("..." by design)
    QToolButton* btnTempFolder = nullptr;
    // Log page.
    LogMemo* Memo1 = nullptr;
    // Colors page: rows in Swatch order.
    std::array<QToolButton*, kSwatchCount> swatchWave{};
    std::array<QToolButton*, kSwatchCount> swatchBank{};
    QComboBox* cbGradientWave = nullptr;
    QComboBox* cbGradientBank = nullptr;
    Tsqpotlab* potStepsWave = nullptr;
    Tsqpotlab* potStepsBank = nullptr;

    OptionsLinks links_;
    OptionsSettings settings_;
    std::vector<uint8_t> sendBuffer_;
    uint32_t rate_ = 22050;
    tWAVEFORMATEX format_;
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
    tWAVEFORMATEX format;
    ConversionOptions conversion;
};
WaveTarget waveTargetOf(const TForm4* options);

} // namespace vk350
