#include "alsa_midi_driver.h"
#include "loopback_midi_driver.h"
#include "midi_driver_factory.h"
#include "sq_midi_in.h"
#include "sq_midi_out.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

using namespace vk350;

// Whatever hardware is present, an index past the list fails cleanly with a result code; on a
// machine without MIDI interfaces the lists are empty and the ports fail to open the same way.
TEST(AlsaMidiDriver, MissingDevicesFailCleanly) {
    AlsaMidiDriver driver;
    const int inputs = driver.inputCount();
    const int outputs = driver.outputCount();
    ASSERT_GE(inputs, 0);
    ASSERT_GE(outputs, 0);
    EXPECT_EQ(driver.inputName(inputs), "");
    EXPECT_EQ(driver.outputName(-1), "");

    std::unique_ptr<MidiInputPort> in;
    EXPECT_EQ(driver.openInput(inputs, {}, in), kMidiBadDeviceId);
    EXPECT_EQ(in, nullptr);
    std::unique_ptr<MidiOutputPort> out;
    EXPECT_EQ(driver.openOutput(outputs, out), kMidiBadDeviceId);
    EXPECT_EQ(out, nullptr);

    if (inputs > 0 || outputs > 0)
        GTEST_SKIP() << "MIDI hardware present; the no-device path was checked by index only";
    TsqMidiIn min(driver);
    TsqMidiOut mout(driver);
    EXPECT_EQ(min.NumDevs(), 0);
    EXPECT_EQ(mout.NumDevs(), 0);
    min.SetUsing(true);
    mout.SetUsing(true);
    EXPECT_EQ(min.OpenResult(), kMidiBadDeviceId);
    EXPECT_EQ(mout.OpenResult(), kMidiBadDeviceId);
    const uint8_t m[] = {0xF0, 0x01, 0xF7};
    mout.SysEx(m, 3); // returns at once: there is no device to wait for
    mout.ProgramChange(0, 1);
    min.SetUsing(false);
    mout.SetUsing(false);
    EXPECT_EQ(min.CloseResult(), kMidiInvalidHandle);
    EXPECT_EQ(mout.CloseResult(), kMidiInvalidHandle);
}

TEST(AlsaMidiDriver, ErrorsMapToResultCodes) {
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-ENOENT), kMidiBadDeviceId);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-ENODEV), kMidiBadDeviceId);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-EBUSY), kMidiAllocated);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-ENOMEM), kMidiNoMemory);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-EIO), kMidiError);
}

TEST(MidiDriverFactory, ChoosesByNameAndEnvironment) {
    EXPECT_EQ(createMidiDriver("alsa")->name(), "alsa");
    EXPECT_EQ(createMidiDriver("loopback")->name(), "loopback");
    EXPECT_EQ(createMidiDriver("jack"), nullptr);
    EXPECT_EQ(createMidiDriver(""), nullptr);
    for (const std::string& name : midiDriverNames())
        EXPECT_NE(createMidiDriver(name), nullptr) << name;

    const char* saved = std::getenv("VK350_MIDI_DRIVER");
    const std::string savedValue = saved ? saved : "";
    unsetenv("VK350_MIDI_DRIVER");
    EXPECT_EQ(midiDriverNameFromEnvironment(), "alsa");
    setenv("VK350_MIDI_DRIVER", "", 1);
    EXPECT_EQ(midiDriverNameFromEnvironment(), "alsa");
    setenv("VK350_MIDI_DRIVER", "loopback", 1);
    EXPECT_EQ(midiDriverNameFromEnvironment(), "loopback");
    if (saved)
        setenv("VK350_MIDI_DRIVER", savedValue.c_str(), 1);
    else
        unsetenv("VK350_MIDI_DRIVER");
}
