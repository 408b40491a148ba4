// MainWindow: the Process menu, which shapes the sound on exact samples (the selection as the Pos
// and Len fields give it, or the whole sample), and the location's fit shown in the status bar.
#include "main_window.h"

#include "bank_location.h"
#include "dialogs.h"
#include "part_names.h"
#include "sample_view.h"
#include "sound_shaping.h"
#include "value_field.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>
#include <cmath>

namespace vk350 {

namespace {

constexpr FadeCurve kFadeCurve = FadeCurve::Exponential;
constexpr double kSilenceDbfs = -48;
constexpr uint32_t kFitFadeMs = 10; // as vk350 shape --fit, so that both give the same bytes
constexpr double kDefaultPeakDbfs = -0.1;

} // namespace

void MainWindow::CreateProcessMenu() {
    processMenu = named(new QMenu(QStringLiteral("&Process"), this), "processMenu");
    menuBar()->insertMenu(audioMenu->menuAction(), processMenu);
    fadeInItem = AddItem(processMenu, "fadeInItem", QStringLiteral("Fade In"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), &MainWindow::FadeIn);
    fadeOutItem = AddItem(processMenu, "fadeOutItem", QStringLiteral("Fade Out"),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), &MainWindow::FadeOut);
    gainItem = AddItem(processMenu, "gainItem", QStringLiteral("Gain..."), QKeySequence(Qt::CTRL | Qt::Key_G),
                       &MainWindow::Gain);
    normaliseItem = AddItem(processMenu, "normaliseItem", QStringLiteral("Normalise..."),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), &MainWindow::Normalise);
    removeDcItem = AddItem(processMenu, "removeDcItem", QStringLiteral("Remove DC Offset"), QKeySequence(),
                           &MainWindow::RemoveDc);
    processMenu->addSeparator();
    trimSilenceItem = AddItem(processMenu, "trimSilenceItem", QStringLiteral("Trim Silence"),
                              QKeySequence(Qt::CTRL | Qt::Key_T), &MainWindow::TrimSilence);
    deleteItem = AddItem(processMenu, "deleteItem", QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete),
                         &MainWindow::Delete);
    pasteInsertItem = AddItem(processMenu, "pasteInsertItem", QStringLiteral("Paste Insert"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), &MainWindow::PasteInsert);
    processMenu->addSeparator();
    fitToLocationItem = AddItem(processMenu, "fitToLocationItem", QStringLiteral("Fit to Location"),
                                QKeySequence(Qt::CTRL | Qt::Key_F9), &MainWindow::FitToLocation);

    locationFitLabel = named(new QLabel, "locationFitLabel");
    statusBar()->addPermanentWidget(locationFitLabel);
    connect(locationChooser, &QComboBox::currentIndexChanged, this, [this] { ShowLocationFit(); });
    ShowLocationFit();
    KeepBarsWhole();
}

// The selection in samples as the Pos and Len fields hold it, within the sample; the whole sample
// when nothing is selected.
std::pair<int32_t, int32_t> MainWindow::ProcessRange() const {
    const int32_t n = document_->Length();
    const int32_t length = selectionLengthField->State();
    if (length <= 0)
        return {0, n};
    const int32_t begin = std::clamp(selectionStartField->State(), 0, n);
    return {begin, std::clamp(begin + length, begin, n)};
}

std::span<uint8_t> MainWindow::ProcessBytes(std::span<uint8_t> all) const {
    const auto [begin, end] = ProcessRange();
    return all.subspan(size_t(begin), size_t(end - begin));
}

void MainWindow::FadeIn() {
    document_->Change([this](std::span<uint8_t> all) { fadeIn(ProcessBytes(all), kFadeCurve); });
    ShowShaped();
}

void MainWindow::FadeOut() {
    document_->Change([this](std::span<uint8_t> all) { fadeOut(ProcessBytes(all), kFadeCurve); });
    ShowShaped();
}

