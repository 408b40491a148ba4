// OptionsWindow: the MIDI ports, sending samples and the KVB9 setup, and received dumps.
#include "options_window.h"

#include "bank_location.h"
#include "qt_dispatcher.h"
#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "value_field.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QMetaObject>
#include <algorithm>
#include <exception>

namespace vk350 {

namespace {

// The hourglass for as long as a step runs.
class Hourglass {
public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QGuiApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

QString fromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

void OptionsWindow::AddLog(const QString& line) {
    logMemo->Add(line);
}

void OptionsWindow::FillMidiLists() {
    midiInChooser->clear();
    midiOutChooser->clear();
    for (int i = 0; i < midiInput->NumDevs(); ++i)
        midiInChooser->addItem(fromStd(midiInput->productName(i)));
    for (int i = 0; i < midiOutput->NumDevs(); ++i)
        midiOutChooser->addItem(fromStd(midiOutput->productName(i)));
    midiInChooser->setCurrentIndex(-1);
    midiOutChooser->setCurrentIndex(-1);
}

void OptionsWindow::OpenPorts() {
    logMemo->Clear();
    midiInput->SetPort(midiInChooser->currentIndex());
    midiInput->SetUsing(true);
    if (midiInput->OpenResult() != kMidiOk) {
        AddLog(QStringLiteral("Erreur ouverture port MIDI IN"));
    } else {
        // With no entry chosen the component opened its own port: the list shows which.
        if (midiInChooser->currentIndex() < 0)
            midiInChooser->setCurrentIndex(midiInput->Port());
        AddLog(fromStd(midiInput->productName(midiInput->Port())) + QStringLiteral(" IN  -> Ouvert"));
    }
    midiOutput->SetPort(midiOutChooser->currentIndex());
    midiOutput->SetUsing(true);
    if (midiOutput->OpenResult() != kMidiOk) {
        AddLog(QStringLiteral("Erreur ouverture port MIDI OUT"));
    } else {
        if (midiOutChooser->currentIndex() < 0)
            midiOutChooser->setCurrentIndex(midiOutput->Port());
        AddLog(fromStd(midiOutput->productName(midiOutput->Port())) + QStringLiteral(" OUT -> Ouvert"));
    }
}

void OptionsWindow::ClosePorts() {
    logMemo->Clear();
    midiInput->SetUsing(false);
    if (midiInput->CloseResult() != kMidiOk)
        AddLog(QStringLiteral("Erreur fermeture port MIDI IN"));
    else
        AddLog(fromStd(midiInput->productName(midiInput->Port())) + QStringLiteral(" Ferme"));
    midiOutput->SetUsing(false);
    if (midiOutput->CloseResult() != kMidiOk)
        AddLog(QStringLiteral("Erreur fermeture port MIDI OUT"));
    else
        AddLog(fromStd(midiOutput->productName(midiOutput->Port())) + QString::fromUtf8(" Fermé"));
}

void OptionsWindow::ChangePorts() {
    Hourglass hourglass;
    ClosePorts();
    MidiOutput::Pause(100);
    OpenPorts();
}

// The code a send on the output port would meet: the port is not open when its open failed.
int OptionsWindow::OutputState() const {
    if (!midiOutput->Using())
        return kMidiInvalidHandle;
    return midiOutput->OpenResult() != kMidiOk ? kMidiInvalidHandle : kMidiOk;
}

bool OptionsWindow::SendShort(const ShortMessage& m) {
    const int code = OutputState();
    if (code != kMidiOk) {
        AddLog(fromStd(kvb9FailureLogLine(code)));
        return false;
    }
    midiOutput->PutShort(m.status, m.first, m.second);
    return true;
}

void OptionsWindow::SendKVB9Setup() {
    for (const ShortMessage& m : kvb9SetupMessages(kvb9InputField->State(), kvb9MergeBox->isChecked()))
        if (!SendShort(m))
            return; // one line says why
}

void OptionsWindow::FitSample(int slot, SampleBuffer& sample) {
    const SizeFit fit = fitSampleToSlot(slot, SampleSource::Editor,
                                        std::span<uint8_t>(sample.GetData(), SampleBuffer::Capacity),
                                        size_t(sample.GetSampleLen()));
    sample.SetSampleLen(int32_t(fit.length));
    if (!fit.logLine.empty())
        AddLog(fromStd(fit.logLine));
}

bool OptionsWindow::SendSample(int slot, SampleSource source, SampleBuffer& sample) {
    // One "Transfert annule" line per cancelled transfer.
    if (!transfer_.Cancelled())
        cancelLogged_ = false;
    // After a Cancel the sends still to come in the same transfer are dropped, with one line.
    if (transfer_.Cancelled()) {
        if (!cancelLogged_)
            AddLog(fromStd(cancelledLogLine()));
        cancelLogged_ = true;
        return false;
    }
    Hourglass hourglass;
    const SampleSendPlan plan =
        prepareSampleSend(slot, source, std::span<uint8_t>(sample.GetData(), SampleBuffer::Capacity),
                          size_t(sample.GetSampleLen()), sendBuffer_);
    sample.SetSampleLen(int32_t(plan.length));
    for (const std::string& line : plan.logLines)
        AddLog(fromStd(line));
    if (plan.messageSize == 0)
        return false; // no such slot
    transfer_.Begin(plan.messageSize, fromStd(plan.logLines.back()));
    const int code = SendBlock(sendBuffer_.data(), plan.messageSize);
    transfer_.End();
    // A dump cut by Cancel says how far it got; the machine's checksum refuses the rest.
    if (code == kMidiCut)
        AddLog(fromStd(cutDumpLogLine(midiOutput->SysExSent(), plan.messageSize)));
    else
        AddLog(fromStd(sendResultLogLine(code)));
    return code == kMidiOk;
}

// The send works on a copy in the machine's form: the user's bytes are never flipped, not even
// while the transfer lets timers and other windows run. A sent sample takes the copy's size
// adjustment (cut or zero-padded to the location's size); a failed one is left as it was.
bool OptionsWindow::SendEditorSample(int slot, SampleSource source, SampleDocument& sample) {
    if (slot < 0 || slot >= kBankSlots)
        return false;
    const int before = sample.Length();
    // The fitting zeroes the copy from the old length up to the location's size.
    machineCopy_.LoadFromBuffer(sample.Bytes().data(), before);
    machineCopy_.SetSampleLen(before);
    convertSign(std::span<uint8_t>(machineCopy_.GetData(), size_t(before)));
    const bool sent = SendSample(slot, source, machineCopy_);
    if (sent) {
        const int after = machineCopy_.GetSampleLen();
        const size_t reach = size_t(std::min(std::max(before, after), SampleBuffer::Capacity));
        convertSign(std::span<uint8_t>(machineCopy_.GetData(), reach));
        sample.Assign({machineCopy_.GetData(), reach}, after);
    }
    return sent;
}

int OptionsWindow::SendSysExBlock(const uint8_t* block, size_t size, const QString& text, QString* failure) {
    if (size < 3)
        return kMidiInvalidParam;
    transfer_.Begin(size, text);
    const int code = SendBlock(block, size);
    transfer_.End();
    if (code == kMidiOk)
        return code;
    const QString line =
        fromStd(code == kMidiCut ? cutDumpLogLine(midiOutput->SysExSent(), size) : sendResultLogLine(code));
    AddLog(line);
    if (failure)
        *failure = line;
    return code;
}

// Hands one SysEx block to the output and waits until it is out, with the windows painting;
// received dumps wait meanwhile, so that none is applied in the middle of a send.
int OptionsWindow::SendBlock(const uint8_t* block, size_t size) {
    const int state = OutputState();
    if (state != kMidiOk)
        return state;
    transferring_ = true;
    const int code =
        transfer_.Run([this, block, size] { return midiOutput->SysEx(block, int(size)); },
                      [this] { return midiOutput->SysExSent(); }, [this] { midiOutput->CancelSysEx(); });
    transfer_.Advance(size);
    transferring_ = false;
    QMetaObject::invokeMethod(
        this, [this] { ApplyReceived(); }, Qt::QueuedConnection);
    return code;
}

void OptionsWindow::MidiInputSysEx(MidiInput*, const uint8_t* SysExAdd, int MsgSize) {
    ReceivedMessage message;
    try {
        message = decideReceived(std::span<const uint8_t>(SysExAdd, size_t(std::max(MsgSize, 0))));
    } catch (const std::exception& e) {
        // Out of memory for a copy: the message is lost, and the log says so.
        message.action = ReceiveAction::LogOnly;
        message.logLines = {std::string("Erreur reception Sysex - ") + e.what()};
    }
    if (message.action == ReceiveAction::None)
        return;
    {
        std::lock_guard lock(receivedMutex_);
        received_.push_back(std::move(message));
    }
    receivedTurns_->post([this] { ApplyReceived(); });
}

void OptionsWindow::ApplyReceived() {
    for (;;) {
        if (transferring_)
            return; // applied once the send is over
        ReceivedMessage message;
        {
            std::lock_guard lock(receivedMutex_);
            if (received_.empty())
                return;
            message = std::move(received_.front());
            received_.pop_front();
        }
        ApplyOne(message);
    }
}

void OptionsWindow::ApplyOne(const ReceivedMessage& m) {
    for (const std::string& line : m.logLines)
        AddLog(fromStd(line));
    switch (m.action) {
    case ReceiveAction::StoreSample: {
        SampleView& e = links_.bank.SlotView(m.slot);
        const int count = int(std::min<size_t>(m.bytes.size(), size_t(e.Max())));
        e.Document().Assign(m.bytes, count);
        e.SetZoom(count / std::max(1, e.width() - 1) + 1);
        links_.bank.SetSlotName(m.slot, fromStd(m.nameCaption));
        links_.bank.SetSlotSize(m.slot, fromStd(m.sizeCaption));
        e.DrawWave();
        break;
    }
    case ReceiveAction::StorePattern:
        links_.patterns.ReceivePatternDump(m.bytes.data(), int(m.bytes.size()), fromStd(m.patternLogLine));
        break;
    case ReceiveAction::None:
    case ReceiveAction::LogOnly:
        break;
    }
}

} // namespace vk350
