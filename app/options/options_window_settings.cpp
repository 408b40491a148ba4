// OptionsWindow: the stored settings, the Colors page, the work folder and the Audio page.
#include "options_window.h"

#include "caption_contrast.h"
#include "dialogs.h"
#include "pcm_support.h"
#include "value_field.h"
#include "value_fields.h"
#include "work_folder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <exception>

namespace vk350 {

namespace {

// The main window's open dialog, borrowed to pick the work folder.
const char* const kOpenFilter =
    "Binary Files (bin, raw, ovl) |*.bin;*.raw;*.ovl|Wave Files (wav)|*.wav|All Files ( *.*)|*.*";

} // namespace

// Group A: the looks (applied when the group was read whole), then visibility and temp folder.
void OptionsWindow::ReadLooks() {
    // The swatches start from the controls' own colours, so that writing them back keeps the
    // waveforms as they look (button-face lines on a button-face ground would hide the wave).
    const WaveLook mainLook = lookOf(links_.mainWave);
    const WaveLook bankLook = lookOf(links_.bank.SlotView(0));
    settings_.wave.colors = mainLook.colors;
    settings_.bank.colors = bankLook.colors;
    if (readSettingsGroup(links_.store, SettingsGroup::Looks, settings_)) {
        ApplyLooks();
        readSettingsGroup(links_.store, SettingsGroup::Window, settings_);
    }
    // The gradient lists show the type the controls draw with, stored or their own.
    settings_.wave.gradientType = static_cast<int>(links_.mainWave.GradientType());
    settings_.bank.gradientType = static_cast<int>(links_.bank.SlotView(0).GradientType());
    ShowSettings();
}

void OptionsWindow::ApplyLooks() {
    ForEachSlot([this](SampleView& e) { applyStoredLook(e, settings_.bank); });
    applyStoredLook(links_.mainWave, settings_.wave);
    PaintMainPanel(settings_.wave[Swatch::Back]);
}

// The panel around the main waveform wears its back colour too; the value strip's captions on it
// take black or white, whichever reads on that colour.
void OptionsWindow::PaintMainPanel(BgrColor color) {
    if (!links_.mainPanel)
        return;
    const QColor back(ColorToRgb(color));
    QPalette p = links_.mainPanel->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, captionColorOn(back));
    links_.mainPanel->setPalette(p);
    links_.mainPanel->setAutoFillBackground(true);
}

void OptionsWindow::ShowSettings() {
    kvb9InputField->SetState(settings_.kvb9Input);
    kvb9MergeBox->setChecked(settings_.kvb9Merge);
    kvb9StartupBox->setChecked(settings_.kvb9AtStart);
    sysexDelayField->SetState(settings_.sysexDelay);
    timeOutField->SetState(settings_.timeout);
    for (const Swatch row : kSwatches) {
        ShowSwatch(swatchWave[size_t(row)], settings_.wave[row]);
        ShowSwatch(swatchBank[size_t(row)], settings_.bank[row]);
    }
    const auto entry = [](QComboBox* list, int type) {
        list->setCurrentIndex(type >= 0 && type < list->count() ? type : -1);
    };
    entry(waveGradientChooser, settings_.wave.gradientType);
    entry(bankGradientChooser, settings_.bank.gradientType);
    stepsWaveField->SetState(settings_.wave.steps);
    stepsBankField->SetState(settings_.bank.steps);
    workFolderLabel->setText(settings_.workFolder);
}