void MainWindow::Gain() {
    const std::optional<double> dB =
        dialogs_.AskNumber(this, QStringLiteral("Gain"), QStringLiteral("Gain in dB:"), 0, -48, 48, 1);
    if (!dB)
        return;
    int clipped = 0;
    document_->Change([&](std::span<uint8_t> all) { clipped = applyGain(ProcessBytes(all), *dB); });
    ShowShaped();
    statusBar()->showMessage(clipped == 0
                                 ? QStringLiteral("Gain %1 dB: nothing clipped").arg(*dB)
                                 : QStringLiteral("Gain %1 dB: %2 samples clipped").arg(*dB).arg(clipped),
                             5000);
}

void MainWindow::Normalise() {
    const std::optional<double> level = dialogs_.AskNumber(
        this, QStringLiteral("Normalise"), QStringLiteral("Peak in dBFS:"), kDefaultPeakDbfs, -48, 0, 1);
    if (!level)
        return;
    document_->Change([&](std::span<uint8_t> all) { normalise(ProcessBytes(all), *level); });
    ShowShaped();
}

void MainWindow::RemoveDc() {
    document_->Change([this](std::span<uint8_t> all) { removeDcOffset(ProcessBytes(all)); });
    ShowShaped();
}

void MainWindow::TrimSilence() {
    trimSilence(*document_, kSilenceDbfs);
    ShowReshaped();
}

void MainWindow::Delete() {
    if (selectionLengthField->State() <= 0)
        return; // nothing selected: nothing to delete
    const auto [begin, end] = ProcessRange();
    deleteRange(*document_, begin, end);
    ShowReshaped();
}

void MainWindow::PasteInsert() {
    const SampleBuffer& b = document_->Buffer();
    const std::span<const uint8_t> clip(b.Clipboard(), size_t(std::max(b.ClipboardLen(), 0)));
    if (clip.empty())
        return;
    const int32_t at = std::clamp(locatorField->State(), 0, document_->Length());
    if (!insertAt(*document_, at, clip)) {
        ShowRefusal(QStringLiteral("Paste Insert: %1 bytes do not fit; the sample holds at most %2")
                        .arg(clip.size())
                        .arg(b.Max()));
        return;
    }
    ShowReshaped();
}

void MainWindow::FitToLocation() {
    const int location = ChosenLocation();
    if (location < 0) {
        ShowRefusal(QStringLiteral("Fit to Location: choose a location first"));
        return;
    }
    const auto fade = int32_t(ChosenRate() * kFitFadeMs / 1000);
    fitToLocation(*document_, int32_t(kBankLocations[size_t(location)].size()), fade, kSilenceDbfs,
                  kFadeCurve);
    ShowReshaped();
}

// Bytes changed in place: the fields that show them and the picture follow.
void MainWindow::ShowShaped() {
    ShowMinMax();
    byteValueField->SetState(ByteAt(locatorField->State()));
    sampleView->DrawWave();
}

// The length changed: the selection goes, the positions stay within the sample.
void MainWindow::ShowReshaped() {
    SampleView& e = *sampleView;
    e.SetSelectionLen(0);
    selectionStartField->SetState(0);
    selectionLengthField->SetState(0);
    const int n = e.GetSampleLen();
    ShowSizeField(n / 1024, QStringLiteral("Ko"));
    SetPositionMaxima(n);
    if (locatorField->State() > n)
        locatorField->SetState(n);
    ShowShaped();
}

// "Fits BD (8 K)" or "0.23 s too long for BD (8 K)" for the chosen location; nothing without one.
void MainWindow::ShowLocationFit() {
    if (!locationFitLabel)
        return;
    const int location = ChosenLocation();
    if (location < 0) {
        locationFitLabel->clear();
        return;
    }
    const BankLocation& l = kBankLocations[size_t(location)];
    const QString where = QStringLiteral("%1 (%2 K)")
                              .arg(QLatin1String(l.label.data(), qsizetype(l.label.size())))
                              .arg(l.sizeK);
    const int64_t over = int64_t(document_->Length()) - int64_t(l.size());
    locationFitLabel->setText(
        over <= 0 ? QStringLiteral("Fits ") + where
                  : QStringLiteral("%1 s too long for ").arg(double(over) / ChosenRate(), 0, 'f', 2) + where);
}

} // namespace vk350
