// The main window's analysis and meter panels: the views at their places with the stored
// settings, all off and hidden at start; "Show Vu-meters" brings the meter back, sized to its
// panel; the views follow the connector they are given.
#include "connector.h"
#include "level_scale_view.h"
#include "level_view.h"
#include "micro_clock.h"
#include "oscope_view.h"
#include "queue_dispatcher.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"
#include "window_fixture.h"

#include <QAction>

namespace vk350 {

TEST_F(WindowTest, AnalysisViewsStartOffAndHiddenAtTheirStoredSettings) {
    TForm1& w = Open();
    EXPECT_TRUE(w.AnalysisPanel->isHidden());
    EXPECT_TRUE(w.MeterPanel->isHidden());
    struct Case {
        const char* name;
        int actual;
        int expected;
    };
    const Case cases[] = {
        {"scope width", w.MMOscope1->width(), 200},
        {"scope height", w.MMOscope1->height(), 194},
        {"spectrum width", w.MMSpectrum1->width(), 504},
        {"level width", w.MMLevel1->width(), 12},
        {"scale width", w.MMLevelScale1->width(), 18},
        {"scope on", w.MMOscope1->Enabled(), 0},
        {"spectrum on", w.MMSpectrum1->Enabled(), 0},
        {"spectrogram on", w.MMSpectrogram1->Enabled(), 0},
        {"level on", w.MMLevel1->Enabled(), 0},
        {"scope kind", w.MMOscope1->Kind(), okConLines},
        {"spectrum decay", w.MMSpectrum1->DecayMode(), dmUniform},
        {"spectrum peak delay", w.MMSpectrum1->PeakDelay(), 10},
        {"spectrum draws unlit spots", w.MMSpectrum1->DrawInactive(), 0},
        {"spectrogram length", w.MMSpectrogram1->FFTLength(), 256},
        {"spectrogram sensitivity", w.MMSpectrogram1->Sensitivy(), -70},
        {"spectrogram scrolls", w.MMSpectrogram1->Scroll(), 1},
        {"level kind", w.MMLevel1->Kind(), lkVertical},
        {"level sensitivity", w.MMLevel1->Sensitivy(), -40},
        {"scale ticks", w.MMLevelScale1->ScaleTicks(), 40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
    EXPECT_EQ(w.MMSpectrum1->Bar2Color(), 65535u);
    EXPECT_EQ(w.MMOscope1->Color(), 8388608u);
}

TEST_F(WindowTest, ShowVuMetersTogglesTheMeterPanelAndTheMeterFollowsItsHeight) {
    TForm1& w = Open();
    // The item is hidden and off in this program; switched on, it toggles the panel.
    TForm1::SetItemEnabled(w.mnuShowVuMeters, true);
    w.mnuShowVuMeters->trigger();
    ASSERT_FALSE(w.MeterPanel->isHidden());
    EXPECT_TRUE(w.MMLevel1->Enabled());
    for (const int height : {651, 500, 420}) {
        w.resize(w.width(), height);
        QApplication::processEvents();
        EXPECT_EQ(w.MMLevel1->height(), w.MeterPanel->height() - 10) << height;
        EXPECT_EQ(w.MMLevelScale1->height(), w.MeterPanel->height() - 10) << height;
        // The meter's spots follow its new length: one per two pixels inside the bevel.
        EXPECT_EQ(w.MMLevel1->Spots(), (w.MMLevel1->height() - 2 + 1) / 2) << height;
    }
    w.mnuShowVuMeters->trigger();
    EXPECT_TRUE(w.MeterPanel->isHidden());
    EXPECT_FALSE(w.MMLevel1->Enabled());
}

TEST_F(WindowTest, AnalysisViewsFollowThePlaybackConnectorOrTheOneTheyAreGiven) {
    ManualMicroClock clock{1000};
    QueueDispatcher dispatcher{clock};
    ConnectorHub hub{dispatcher};
    TMMConnector first{hub, clock};
    TMMConnector second{hub, clock};
    TForm1& w = Open();
    // At start the window's own playback connector feeds them.
    EXPECT_EQ(w.MMConnector1->Spectrum1(), w.MMSpectrum1);
    EXPECT_EQ(w.MMConnector1->Level1(), w.MMLevel1);
    w.ConnectAnalysisViews(&first);
    EXPECT_EQ(w.MMConnector1->Oscope1(), nullptr);
    EXPECT_EQ(first.Oscope1(), w.MMOscope1);
    EXPECT_EQ(first.Spectrum1(), w.MMSpectrum1);
    EXPECT_EQ(first.Spectrogram1(), w.MMSpectrogram1);
    EXPECT_EQ(first.Level1(), w.MMLevel1);
    w.ConnectAnalysisViews(&second);
    EXPECT_EQ(first.Spectrum1(), nullptr);
    EXPECT_EQ(first.Level1(), nullptr);
    EXPECT_EQ(second.Spectrum1(), w.MMSpectrum1);
    // The window leaves its connector when it goes.
    window.reset();
    EXPECT_EQ(second.Oscope1(), nullptr);
    EXPECT_EQ(second.Spectrogram1(), nullptr);
}

} // namespace vk350
