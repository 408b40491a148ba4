// The stored values: reading in groups that a missing or unreadable value ends, the writing
// order, and the values as they land in the settings file.
#include "options_settings.h"
#include "options_write_order.h"
#include "recording_settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace vk350;

namespace {

// Every name of the first three groups with a value that differs from its design value.
const std::vector<std::pair<const char*, QVariant>> kStored = {
    {"PX4", 11},
    {"PY4", 22},
    {"KVB9IN", 5},
    {"KVB9PRE", 1},
    {"KVB9AS", 0},
    {"SYSXDELAY", 33},
    {"TIMEOUT", 44},
    {"GradientType", 2},
    {"StepsGradient", 55},
    {"ColorBack", 0x010101},
    {"ColorLine", 0x020202},
    {"ColorMark", 0x030303},
    {"ColorAxes", 0x040404},
    {"ColorGradient", 0x050505},
    {"ColorLocator", 0x060606},
    {"ColorSelection", 0x070707},
    {"ColorWaveText", 0x080808},
    {"ColorWaveMinmax", 0x090909},
    {"BGradientType", 6},
    {"BStepsGradient", 66},
    {"BColorBack", 0x111111},
    {"BColorLine", 0x121212},
    {"BColorMark", 0x131313},
    {"BColorAxes", 0x141414},
    {"BColorGradient", 0x151515},
    {"BColorLocator", 0x161616},
    {"BColorSelection", 0x171717},
    {"BColorWaveText", 0x181818},
    {"BColorWaveMinmax", 0x191919},
    {"EN4", 1},
    {"TempPath", QStringLiteral("/tmp/work/")},
    {"MIDIIN", 1},
    {"MIDIOUT", 2},
    {"AudioBufsz", 77},
    {"AudioOUT", 3},
    {"Conversion", 1},
    {"Normalise", 1},
};

// The values a settings record holds, by stored name, as the writing puts them in a store.
QString Held(const OptionsSettings& s, const QString& name) {
    RecordingSettingsStore store;
    EXPECT_TRUE(writeOptionsSettings(store, s));
    return store.Value(name).toString();
}

void ReadAll(const SettingsStore& store, OptionsSettings& s) {
    if (readSettingsGroup(store, SettingsGroup::Looks, s))
        readSettingsGroup(store, SettingsGroup::Window, s);
    readSettingsGroup(store, SettingsGroup::Midi, s);
    readSettingsGroup(store, SettingsGroup::Audio, s);
    readSettingsGroup(store, SettingsGroup::Conversion, s);
}

} // namespace

TEST(OptionsSettings, DesignValuesStandWhenTheKeyIsMissing) {
    RecordingSettingsStore store;
    OptionsSettings s;
    ReadAll(store, s);
    EXPECT_TRUE(store.reads.isEmpty()) << "nothing is read from a key that does not exist";
    EXPECT_EQ(s.left, 7);
    EXPECT_EQ(s.top, 818);
    EXPECT_EQ(s.kvb9Input, 0);
    EXPECT_FALSE(s.kvb9Merge);
    EXPECT_TRUE(s.kvb9AtStart);
    EXPECT_EQ(s.sysexDelay, 0);
    EXPECT_EQ(s.timeout, 20);
    EXPECT_EQ(s.wave.gradientType, -1);
    EXPECT_EQ(s.wave.steps, 100);
    EXPECT_EQ(s.bank.steps, 100);
    EXPECT_EQ(s.wave[Swatch::Text], kButtonFace);
    EXPECT_FALSE(s.shown);
    EXPECT_EQ(s.workFolder, QStringLiteral("..."));
    EXPECT_EQ(s.midiIn, -1);
    EXPECT_EQ(s.audioOut, -1);
    EXPECT_EQ(s.audioBuffers, 100);
    EXPECT_EQ(s.conversion, 0) << "exact";
    EXPECT_FALSE(s.normalise);
}

TEST(OptionsSettings, AMissingOrUnreadableValueEndsItsGroupOnly) {
    struct Case {
        const char* gap;
        bool unreadable; // "abc" instead of missing
    };
    const Case cases[] = {
        {"PX4", false},
        {"KVB9PRE", false},
        {"ColorAxes", true},
        {"BStepsGradient", false},
        {"BColorWaveMinmax", true},
        {"EN4", false},
        {"TempPath", false},
        {"MIDIIN", true},
        {"MIDIOUT", false},
        {"AudioBufsz", false},
        {"AudioOUT", true},
        {"Conversion", false},
        {"Normalise", true},
    };
    const OptionsSettings design;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gap);
        RecordingSettingsStore store;
        for (const auto& [name, value] : kStored)
            store.Set(QLatin1String(name), value);
        if (c.unreadable)
            store.Set(QLatin1String(c.gap), QStringLiteral("abc"));
        else
            store.Remove(QLatin1String(c.gap));
        OptionsSettings s;
        ReadAll(store, s);

        // The group of the gap, and the group that an incomplete Looks group leaves unread.
        const std::vector<std::vector<const char*>> groups = {
            {"PX4",
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
             "EN4",
             "TempPath"},
            {"MIDIIN", "MIDIOUT"},
            {"AudioBufsz", "AudioOUT"},
            {"Conversion", "Normalise"},
        };
        for (const auto& group : groups) {
            bool past = false;
            for (const char* name : group) {
                const QString n = QLatin1String(name);
                past = past || n == QLatin1String(c.gap);
                const QString stored = std::find_if(kStored.begin(), kStored.end(), [&](const auto& p) {
                                           return n == QLatin1String(p.first);
                                       })->second.toString();
                if (past)
                    EXPECT_EQ(Held(s, n), Held(design, n)) << name << " keeps its design value";
                else
                    EXPECT_EQ(Held(s, n), stored) << name << " was read";
            }
        }
    }
}

