// The stored values of the options window and of the bank and patterns windows' placement:
// their design values, the groups in which they are read (a missing or unreadable value ends
// its group, the values after it keep what they had) and the order in which they are written.
#pragma once

#include "settings_store.h"
#include "wave_look.h"

#include <QString>

namespace vk350 {

// Each field is stored under the key named beside it; the keys are the stored file's and stay.
struct OptionsSettings {
    OptionsSettings();

    int left = 7;            // PX4
    int top = 818;           // PY4
    int kvb9Input = 0;       // KVB9IN
    bool kvb9Merge = false;  // KVB9PRE
    bool kvb9AtStart = true; // KVB9AS
    int sysexDelay = 0;      // SYSXDELAY
    int timeout = 20;        // TIMEOUT
    WaveLook wave;           // GradientType, StepsGradient, ColorBack .. ColorWaveMinmax
    WaveLook bank;           // BGradientType, BStepsGradient, BColorBack .. BColorWaveMinmax
    bool shown = false;      // EN4
    QString workFolder = QStringLiteral("..."); // TempPath
    int midiIn = -1;                            // MIDIIN
    int midiOut = -1;                           // MIDIOUT
    int audioOut = -1;                          // AudioOUT
    int audioBuffers = 100;                     // AudioBufsz
    // How WAV files are converted: 0 exact, 1 band-limited; and whether to normalise first.
    int conversion = 0;     // Conversion
    bool normalise = false; // Normalise
};

enum class SettingsGroup {
    Looks,  // PX4 .. BColorWaveMinmax, after which the looks are applied
    Window, // EN4, TempPath: the rest of the first group, read only when Looks was complete
    Midi,   // MIDIIN, MIDIOUT
    Audio,  // AudioBufsz, AudioOUT
    // Conversion, Normalise
    Conversion,
};

// Reads one group in its order; true when every value of it was there. Nothing is read when
// the key does not exist.
bool readSettingsGroup(const SettingsStore& store, SettingsGroup group, OptionsSettings& settings);

// Writes every value in the listed order; stops at the first value that cannot be written and
// returns false.
bool writeOptionsSettings(SettingsStore& store, const OptionsSettings& settings);

// Left, top and visibility of the bank and patterns windows.
struct PlacementNames {
    const char* x;
    const char* y;
    const char* shown;
};
struct Placement {
    int x = 0;
    int y = 0;
    bool shown = false;
};
inline constexpr PlacementNames kBankPlacementNames{"PX2", "PY2", "SHOW2"};
inline constexpr PlacementNames kPatternsPlacementNames{"PX3", "PY3", "SHOW3"};
inline constexpr Placement kBankPlacementDesign{104, 842, false};
inline constexpr Placement kPatternsPlacementDesign{582, 842, false};

// Reads x, y, shown in that order into placement; the first one missing ends the reading.
bool readPlacement(const SettingsStore& store, const PlacementNames& names, Placement& placement);
bool writePlacement(SettingsStore& store, const PlacementNames& names, const Placement& placement);

} // namespace vk350