// The controls' values back into the settings before they are written.
void OptionsWindow::GatherSettings() {
    settings_.left = x();
    settings_.top = y();
    settings_.midiIn = midiInChooser->currentIndex();
    settings_.midiOut = midiOutChooser->currentIndex();
    settings_.kvb9Input = kvb9InputField->State();
    settings_.kvb9Merge = kvb9MergeBox->isChecked();
    settings_.kvb9AtStart = kvb9StartupBox->isChecked();
    settings_.timeout = timeOutField->State();
    settings_.sysexDelay = sysexDelayField->State();
    settings_.shown = isVisible();
    settings_.workFolder = workFolderLabel->text();
    settings_.wave.gradientType = waveGradientChooser->currentIndex();
    settings_.wave.steps = stepsWaveField->State();
    settings_.bank.gradientType = bankGradientChooser->currentIndex();
    settings_.bank.steps = stepsBankField->State();
    settings_.audioOut = audioOutChooser->currentIndex();
    settings_.audioBuffers = bufferCountField->State();
    settings_.conversion = conversionButtons[1]->isChecked() ? 1 : 0;
    settings_.normalise = normaliseBox->isChecked();
}

void OptionsWindow::WriteSettings() {
    GatherSettings();
    // A failure ends the writing silently; what was written stays.
    if (writeOptionsSettings(links_.store, settings_))
        links_.store.Flush();
    const std::optional<bool> shown = links_.store.ReadBool(QStringLiteral("EN4"));
    if (OnMenuCheck)
        OnMenuCheck(shown.value_or(isVisible()));
}

void OptionsWindow::closeEvent(QCloseEvent* event) {
    // The close box hides the window; it lives for the whole run.
    event->accept();
    hide();
    WriteSettings();
}

void OptionsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (OnMenuCheck)
        OnMenuCheck(true);
}

void OptionsWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (OnMenuCheck)
        OnMenuCheck(false);
}

void OptionsWindow::ShowSwatch(QToolButton* swatch, BgrColor color) {
    const QColor c(ColorToRgb(color));
    showSwatchColor(swatch, c);
    swatch->setProperty("color", QVariant::fromValue(color));
}

void OptionsWindow::ForEachSlot(const std::function<void(SampleView&)>& apply) {
    for (int s = 0; s < BankSlots::kSlotCount; ++s)
        apply(links_.bank.SlotView(s));
}

void OptionsWindow::RedrawWaves() {
    links_.mainWave.DrawWave();
    ForEachSlot([](SampleView& e) { e.DrawWave(); });
}

void OptionsWindow::SwatchClick(bool bank, Swatch row) {
    WaveLook& look = bank ? settings_.bank : settings_.wave;
    const std::optional<uint32_t> chosen = links_.dialogs.ChooseColor(this, look[row]);
    if (!chosen)
        return;
    look[row] = *chosen;
    ShowSwatch((bank ? swatchBank : swatchWave)[static_cast<size_t>(row)], *chosen);
    if (bank) {
        ForEachSlot([&](SampleView& e) { applySwatch(e, row, *chosen); });
    } else {
        applySwatch(links_.mainWave, row, *chosen);
        if (row == Swatch::Back)
            PaintMainPanel(*chosen);
    }
    RedrawWaves();
}

void OptionsWindow::GradientTypeChange(bool bank, int type) {
    (bank ? settings_.bank : settings_.wave).gradientType = type;
    if (bank)
        ForEachSlot([type](SampleView& e) { applyGradientType(e, type); });
    else
        applyGradientType(links_.mainWave, type);
}

void OptionsWindow::StepsChange(bool bank, int steps) {
    (bank ? settings_.bank : settings_.wave).steps = steps;
    if (bank)
        ForEachSlot([steps](SampleView& e) { e.SetGradientNbOfColors(steps); });
    else
        links_.mainWave.SetGradientNbOfColors(steps);
}

void OptionsWindow::SelectTempFolder() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select Temp Folder");
    request.filter = QString::fromUtf8(kOpenFilter);
    request.filterIndex = 3;
    request.fileName = QStringLiteral("*.*");
    request.acceptAnyName = true;
    request.chooseFolder = true;
    const FileDialogAnswer answer = links_.dialogs.OpenFile(this, request);
    if (!answer.accepted)
        return;
    ShowTempFolder(folderPartOf(answer.fileName));
}

