#include "options_settings.h"

#include <variant>
#include <vector>

namespace vk350 {

namespace {

using Target = std::variant<int*, bool*, BgrColor*, QString*>;

struct Field {
    const char* name;
    Target target;
};

// Every stored value of the options window and where it lives.
std::vector<Field> fieldsOf(OptionsSettings& s) {
    std::vector<Field> f = {
        {"PX4", &s.left},
        {"PY4", &s.top},
        {"KVB9IN", &s.kvb9Input},
        {"KVB9PRE", &s.kvb9Merge},
        {"KVB9AS", &s.kvb9AtStart},
        {"SYSXDELAY", &s.sysexDelay},
        {"TIMEOUT", &s.timeout},
        {"GradientType", &s.wave.gradientType},
        {"StepsGradient", &s.wave.steps},
        {"BGradientType", &s.bank.gradientType},
        {"BStepsGradient", &s.bank.steps},
        {"EN4", &s.shown},
        {"TempPath", &s.workFolder},
        {"MIDIIN", &s.midiIn},
        {"MIDIOUT", &s.midiOut},
        {"AudioOUT", &s.audioOut},
        {"AudioBufsz", &s.audioBuffers},
        {"Conversion", &s.conversion},
        {"Normalise", &s.normalise},
    };
    struct ColorName {
        Swatch row;
        const char* wave;
        const char* bank;
    };
    static constexpr ColorName kColors[] = {
        {Swatch::Back, "ColorBack", "BColorBack"},
        {Swatch::Lines, "ColorLine", "BColorLine"},
        {Swatch::Markers, "ColorMark", "BColorMark"},
        {Swatch::Axes, "ColorAxes", "BColorAxes"},
        {Swatch::Gradient, "ColorGradient", "BColorGradient"},
        {Swatch::Locator, "ColorLocator", "BColorLocator"},
        {Swatch::Selection, "ColorSelection", "BColorSelection"},
        {Swatch::Text, "ColorWaveText", "BColorWaveText"},
        {Swatch::Axes2, "ColorWaveMinmax", "BColorWaveMinmax"},
    };
    for (const ColorName& c : kColors) {
        f.push_back({c.wave, &s.wave.colors[static_cast<size_t>(c.row)]});
        f.push_back({c.bank, &s.bank.colors[static_cast<size_t>(c.row)]});
    }
    return f;
}

const char* const kLooks[] = {
    "PX4",
    "PY4",
    "KVB9IN",
    "KVB9PRE",
    "KVB9AS",
    "SYSXDELAY",
    "TIMEOUT",
    "GradientType",
    "StepsGradient",
    "ColorBack",
    "ColorLine",
    "ColorMark",
    "ColorAxes",
    "ColorGradient",
    "ColorLocator",
    "ColorSelection",
    "ColorWaveText",
    "ColorWaveMinmax",
    "BGradientType",
    "BStepsGradient",
    "BColorBack",
    "BColorLine",
    "BColorMark",
    "BColorAxes",
    "BColorGradient",
    "BColorLocator",
    "BColorSelection",
    "BColorWaveText",
    "BColorWaveMinmax",
};
const char* const kWindow[] = {"EN4", "TempPath"};
const char* const kMidi[] = {"MIDIIN", "MIDIOUT"};
const char* const kAudio[] = {"AudioBufsz", "AudioOUT"};
const char* const kConversion[] = {"Conversion", "Normalise"};

const char* const kWriteOrder[] = {
    "PX4",
    "PY4",
    "MIDIIN",
    "MIDIOUT",
    "KVB9IN",
    "KVB9PRE",
    "KVB9AS",
    "TIMEOUT",
    "SYSXDELAY",
    "EN4",
    "TempPath",
    "ColorBack",
    "ColorLine",
    "ColorMark",
    "ColorAxes",
    "ColorGradient",
    "ColorLocator",
    "ColorSelection",
    "GradientType",
    "StepsGradient",
    "ColorWaveText",
    "ColorWaveMinmax",
    "BColorBack",
    "BColorLine",
    "BColorMark",
    "BColorAxes",
    "BColorGradient",
    "BColorLocator",
    "BColorSelection",
    "BGradientType",
    "BStepsGradient",
    "BColorWaveText",
    "BColorWaveMinmax",
    "AudioOUT",
    "AudioBufsz",
    "Conversion",
    "Normalise",
};

Target findField(std::vector<Field>& fields, const char* name) {
    for (const Field& f : fields)
        if (qstrcmp(f.name, name) == 0)
            return f.target;
    return static_cast<int*>(nullptr);
}

// Reads one value into its target; false when it is missing or unreadable (the target keeps
// what it had).
bool readOne(const SettingsStore& store, const QString& name, const Target& target) {
    if (auto* text = std::get_if<QString*>(&target)) {
        const std::optional<QString> v = store.ReadString(name);
        if (!v)
            return false;
        **text = *v;
        return true;
    }
    const std::optional<int32_t> v = store.ReadInteger(name);
    if (!v)
        return false;
    if (auto* i = std::get_if<int*>(&target))
        **i = *v;
    else if (auto* b = std::get_if<bool*>(&target))
        **b = *v != 0;
    else if (auto* c = std::get_if<BgrColor*>(&target))
        **c = static_cast<BgrColor>(*v);
    return true;
}

bool writeOne(SettingsStore& store, const QString& name, const Target& target) {
    if (auto* text = std::get_if<QString*>(&target))
        return store.WriteString(name, **text);
    if (auto* i = std::get_if<int*>(&target))
        return store.WriteInteger(name, **i);
    if (auto* b = std::get_if<bool*>(&target))
        return store.WriteBool(name, **b);
    return store.WriteInteger(name, static_cast<int32_t>(**std::get_if<BgrColor*>(&target)));
}

template <size_t N>
bool readNames(const SettingsStore& store, OptionsSettings& s, const char* const (&names)[N]) {
    if (!store.Exists())
        return false;
    std::vector<Field> fields = fieldsOf(s);
    for (const char* name : names)
        if (!readOne(store, QLatin1String(name), findField(fields, name)))
            return false;
    return true;
}

} // namespace

OptionsSettings::OptionsSettings() {
    wave.colors.fill(kButtonFace);
    bank.colors.fill(kButtonFace);
}

bool readSettingsGroup(const SettingsStore& store, SettingsGroup group, OptionsSettings& s) {
    switch (group) {
    case SettingsGroup::Looks:
        return readNames(store, s, kLooks);
    case SettingsGroup::Window:
        return readNames(store, s, kWindow);
    case SettingsGroup::Midi:
        return readNames(store, s, kMidi);
    case SettingsGroup::Audio:
        return readNames(store, s, kAudio);
    case SettingsGroup::Conversion:
        return readNames(store, s, kConversion);
    }
    return false;
}

bool writeOptionsSettings(SettingsStore& store, const OptionsSettings& settings) {
    OptionsSettings copy = settings; // the field table points into a value it may address
    std::vector<Field> fields = fieldsOf(copy);
    for (const char* name : kWriteOrder)
        if (!writeOne(store, QLatin1String(name), findField(fields, name)))
            return false;
    return true;
}

bool readPlacement(const SettingsStore& store, const PlacementNames& names, Placement& p) {
    if (!store.Exists())
        return false;
    const std::optional<int32_t> x = store.ReadInteger(QLatin1String(names.x));
    if (!x)
        return false;
    p.x = *x;
    const std::optional<int32_t> y = store.ReadInteger(QLatin1String(names.y));
    if (!y)
        return false;
    p.y = *y;
    const std::optional<bool> shown = store.ReadBool(QLatin1String(names.shown));
    if (!shown)
        return false;
    p.shown = *shown;
    return true;
}

bool writePlacement(SettingsStore& store, const PlacementNames& names, const Placement& p) {
    return store.WriteInteger(QLatin1String(names.x), p.x) &&
           store.WriteInteger(QLatin1String(names.y), p.y) &&
           store.WriteBool(QLatin1String(names.shown), p.shown);
}

} // namespace vk350