TEST(OptionsSettings, WritingOrderAndAFailureThatEndsIt) {
    const QStringList order = {
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
    RecordingSettingsStore store;
    EXPECT_TRUE(writeOptionsSettings(store, OptionsSettings()));
    EXPECT_EQ(store.writes, order);
    EXPECT_EQ(OptionsWriteOrder(), order);

    RecordingSettingsStore failing;
    failing.refuse = QStringLiteral("EN4");
    EXPECT_FALSE(writeOptionsSettings(failing, OptionsSettings()));
    EXPECT_EQ(failing.writes, order.mid(0, order.indexOf("EN4")));
}

TEST(OptionsSettings, ValuesInTheSettingsFileAndBack) {
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
    OptionsSettings s;
    s.left = -20;
    s.kvb9Merge = true;
    s.kvb9AtStart = false;
    s.wave[Swatch::Back] = kButtonFace; // a system colour: top bit set
    s.wave[Swatch::Lines] = 0x00FFFFFF;
    s.bank.gradientType = 7;
    s.workFolder = QStringLiteral("/home/user/work, old/");
    s.midiOut = 2;
    s.conversion = 1;
    s.normalise = true;
    {
        QtSettingsStore store;
        ASSERT_TRUE(writeOptionsSettings(store, s));
        ASSERT_TRUE(store.Flush());
    }
    const QSettings file(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
    EXPECT_EQ(file.value("KVB9PRE").toString(), QStringLiteral("1")) << "booleans are 0 or 1";
    EXPECT_EQ(file.value("KVB9AS").toString(), QStringLiteral("0"));
    EXPECT_EQ(file.value("ColorBack").toLongLong(), qlonglong(int32_t(kButtonFace)))
        << "colours are 32-bit numbers";
    EXPECT_EQ(file.value("TempPath").toString(), s.workFolder);

    OptionsSettings back;
    ReadAll(QtSettingsStore(), back);
    for (const QString& name : OptionsWriteOrder())
        EXPECT_EQ(Held(back, name), Held(s, name)) << name.toStdString();

    // A colour written unsigned by another program reads as the same 32 bits; too big a number does not read.
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).setValue("ColorBack", "2147483663");
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).setValue("PX4", "4294967296");
    EXPECT_EQ(QtSettingsStore().ReadInteger("ColorBack"), std::optional<int32_t>(int32_t(kButtonFace)));
    EXPECT_EQ(QtSettingsStore().ReadInteger("PX4"), std::nullopt);
    EXPECT_EQ(QtSettingsStore().ReadInteger("Nothing"), std::nullopt);
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
    EXPECT_FALSE(QtSettingsStore().Exists());
}

TEST(OptionsSettings, AStoreThatCannotBeWrittenEndsTheWritingAtOnce) {
    const QString path = QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).fileName();
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path)) << "a folder where the settings file should be";
    {
        QtSettingsStore store;
        EXPECT_FALSE(store.WriteInteger(QStringLiteral("PX4"), 1));
        EXPECT_FALSE(store.WriteString(QStringLiteral("TempPath"), QStringLiteral("x")));
        RecordingSettingsStore watched(&store);
        EXPECT_FALSE(writeOptionsSettings(watched, OptionsSettings()));
        EXPECT_TRUE(watched.writes == QStringList{"PX4"}) << "the first refused value ends the writing";
    }
    ASSERT_TRUE(QDir(path).removeRecursively());
    QtSettingsStore store;
    EXPECT_TRUE(store.WriteInteger(QStringLiteral("PX4"), 1));
    EXPECT_TRUE(store.Flush());
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
}

TEST(OptionsSettings, PlacementsOfTheBankAndPatternsWindows) {
    RecordingSettingsStore store;
    Placement p = kBankPlacementDesign;
    EXPECT_FALSE(readPlacement(store, kBankPlacementNames, p));
    EXPECT_EQ(p.x, 104);
    EXPECT_EQ(p.y, 842);

    ASSERT_TRUE(writePlacement(store, kPatternsPlacementNames, {300, 400, true}));
    EXPECT_EQ(store.writes, (QStringList{"PX3", "PY3", "SHOW3"}));
    store.Remove("PY3");
    Placement q = kPatternsPlacementDesign;
    EXPECT_FALSE(readPlacement(store, kPatternsPlacementNames, q));
    EXPECT_EQ(q.x, 300);
    EXPECT_EQ(q.y, 842) << "the missing value ends the group";
    EXPECT_FALSE(q.shown);
    store.Set("PY3", 401);
    EXPECT_TRUE(readPlacement(store, kPatternsPlacementNames, q));
    EXPECT_EQ(q.y, 401);
    EXPECT_TRUE(q.shown);
}
