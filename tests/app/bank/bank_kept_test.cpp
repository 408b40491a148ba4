// The bank's slots and the patterns window's dump kept between runs, and the slots' undo steps.
#include "bank_fixture.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <functional>

namespace vk350 {

namespace {

QStringList warnings;

void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtWarningMsg)
        warnings << text;
}

class KeptTest : public BankTest {
protected:
    QString Folder() const { return dir.filePath(QStringLiteral("data")); }

    void OpenKept() {
        Open();
        warnings.clear();
        previous = qInstallMessageHandler(CollectWarnings);
        bank->KeepIn(Folder());
        patterns->KeepIn(Folder());
        qInstallMessageHandler(previous);
    }

    // What a slot shows: its bytes and both captions.
    struct Shown {
        Bytes bytes;
        QString name;
        QString size;
        bool operator==(const Shown&) const = default;
    };
    Shown SlotShown(int s) { return {SlotBytes(s), bank->SlotName(s), bank->SlotSize(s)}; }

    // A slot filled as a received dump fills it: the bytes, then the captions.
    void Receive(int s, const Bytes& bytes, const QString& name) {
        Fill(s, bytes);
        bank->SetSlotName(s, name);
        bank->SetSlotSize(s, QString::number(bytes.size() / 1024) + QStringLiteral("K"));
    }

    // A command of a slot's caption menu.
    QAction* SlotCommand(int s, const QString& text) {
        for (QAction* a : BankPart<QMenu>("slotMenus", s)->actions())
            if (a->text() == text)
                return a;
        ADD_FAILURE() << "no " << text.toStdString();
        return new QAction(bank.get());
    }

    QtMessageHandler previous = nullptr;
};

} // namespace

// A kit received, then the program closed and started again: every slot, caption and the
// pattern dump come back byte for byte. A change also reaches the store without a close once it
// settles.
TEST_F(KeptTest, ARestartRestoresTheBankAndThePatternDump) {
    OpenKept();
    std::vector<Shown> before;
    for (int s = 0; s < 10; ++s) {
        Receive(s, Ramp(1000 + size_t(s) * 937, s), QStringLiteral("Kit %1").arg(s));
        before.push_back(SlotShown(s));
    }
    const Bytes pattern = {0xF0, 0x41, 0x10, 0x20, 0x30, 0xF7};
    patterns->ReceivePatternDump(pattern.data(), int(pattern.size()), QStringLiteral("Pattern dump"));
    const QString kept = QDir(Folder()).filePath(QStringLiteral("bank.kept"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(kept); }, 5000)) << "written once settled";
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(QDir(Folder()).filePath("patterns.syx")); }, 5000));

    // A last change, then the closing sequence writes it at once.
    Receive(4, Ramp(3000, 44), QStringLiteral("Late"));
    before[4] = SlotShown(4);
    QCloseEvent event;
    QApplication::sendEvent(main.get(), &event);
    Close();

    OpenKept();
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(SlotShown(s), before[size_t(s)]) << s;
    EXPECT_EQ(Bytes(patterns->Buffer(), patterns->Buffer() + patterns->HeldLength()), pattern);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_FALSE(BankPart<QAction>("undoItem")->isEnabled()) << "the restored bank is where the steps start";
}

