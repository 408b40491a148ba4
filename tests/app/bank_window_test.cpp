// The sample bank window: loading and saving slots, deleting, sending over the cable and back,
// the hand-over to the main window and playback, and its settings with the main window's closing.
#include "bank_fixture.h"

#include "bank_location.h"
#include "options_settings.h"
#include "potlab.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QToolBar>

using namespace vk350;

namespace {

QAction* Item(QMenu* menu, const QString& caption) {
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

} // namespace

// A right click on any caption of a slot opens that slot's menu, whose items act on it alone.
TEST_F(BankTest, SlotMenusLoadOneAndDeleteActOnTheirOwnSlot) {
    Open();
    for (int s = 0; s < 10; ++s)
        Fill(s, Ramp(3000, s));
    const auto openMenu = [&](int slot, QLabel* caption) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), caption->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(caption, &event);
        EXPECT_TRUE(bank->SlotMenus[size_t(slot)]->isVisible());
        bank->SlotMenus[size_t(slot)]->hide();
        return bank->SlotMenus[size_t(slot)];
    };

    struct Case {
        QString file;
        int size; // -1: no file
        QString sizeCaption;
    };
    const Case cases[] = {{"cp.bin", 8192, "8K"}, {"short.raw", 1000, "0K"}, {"empty.bin", 0, ""},
                          {"missing.bin", -1, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QString path = c.size >= 0 ? WriteFile(c.file, Ramp(size_t(c.size), 7)) : dir.filePath(c.file);
        const Bytes before = SlotBytes(8);
        const QString name = bank->SlotName(8);
        const QString size = bank->SlotSize(8);
        dialogs.messages.clear();
        dialogs.Answer(path, 1);
        Item(openMenu(8, bank->SlotNames[8]), "Load")->trigger();
        EXPECT_EQ(dialogs.openRequests.back().title, QStringLiteral(" Load One Sample"));
        if (c.size > 0) {
            EXPECT_EQ(SlotBytes(8), Ramp(size_t(c.size), 7));
            EXPECT_EQ(bank->SlotName(8), c.file);
            EXPECT_EQ(bank->SlotSize(8), c.sizeCaption);
            EXPECT_EQ(bank->SlotEdit(8).Zoom(), c.size / (bank->SlotEdit(8).width() - 1) + 1);
            EXPECT_TRUE(dialogs.messages.empty());
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Read File Error - Abort Loading"));
            EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("File Error"));
            EXPECT_EQ(SlotBytes(8), before);
            EXPECT_EQ(bank->SlotName(8), name);
            EXPECT_EQ(bank->SlotSize(8), size);
        }
    }

    // Delete from P1's short-name caption: P1 alone becomes silent, keeping its length.
    Item(openMenu(9, bank->SlotShortNames[9]), "Delete")->trigger();
    EXPECT_EQ(SlotBytes(9), Bytes(3000, 0));
    EXPECT_EQ(bank->SlotName(9), QStringLiteral("empty"));
    EXPECT_EQ(bank->SlotSize(9), QStringLiteral("0"));
    EXPECT_EQ(SlotBytes(7), Ramp(3000, 7));
    // New deletes every slot.
    bank->btnClearAll->trigger();
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(bank->SlotName(s), QStringLiteral("empty"));
    EXPECT_EQ(SlotBytes(0), Bytes(3000, 0));
}

// The chosen name is a pattern: plain files only, in name order whatever the letter case, ten at
// most; a file that fails keeps its slot and the next file takes the next slot.
TEST_F(BankTest, LoadAllFillsTheSlotsInNameOrder) {
    struct Case {
        int files;
        int emptyFile; // index of a file with no bytes, or -1
    };
    for (const Case c : {Case{12, -1}, Case{3, 1}}) {
        SCOPED_TRACE(c.files);
        Open();
        for (int s = 0; s < 10; ++s) {
            Fill(s, Ramp(500, 90 + s));
            bank->SetSlotName(s, QStringLiteral("old"));
        }
        const QString folder = QStringLiteral("kit%1").arg(c.files);
        ASSERT_TRUE(QDir(dir.path()).mkpath(folder + "/s04a.bin")); // a folder that matches
        QStringList names;
        for (int i = 0; i < c.files; ++i) {
            // One name in capitals: the order ignores letter case.
            const QString name = QString::fromLatin1(i == 3 ? "S%1.bin" : "s%1.bin").arg(i, 2, 10, QLatin1Char('0'));
            WriteFile(folder + "/" + name, i == c.emptyFile ? Bytes{} : Ramp(size_t(2048 + i * 1024), i));
            names << name;
        }
        WriteFile(folder + "/other.bin", Ramp(100));
        dialogs.messages.clear();
        dialogs.Answer(dir.filePath(folder + "/s*.bin"), 2);
        bank->mnuLoad->trigger();
        const FileDialogRequest& request = dialogs.openRequests.back();
        EXPECT_EQ(request.title, QStringLiteral(" Load All Samples"));
        EXPECT_EQ(request.fileName, QStringLiteral("*.*"));
        EXPECT_EQ(request.filterIndex, 2);
        EXPECT_TRUE(request.acceptAnyName);
        for (int s = 0; s < 10; ++s) {
            SCOPED_TRACE(s);
            if (s < c.files && s != c.emptyFile) {
                EXPECT_EQ(SlotBytes(s), Ramp(size_t(2048 + s * 1024), s));
                EXPECT_EQ(bank->SlotName(s), names[s]);
                EXPECT_EQ(bank->SlotSize(s), QStringLiteral("%1K").arg(s + 3)) << "length / 1024 + 1";
            } else {
                EXPECT_EQ(SlotBytes(s), Ramp(500, 90 + s));
                EXPECT_EQ(bank->SlotName(s), QStringLiteral("old"));
            }
        }
        EXPECT_EQ(dialogs.messages.size(), c.emptyFile >= 0 ? 1u : 0u);
        Close();
    }
}

