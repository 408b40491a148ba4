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
    MainWindow& w = Open();
    EXPECT_TRUE(findPart<QWidget>(w, "analysisPanel")->isHidden());
    EXPECT_TRUE(findPart<QWidget>(w, "meterPanel")->isHidden());
    struct Case {
        const char* name;
        int actual;
        int expected;
    };
    const Case cases[] = {
        {"scope width", findPart<OscopeView>(w, "oscopeView")->width(), 200},
        {"scope height", findPart<OscopeView>(w, "oscopeView")->height(), 194},
        {"spectrum width", findPart<SpectrumView>(w, "spectrumView")->width(), 504},
        {"level width", findPart<LevelView>(w, "levelView")->width(), 12},
        {"scale width", findPart<LevelScaleView>(w, "levelScaleView")->width(), 18},
        {"scope on", findPart<OscopeView>(w, "oscopeView")->Enabled(), 0},
        {"spectrum on", findPart<SpectrumView>(w, "spectrumView")->Enabled(), 0},
        {"spectrogram on", findPart<SpectrogramView>(w, "spectrogramView")->Enabled(), 0},
        {"level on", findPart<LevelView>(w, "levelView")->Enabled(), 0},
        {"scope kind", findPart<OscopeView>(w, "oscopeView")->Kind(), okConLines},
        {"spectrum decay", findPart<SpectrumView>(w, "spectrumView")->DecayMode(), dmUniform},
        {"spectrum peak delay", findPart<SpectrumView>(w, "spectrumView")->PeakDelay(), 10},
        {"spectrum draws unlit spots", findPart<SpectrumView>(w, "spectrumView")->DrawInactive(), 0},
        {"spectrogram length", findPart<SpectrogramView>(w, "spectrogramView")->FFTLength(), 256},
        {"spectrogram sensitivity", findPart<SpectrogramView>(w, "spectrogramView")->Sensitivy(), -70},
        {"spectrogram scrolls", findPart<SpectrogramView>(w, "spectrogramView")->Scroll(), 1},
        {"level kind", findPart<LevelView>(w, "levelView")->Kind(), lkVertical},
        {"level sensitivity", findPart<LevelView>(w, "levelView")->Sensitivy(), -40},
        {"scale ticks", findPart<LevelScaleView>(w, "levelScaleView")->ScaleTicks(), 40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
    EXPECT_EQ(findPart<SpectrumView>(w, "spectrumView")->Bar2Color(), 65535u);
    EXPECT_EQ(findPart<OscopeView>(w, "oscopeView")->Color(), 8388608u);
}

TEST_F(WindowTest, ShowVuMetersTogglesTheMeterPanelAndTheMeterFollowsItsHeight) {
    MainWindow& w = Open();
    // The item is hidden and off in this program; switched on, it toggles the panel.
    MainWindow::SetItemEnabled(findAction(w, "showVuMetersItem"), true);
    findAction(w, "showVuMetersItem")->trigger();
    ASSERT_FALSE(findPart<QWidget>(w, "meterPanel")->isHidden());
    EXPECT_TRUE(findPart<LevelView>(w, "levelView")->Enabled());
    for (const int height : {651, 500, 420}) {
        w.resize(w.width(), height);
        QApplication::processEvents();
        EXPECT_EQ(findPart<LevelView>(w, "levelView")->height(),
                  findPart<QWidget>(w, "meterPanel")->height() - 10)
            << height;
        EXPECT_EQ(findPart<LevelScaleView>(w, "levelScaleView")->height(),
                  findPart<QWidget>(w, "meterPanel")->height() - 10)
            << height;
        // The meter's spots follow its new length: one per two pixels inside the bevel.
        EXPECT_EQ(findPart<LevelView>(w, "levelView")->Spots(),
                  (findPart<LevelView>(w, "levelView")->height() - 2 + 1) / 2)
            << height;
    }
    findAction(w, "showVuMetersItem")->trigger();
    EXPECT_TRUE(findPart<QWidget>(w, "meterPanel")->isHidden());
    EXPECT_FALSE(findPart<LevelView>(w, "levelView")->Enabled());
}

TEST_F(WindowTest, AnalysisViewsFollowThePlaybackConnectorOrTheOneTheyAreGiven) {
    ManualMicroClock clock{1000};
    QueueDispatcher dispatcher{clock};
    ConnectorHub hub{dispatcher};
    Connector first{hub, clock};
    Connector second{hub, clock};
    MainWindow& w = Open();
    // At start the window's own playback connector feeds them.
    EXPECT_EQ(w.ChainConnector().Spectrum1(), findPart<SpectrumView>(w, "spectrumView"));
    EXPECT_EQ(w.ChainConnector().Level1(), findPart<LevelView>(w, "levelView"));
    w.ConnectAnalysisViews(&first);
    EXPECT_EQ(w.ChainConnector().Oscope1(), nullptr);
    EXPECT_EQ(first.Oscope1(), findPart<OscopeView>(w, "oscopeView"));
    EXPECT_EQ(first.Spectrum1(), findPart<SpectrumView>(w, "spectrumView"));
    EXPECT_EQ(first.Spectrogram1(), findPart<SpectrogramView>(w, "spectrogramView"));
    EXPECT_EQ(first.Level1(), findPart<LevelView>(w, "levelView"));
    w.ConnectAnalysisViews(&second);
    EXPECT_EQ(first.Spectrum1(), nullptr);
    EXPECT_EQ(first.Level1(), nullptr);
    EXPECT_EQ(second.Spectrum1(), findPart<SpectrumView>(w, "spectrumView"));
    // The window leaves its connector when it goes.
    window.reset();
    EXPECT_EQ(second.Oscope1(), nullptr);
    EXPECT_EQ(second.Spectrogram1(), nullptr);
}

} // namespace vk350
