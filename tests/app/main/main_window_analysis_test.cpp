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
    EXPECT_TRUE(findPart<QWidget>(w, "AnalysisPanel")->isHidden());
    EXPECT_TRUE(findPart<QWidget>(w, "MeterPanel")->isHidden());
    struct Case {
        const char* name;
        int actual;
        int expected;
    };
    const Case cases[] = {
        {"scope width", findPart<TMMOscope>(w, "MMOscope1")->width(), 200},
        {"scope height", findPart<TMMOscope>(w, "MMOscope1")->height(), 194},
        {"spectrum width", findPart<TMMSpectrum>(w, "MMSpectrum1")->width(), 504},
        {"level width", findPart<TMMLevel>(w, "MMLevel1")->width(), 12},
        {"scale width", findPart<TMMLevelScale>(w, "MMLevelScale1")->width(), 18},
        {"scope on", findPart<TMMOscope>(w, "MMOscope1")->Enabled(), 0},
        {"spectrum on", findPart<TMMSpectrum>(w, "MMSpectrum1")->Enabled(), 0},
        {"spectrogram on", findPart<TMMSpectrogram>(w, "MMSpectrogram1")->Enabled(), 0},
        {"level on", findPart<TMMLevel>(w, "MMLevel1")->Enabled(), 0},
        {"scope kind", findPart<TMMOscope>(w, "MMOscope1")->Kind(), okConLines},
        {"spectrum decay", findPart<TMMSpectrum>(w, "MMSpectrum1")->DecayMode(), dmUniform},
        {"spectrum peak delay", findPart<TMMSpectrum>(w, "MMSpectrum1")->PeakDelay(), 10},
        {"spectrum draws unlit spots", findPart<TMMSpectrum>(w, "MMSpectrum1")->DrawInactive(), 0},
        {"spectrogram length", findPart<TMMSpectrogram>(w, "MMSpectrogram1")->FFTLength(), 256},
        {"spectrogram sensitivity", findPart<TMMSpectrogram>(w, "MMSpectrogram1")->Sensitivy(), -70},
        {"spectrogram scrolls", findPart<TMMSpectrogram>(w, "MMSpectrogram1")->Scroll(), 1},
        {"level kind", findPart<TMMLevel>(w, "MMLevel1")->Kind(), lkVertical},
        {"level sensitivity", findPart<TMMLevel>(w, "MMLevel1")->Sensitivy(), -40},
        {"scale ticks", findPart<TMMLevelScale>(w, "MMLevelScale1")->ScaleTicks(), 40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
    EXPECT_EQ(findPart<TMMSpectrum>(w, "MMSpectrum1")->Bar2Color(), 65535u);
    EXPECT_EQ(findPart<TMMOscope>(w, "MMOscope1")->Color(), 8388608u);
}

TEST_F(WindowTest, ShowVuMetersTogglesTheMeterPanelAndTheMeterFollowsItsHeight) {
    TForm1& w = Open();
    // The item is hidden and off in this program; switched on, it toggles the panel.
    TForm1::SetItemEnabled(findAction(w, "mnuShowVuMeters"), true);
    findAction(w, "mnuShowVuMeters")->trigger();
    ASSERT_FALSE(findPart<QWidget>(w, "MeterPanel")->isHidden());
    EXPECT_TRUE(findPart<TMMLevel>(w, "MMLevel1")->Enabled());
    for (const int height : {651, 500, 420}) {
        w.resize(w.width(), height);
        QApplication::processEvents();
        EXPECT_EQ(findPart<TMMLevel>(w, "MMLevel1")->height(),
                  findPart<QWidget>(w, "MeterPanel")->height() - 10)
            << height;
        EXPECT_EQ(findPart<TMMLevelScale>(w, "MMLevelScale1")->height(),
                  findPart<QWidget>(w, "MeterPanel")->height() - 10)
            << height;
        // The meter's spots follow its new length: one per two pixels inside the bevel.
        EXPECT_EQ(findPart<TMMLevel>(w, "MMLevel1")->Spots(),
                  (findPart<TMMLevel>(w, "MMLevel1")->height() - 2 + 1) / 2)
            << height;
    }
    findAction(w, "mnuShowVuMeters")->trigger();
    EXPECT_TRUE(findPart<QWidget>(w, "MeterPanel")->isHidden());
    EXPECT_FALSE(findPart<TMMLevel>(w, "MMLevel1")->Enabled());
}

TEST_F(WindowTest, AnalysisViewsFollowThePlaybackConnectorOrTheOneTheyAreGiven) {
    ManualMicroClock clock{1000};
    QueueDispatcher dispatcher{clock};
    ConnectorHub hub{dispatcher};
    TMMConnector first{hub, clock};
    TMMConnector second{hub, clock};
    TForm1& w = Open();
    // At start the window's own playback connector feeds them.
    EXPECT_EQ(w.ChainConnector().Spectrum1(), findPart<TMMSpectrum>(w, "MMSpectrum1"));
    EXPECT_EQ(w.ChainConnector().Level1(), findPart<TMMLevel>(w, "MMLevel1"));
    w.ConnectAnalysisViews(&first);
    EXPECT_EQ(w.ChainConnector().Oscope1(), nullptr);
    EXPECT_EQ(first.Oscope1(), findPart<TMMOscope>(w, "MMOscope1"));
    EXPECT_EQ(first.Spectrum1(), findPart<TMMSpectrum>(w, "MMSpectrum1"));
    EXPECT_EQ(first.Spectrogram1(), findPart<TMMSpectrogram>(w, "MMSpectrogram1"));
    EXPECT_EQ(first.Level1(), findPart<TMMLevel>(w, "MMLevel1"));
    w.ConnectAnalysisViews(&second);
    EXPECT_EQ(first.Spectrum1(), nullptr);
    EXPECT_EQ(first.Level1(), nullptr);
    EXPECT_EQ(second.Spectrum1(), findPart<TMMSpectrum>(w, "MMSpectrum1"));
    // The window leaves its connector when it goes.
    window.reset();
    EXPECT_EQ(second.Oscope1(), nullptr);
    EXPECT_EQ(second.Spectrogram1(), nullptr);
}

} // namespace vk350
