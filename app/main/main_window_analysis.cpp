// TForm1's analysis panel (oscilloscope, spectrum, spectrogram) and meter panel (level meter and
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

void TForm1::CreateAnalysisViews() {
    // Left to right: the oscilloscope, the spectrum, and the spectrogram filling the rest.
    auto* row = new QHBoxLayout(AnalysisPanel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    MMOscope1 = named(new TMMOscope, "MMOscope1");
    SetupOscope1(*MMOscope1);
    MMOscope1->setFixedSize(kOscope1Size);
    MMSpectrum1 = named(new TMMSpectrum, "MMSpectrum1");
    SetupSpectrum1(*MMSpectrum1);
    MMSpectrum1->setFixedSize(kSpectrum1Size);
    MMSpectrogram1 = named(new TMMSpectrogram, "MMSpectrogram1");
    SetupSpectrogram1(*MMSpectrogram1);
    MMSpectrogram1->setFixedHeight(kSpectrogram1Size.height());
    MMSpectrogram1->setMinimumWidth(100);
    row->addWidget(MMOscope1, 0, Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(MMSpectrum1, 0, Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(MMSpectrogram1, 1, Qt::AlignTop);

    MMLevel1 = named(new TMMLevel(MeterPanel), "MMLevel1");
    SetupLevel1(*MMLevel1);
    MMLevel1->move(kMeterMargin, kMeterMargin);
    MMLevelScale1 = named(new TMMLevelScale(MeterPanel), "MMLevelScale1");
    SetupLevelScale1(*MMLevelScale1);
    MMLevelScale1->move(kMeterMargin + kLevel1Size.width(), kMeterMargin);
    MeterPanel->installEventFilter(this);
}

void TForm1::DisableAnalysisViews() {
    MMSpectrum1->SetEnabled(false);
    MMOscope1->SetEnabled(false);
    MMSpectrogram1->SetEnabled(false);
    MMLevel1->SetEnabled(false);
}

// The meter and its scale take the panel's height less 10 pixels.
void TForm1::ResizeMeters() {
    if (!MMLevel1)
        return;
    const int h = std::max(1, MeterPanel->height() - 2 * kMeterMargin);
    MMLevel1->resize(MMLevel1->width(), h);
    MMLevel1->SyncSize();
    MMLevelScale1->resize(MMLevelScale1->width(), h);
}

// Shows or hides the meter panel as the item's check mark says; a shown meter is switched on,
// since a dark one tells nothing.
void TForm1::ShowVuMeters() {
    const bool show = mnuShowVuMeters->isCheckable() ? mnuShowVuMeters->isChecked() : MeterPanel->isHidden();
    MeterPanel->setEnabled(show);
    MeterPanel->setVisible(show);
    MMLevel1->SetEnabled(show);
    ResizeMeters();
}

void TForm1::ConnectAnalysisViews(TMMConnector* connector) {
    if (connector == analysisConnector_)
        return;
    if (analysisConnector_) {
        for (PcmDisplay* d :
             std::initializer_list<PcmDisplay*>{MMOscope1, MMSpectrum1, MMSpectrogram1, MMLevel1})
            analysisConnector_->RemoveDisplay(d);
    }
    analysisConnector_ = connector;
    if (!connector)
        return;
    connector->SetOscope1(MMOscope1);
    connector->SetSpectrum1(MMSpectrum1);
    connector->SetSpectrogram1(MMSpectrogram1);
    connector->SetLevel1(MMLevel1);
}

} // namespace vk350
