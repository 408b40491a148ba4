#include "main_window_views.h"

#include "level_scale_view.h"
#include "level_view.h"
#include "oscope_view.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"

namespace vk350 {

void SetupOscope1(OscopeView& view) {
    view.SetKind(okConLines);
    view.SetChannel(chLeft);
    view.SetSampleRate(44100);
    view.SetDrawMidLine(true);
    view.SetDrawGrid(true);
    view.SetAccelerate(false);
    view.SetGridColor(clr::Maroon);
    view.SetScaleTextColor(clr::Green);
    view.SetScaleLineColor(clr::Green);
    view.SetColor(clr::Navy);
    view.resize(kOscope1Size);
    view.SyncSize();
}

void SetupSpectrum1(SpectrumView& view) {
    view.SetSampleRate(44100);
    view.SetChannel(chLeft);
    view.SetLogAmp(true);
    view.SetDecayMode(dmUniform);
    view.SetPeakDelay(10);
    view.SetPeakSpeed(5);
    view.SetBar2Color(clr::Yellow);
    view.SetInactive1Color(clr::Navy);
    view.SetDrawInactive(false);
    view.SetDrawGrid(true);
    view.SetGridColor(clr::Purple);
    view.SetScaleTextColor(clr::Teal);
    view.SetScaleLineColor(clr::Teal);
    view.resize(kSpectrum1Size);
    view.SyncSize();
}

void SetupSpectrogram1(SpectrogramView& view) {
    view.SetFFTLength(256);
    view.SetSampleRate(44100);
    view.SetChannel(chLeft);
    view.SetLogAmp(true);
    view.SetSensitivy(-70);
    view.SetPaletteMapped(true);
    view.SetScroll(true);
    view.SetAccelerate(false);
    view.SetDrawScale(true);
    view.SetScaleTextColor(clr::Gray);
    view.SetScaleLineColor(clr::Teal);
    view.SetBarColor(clr::Black);
    view.SetLocatorColor(clr::Aqua);
    view.resize(kSpectrogram1Size);
    view.SyncSize();
}

void SetupLevel1(LevelView& view) {
    view.SetKind(lkVertical);
    view.SetSensitivy(-40);
    view.SetBar1Color(clr::Lime);
    view.SetBar2Color(clr::Yellow);
    view.SetBar3Color(clr::Red);
    BevelFrame bevel;
    bevel.BevelInner = bvRaised;
    bevel.InnerWidth = 1;
    bevel.InnerLightColor = 4210688;
    bevel.InnerShadowColor = 4210688;
    view.SetBevel(bevel);
    view.resize(kLevel1Size);
    view.SyncSize();
}

void SetupLevelScale1(LevelScaleView& view) {
    view.SetKind(lkVertical);
    view.SetScaleTicks(40);
    view.SetSensitivy(-40);
    view.SetScale1Color(clr::Green);
    view.SetScale2Color(8421440);
    view.SetScale3Color(clr::Maroon);
    LevelScaleSpan ruler;
    ruler.TickCount = 11;
    ruler.EnlargeEvery = 5;
    ruler.Size = 7;
    ruler.Origin = soInner;
    ruler.Connect = false;
    view.SetScale(ruler);
    QFont font(QStringLiteral("Small Fonts"));
    font.setPixelSize(9);
    view.SetFont(font);
    view.resize(kLevelScale1Size);
}

} // namespace vk350