TEST_F(BankTest, SaveOneAddsBinOnlyToANameWithoutExtension) {
    Open();
    bank->SetSlotName(1, QStringLiteral("snare.bin"));
    struct Case {
        QString answer;
        QString written;
    };
    const Case cases[] = {{"snare", "snare.bin"}, {"snare.raw", "snare.raw"}, {"Snare.BIN", "Snare.BIN"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        Fill(1, Ramp(5000, int(c.answer.size())));
        dialogs.Answer(dir.filePath(c.answer), 1);
        Item(bank->SlotMenus[1], "Save")->trigger();
        EXPECT_EQ(ReadFile(dir.filePath(c.written)), Ramp(5000, int(c.answer.size())));
        EXPECT_EQ(bank->SlotName(1), c.written);
    }
    EXPECT_EQ(dialogs.saveRequests[0].title, QStringLiteral("Save One Sample"));
    EXPECT_EQ(dialogs.saveRequests[0].fileName, QStringLiteral("snare.bin"));
    EXPECT_TRUE(dialogs.messages.empty());

    // A folder that does not exist: the box, and the caption stays.
    dialogs.Answer(dir.filePath("none/snare"), 1);
    Item(bank->SlotMenus[1], "Save")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Write File Error - Abort Saving"));
    EXPECT_EQ(bank->SlotName(1), QStringLiteral("Snare.BIN"));

    // An empty slot has nothing to save: no dialog.
    const size_t asked = dialogs.saveRequests.size();
    Item(bank->SlotMenus[2], "Save")->trigger();
    EXPECT_EQ(dialogs.saveRequests.size(), asked);
}

TEST_F(BankTest, SaveAllWritesBaseUnderscoreSlotBinAndStopsAtTheFirstFailure) {
    Open();
    for (int s = 0; s < 10; ++s)
        if (s != 4)
            Fill(s, Ramp(1000 + size_t(s), s));
    for (const QString& answer : {QStringLiteral("F/kit.bin"), QStringLiteral("G/kit")}) {
        SCOPED_TRACE(answer.toStdString());
        const QString folder = dir.filePath(answer.left(1));
        ASSERT_TRUE(QDir().mkpath(folder));
        dialogs.Answer(dir.filePath(answer), 1);
        bank->btnSaveAll->trigger();
        EXPECT_EQ(dialogs.saveRequests.back().title, QStringLiteral("Save All Samples"));
        for (int s = 0; s < 10; ++s) {
            const QString name = QStringLiteral("kit_%1.bin").arg(s);
            if (s == 4) {
                EXPECT_FALSE(QFile::exists(folder + "/" + name)) << "an empty slot writes no file";
                continue;
            }
            EXPECT_EQ(ReadFile(folder + "/" + name), Ramp(1000 + size_t(s), s));
            EXPECT_EQ(bank->SlotName(s), name);
        }
    }
    EXPECT_EQ(QDir(dir.filePath("F")).entryList(QDir::Files).size(), 9);

    // kit_2.bin cannot be written (a folder has its name): slots 0 and 1 are saved, no later one.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("H/kit_2.bin")));
    dialogs.Answer(dir.filePath("H/kit"), 1);
    bank->mnuSave->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Write File Error - Abort Saving"));
    EXPECT_TRUE(QFile::exists(dir.filePath("H/kit_1.bin")));
    EXPECT_FALSE(QFile::exists(dir.filePath("H/kit_3.bin")));
}

// File > Send to MIDI sends slot 0 alone, in the machine's form; the slot keeps its bytes, with a
// tail the fitting added left zero. A send that cannot go out leaves the slot as it was.
TEST_F(BankTest, SendToMidiSendsSlotZeroAloneAndAFailedSendChangesNothing) {
    Open();
    for (int s = 0; s < 10; ++s)
        Fill(s, Ramp(9000, s));
    bank->SlotEdit(0).SetSampleLen(5000); // bytes past the length are not the sample's
    bank->mnuSendToMidi->trigger();
    Bytes fitted = Ramp(5000, 0);
    fitted.resize(8192, 0);
    EXPECT_EQ(driver.backlog(0), Dump(0, fitted));
    EXPECT_EQ(SlotBytes(0), fitted);
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("Adjust Size  #0 Add 3192 bytes"));
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("Send Instr #0 Msg Size =9376  - Checksum =")));
    EXPECT_EQ(log[2], QStringLiteral("Transfert ok"));

    options->sqMidiOut1->SetUsing(false);
    options->Memo1->Clear();
    bank->SlotEdit(3).SetSampleLen(4000);
    Item(bank->SlotMenus[3], "Send to Midi")->trigger();
    EXPECT_EQ(bank->SlotEdit(3).GetSampleLen(), 4000);
    TsqSampleEdit& hh = bank->SlotEdit(3);
    EXPECT_EQ(Bytes(hh.GetData(), hh.GetData() + 9000), Ramp(9000, 3)) << "the tail past the length too";
    EXPECT_TRUE(Log().back().startsWith(QStringLiteral("Erreur transfert MIDI OUT - code ")));
}