// The caption stays as chosen ("..." included); both captions' tooltips say where the work
// files really go.
void OptionsWindow::ShowTempFolder(const QString& caption) {
    workFolderLabel->setText(caption);
    settings_.workFolder = caption;
    const QString where = QStringLiteral("Work files go to ") + WorkFolder();
    workFolderCaption->setToolTip(where);
    workFolderLabel->setToolTip(where);
}

QString OptionsWindow::WorkFolder() const {
    return effectiveWorkFolder(workFolderLabel->text());
}

QString OptionsWindow::WorkFileName() const {
    return WorkFolder() + QStringLiteral("convertspl.raw");
}

// Entry 0 is the default device, entries 1 to N the devices 0 to N - 1.
void OptionsWindow::BuildAudioList() {
    WaveOutputLink& out = links_.waveOut;
    audioOutChooser->clear();
    try {
        const int n = out.DeviceCount();
        if (n > 0) {
            audioOutChooser->addItem(QString::fromStdString(out.DeviceName(-1)));
            for (int i = 0; i < n; ++i)
                audioOutChooser->addItem(QString::fromStdString(out.DeviceName(i)));
        }
    } catch (const std::exception& e) {
        links_.dialogs.Message(this, MessageIcon::Error, QStringLiteral("Audio"),
                               QStringLiteral("The list of audio outputs could not be built: ") +
                                   QString::fromLocal8Bit(e.what()));
        out.SetDeviceID(0);
    }
    readSettingsGroup(links_.store, SettingsGroup::Audio, settings_);
    bufferCountField->SetState(settings_.audioBuffers);
    if (settings_.audioOut >= 0 && settings_.audioOut < audioOutChooser->count()) {
        audioOutChooser->setCurrentIndex(settings_.audioOut);
        out.SetDeviceID(settings_.audioOut - 1);
    }
    if (bufferCountField->State() == 0)
        bufferCountField->SetState(out.NumBuffers());
    totalBufferSize_ = out.BufferSize() * bufferCountField->State();
    UpdateBufferLabel();
    playbackButtons[2]->setEnabled(out.InterruptAllowed());
    playbackButtons[size_t(out.Method())]->setChecked(true);
}

void OptionsWindow::AudioOutChange(int entry) {
    WaveOutputLink& out = links_.waveOut;
    out.SetDeviceID(entry - 1);
    if (out.BufferSize() > 0)
        out.SetNumBuffers(totalBufferSize_ / out.BufferSize());
}

void OptionsWindow::BufferCountChange() {
    totalBufferSize_ = links_.waveOut.BufferSize() * bufferCountField->State();
    UpdateBufferLabel();
}

void OptionsWindow::UpdateBufferLabel() {
    const uint32_t perSecond = format_.nAvgBytesPerSec ? format_.nAvgBytesPerSec : rate_;
    const double seconds = double(totalBufferSize_) / double(perSecond);
    bufferSizeLabel->setText(QString::number(totalBufferSize_ / 1024) + QStringLiteral(" Kb") +
                             QStringLiteral(" - %1 seconds").arg(seconds, 0, 'f', 2));
}

void OptionsWindow::RateClick(int index) {
    if (index < 0 || index >= int(kRates.size()))
        return;
    rate_ = kRates[size_t(index)];
    pcmBuildWaveHeader(&format_, 8, 1, rate_);
    UpdateBufferLabel();
}

// A missing value keeps the default, Exact without normalising; a number that names no way
// of converting is taken as Exact.
void OptionsWindow::ReadConversion() {
    readSettingsGroup(links_.store, SettingsGroup::Conversion, settings_);
    conversionButtons[settings_.conversion == 1 ? 1 : 0]->setChecked(true);
    normaliseBox->setChecked(settings_.normalise);
}

ConversionOptions OptionsWindow::Conversion() const {
    ConversionOptions options;
    if (conversionButtons[1]->isChecked())
        options.quality = ConversionQuality::BandLimited;
    options.normalise = normaliseBox->isChecked();
    return options;
}

void OptionsWindow::PlaybackClick(int index) {
    links_.waveOut.SetMethod(static_cast<PlaybackMethod>(index));
}

} // namespace vk350