// A damaged store gives back what it still holds, says so in one line, and the start goes on.
TEST_F(KeptTest, ADamagedStoreIsRestoredAsFarAsItReads) {
    OpenKept();
    std::vector<Shown> good, fresh;
    for (int s = 0; s < 10; ++s)
        fresh.push_back(SlotShown(s));
    for (int s = 0; s < 10; ++s) {
        Receive(s, Ramp(2000, s), QStringLiteral("S%1").arg(s));
        good.push_back(SlotShown(s));
    }
    ASSERT_TRUE(bank->SaveKept());
    Close();
    const QString kept = QDir(Folder()).filePath(QStringLiteral("bank.kept"));
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    // Each record: slot, name, size, bytes, sum.
    const qsizetype record = whole.size() / 10;

    struct Case {
        const char* what;
        std::function<QByteArray()> damage;
        std::vector<bool> restored; // per slot
        bool logged;
    };
    const std::vector<bool> all(10, true), none(10, false);
    const Case cases[] = {
        {"whole", [&] { return whole; }, all, false},
        {"cut inside slot 6",
         [&] { return whole.left(whole.size() - 3 * record - record / 2); },
         {true, true, true, true, true, true, false, false, false, false},
         true},
        {"a byte of slot 3 changed",
         [&] {
             QByteArray d = whole;
             d[whole.size() - 6 * record - record / 2] =
                 char(d[whole.size() - 6 * record - record / 2] ^ 0x5A);
             return d;
         },
         {true, true, true, false, true, true, true, true, true, true},
         true},
        {"not a store", [&] { return QByteArray("garbage that is not a kept bank"); }, none, true},
        {"empty", [&] { return QByteArray(); }, none, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.damage());
        file.close();
        OpenKept();
        for (int s = 0; s < 10; ++s)
            EXPECT_EQ(SlotShown(s), c.restored[size_t(s)] ? good[size_t(s)] : fresh[size_t(s)]) << s;
        EXPECT_EQ(warnings.size(), c.logged ? 1 : 0) << warnings.join(QLatin1Char('\n')).toStdString();
        Close();
    }

    // A pattern dump cut short is restored as far as it goes, with its line.
    QFile syx(QDir(Folder()).filePath(QStringLiteral("patterns.syx")));
    ASSERT_TRUE(syx.open(QIODevice::WriteOnly));
    syx.write("\xF0\x41\x10\x22", 4);
    syx.close();
    OpenKept();
    EXPECT_EQ(patterns->HeldLength(), 4);
    EXPECT_EQ(warnings.size(), 1);
}

// One command is one step over every slot it changed, captions included; a received fill is one
// step; undo and redo walk them back and forth.
TEST_F(KeptTest, SlotStepsUndoAndRedoWithTheirCaptions) {
    Open();
    QAction* undoItem = BankPart<QAction>("undoItem");
    QAction* redoItem = BankPart<QAction>("redoItem");
    EXPECT_FALSE(undoItem->isEnabled());
    std::vector<std::vector<Shown>> states(1);
    auto snapshot = [&] {
        std::vector<Shown> v;
        for (int s = 0; s < 10; ++s)
            v.push_back(SlotShown(s));
        return v;
    };
    states[0] = snapshot();

    Receive(2, Ramp(5000, 2), QStringLiteral("Snare"));
    QApplication::processEvents();
    EXPECT_EQ(undoItem->text(), "Undo Slot Change");
    states.push_back(snapshot());

    dialogs.Answer(WriteFile(QStringLiteral("tom.bin"), Ramp(7000, 6)), 1);
    SlotCommand(6, "Load")->trigger();
    EXPECT_EQ(undoItem->text(), "Undo Load");
    states.push_back(snapshot());

    BankPart<QAction>("reverseItem")->trigger();
    states.push_back(snapshot());
    SlotCommand(2, "Delete")->trigger();
    EXPECT_EQ(undoItem->text(), "Undo Delete");
    states.push_back(snapshot());

    for (size_t i = states.size() - 1; i > 0; --i) {
        undoItem->trigger();
        ASSERT_EQ(snapshot(), states[i - 1]) << "undoing step " << i;
    }
    EXPECT_FALSE(undoItem->isEnabled());
    for (size_t i = 1; i < states.size(); ++i) {
        redoItem->trigger();
        ASSERT_EQ(snapshot(), states[i]) << "redoing step " << i;
    }
    EXPECT_FALSE(redoItem->isEnabled());

    // The title is marked while a slot holds what no file holds: the received slot 2 until it is
    // saved (the tom was loaded, and both were then changed by Reverse).
    EXPECT_TRUE(bank->isWindowModified());
    dialogs.Answer(dir.filePath(QStringLiteral("all")), 1);
    BankPart<QAction>("saveItem")->trigger();
    EXPECT_FALSE(bank->isWindowModified());
    EXPECT_EQ(undoItem->text(), "Undo Delete") << "a save is no step";
    undoItem->trigger();
    EXPECT_TRUE(bank->isWindowModified());
    EXPECT_EQ(redoItem->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                          QKeySequence(Qt::CTRL | Qt::Key_Y)}));
}

} // namespace vk350
