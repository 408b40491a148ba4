// The sample bank window: loading and saving slots, deleting, sending over the cable and back,
// the hand-over to the main window and playback, and its settings with the main window's closing.
#include "bank_fixture.h"

#include "about_window.h"
#include "bank_location.h"
#include "options_settings.h"
#include "options_write_order.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <limits>

using namespace vk350;

namespace {

// The slot's context menu, opened by a right click on caption; the item with that text.
QAction* SlotItem(BankWindow& bank, int slot, QLabel* caption, const QString& text) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), caption->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(caption, &event);
    QMenu* menu = findPart<QMenu>(bank, "slotMenus", slot);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

// Load one and Delete from the context menus of CP's and P1's captions act on that slot alone; a
// file that cannot be loaded leaves the slot and its captions as they were.
TEST_F(BankTest, SlotMenusActOnTheirOwnSlot) {
    Open();
    for (int s = 0; s < 10; ++s)
        Fill(s, Ramp(3000, s));
    dialogs.Answer(WriteFile("cp.bin", Ramp(8192, 7)), 1);
    SlotItem(*bank, 8, BankPart<QLabel>("slotNames", 8), "Load")->trigger();
    EXPECT_EQ(dialogs.openRequests.back().title, QStringLiteral(" Load One Sample"));
    EXPECT_EQ(SlotBytes(8), Ramp(8192, 7));
    EXPECT_EQ(bank->SlotName(8), QStringLiteral("cp.bin"));
    EXPECT_EQ(bank->SlotSize(8), QStringLiteral("8K"));
    EXPECT_EQ(SlotBytes(7), Ramp(3000, 7));

    for (const QString& bad : {WriteFile("empty.bin", {}), dir.filePath("missing.bin")}) {
        dialogs.Answer(bad, 1);
        SlotItem(*bank, 8, BankPart<QLabel>("slotSizes", 8), "Load")->trigger();
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Read File Error - Abort Loading\n" + dir.filePath("empty.bin") + ": The file is empty");
    EXPECT_EQ(dialogs.messages[1].text,
              "Read File Error - Abort Loading\nThe file " + dir.filePath("missing.bin") + " does not exist");
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("File Error"));
    EXPECT_EQ(SlotBytes(8), Ramp(8192, 7));
    EXPECT_EQ(bank->SlotName(8), QStringLiteral("cp.bin"));

    SlotItem(*bank, 9, BankPart<QLabel>("slotShortNames", 9), "Delete")->trigger();
    EXPECT_EQ(SlotBytes(9), Bytes(3000, 0)) << "silent, keeping its length";
    EXPECT_EQ(bank->SlotName(9), QStringLiteral("empty"));
    EXPECT_EQ(bank->SlotSize(9), QStringLiteral("0"));
    EXPECT_EQ(SlotBytes(7), Ramp(3000, 7));
    BankPart<QAction>("clearAllButton")->trigger();
    EXPECT_EQ(SlotBytes(0), Bytes(3000, 0));
    EXPECT_EQ(bank->SlotName(7), QStringLiteral("empty"));
}

