// Extension handling of the save commands, and the Qt form of the dialogs' filters.
#include "file_names.h"
#include "qt_dialogs.h"

#include <gtest/gtest.h>

using namespace vk350;

TEST(FileNames, ForceExtension) {
    EXPECT_EQ(ForceExtension("kick", ".bin"), "kick.bin");
    EXPECT_EQ(ForceExtension("kick.txt", ".bin"), "kick.bin");
    EXPECT_EQ(ForceExtension("kick.bin", ".wav"), "kick.wav");
    EXPECT_EQ(ForceExtension("kick.BIN", ".bin"), "kick.BIN") << "letter case is ignored";
    EXPECT_EQ(ForceExtension("kick.", ".bin"), "kick.bin");
    EXPECT_EQ(ForceExtension("/tmp/my.samples/kick", ".bin"), "/tmp/my.samples/kick.bin")
        << "a dot in a folder name is not an extension";
    EXPECT_EQ(ForceExtension("/tmp/a.b/kick.old.raw", ".bin"), "/tmp/a.b/kick.old.bin");
}

TEST(FileNames, ExtensionAndFolder) {
    EXPECT_EQ(extensionOf("/x/sample.WAV"), "WAV");
    EXPECT_EQ(extensionOf("/x.y/sample"), "");
    EXPECT_EQ(fileNameWithoutFolder("/tmp/a/kick.bin"), "kick.bin");
    EXPECT_EQ(fileNameWithoutFolder("kick.bin"), "kick.bin");
}

TEST(FileNames, DialogFiltersInQtForm) {
    const QStringList filters = QtDialogs::NameFilters(
        "Binary Files (bin, raw, ovl) |*.bin;*.raw;*.ovl|Wave Files (wav)|*.wav|All Files ( *.*)|*.*");
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], "Binary Files (bin, raw, ovl) (*.bin *.raw *.ovl)");
    EXPECT_EQ(filters[1], "Wave Files (wav) (*.wav)");
    EXPECT_EQ(filters[2], "All Files ( *.*) (*)") << "all files, also those without a dot";
    // The dialog lists and reports the descriptions alone; they must lead back to their filters.
    EXPECT_EQ(QtDialogs::FilterDescription(filters[0]), "Binary Files (bin, raw, ovl)");
    EXPECT_EQ(QtDialogs::FilterDescription(filters[2]), "All Files ( *.*)");
}
