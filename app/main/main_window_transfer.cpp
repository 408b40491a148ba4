// MainWindow: the commands that reach the machine through the chosen bank location, and the
// Options item.
#include "main_window.h"

#include "bank_location.h"
#include "bank_slots.h"
#include "bank_window.h"
#include "options_window.h"
#include "patterns_window.h"
#include "sample_view.h"
#include "value_field.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <algorithm>

namespace vk350 {

void MainWindow::SetOptionsWindow(OptionsWindow* window) {
    options_ = window;
    SetItemEnabled(preferencesItem, window != nullptr);
    if (!window)
        return;
    preferencesItem->setChecked(window->isVisible());
    window->OnMenuCheck = [this](bool checked) { preferencesItem->setChecked(checked); };
}

void MainWindow::SetBankSlots(BankSlots* bank) {
    bank_ = bank;
}

void MainWindow::SetBankWindow(BankWindow* window) {
    bankWindow_ = window;
    bank_ = window;
    SetItemEnabled(sampleBankItem, window != nullptr);
    if (window) {
        OnStoreBankSettings = [window] { window->WriteSettings(); };
        // A click on a slot's waveform plays that slot through this window's output.
        window->OnPlaySlot = [this](int slot) { PlaySlot(slot); };
    } else
        OnStoreBankSettings = nullptr;
}

void MainWindow::SetPatternsWindow(PatternsWindow* window) {
    patternsWindow_ = window;
    SetItemEnabled(patternsItem, window != nullptr);
    if (window)
        OnStorePatternsSettings = [window] { window->WriteSettings(); };
    else
        OnStorePatternsSettings = nullptr;
}

namespace {

void showAndRaise(QWidget* window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void MainWindow::ShowBankWindow() {
    showAndRaise(bankWindow_);
}

void MainWindow::ShowPatternsWindow() {
    showAndRaise(patternsWindow_);
}

void MainWindow::TakeSlotSample(int slot, const SampleView& source, const QString& name) {
    if (slot < 0 || slot >= kBankSlots)
        return;
    if (!MayReplaceSample(name))
        return;
    document_->Replace(source.Document().Bytes(), "Take from Bank");
    document_->Loaded({{}, SampleKind::BankSlot, name.toStdString()}, false);
    ResetViewAfterLoad();
    locationChooser->setCurrentIndex(slot + 1);
    SetItemEnabled(saveAsWaveItem, true);
    SetItemEnabled(playButton, true);
    SetItemEnabled(stopButton, true);
}

void MainWindow::TogglePreferences() {
    if (!options_)
        return;
    options_->setVisible(!options_->isVisible());
    preferencesItem->setChecked(options_->isVisible());
    if (options_->isVisible()) {
        options_->raise();
        options_->activateWindow();
    }
}

// The bank location of the chooser, or -1 for "----------------".
int MainWindow::ChosenLocation() const {
    const int i = locationChooser->currentIndex() - 1;
    return i >= 0 && i < kBankSlots ? i : -1;
}

// After a fit: the size knob, the position maxima and the view follow the location's size.
void MainWindow::ShowFittedSize() {
    const int n = sampleView->GetSampleLen();
    ShowSizeField(n / 1024, QStringLiteral("Ko"));
    SetPositionMaxima(n);
    sampleView->DrawWave();
}

// The machine takes sign-magnitude bytes: the options window sends the sample in that form and
// converts it back (rather than exchanging it with the undo copy through the clipboard), which
// leaves the clipboard as the user left it.
void MainWindow::SendToMidi() {
    const int location = ChosenLocation();
    if (location < 0 || !options_)
        return;
    {
        const SampleDocument::Hold hold(*document_,
                                        "sending to " + std::string(kBankLocations[size_t(location)].label));
        options_->SendEditorSample(location, SampleSource::Editor, *document_);
    }
    ShowFittedSize();
}

void MainWindow::CopyToBank() {
    const int location = ChosenLocation();
    if (location < 0 || !options_ || !bank_)
        return;
    options_->FitSample(location, document_->Buffer());
    ShowFittedSize();
    const int n = document_->Length();
    SampleView& slot = bank_->SlotView(location);
    slot.Document().Assign(document_->Bytes(), n);
    bank_->SetSlotName(location, fileNameLabel->text());
    bank_->SetSlotSize(location, QString::number(n / 1024) + QStringLiteral("K"));
    slot.SetZoom(n / std::max(1, slot.width() - 1) + 1);
    zoomField->SetState(n / EditorWidthForZoom() + 1);
    sampleView->SetZoom(zoomField->State());
    ApplyFieldsToView();
}

} // namespace vk350