// The chosen name is a pattern: plain files only, in name order whatever the letter case, ten at
// most; a file that fails keeps its slot and the next file takes the next slot.
TEST_F(BankTest, LoadAllFillsTheSlotsInNameOrder) {
    for (const int files : {12, 3}) {
        SCOPED_TRACE(files);
        Open();
        for (int s = 0; s < 10; ++s) {
            Fill(s, Ramp(500, 90 + s));
            bank->SetSlotName(s, QStringLiteral("old"));
        }
        const QString folder = QStringLiteral("kit%1/").arg(files);
        ASSERT_TRUE(QDir(dir.path()).mkpath(folder + "s04a.bin")); // a folder that matches
        const int empty = files == 3 ? 1 : -1;
        for (int i = 0; i < files; ++i)
            WriteFile(folder +
                          QString::fromLatin1(i == 3 ? "S%1.bin" : "s%1.bin").arg(i, 2, 10, QLatin1Char('0')),
                      i == empty ? Bytes{} : Ramp(size_t(2048 + i * 1024), i));
        WriteFile(folder + "other.bin", Ramp(100));
        dialogs.messages.clear();
        dialogs.Answer(dir.filePath(folder + "s*.bin"), 2);
        BankPart<QAction>("loadItem")->trigger();
        const FileDialogRequest& request = dialogs.openRequests.back();
        EXPECT_EQ(request.title, QStringLiteral(" Load All Samples"));
        EXPECT_EQ(request.fileName, QStringLiteral("*.*"));
        EXPECT_EQ(request.filterIndex, 2);
        EXPECT_TRUE(request.acceptAnyName);
        EXPECT_FALSE(request.chooseFolder) << "a file dialog, in which a typed pattern is taken";
        for (int s = 0; s < 10; ++s) {
            SCOPED_TRACE(s);
            if (s < files && s != empty) {
                EXPECT_EQ(SlotBytes(s), Ramp(size_t(2048 + s * 1024), s));
                EXPECT_EQ(bank->SlotName(s).toLower(),
                          QStringLiteral("s%1.bin").arg(s, 2, 10, QLatin1Char('0')));
                EXPECT_EQ(bank->SlotSize(s), QStringLiteral("%1K").arg(s + 3)) << "length / 1024 + 1";
            } else {
                EXPECT_EQ(SlotBytes(s), Ramp(500, 90 + s));
                EXPECT_EQ(bank->SlotName(s), QStringLiteral("old"));
            }
        }
        EXPECT_EQ(dialogs.messages.size(), empty >= 0 ? 1u : 0u);
        Close();
    }
}

// Save one adds ".bin" only to a name without extension; Save all writes base_n.bin beside the
// chosen name, skips empty slots and stops at the first failure. Failures show the box.
TEST_F(BankTest, SavesNameTheirFiles) {
    Open();
    for (int s = 0; s < 10; ++s)
        if (s != 4)
            Fill(s, Ramp(1000 + size_t(s), s));
    bank->SetSlotName(1, QStringLiteral("snare.bin"));
    const std::pair<QString, QString> saveOne[] = {{"snare", "snare.bin"}, {"snare.raw", "snare.raw"}};
    for (const auto& [answer, written] : saveOne) {
        dialogs.Answer(dir.filePath(answer), 1);
        SlotItem(*bank, 1, BankPart<QLabel>("slotNames", 1), "Save")->trigger();
        EXPECT_EQ(ReadFile(written), Ramp(1001, 1)) << written.toStdString();
        EXPECT_EQ(bank->SlotName(1), written);
    }
    EXPECT_EQ(dialogs.saveRequests[0].title, QStringLiteral("Save One Sample"));
    EXPECT_EQ(dialogs.saveRequests[0].fileName, QStringLiteral("snare.bin"));
    SlotItem(*bank, 4, BankPart<QLabel>("slotNames", 4), "Save")->trigger(); // empty: no dialog
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);

    ASSERT_TRUE(QDir().mkpath(dir.filePath("F")));
    for (const QString answer : {"F/kit.bin", "F/kit"}) {
        dialogs.Answer(dir.filePath(answer), 1);
        BankPart<QAction>("saveAllButton")->trigger();
        for (int s = 0; s < 10; ++s) {
            EXPECT_EQ(ReadFile(QStringLiteral("F/kit_%1.bin").arg(s)),
                      s == 4 ? Bytes{} : Ramp(1000 + size_t(s), s));
            if (s != 4) {
                EXPECT_EQ(bank->SlotName(s), QStringLiteral("kit_%1.bin").arg(s));
            }
        }
    }
    EXPECT_EQ(dialogs.saveRequests.back().title, QStringLiteral("Save All Samples"));
    EXPECT_EQ(QDir(dir.filePath("F")).entryList(QDir::Files).size(), 9);
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.Answer(dir.filePath("none/snare"), 1);
    SlotItem(*bank, 1, BankPart<QLabel>("slotNames", 1), "Save")->trigger();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("H/kit_2.bin"))); // kit_2.bin cannot be written
    dialogs.Answer(dir.filePath("H/kit"), 1);
    BankPart<QAction>("saveItem")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "Write File Error - Abort Saving\n" + dir.filePath("none/snare.bin") +
                                            ": The folder " + dir.filePath("none") + " does not exist");
    EXPECT_EQ(dialogs.messages[1].text,
              "Write File Error - Abort Saving\n" + dir.filePath("H/kit_2.bin") + " is a folder, not a file");
    EXPECT_TRUE(QFile::exists(dir.filePath("H/kit_1.bin")));
    EXPECT_FALSE(QFile::exists(dir.filePath("H/kit_3.bin")));
}

