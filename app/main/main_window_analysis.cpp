// MainWindow's analysis panel (oscilloscope, spectrum, spectrogram) and meter panel (level meter and
// its scale): their places, the settings the window keeps for them, and their connector.
#include "main_window.h"

#include "connector.h"
#include "level_scale_view.h"
#include "level_view.h"
#include "main_window_views.h"
#include "oscope_view.h"
#include "part_names.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"

#include <QAction>
#include <QHBoxLayout>
#include <algorithm>

namespace vk350 {

namespace {

// The meter and its scale stand side by side, 5 pixels in from the panel's top and left.
constexpr int kMeterMargin = 5;

} // namespace

void MainWindow::CreateAnalysisViews() {
    // Left to right: the oscilloscope, the spectrum, and the spectrogram filling the rest.
    auto* row = new QHBoxLayout(analysisPanel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    oscopeView = named(new OscopeView, "oscopeView");
    SetupOscope1(*oscopeView);
    oscopeView->setFixedSize(kOscope1Size);
    spectrumView = named(new SpectrumView, "spectrumView");
    SetupSpectrum1(*spectrumView);
    spectrumView->setFixedSize(kSpectrum1Size);
    spectrogramView = named(new SpectrogramView, "spectrogramView");
    SetupSpectrogram1(*spectrogramView);
    spectrogramView->setFixedHeight(kSpectrogram1Size.height());
    spectrogramView->setMinimumWidth(100);
    row->addWidget(oscopeView, 0, Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(spectrumView, 0, Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(spectrogramView, 1, Qt::AlignTop);

    levelView = named(new LevelView(meterPanel), "levelView");
    SetupLevel1(*levelView);
    levelView->move(kMeterMargin, kMeterMargin);
    levelScaleView = named(new LevelScaleView(meterPanel), "levelScaleView");
    SetupLevelScale1(*levelScaleView);
    levelScaleView->move(kMeterMargin + kLevel1Size.width(), kMeterMargin);
    meterPanel->installEventFilter(this);
}

void MainWindow::DisableAnalysisViews() {
    spectrumView->SetEnabled(false);
    oscopeView->SetEnabled(false);
    spectrogramView->SetEnabled(false);
    levelView->SetEnabled(false);
}

// The meter and its scale take the panel's height less 10 pixels.
void MainWindow::ResizeMeters() {
    if (!levelView)
        return;
    const int h = std::max(1, meterPanel->height() - 2 * kMeterMargin);
    levelView->resize(levelView->width(), h);
    levelView->SyncSize();
    levelScaleView->resize(levelScaleView->width(), h);
}

// Shows or hides the meter panel as the item's check mark says; a shown meter is switched on,
// since a dark one tells nothing.
void MainWindow::ShowVuMeters() {
    const bool show =
        showVuMetersItem->isCheckable() ? showVuMetersItem->isChecked() : meterPanel->isHidden();
    meterPanel->setEnabled(show);
    meterPanel->setVisible(show);
    levelView->SetEnabled(show);
    ResizeMeters();
}

void MainWindow::ConnectAnalysisViews(Connector* connector) {
    if (connector == analysisConnector_)
        return;
    if (analysisConnector_) {
        for (PcmDisplay* d :
             std::initializer_list<PcmDisplay*>{oscopeView, spectrumView, spectrogramView, levelView})
            analysisConnector_->RemoveDisplay(d);
    }
    analysisConnector_ = connector;
    if (!connector)
        return;
    connector->SetOscope1(oscopeView);
    connector->SetSpectrum1(spectrumView);
    connector->SetSpectrogram1(spectrogramView);
    connector->SetLevel1(levelView);
}

} // namespace vk350
