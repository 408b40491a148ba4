// The analysis views as the main window keeps them: their sizes and the settings it stores for
// each. The editor's panels and the tool's pictures both start from these.
#pragma once

#include <QSize>

namespace vk350 {

class LevelView;
class LevelScaleView;
class OscopeView;
class SpectrogramView;
class SpectrumView;

inline constexpr QSize kOscope1Size{200, 194};
inline constexpr QSize kSpectrum1Size{504, 194};
inline constexpr QSize kSpectrogram1Size{424, 194};
inline constexpr QSize kLevel1Size{12, 526};
inline constexpr QSize kLevelScale1Size{18, 526};

// Each applies the stored values and the size to a new view.
void SetupOscope1(OscopeView& view);
void SetupSpectrum1(SpectrumView& view);
void SetupSpectrogram1(SpectrogramView& view);
void SetupLevel1(LevelView& view);
void SetupLevelScale1(LevelScaleView& view);

} // namespace vk350