// File > Send to MIDI sends slot 0 alone, in the machine's form; the slot keeps its bytes, with a
// tail the fitting added left zero. A send that cannot go out leaves the slot as it was.
TEST_F(BankTest, SendToMidiSendsSlotZeroAloneAndAFailedSendChangesNothing) {
    Open();
    for (int s = 0; s < 10; ++s)
        Fill(s, Ramp(9000, s));
    bank->SlotView(0).SetSampleLen(5000); // bytes past the length are not the sample's
    BankPart<QAction>("sendToMidiItem")->trigger();
    Bytes fitted = Ramp(5000, 0);
    fitted.resize(8192, 0);
    Bytes machine = fitted;
    convertSign(machine);
    Bytes dump(sampleDumpSize(8192));
    buildSampleDump(0, machine, dump);
    EXPECT_EQ(driver.backlog(0), dump);
    EXPECT_EQ(SlotBytes(0), fitted);
    EXPECT_EQ(Log(),
              (QStringList{"Adjust Size  #0 Add 3192 bytes",
                           QString::fromStdString("Send Instr #0 Msg Size =9376  - Checksum =") +
                               QStringLiteral("%1").arg(int(dump[9374]), 2, 16, QLatin1Char('0')).toUpper(),
                           "Transfert ok"}));

    options->MidiOut().SetUsing(false);
    bank->SlotView(3).SetSampleLen(4000);
    SlotItem(*bank, 3, BankPart<QLabel>("slotSizes", 3), "Send to Midi")->trigger();
    EXPECT_EQ(bank->SlotView(3).GetSampleLen(), 4000);
    EXPECT_EQ(SlotBytes(3, 9000), Ramp(9000, 3)) << "the bytes past the length too";
    EXPECT_TRUE(Log().back().startsWith(QStringLiteral("Erreur transfert MIDI OUT - code ")));
}

// The whole bank goes out with its pauses and comes back over the cable into the same slots.
TEST_F(BankTest, AWholeBankComesBackIntoTheSameSlotsByteForByte) {
    Open();
    bank->SetSendPauseMs(300);
    std::vector<Bytes> expected;
    for (int s = 0; s < 10; ++s) {
        const size_t size = kBankLocations[size_t(s)].size();
        Fill(s, Ramp(s % 2 ? size : size - 700, s)); // half of them lengthened by the fitting
        Bytes fitted = SlotBytes(s);
        fitted.resize(std::min<size_t>(size, kMaxDumpSamples), 0);
        expected.push_back(fitted);
    }
    BankPart<QAction>("sendAllButton")->trigger();
    driver.waitUntilDelivered(0);
    QApplication::processEvents();
    EXPECT_EQ(driver.backlog(0).size(), 182700u);
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(SlotBytes(s), expected[size_t(s)]) << s;
        EXPECT_EQ(bank->SlotName(s), QStringLiteral("New Sound"));
    }
    EXPECT_EQ(Log().filter(QStringLiteral("Transfert ok")).size(), 10);
}

