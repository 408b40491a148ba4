// TForm1: playback. Play rebuilds the playable wave from the sample and starts the output; the
// connector's trigger moves the locator, or the view, with the playing position. A bank slot
// plays through the same chain.
#include "main_window.h"

#include "bank_slots.h"
#include "knob_label.h"
#include "main_window_audio.h"
#include "safe_file.h"
#include "sample_byte_maps.h"
#include "sample_edit.h"
#include "settings_store.h"
#include "wave_error.h"

#include <QAction>
#include <QFile>
#include <algorithm>
#include <vector>

namespace vk350 {

// Here, where the chain's types are complete. The views leave the connector before it goes, and
// the playback's failures stop coming here.
TForm1::~TForm1() {
    ConnectAnalysisViews(nullptr);
    dispatcher_->OnException = nullptr;
    if (pump_)
        pump_->OnException = nullptr;
}

void TForm1::CreateAudioChain(const MainAudio* audio) {
    if (!audio) {
        ownAudio_ = std::make_unique<OwnAudio>();
    }
    WaveDevice& device = audio ? audio->device : ownAudio_->device;
    Dispatcher& dispatcher = audio ? audio->dispatcher : ownAudio_->dispatcher;
    ConnectorHub& hub = audio ? audio->hub : ownAudio_->hub;
    waveFile_ = std::make_unique<TMMWaveFile>();
    connector_ = std::make_unique<TMMConnector>(hub);
    waveOut_ = std::make_unique<TMMWaveOut>(device, dispatcher);
    MMWaveFile1 = waveFile_.get();
    MMConnector1 = connector_.get();
    WaveOut1 = waveOut_.get();
    MMWaveFile1->SetOutput(WaveOut1);
    WaveOut1->SetOutput(MMConnector1);
    WaveOut1->SetDeviceID(WAVE_MAPPER);
    WaveOut1->OnStart = [this](TMMWaveOut&) { WaveOut1Start(); };
    WaveOut1->OnStop = [this](TMMWaveOut&) { RunCommand([this] { WaveOut1Stop(); }); };
    MMConnector1->OnTrigger = [this](TMMConnector&) { RunCommand([this] { MMConnector1Trigger(); }); };
    // A device that fails mid-play, or a failed pass, surfaces outside any command.
    dispatcher_ = &dispatcher;
    pump_ = hub.pump();
    const auto report = [this](std::exception_ptr failure) { ShowPlaybackFailure(failure); };
    dispatcher_->OnException = report;
    if (pump_)
        pump_->OnException = report;
}

void TForm1::ShowPlaybackFailure(std::exception_ptr failure) {
    RunCommand([failure] { std::rethrow_exception(failure); });
}

// The first press starts, the second stops and releases the wave.
void TForm1::Play() {
    if (Playing) {
        Playing = false;
        ShowPlaying();
        WaveOut1->Stop();
        WaveOut1->Close();
        MMWaveFile1->Wave().FreeWave();
        return;
    }
    RefreshPlaybackWave();
    playOffset_ = 0;
    StartPlaying();
    ShowPlaying();
}

// A failed start (no device, a format it refuses) leaves nothing playing, so the next Play
// tries again instead of stopping a playback that never began.
void TForm1::StartPlaying() {
    // An empty sample has nothing to play.
    if (MMWaveFile1->Wave().Empty())
        return;
    Playing = true;
    try {
        WaveOut1->Start();
    } catch (...) {
        Playing = false;
        ShowPlaying();
        try {
            WaveOut1->Close();
        } catch (const std::exception&) {
            // The start failure is the one to report.
        }
        throw;
    }
}

void TForm1::StopButton() {
    if (Playing)
        Play();
}

// The wave is about to be rebuilt or rebound: the output must not read it meanwhile.
void TForm1::StopPlayback() {
    if (WaveOut1->IsOpen()) {
        WaveOut1->Stop();
        WaveOut1->Close();
    }
    Playing = false;
    ShowPlaying();
}

void TForm1::LoopItem() {
    const bool on = mnuLoop->isChecked();
    btnLoop->setChecked(on);
    WaveOut1->SetLooping(on);
}

void TForm1::LoopButton() {
    WaveOut1->SetLooping(btnLoop->isChecked());
}

void TForm1::WaveOut1Start() {
    SetItemEnabled(mnuSaveAsWave, false);
}

void TForm1::WaveOut1Stop() {
    WaveOut1->Close();
    SetItemEnabled(mnuSaveAsWave, true);
    Playing = false;
    ShowPlaying();
}

// The output's position is in bytes, which for the 8-bit mono playable wave are samples.
void TForm1::MMConnector1Trigger() {
    if (!WaveOut1->IsPlaying())
        return;
    TsqSampleEdit& e = *sqSampleEdit1;
    const int64_t p = std::clamp<int64_t>(WaveOut1->GetPosition() + playOffset_, 0, INT32_MAX);
    const int64_t zoom = std::max(1, e.Zoom());
    if (mnuFollowLocator->isChecked()) {
        e.SetViewOrigin(int32_t(p));
        sqpotlab2->SetState(e.ViewOrigin());
        sqpotlab2->repaint();
        return;
    }
    const int64_t column = std::max<int64_t>((p - e.ViewOrigin()) / zoom, 0);
    e.SetLocatorPos(int32_t(std::min<int64_t>(column, INT32_MAX)));
    // The Loc knob shows samples: the column's index from the view's origin.
    sqpotlab4->SetState(int(std::min<int64_t>(e.ViewOrigin() + column * zoom, INT32_MAX)));
    sqpotlab4->repaint();
}

void TForm1::PlaySlot(int slot) {
    RunCommand([this, slot] { PlaySlotNow(slot); });
}

// The slot's bytes are µ-law codes in the machine's form: back to the editor's form, then
// expanded to linear (the table reads the editor's form of a code), into the raw work file.
// A copy is converted, so the slot keeps its bytes and its own undo copy.
void TForm1::PlaySlotNow(int slot) {
    if (!bank_ || slot < 0 || slot >= BankSlots::kSlotCount)
        return;
    TsqSampleEdit& source = bank_->SlotEdit(slot);
    const int32_t n = source.GetSampleLen();
    if (n <= 0)
        return;
    std::vector<uint8_t> bytes(source.GetData(), source.GetData() + n);
    muLawCodesToLinear(bytes);
    StopPlayback();
    TMMWave& wave = MMWaveFile1->Wave();
    wave.FreeWave();
    const QString raw = WorkFile(QStringLiteral("convertspl.raw"));
    const std::string name = QFile::encodeName(raw).toStdString();
    if (!scratchWriteBytes(name, bytes))
        throw EMMWaveError("Unable to write the work file " + name);
    wave.SetWorkFiles(true);
    wave.ImportFromRaw(name, 8, 1, ChosenRate());
    EnablePlayback();
    playOffset_ = 0;
    StartPlaying();
    ShowPlaying();
}

} // namespace vk350