// The whole bank goes out with its pauses and comes back over the cable into the same slots.
TEST_F(BankTest, AWholeBankComesBackIntoTheSameSlotsByteForByte) {
    Open();
    bank->SendPauseMs = 300;
    std::vector<Bytes> expected;
    size_t wire = 0;
    for (int s = 0; s < 10; ++s) {
        const size_t size = kBankLocations[size_t(s)].size();
        Fill(s, Ramp(s % 2 ? size : size - 700, s)); // some lengthened by the fitting
        bank->SetSlotName(s, QStringLiteral("mine"));
        Bytes fitted = SlotBytes(s);
        fitted.resize(std::min<size_t>(size, kMaxDumpSamples), 0);
        wire += sampleDumpSize(fitted.size());
        expected.push_back(fitted);
    }
    bank->btnSendAll->trigger();
    Deliver();
    EXPECT_EQ(driver.backlog(0).size(), wire);
    EXPECT_EQ(wire, 182700u);
    for (int s = 0; s < 10; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(SlotBytes(s), expected[size_t(s)]);
        EXPECT_EQ(bank->SlotName(s), QStringLiteral("New Sound"));
    }
    EXPECT_EQ(Log().filter(QStringLiteral("Transfert ok")).size(), 10);
    EXPECT_EQ(Log().filter(QStringLiteral(">RX Instr #")).size(), 10);
}

// A click on a slot's caption makes it the main window's sample; a click on its waveform asks for
// playback of that slot, and nothing happens while nobody plays.
TEST_F(BankTest, CaptionClickCopiesToTheMainWindowAndWaveformClickPlays) {
    Open();
    for (int slot : {0, 8}) {
        SCOPED_TRACE(slot);
        Fill(slot, Ramp(6000 + size_t(slot), slot));
        bank->SetSlotName(slot, QStringLiteral("clap.bin"));
        QLabel* caption = slot ? bank->SlotSizes[size_t(slot)] : bank->SlotNames[size_t(slot)];
        QTest::mouseClick(caption, Qt::LeftButton);
        TsqSampleEdit& e = *main->sqSampleEdit1;
        EXPECT_EQ(Bytes(e.GetData(), e.GetData() + e.GetSampleLen()), Ramp(6000 + size_t(slot), slot));
        EXPECT_EQ(main->Label12->text(), QStringLiteral("clap.bin"));
        EXPECT_EQ(main->ComboBox1->currentIndex(), slot + 1);
        EXPECT_TRUE(TForm1::ItemEnabled(main->btnPlay));
        EXPECT_TRUE(TForm1::ItemEnabled(main->mnuSaveAsWave));
    }
    QTest::mouseClick(bank->SlotEdits[5], Qt::LeftButton); // nobody plays
    EXPECT_EQ(main->ComboBox1->currentIndex(), 9);
    std::vector<int> played;
    bank->OnPlaySlot = [&](int slot) { played.push_back(slot); };
    QTest::mouseClick(bank->SlotEdits[5], Qt::LeftButton);
    QTest::mouseClick(bank->SlotEdits[9], Qt::LeftButton);
    EXPECT_EQ(played, (std::vector<int>{5, 9}));
}