// A click of the mouse on the progress window's Cancel stops a paced send: the whole bank, and a
// long sample sent from the main window.
TEST_F(BankTest, AMouseClickOnCancelStopsAPacedSend) {
    Open();
    for (int s = 0; s < 10; ++s)
        Fill(s, Ramp(kBankLocations[size_t(s)].size(), s));
    const Bytes long64k = Ramp(65536, 3);
    findEditor(*main)->Sample().LoadFromBuffer(long64k.data(), int(long64k.size()));
    findEditor(*main)->SetSampleLen(int(long64k.size()));
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(8); // Cymbal, 64 K
    driver.setPace(0, 20000);
    const struct {
        const char* what;
        QAction* command;
        size_t whole; // bytes on the wire when nothing stops it
        bool dropsTheRest;
    } cases[] = {{"Send all", BankPart<QAction>("sendAllButton"), 182700, true},
                 {"F9", findAction(*main, "sendToMidiItem"), 74938, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearLog();
        driver.clearBacklog(0);
        bool clicked = false;
        QTimer::singleShot(TransferProgress::kShowAfterMs + 300, [&] {
            QProgressDialog* dialog = options->Transfer().Dialog();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->isVisible());
            // Through the dialog's window, as the window system hands a click over.
            const QPushButton* cancel = dialog->findChild<QPushButton*>();
            QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              cancel->mapTo(dialog, cancel->rect().center()));
            clicked = true;
        });
        c.command->trigger();
        EXPECT_TRUE(clicked);
        EXPECT_LT(driver.backlog(0).size(), c.whole / 2) << "the click stopped the send";
        const QStringList log = Log();
        EXPECT_EQ(log.filter(QStringLiteral("Transfert interrompu")).size(), 1)
            << log.join('\n').toStdString();
        EXPECT_EQ(log.contains(QStringLiteral("Transfert annule")), c.dropsTheRest);
        EXPECT_EQ(options->Transfer().Dialog(), nullptr) << "the transfer ended";
    }
}

// A click on a slot's caption makes it the main window's sample; a click on its waveform asks for
// that slot's playback, and does nothing while nobody plays.
TEST_F(BankTest, CaptionClickCopiesToTheMainWindowAndWaveformClickPlays) {
    Open();
    for (int slot : {0, 8}) {
        Fill(slot, Ramp(6000 + size_t(slot), slot));
        bank->SetSlotName(slot, QStringLiteral("clap.bin"));
        QTest::mouseClick(slot ? BankPart<QLabel>("slotSizes", slot) : BankPart<QLabel>("slotNames", slot),
                          Qt::LeftButton);
        SampleView& e = *findEditor(*main);
        EXPECT_EQ(Bytes(e.GetData(), e.GetData() + e.GetSampleLen()), Ramp(6000 + size_t(slot), slot));
        EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), QStringLiteral("clap.bin"));
        EXPECT_EQ(findPart<QComboBox>(*main, "locationChooser")->currentIndex(), slot + 1);
        EXPECT_TRUE(MainWindow::ItemEnabled(findAction(*main, "playButton")));
    }
    QTest::mouseClick(BankPart<SampleView>("slotViews", 5), Qt::LeftButton);
    std::vector<int> played;
    bank->OnPlaySlot = [&](int slot) { played.push_back(slot); };
    QTest::mouseClick(BankPart<SampleView>("slotViews", 5), Qt::LeftButton);
    QTest::mouseClick(BankPart<SampleView>("slotViews", 9), Qt::LeftButton);
    EXPECT_EQ(played, (std::vector<int>{5, 9}));
    EXPECT_EQ(findPart<QComboBox>(*main, "locationChooser")->currentIndex(), 9);
    // A slot number past the bank names the last slot and writes nothing beyond the captions.
    bank->SetSlotName(12, QStringLiteral("far.bin"));
    bank->SetSlotSize(12, QStringLiteral("9K"));
    EXPECT_EQ(bank->SlotName(9), QStringLiteral("far.bin"));
    EXPECT_EQ(bank->SlotSize(9), QStringLiteral("9K"));
}

// The main window's commands on a bank location, through the bank window.
TEST_F(BankTest, MainWindowCopiesIntoTheBankAndAFailedSendRestoresItsSample) {
    Open();
    SampleView& e = *findEditor(*main);
    const Bytes ramp = Ramp(10000);
    e.Sample().LoadFromBuffer(ramp.data(), 10000);
    e.SetSampleLen(10000);
    findPart<QLabel>(*main, "fileNameLabel")->setText(QStringLiteral("kick.bin"));
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(1); // BD
    findAction(*main, "copyToBankButton")->trigger();
    EXPECT_EQ(e.GetSampleLen(), 8192);
    EXPECT_EQ(SlotBytes(0), Bytes(ramp.begin(), ramp.begin() + 8192));
    EXPECT_EQ(bank->SlotSize(0), QStringLiteral("8K"));
    EXPECT_EQ(bank->SlotName(0), QStringLiteral("kick.bin"));

    findAction(*main, "sendToMidiItem")->trigger(); // exact size: the same bytes afterwards
    EXPECT_EQ(Bytes(e.GetData(), e.GetData() + e.GetSampleLen()), SlotBytes(0));
    EXPECT_EQ(driver.backlog(0).size(), 9376u);

    options->MidiOut().SetUsing(false); // no output: length and the bytes past it stay
    e.SetSampleLen(3000);
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(2); // SD, 16 K
    findAction(*main, "sendToMidiItem")->trigger();
    EXPECT_EQ(e.GetSampleLen(), 3000);
    EXPECT_EQ(Bytes(e.GetData(), e.GetData() + 10000), ramp);
}

