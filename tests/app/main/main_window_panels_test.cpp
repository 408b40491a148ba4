// The View items that show the analysis and meter panels: what they show, that the choice is
// kept, and that the shown views are fed by the playback.
#include "audio_window_fixture.h"
#include "level_view.h"
#include "oscope_view.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"
#include "window_fixture.h"

#include <QAction>

using namespace vk350;

TEST_F(WindowTest, PanelItemsShowThePanelsAndTheChoiceIsKeptForTheNextStart) {
    // Each run starts as the last one left the items, then switches both.
    for (const bool shown : {false, true, false}) {
        SCOPED_TRACE(shown);
        MainWindow& w = Open();
        for (QAction* a : {findAction(w, "showRtSpectrumItem"), findAction(w, "showVuMetersItem")})
            EXPECT_EQ(a->isChecked(), shown);
        for (QWidget* p : {findPart<QWidget>(w, "analysisPanel"), findPart<QWidget>(w, "analysisSplitter"),
                           findPart<QWidget>(w, "meterPanel")}) {
            EXPECT_EQ(p->isVisible(), shown);
            EXPECT_EQ(p->isEnabled(), shown);
        }
        EXPECT_EQ(findPart<OscopeView>(w, "oscopeView")->Enabled(), shown);
        EXPECT_EQ(findPart<SpectrumView>(w, "spectrumView")->Enabled(), shown);
        EXPECT_EQ(findPart<SpectrogramView>(w, "spectrogramView")->Enabled(), shown);
        EXPECT_EQ(findPart<LevelView>(w, "levelView")->Enabled(), shown);
        Key(Qt::Key_F12);
        Key(Qt::Key_F11);
        EXPECT_EQ(findPart<QWidget>(w, "analysisPanel")->isVisible(), !shown);
        EXPECT_EQ(findPart<QWidget>(w, "meterPanel")->isVisible(), !shown);
        EXPECT_EQ(findPart<SpectrumView>(w, "spectrumView")->Enabled(), !shown);
        if (!shown) {
            // The spectrogram takes the panel's width beside the fixed scope and spectrum.
            for (int width : {1136, 1400}) {
                w.resize(width, w.height());
                QApplication::processEvents();
                EXPECT_EQ(findPart<SpectrogramView>(w, "spectrogramView")->x() +
                              findPart<SpectrogramView>(w, "spectrogramView")->width(),
                          findPart<QWidget>(w, "analysisPanel")->width())
                    << width;
                EXPECT_EQ(findEditor(w)->width(), findPart<QWidget>(w, "editPanel")->width())
                    << "the editor beside the meters";
            }
        }
        w.close();
        window.reset();
    }
}

TEST_F(AudioWindowTest, ShownViewsAreFedByThePlayback) {
    Bytes sample(44100);
    for (size_t i = 0; i < sample.size(); ++i)
        sample[i] = uint8_t(128 + 110 * ((i / 20) % 2 ? 1 : -1)); // a loud square wave
    Answered(findAction(*main, "loadRawItem"), Write("tone.bin", sample));
    findAction(*main, "showRtSpectrumItem")->trigger();
    findAction(*main, "showVuMetersItem")->trigger();
    QApplication::processEvents();
    QWidget* views[] = {findPart<OscopeView>(*main, "oscopeView"),
                        findPart<SpectrumView>(*main, "spectrumView"),
                        findPart<LevelView>(*main, "levelView")};
    std::vector<QImage> before;
    for (QWidget* v : views)
        before.push_back(v->grab().toImage());
    findAction(*main, "playButton")->trigger();
    for (int i = 0; i < 200; ++i)
        Step();
    QApplication::processEvents();
    for (size_t i = 0; i < std::size(views); ++i)
        EXPECT_NE(views[i]->grab().toImage(), before[i]) << i;
    findAction(*main, "playButton")->trigger();
}