// Reverse and Unsigned act on every slot; Buttons bar shows the tool bar exactly when checked.
TEST_F(BankTest, EditionCommandsCoverEverySlot) {
    Open();
    const Bytes ramp = Ramp(300);
    Bytes reversed(ramp.rbegin(), ramp.rend());
    Bytes flipped = reversed;
    convertSign(flipped);
    for (int s = 0; s < 10; ++s)
        Fill(s, ramp);
    bank->mnuReverse->trigger();
    EXPECT_EQ(SlotBytes(0), reversed);
    bank->btnUnsigned->trigger();
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(SlotBytes(s), flipped);
    bank->show();
    for (bool checked : {false, true}) {
        bank->mnuButtonsBar->trigger();
        EXPECT_EQ(bank->mnuButtonsBar->isChecked(), checked);
        EXPECT_EQ(bank->ToolBar1->isVisible(), checked);
    }
}

// The main window's commands on a bank location, through the bank window.
TEST_F(BankTest, MainWindowCopiesIntoTheBankAndAFailedSendRestoresItsSample) {
    Open();
    TsqSampleEdit& e = *main->sqSampleEdit1;
    const Bytes ramp = Ramp(10000);
    e.Sample().LoadFromBuffer(ramp.data(), 10000);
    e.SetSampleLen(10000);
    main->Label12->setText(QStringLiteral("kick.bin"));
    main->ComboBox1->setCurrentIndex(1); // BD
    main->btnCopyToBank->trigger();
    EXPECT_EQ(e.GetSampleLen(), 8192);
    EXPECT_EQ(SlotBytes(0), Bytes(ramp.begin(), ramp.begin() + 8192));
    EXPECT_EQ(bank->SlotSize(0), QStringLiteral("8K"));
    EXPECT_EQ(bank->SlotName(0), QStringLiteral("kick.bin"));

    // Exact size: the same bytes after the send.
    main->mnuSendToMidi->trigger();
    EXPECT_EQ(Bytes(e.GetData(), e.GetData() + e.GetSampleLen()), SlotBytes(0));
    EXPECT_EQ(driver.backlog(0), Dump(0, SlotBytes(0)));

    // No output port: length and the bytes past it stay as they were.
    options->sqMidiOut1->SetUsing(false);
    e.SetSampleLen(3000);
    main->ComboBox1->setCurrentIndex(2); // SD, 16 K
    main->mnuSendToMidi->trigger();
    EXPECT_EQ(e.GetSampleLen(), 3000);
    EXPECT_EQ(Bytes(e.GetData(), e.GetData() + 10000), ramp);
}

// Closing the main window: bank, main, patterns and options settings in that order, then the
// ports, then the wave output. The bank and patterns windows come back where they were.
TEST_F(BankTest, ClosingStoresEveryWindowInOrderAndTheWindowsComeBackAsLeft) {
    Open();
    main->mnuSampleBank->trigger();
    EXPECT_TRUE(bank->isVisible());
    bank->move(150, 120);
    int writesAtWaveClose = -1;
    main->OnCloseWaveOut = [&] {
        writesAtWaveClose = int(store.writes.size());
        EXPECT_FALSE(options->sqMidiOut1->Using()) << "the ports close before the wave output";
    };
    store.writes.clear();
    main->close();
    QStringList expected = {"PX2", "PY2", "SHOW2", "PX1", "PY1", "PW1", "PH1", "PX3", "PY3", "SHOW3"};
    expected += OptionsWriteOrder();
    EXPECT_EQ(store.writes, expected);
    EXPECT_EQ(writesAtWaveClose, int(expected.size()));
    EXPECT_FALSE(bank->isVisible());

    Close();
    Open();
    EXPECT_TRUE(bank->isVisible());
    EXPECT_EQ(bank->pos(), QPoint(150, 120));
    EXPECT_FALSE(patterns->isVisible());
    main->mnuPatterns->trigger();
    EXPECT_TRUE(patterns->isVisible());
}

TEST_F(BankTest, AWindowStoredOffEveryScreenComesBackOnOne) {
    QSettings settings(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
    for (const char* prefix : {"2", "3"}) {
        settings.setValue(QStringLiteral("PX") + prefix, -4000);
        settings.setValue(QStringLiteral("PY") + prefix, 30000);
        settings.setValue(QStringLiteral("SHOW") + prefix, 1);
    }
    settings.sync();
    Open();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (QWidget* w : {static_cast<QWidget*>(bank.get()), static_cast<QWidget*>(patterns.get())}) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(area.contains(w->frameGeometry().topLeft())) << w->x() << "," << w->y();
    }
}
