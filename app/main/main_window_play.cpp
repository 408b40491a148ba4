// MainWindow: playback. Play rebuilds the playable wave from the sample and starts the output; the
// connector's trigger moves the locator, or the view, with the playing position. A bank slot
// plays through the same chain.
#include "main_window.h"

#include "bank_slots.h"
#include "command_guard.h"
#include "main_window_audio.h"
#include "safe_file.h"
#include "sample_byte_maps.h"
#include "sample_view.h"
#include "settings_store.h"
#include "value_field.h"
#include "wave_error.h"

#include <QAction>
#include <QFile>
#include <algorithm>
#include <vector>

namespace vk350 {

// Here, where the chain's types are complete. The views leave the connector before it goes, and
// the playback's failures stop coming here.
MainWindow::~MainWindow() {
    document_->OnChanged = nullptr;
    setRefusalNotice(nullptr);
    ConnectAnalysisViews(nullptr);
    dispatcher_->OnException = nullptr;
    if (pump_)
        pump_->OnException = nullptr;
}

void MainWindow::CreateAudioChain(const MainAudio* audio) {
    if (!audio) {
        ownAudio_ = std::make_unique<OwnAudio>();
    }
    WaveDevice& device = audio ? audio->device : ownAudio_->device;
    Dispatcher& dispatcher = audio ? audio->dispatcher : ownAudio_->dispatcher;
    ConnectorHub& hub = audio ? audio->hub : ownAudio_->hub;
    waveFile_ = std::make_unique<WaveSource>();
    connector_ = std::make_unique<Connector>(hub);
    waveOut_ = std::make_unique<WavePlayer>(device, dispatcher);
    chainWave = waveFile_.get();
    chainConnector = connector_.get();
    chainOutput = waveOut_.get();
    chainWave->SetOutput(chainOutput);
    chainOutput->SetOutput(chainConnector);
    chainOutput->SetDeviceID(WAVE_MAPPER);
    chainOutput->OnStart = [this](WavePlayer&) { OutputStarted(); };
    chainOutput->OnStop = [this](WavePlayer&) { RunCommand([this] { OutputStopped(); }); };
    chainConnector->OnTrigger = [this](Connector&) { RunCommand([this] { ConnectorTrigger(); }); };
    // A device that fails mid-play, or a failed pass, surfaces outside any command.
    dispatcher_ = &dispatcher;
    pump_ = hub.pump();
    const auto report = [this](std::exception_ptr failure) { ShowPlaybackFailure(failure); };
    dispatcher_->OnException = report;
    if (pump_)
        pump_->OnException = report;
}

void MainWindow::ShowPlaybackFailure(std::exception_ptr failure) {
    RunCommand([failure] { std::rethrow_exception(failure); });
}

// The first press starts, the second stops and releases the wave.
void MainWindow::Play() {
    if (playing_) {
        playing_ = false;
        ShowPlaying();
        chainOutput->Stop();
        chainOutput->Close();
        chainWave->Wave().FreeWave();
        return;
    }
    RefreshPlaybackWave();
    playOffset_ = 0;
    StartPlaying();
    ShowPlaying();
}

// A failed start (no device, a format it refuses) leaves nothing playing, so the next Play
// tries again instead of stopping a playback that never began.
void MainWindow::StartPlaying() {
    // An empty sample has nothing to play.
    if (chainWave->Wave().Empty())
        return;
    playing_ = true;
    try {
        chainOutput->Start();
    } catch (...) {
        playing_ = false;
        ShowPlaying();
        try {
            chainOutput->Close();
        } catch (const std::exception&) {
            // The start failure is the one to report.
        }
        throw;
    }
}

void MainWindow::StopButton() {
    if (playing_)
        Play();
}

// The wave is about to be rebuilt or rebound: the output must not read it meanwhile.
void MainWindow::StopPlayback() {
    if (chainOutput->IsOpen()) {
        chainOutput->Stop();
        chainOutput->Close();
    }
    playing_ = false;
    ShowPlaying();
}

void MainWindow::LoopItem() {
    const bool on = loopItem->isChecked();
    loopButton->setChecked(on);
    chainOutput->SetLooping(on);
}

void MainWindow::LoopButton() {
    chainOutput->SetLooping(loopButton->isChecked());
}

void MainWindow::OutputStarted() {
    SetItemEnabled(saveAsWaveItem, false);
}

void MainWindow::OutputStopped() {
    chainOutput->Close();
    SetItemEnabled(saveAsWaveItem, true);
    playing_ = false;
    ShowPlaying();
}

// The output's position is in bytes, which for the 8-bit mono playable wave are samples.
void MainWindow::ConnectorTrigger() {
    if (!chainOutput->IsPlaying())
        return;
    SampleView& e = *sampleView;
    const int64_t p = std::clamp<int64_t>(chainOutput->GetPosition() + playOffset_, 0, INT32_MAX);
    const int64_t zoom = std::max(1, e.Zoom());
    if (followLocatorItem->isChecked()) {
        e.SetViewOrigin(int32_t(p));
        originField->SetState(e.ViewOrigin());
        originField->repaint();
        return;
    }
    const int64_t column = std::max<int64_t>((p - e.ViewOrigin()) / zoom, 0);
    e.SetLocatorPos(int32_t(std::min<int64_t>(column, INT32_MAX)));
    // The Loc knob shows samples: the column's index from the view's origin.
    locatorField->SetState(int(std::min<int64_t>(e.ViewOrigin() + column * zoom, INT32_MAX)));
    locatorField->repaint();
}

void MainWindow::PlaySlot(int slot) {
    RunCommand([this, slot] { PlaySlotNow(slot); });
}

// The slot's bytes are µ-law codes in the machine's form: back to the editor's form, then
// expanded to linear (the table reads the editor's form of a code), into the raw work file.
// A copy is converted, so the slot keeps its bytes and its own undo copy.
void MainWindow::PlaySlotNow(int slot) {
    if (!bank_ || slot < 0 || slot >= BankSlots::kSlotCount)
        return;
    const std::span<const uint8_t> source = bank_->SlotView(slot).Document().Bytes();
    if (source.empty())
        return;
    std::vector<uint8_t> bytes(source.begin(), source.end());
    muLawCodesToLinear(bytes);
    StopPlayback();
    WaveDocument& wave = chainWave->Wave();
    wave.FreeWave();
    const QString raw = WorkFile(QStringLiteral("convertspl.raw"));
    const std::string name = QFile::encodeName(raw).toStdString();
    if (!scratchWriteBytes(name, bytes))
        throw WaveError("Unable to write the work file " + name);
    wave.SetWorkFiles(true);
    wave.ImportFromRaw(name, 8, 1, ChosenRate());
    EnablePlayback();
    playOffset_ = 0;
    StartPlaying();
    ShowPlaying();
}

} // namespace vk350
