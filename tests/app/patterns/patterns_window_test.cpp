// The patterns window: loading, saving and sending the held dump, New, and dumps received over
// the cable.
#include "bank_fixture.h"

#include "log_memo.h"

#include <QAction>
#include <QDir>
#include <algorithm>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

// A pattern message of n bytes in all: the VK350 header, the command, data below 0x80, the end.
Bytes Pattern(size_t n, uint8_t command = 0x02, uint8_t seed = 0) {
    Bytes m(n);
    for (size_t i = 0; i < n; ++i)
        m[i] = uint8_t((i * 3 + seed) & 0x7F);
    m[0] = 0xF0;
    m[1] = 0x2A;
    m[2] = 0x03;
    m[3] = 0x01;
    m[4] = command;
    m[n - 1] = 0xF7;
    return m;
}

} // namespace

class PatternsTest : public BankTest {
protected:
    Bytes Held() const { return Bytes(patterns->Buffer(), patterns->Buffer() + patterns->HeldLength()); }
    template <class T> T* PatternsPart(const char* name) const { return findPart<T>(*patterns, name); }
    QStringList PatternLog() const { return PatternsPart<LogMemo>("logMemo")->Lines(); }
};

// At most 65536 bytes are held; an empty file changes nothing, one that cannot be read says so.
TEST_F(PatternsTest, LoadHoldsTheFileUpToTheBufferSize) {
    Open();
    EXPECT_EQ(PatternLog(), QStringList{"..."});
    struct Case {
        QString file;
        int size; // -1: no such file
        int held; // the held bytes: the first of Pattern(heldFrom)
        size_t heldFrom;
    };
    const Case cases[] = {{"big.syx", 70000, 65536, 70000},
                          {"one.syx", 300, 300, 300},
                          {"empty.syx", 0, 300, 300},
                          {"no.syx", -1, 300, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (c.size >= 0)
            WriteFile(c.file, c.size > 0 ? Pattern(size_t(c.size)) : Bytes{});
        PatternsPart<LogMemo>("logMemo")->Clear();
        dialogs.Answer(dir.filePath(c.file), 1);
        PatternsPart<QAction>("loadSysexItem")->trigger();
        const Bytes source = Pattern(c.heldFrom);
        EXPECT_EQ(Held(), Bytes(source.begin(), source.begin() + c.held));
        EXPECT_EQ(PatternLog(), c.size > 0 ? QStringList{QStringLiteral("Load Sysex %1 Bytes").arg(c.held)}
                                           : QStringList{});
    }
    ASSERT_EQ(dialogs.messages.size(), 2u) << "for the cut file and the missing one";
    EXPECT_EQ(dialogs.messages[0].text, "Sysex File Too Long - Cut to 65536 of 70000 Bytes\n" +
                                            dir.filePath("big.syx") +
                                            ": the rest of the file was not loaded");
    EXPECT_EQ(dialogs.openRequests[0].title, QStringLiteral(" Load Sysex File"));
    EXPECT_EQ(dialogs.openRequests[0].filter, QStringLiteral("Sysex File|*.syx|All files (*.*)|*.*"));
}

// Every name ends in .syx; a save that fails says so and leaves the old file whole.
TEST_F(PatternsTest, SaveWritesTheHeldBytesUnderASyxName) {
    Open();
    const Bytes dump = Pattern(4000);
    patterns->ReceivePatternDump(dump.data(), int(dump.size()), QStringLiteral("in"));
    const std::pair<QString, QString> cases[] = {
        {"dump.txt", "dump.syx"}, {"dump2", "dump2.syx"}, {"dump3.SYX", "dump3.SYX"}};
    for (const auto& [answer, written] : cases) {
        dialogs.Answer(dir.filePath(answer), 1);
        PatternsPart<QAction>("saveAllButton")->trigger();
        EXPECT_EQ(ReadFile(written), dump) << answer.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("dump.txt")));
    EXPECT_TRUE(dialogs.messages.empty());

    const QString locked = WriteFile("locked.syx", {1, 2, 3});
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    for (const QString& answer : {dir.filePath("locked"), dir.filePath("none/dump")}) {
        dialogs.Answer(answer, 1);
        PatternsPart<QAction>("saveSysexItem")->trigger();
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& m : dialogs.messages)
        EXPECT_EQ(m.title, QStringLiteral("File Error"));
    EXPECT_EQ(dialogs.messages[0].text, "Write File Error - Abort Saving\nNo permission to write " + locked);
    EXPECT_EQ(dialogs.messages[1].text, "Write File Error - Abort Saving\n" + dir.filePath("none/dump.syx") +
                                            ": The folder " + dir.filePath("none") + " does not exist");
    EXPECT_EQ(ReadFile("locked.syx"), (Bytes{1, 2, 3}));
}

