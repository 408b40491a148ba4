// BankWindow: the commands over every slot, the sends to the machine, and the hand-over of a slot to
// the main window and to playback.
#include "bank_window.h"

#include "bank_location.h"
#include "main_window.h"
#include "options_window.h"
#include "sample_dump.h"
#include "sample_view.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <algorithm>

namespace vk350 {

namespace {

// The bytes a slot's dump takes on the wire once the slot is fitted to its location.
size_t dumpSizeOf(int slot) {
    return sampleDumpSize(std::min<size_t>(kBankLocations[size_t(slot)].size(), kMaxDumpSamples));
}

} // namespace

void BankWindow::NewBank() {
    for (int slot = 0; slot < kSlotCount; ++slot)
        DeleteSlot(slot);
}

void BankWindow::DeleteSlot(int slot) {
    slotViews[size_t(slot)]->Clear(true);
    slotNames[size_t(slot)]->setText(QStringLiteral("empty"));
    slotSizes[size_t(slot)]->setText(QStringLiteral("0"));
}

void BankWindow::ReverseAll() {
    for (SampleView* e : slotViews)
        e->Reverse();
}

void BankWindow::UnsignedAll() {
    for (SampleView* e : slotViews)
        e->ConvertSign(true, true);
}

void BankWindow::ToggleButtonsBar() {
    toolBar->setVisible(buttonsBarItem->isChecked());
}

// One slot in the machine's form, then the pause the machine needs to store it.
bool BankWindow::SendSlot(int slot) {
    SampleView& e = *slotViews[size_t(slot)];
    const SampleDocument::Hold hold(e.Document(),
                                    "sending to " + std::string(kBankLocations[size_t(slot)].label));
    const bool sent = options_->SendEditorSample(slot, SampleSource::Bank, e.Document());
    e.DrawWave();
    options_->Transfer().Pause(sendPauseMs_);
    return sent;
}

void BankWindow::SendOne(int slot) {
    if (!options_ || slot < 0 || slot >= kSlotCount)
        return;
    TransferProgress& transfer = options_->Transfer();
    transfer.Begin(dumpSizeOf(slot), QStringLiteral("Send to Midi ") + slotShortNames[size_t(slot)]->text());
    SendSlot(slot);
    transfer.End();
}

// One transfer for the ten messages, so that one Cancel drops the sends still to come.
void BankWindow::SendAll() {
    if (!options_)
        return;
    size_t total = 0;
    for (int slot = 0; slot < kSlotCount; ++slot)
        total += dumpSizeOf(slot);
    TransferProgress& transfer = options_->Transfer();
    transfer.Begin(total, QStringLiteral("Send Parameters to MIDI"));
    for (int slot = 0; slot < kSlotCount; ++slot)
        SendSlot(slot);
    transfer.End();
}

void BankWindow::CopyToMain(int slot) {
    if (main_)
        main_->TakeSlotSample(slot, *slotViews[size_t(slot)], slotNames[size_t(slot)]->text());
}

void BankWindow::PlaySlot(int slot) {
    if (OnPlaySlot)
        OnPlaySlot(slot);
}

} // namespace vk350
