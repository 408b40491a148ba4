// MainWindow: the View items that show the analysis panel (oscilloscope, spectrum, spectrogram) and
// the meter panel, fed by the playback; each choice is kept for the next start.
#include "main_window.h"

#include "level_view.h"
#include "oscope_view.h"
#include "settings_store.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"

#include <QAction>

namespace vk350 {

namespace {

const QString kShowVuMetersKey = QStringLiteral("ShowVuMeters");
const QString kShowRtSpectrumKey = QStringLiteral("ShowRtSpectrum");

} // namespace

void MainWindow::CreatePanelItems() {
    for (QAction* a : {showVuMetersItem, showRtSpectrumItem}) {
        a->setVisible(true);
        SetItemEnabled(a, true);
        a->setCheckable(true);
    }
    connect(showRtSpectrumItem, &QAction::triggered, this,
            [this] { RunCommand([this] { ShowRtSpectrum(); }); });
    if (store_->ReadBool(kShowVuMetersKey).value_or(false))
        showVuMetersItem->trigger();
    if (store_->ReadBool(kShowRtSpectrumKey).value_or(false))
        showRtSpectrumItem->trigger();
}

// The three views draw only while their panel shows.
void MainWindow::ShowRtSpectrum() {
    const bool show = showRtSpectrumItem->isChecked();
    for (QWidget* w : {analysisPanel, analysisSplitter}) {
        w->setEnabled(show);
        w->setVisible(show);
    }
    oscopeView->SetEnabled(show);
    spectrumView->SetEnabled(show);
    spectrogramView->SetEnabled(show);
}

void MainWindow::StorePanelSettings() {
    if (store_->WriteBool(kShowVuMetersKey, showVuMetersItem->isChecked()) &&
        store_->WriteBool(kShowRtSpectrumKey, showRtSpectrumItem->isChecked()))
        store_->Flush();
}

} // namespace vk350