// A first run: the main window opens at the top of the screen, and each window shown after it
// opens inside the screen, clear of the title bars of those already open.
TEST_F(BankTest, OnAFirstRunEachWindowOpensClearOfTheTitleBarsOpenBeforeIt) {
    Open();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(main->frameGeometry().top(), area.top());
    QList<QWidget*> opened = {main.get()};
    const std::pair<QAction*, QWidget*> shows[] = {{findAction(*main, "sampleBankItem"), bank.get()},
                                                   {findAction(*main, "patternsItem"), patterns.get()},
                                                   {findAction(*main, "preferencesItem"), options.get()}};
    for (const auto& [item, window] : shows) {
        item->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QRect frame = window->frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << window->windowTitle().toStdString();
        for (const QWidget* before : opened) {
            const QRect title(
                before->frameGeometry().topLeft(),
                QSize(before->frameGeometry().width(), before->geometry().y() - before->frameGeometry().y()));
            ASSERT_FALSE(title.isEmpty());
            EXPECT_FALSE(title.intersects(frame))
                << window->windowTitle().toStdString() << " over " << before->windowTitle().toStdString();
        }
        opened << window;
        if (window == bank.get()) {
            EXPECT_EQ(frame.topLeft(), QPoint(104, area.bottom() + 1 - frame.height()))
                << "nothing shown is in the way of its own place (hidden windows are not)";
        }
    }
}

// Closing the main window: bank, main, patterns and options settings in that order, then the
// ports, then the wave output. The windows come back where and as they were left; one stored off
// every screen comes back on one.
TEST_F(BankTest, ClosingStoresEveryWindowInOrderAndTheWindowsComeBackAsLeft) {
    Open();
    findAction(*main, "sampleBankItem")->trigger();
    EXPECT_TRUE(bank->isVisible());
    bank->move(20, 40);
    int writesAtWaveClose = -1;
    main->OnCloseWaveOut = [&] {
        writesAtWaveClose = int(store.writes.size());
        EXPECT_FALSE(options->MidiOut().Using());
    };
    store.writes.clear();
    main->close();
    QStringList expected = {"PX2", "PY2", "SHOW2", "PX1", "PY1", "PW1", "PH1", "PX3", "PY3", "SHOW3"};
    expected += OptionsWriteOrder();
    // The view's own choices follow, once the wave output has closed.
    EXPECT_EQ(store.writes, expected + QStringList({"MinMaxWave", "ShowVuMeters", "ShowRtSpectrum"}));
    EXPECT_EQ(writesAtWaveClose, int(expected.size()));

    Close();
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).setValue("PX3", -4000);
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).setValue("SHOW3", 1);
    Open();
    EXPECT_TRUE(bank->isVisible());
    EXPECT_EQ(bank->pos(), QPoint(20, 40));
    EXPECT_TRUE(patterns->isVisible());
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(patterns->frameGeometry().topLeft()));
}