// The held bytes go out as they are; below three bytes nothing goes, but the line is logged.
// After New nothing is held, so nothing goes out; without an output the failure is logged.
TEST_F(PatternsTest, SendTransmitsTheHeldBytesAndNewLeavesNothingToSend) {
    Open();
    options->MidiIn().SetUsing(false); // the sent dump must not come back in
    for (int held : {0, 2, 3000}) {
        SCOPED_TRACE(held);
        const Bytes dump = Pattern(size_t(std::max(held, 5)));
        patterns->ReceivePatternDump(dump.data(), held, QStringLiteral("in"));
        PatternsPart<LogMemo>("logMemo")->Clear();
        driver.clearBacklog(0);
        PatternsPart<QAction>("sendToMidiButton")->trigger();
        EXPECT_EQ(driver.backlog(0), held >= 3 ? dump : Bytes{});
        EXPECT_EQ(PatternLog(), QStringList{QStringLiteral("Send Sysex %1 Bytes").arg(held)});
    }
    PatternsPart<QAction>("newItem")->trigger();
    EXPECT_EQ(patterns->HeldLength(), 0);
    EXPECT_EQ(PatternLog(), QStringList{});
    EXPECT_TRUE(std::all_of(patterns->Buffer(), patterns->Buffer() + PatternsWindow::kBufferSize,
                            [](uint8_t b) { return b == 0; }));
    driver.clearBacklog(0);
    PatternsPart<QAction>("sendToMidiItem")->trigger();
    EXPECT_TRUE(driver.backlog(0).empty());

    patterns->ReceivePatternDump(Pattern(100).data(), 100, QStringLiteral("in"));
    options->MidiOut().SetUsing(false);
    PatternsPart<QAction>("sendToMidiItem")->trigger();
    EXPECT_TRUE(PatternLog().back().startsWith(QStringLiteral("Erreur transfert MIDI OUT - code ")));
    EXPECT_EQ(Log().back(), PatternLog().back());
}

// A dump from the machine replaces a loaded one; one too long for the buffer is refused and the
// held dump stays.
TEST_F(PatternsTest, ReceivedDumpsReplaceTheHeldOneUnlessTooLong) {
    Open();
    dialogs.Answer(WriteFile("loaded.syx", Pattern(9000, 0x01)), 1);
    PatternsPart<QAction>("loadSysexItem")->trigger();
    const Bytes one = Pattern(700, 0x02, 5);
    for (const Bytes& m : {one, Pattern(70000, 0x01)}) {
        driver.inject(0, m);
        driver.waitUntilDelivered(0);
        QApplication::processEvents();
    }
    EXPECT_EQ(Held(), one);
    EXPECT_EQ(PatternLog().back(), QStringLiteral("> Syx ONEPAT recu 700"));
    EXPECT_EQ(Log()[0], QStringLiteral("> Syx ONEPAT recu 700"));
    EXPECT_TRUE(Log().back().startsWith(QStringLiteral("Probleme"))) << Log().back().toStdString();
    const Bytes huge = Pattern(65537);
    patterns->ReceivePatternDump(huge.data(), int(huge.size()), QStringLiteral("too long"));
    EXPECT_EQ(Held(), one);
}
