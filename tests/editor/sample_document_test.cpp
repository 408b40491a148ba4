#include "sample_document.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vk350;

namespace {

using Bytes = std::vector<std::uint8_t>;

SampleIdentity file(const std::string& name, SampleKind kind = SampleKind::Raw) {
    return {"/samples/" + name, kind, name};
}

void load(SampleDocument& d, const Bytes& bytes, const SampleIdentity& identity, bool complete = true) {
    d.Replace(bytes, "Load");
    d.Loaded(identity, complete);
}

Bytes bytesOf(const SampleDocument& d) {
    return {d.Bytes().begin(), d.Bytes().end()};
}

} // namespace

// Undo and redo across loads and saves bring back the bytes, the name, the kind and the saved
// mark that belonged together; an edit after an undo forgets the names of the steps it drops.
TEST(SampleDocument, UndoAndRedoCarryTheFileIdentityAndItsSavedMark) {
    SampleDocument d;
    EXPECT_EQ(d.Identity().kind, SampleKind::New);
    EXPECT_FALSE(d.IsModified());

    load(d, {1, 2, 3}, file("a.bin"));
    EXPECT_FALSE(d.IsModified());
    d.Buffer().GetData()[0] = 9;
    d.Record("Draw");
    EXPECT_TRUE(d.IsModified());
    load(d, {7, 7}, file("b.wav", SampleKind::Wave));
    EXPECT_EQ(d.Identity(), file("b.wav", SampleKind::Wave));
    EXPECT_FALSE(d.IsModified());

    struct Expect {
        bool undo;
        Bytes bytes;
        std::string name;
        bool modified;
    };
    const Expect steps[] = {
        {true, {9, 2, 3}, "a.bin", true}, // the edit of a.bin is still unsaved
        {true, {1, 2, 3}, "a.bin", false},  {true, {}, "", false},
        {false, {1, 2, 3}, "a.bin", false}, {false, {9, 2, 3}, "a.bin", true},
        {false, {7, 7}, "b.wav", false},
    };
    for (const Expect& s : steps) {
        ASSERT_TRUE(s.undo ? d.Undo() : d.Redo());
        EXPECT_EQ(bytesOf(d), s.bytes);
        EXPECT_EQ(d.Identity().name, s.name);
        EXPECT_EQ(d.IsModified(), s.modified);
    }

    // Back on a.bin, a save under another name renames that sample; b.wav's step is gone.
    d.Undo();
    d.Saved(file("c.wav", SampleKind::Wave));
    EXPECT_FALSE(d.IsModified());
    d.Buffer().GetData()[1] = 5;
    d.Record("Draw");
    EXPECT_FALSE(d.Redo());
    EXPECT_EQ(d.Identity().name, "c.wav");
    d.Undo();
    EXPECT_EQ(d.Identity().name, "c.wav");
    EXPECT_FALSE(d.IsModified());
}

// A file that was cut on load is not the file: it stays unsaved until it is written somewhere.
TEST(SampleDocument, ACutLoadIsUnsavedAndARebaseKeepsTheName) {
    SampleDocument d;
    load(d, Bytes(10, 1), file("long.bin"), false);
    EXPECT_TRUE(d.IsModified());
    EXPECT_EQ(d.Identity().name, "long.bin");
    d.Rebase();
    EXPECT_FALSE(d.IsModified());
    EXPECT_FALSE(d.Undo());
    EXPECT_EQ(d.Identity().name, "long.bin");
}

// Holds nest, name what holds the document, and are seen from every document while they last.
TEST(SampleDocument, HoldsNestAndAreSeenProgramWide) {
    SampleDocument main, slot;
    int told = 0;
    main.OnChanged = [&told] { ++told; };
    {
        SampleDocument::Hold outer(main, "converting kick.wav");
        EXPECT_TRUE(main.Busy());
        EXPECT_FALSE(slot.Busy());
        {
            SampleDocument::Hold inner(main, "sending to BD");
            EXPECT_EQ(main.BusyReason(), "sending to BD");
            EXPECT_EQ(SampleDocument::AnyBusyReason(), "sending to BD");
        }
        EXPECT_EQ(SampleDocument::AnyBusyReason(), "converting kick.wav");
    }
    EXPECT_FALSE(main.Busy());
    EXPECT_EQ(SampleDocument::AnyBusyReason(), "");
    EXPECT_EQ(told, 4);
}