// Places stored at the integer limits or far larger than any screen: every window comes up on the
// screen, no larger than it, and closing stores places on it. No sum with such a value overflows.
TEST_F(BankTest, StoredPlacesBeyondEveryScreenComeUpOnItAndAreStoredSane) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const struct {
        const char* what;
        std::vector<std::pair<const char*, int>> stored;
    } cases[] = {
        {"bank at the right end", {{"PX2", kMax}, {"PY2", 100}, {"SHOW2", 1}}},
        {"bank and patterns at both ends",
         {{"PX2", kMin}, {"PY2", kMax}, {"SHOW2", 1}, {"PX3", kMax}, {"PY3", kMin}, {"SHOW3", 1}}},
        {"main window too large", {{"PX1", 10}, {"PY1", 10}, {"PW1", 100000}, {"PH1", 100000}}},
        {"main window at the ends", {{"PX1", kMax}, {"PY1", kMax}, {"PW1", kMax}, {"PH1", kMin}}},
        {"options at the ends", {{"PX4", kMax}, {"PY4", kMin}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Close();
        {
            QSettings settings(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
            settings.clear();
            for (const auto& [key, value] : c.stored)
                settings.setValue(QLatin1String(key), value);
        }
        Open();
        for (const QWidget* w :
             {static_cast<QWidget*>(main.get()), static_cast<QWidget*>(bank.get()),
              static_cast<QWidget*>(patterns.get()), static_cast<QWidget*>(options.get())}) {
            EXPECT_TRUE(area.contains(w->geometry()))
                << w->windowTitle().toStdString() << " at " << w->x() << "," << w->y() << " " << w->width()
                << "x" << w->height();
            if (w->isVisible()) {
                EXPECT_TRUE(area.contains(w->frameGeometry())) << w->windowTitle().toStdString();
            }
        }
        main->close();
        const QSettings stored(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
        for (const char* n : {"1", "2", "3", "4"}) {
            const QPoint corner(stored.value(QStringLiteral("PX") + QLatin1String(n)).toInt(),
                                stored.value(QStringLiteral("PY") + QLatin1String(n)).toInt());
            EXPECT_TRUE(area.contains(corner))
                << "window " << n << " stored at " << corner.x() << "," << corner.y();
        }
        EXPECT_LE(stored.value(QStringLiteral("PW1")).toInt(), area.width());
        EXPECT_LE(stored.value(QStringLiteral("PH1")).toInt(), area.height());
    }
}

// Each part of the bank, patterns, options and about windows is found by its member's name (an
// array's parts by the name and the index), and no other object of its window carries that name.
TEST_F(BankTest, EveryPartIsNamedOnceInItsWindow) {
    Open();
    AboutWindow about;
    const struct {
        const QObject* window;
        const char* parts; // "name*N": an array of N parts
    } windows[] = {
        {bank.get(),
         "slotViews*10 slotShortNames*10 slotSizes*10 slotNames*10 slotMenus*10 ToolBar1 newItem "
         "loadItem saveItem sendToMidiItem reverseItem unsignedItem buttonsBarItem clearAllButton "
         "loadAllButton saveAllButton sendAllButton unsignedButton undoItem redoItem"},
        {patterns.get(), "logMemo ToolBar1 newItem loadSysexItem saveSysexItem sendToMidiItem buttonsBarItem "
                         "clearAllButton loadAllButton saveAllButton sendToMidiButton"},
        {options.get(),
         "pageTabs audioOutChooser rateButtons*6 bufferCountField bufferSizeLabel playbackGroup "
         "playbackButtons*3 "
         "conversionButtons*2 normaliseBox midiInChooser midiOutChooser sysexDelayField timeOutField "
         "kvb9InputField "
         "kvb9MergeBox kvb9StartupBox kvb9SendButton workFolderCaption workFolderLabel workFolderButton "
         "logMemo "
         "swatchWave*9 swatchBank*9 waveGradientChooser bankGradientChooser stepsWaveField stepsBankField"},
        {&about, "productName Version credits"},
    };
    for (const auto& w : windows) {
        for (const QString& part : QString::fromLatin1(w.parts).split(QLatin1Char(' '))) {
            const QStringList nameAndCount = part.split(QLatin1Char('*'));
            const int count = nameAndCount.size() == 2 ? nameAndCount[1].toInt() : 0;
            for (int i = 0; i < std::max(count, 1); ++i) {
                const QString name = count ? nameAndCount[0] + QString::number(i) : nameAndCount[0];
                EXPECT_EQ(w.window->findChildren<QObject*>(name).size(), 1) << name.toStdString();
            }
        }
    }
}
