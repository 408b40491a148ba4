// Files dropped from the desktop: on the main window (a WAV converted as Load Raw-Bin converts
// it, a raw file as it is), on one bank slot, and several on the bank filling the slots from
// the one dropped on. Real drag and drop events on the offscreen platform.
#include "bank_fixture.h"
#include "file_drop.h"
#include "file_job_progress.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>
#include <QUrl>

using namespace vk350;

namespace {

// A 16-bit stereo 44100 Hz file, and what the exact conversion to 8-bit mono at 22050 Hz makes
// of it: of each pair of frames the second, the high byte of the offset-binary average.
struct StereoWave {
    std::vector<uint8_t> file;
    std::vector<uint8_t> converted;
};

StereoWave MakeStereoWave(int frames) {
    std::vector<uint8_t> data;
    StereoWave w;
    for (int i = 0; i < frames; ++i) {
        const int l = (i * 1237) % 65536 - 32768, r = (i * 331 + 9000) % 65536 - 32768;
        for (int v : {l, r}) {
            data.push_back(uint8_t(v));
            data.push_back(uint8_t(v >> 8));
        }
        if (i % 2 == 1)
            w.converted.push_back(uint8_t(((l + 32768) + (r + 32768)) >> 1 >> 8));
    }
    const auto le = [&w](uint32_t v, int n) {
        for (int k = 0; k < n; ++k)
            w.file.push_back(uint8_t(v >> (8 * k)));
    };
    for (char c : std::string("RIFF"))
        w.file.push_back(uint8_t(c));
    le(uint32_t(36 + data.size()), 4);
    for (char c : std::string("WAVEfmt "))
        w.file.push_back(uint8_t(c));
    le(16, 4), le(1, 2), le(2, 2), le(44100, 4), le(44100 * 4, 4), le(4, 2), le(16, 2);
    for (char c : std::string("data"))
        w.file.push_back(uint8_t(c));
    le(uint32_t(data.size()), 4);
    w.file.insert(w.file.end(), data.begin(), data.end());
    return w;
}

// Drags the files over target and drops them; whether the drag was taken.
bool Drop(QWidget* target, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls.append(QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

class FileDropTest : public BankTest {
protected:
    void SetUp() override {
        BankTest::SetUp();
        Open();
        OptionsPart<QLabel>("workFolderLabel")->setText(dir.path() + QLatin1Char('/'));
    }
    Bytes MainSample() const {
        const SampleView& e = *findEditor(*main);
        return Bytes(e.GetData(), e.GetData() + e.GetSampleLen());
    }
};

} // namespace

TEST_F(FileDropTest, MainWindowOpensADroppedFileAsLoadRawBin) {
    const StereoWave wave = MakeStereoWave(3000);
    ASSERT_TRUE(Drop(main.get(), {WriteFile("loop.wav", wave.file)}));
    EXPECT_EQ(MainSample(), wave.converted);
    EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), "loop.wav");
    EXPECT_EQ(ReadFile("convert.wav").size(), 46 + wave.converted.size() + 12) << "the Ctrl+L work file";

    // Raw bytes as they are; of two files the first by name.
    ASSERT_TRUE(Drop(main.get(), {WriteFile("b.bin", Ramp(700, 2)), WriteFile("a.bin", Ramp(500, 1))}));
    EXPECT_EQ(MainSample(), Ramp(500, 1));
    EXPECT_EQ(findPart<QLabel>(*main, "fileNameLabel")->text(), "a.bin");

    // A bad WAV says why, and the sample stays.
    ASSERT_TRUE(Drop(main.get(), {WriteFile("bad.wav", Ramp(100))}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Conversion aborted!\n" + dir.filePath("bad.wav") + ": Not a WAV file (no RIFF header)");
    EXPECT_EQ(MainSample(), Ramp(500, 1));

    // Text or a folder is no file drop: the drag is refused and nothing happens.
    QMimeData text;
    text.setText("kick.wav");
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(Drop(main.get(), {dir.path()}));
    EXPECT_EQ(MainSample(), Ramp(500, 1));
}

TEST_F(FileDropTest, BankSlotsFillFromTheOneDroppedOn) {
    for (int s = 0; s < 10; ++s)
        Fill(s, Ramp(100, s));
    const StereoWave wave = MakeStereoWave(4000);
    ASSERT_TRUE(Drop(BankPart<SampleView>("slotViews", 3), {WriteFile("tom.wav", wave.file)}));
    EXPECT_EQ(SlotBytes(3), wave.converted);
    EXPECT_EQ(bank->SlotName(3), "tom.wav");
    EXPECT_EQ(bank->SlotSize(3), "1K");
    EXPECT_EQ(SlotBytes(2), Ramp(100, 2));
    EXPECT_EQ(SlotBytes(4), Ramp(100, 4));

    // Four files on slot 8: in name order, a broken one keeps its slot, two do not fit.
    const QStringList files = {WriteFile("d.bin", Ramp(300, 4)), WriteFile("a.wav", wave.file),
                               WriteFile("b.wav", Ramp(50)), WriteFile("c.bin", Ramp(2048, 3))};
    ASSERT_TRUE(Drop(BankPart<SampleView>("slotViews", 8), files));
    EXPECT_EQ(SlotBytes(8), wave.converted);
    EXPECT_EQ(bank->SlotName(8), "a.wav");
    EXPECT_EQ(SlotBytes(9), Ramp(100, 9)) << "b.wav is no WAV file: the slot stays";
    EXPECT_EQ(bank->SlotName(9), "...");
    EXPECT_EQ(SlotBytes(7), Ramp(100, 7));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, "File Error");
    EXPECT_EQ(dialogs.messages[0].text, "Read File Error - Abort Loading\n" + dir.filePath("b.wav") +
                                            ": Not a WAV file (no RIFF header)");
    EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[1].text, "Bank Full - Not Loaded:\nc.bin, d.bin");

    // Load one takes a WAV file the same way.
    dialogs.messages.clear();
    dialogs.Answer(files[1], 2);
    BankPart<QMenu>("slotMenus", 0)->actions().front()->trigger();
    EXPECT_EQ(SlotBytes(0), wave.converted);
    EXPECT_EQ(bank->SlotName(0), "a.wav");
    EXPECT_TRUE(dialogs.messages.empty());
}

// File > Recent Files: the last eight files opened or saved, newest first, kept in the settings;
// a file that is gone leaves the list with a word. A file named at start that is a WAV takes
// the Load Wave road; many files named at start fill the bank as Load all.
TEST_F(FileDropTest, RecentFilesAndStartFiles) {
    EXPECT_FALSE(findMenu(*main, "recentFilesMenu")->isEnabled());
    QStringList opened;
    for (int i = 0; i < 9; ++i) {
        opened.prepend(WriteFile(QStringLiteral("r%1.bin").arg(i), Ramp(200 + i, i)));
        dialogs.Answer(opened.front(), 1);
        findAction(*main, "loadRawItem")->trigger();
    }
    dialogs.Answer(dir.filePath("saved"), 1);
    findAction(*main, "saveRawItem")->trigger();
    opened.prepend(dir.filePath("saved.bin"));
    // Opening a listed file again moves it to the top instead of listing it twice.
    Drop(main.get(), {opened[3]});
    opened.move(3, 0);
    const QStringList expected = opened.mid(0, 8);
    const QList<QAction*> items = findMenu(*main, "recentFilesMenu")->actions();
    ASSERT_EQ(items.size(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(items[i]->text(), QStringLiteral("&%1 %2").arg(i + 1).arg(expected[i]));
    EXPECT_EQ(QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).value("RecentFiles").toString(),
              expected.join('\n'));

    // The next run lists them too; choosing one opens it.
    Close();
    Open();
    ASSERT_EQ(findMenu(*main, "recentFilesMenu")->actions().size(), 8);
    findMenu(*main, "recentFilesMenu")->actions()[5]->trigger();
    EXPECT_EQ(MainSample(), ReadFile(QFileInfo(expected[5]).fileName()));
    EXPECT_EQ(findMenu(*main, "recentFilesMenu")->actions()[0]->text(), "&1 " + expected[5]);

    QFile::remove(expected[2]);
    const Bytes before = MainSample();
    findMenu(*main, "recentFilesMenu")->actions()[3]->trigger(); // expected[2], after the move above
    EXPECT_EQ(MainSample(), before);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[0].text, expected[2] + " no longer exists; it is taken off the list.");
    EXPECT_EQ(findMenu(*main, "recentFilesMenu")->actions().size(), 7);
    EXPECT_FALSE(QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane"))
                     .value("RecentFiles")
                     .toString()
                     .contains(expected[2]));

    // A WAV named at start converts into the Load Wave work file.
    OptionsPart<QLabel>("workFolderLabel")->setText(dir.path() + QLatin1Char('/'));
    const StereoWave wave = MakeStereoWave(1000);
    main->OpenSampleFile(WriteFile("start.wav", wave.file));
    EXPECT_EQ(MainSample(), wave.converted);
    EXPECT_FALSE(ReadFile("convertspl.wav").empty());

    // Eleven kit files: ten slots in name order, the last named as not fitting.
    QStringList kit;
    for (int i = 10; i >= 0; --i)
        kit.append(WriteFile(QStringLiteral("kit_%1.bin").arg(i, 2, 10, QLatin1Char('0')), Ramp(100 + i, i)));
    dialogs.messages.clear();
    bank->LoadFiles(kit);
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(SlotBytes(s), Ramp(100 + s, s)) << s;
    EXPECT_EQ(bank->SlotName(9), "kit_09.bin");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Bank Full - Not Loaded:\nkit_10.bin");
}

// A long conversion lets timers and painting run between its blocks and, once it lasts, shows a
// progress dialog whose Cancel ends it with the sample as it was.
TEST_F(FileDropTest, LongConversionsKeepTheWindowsRunningAndCanBeCancelled) {
    const int showAfter = FileJobProgress::ShowAfterMs;
    FileJobProgress::ShowAfterMs = 0;
    const StereoWave wave = MakeStereoWave(44100 * 4); // four one-second blocks
    const QString path = WriteFile("long.wav", wave.file);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    ASSERT_TRUE(Drop(main.get(), {path}));
    EXPECT_EQ(MainSample(), wave.converted);
    EXPECT_GE(ticks, 3) << "timers ran between the blocks";

    // Cancel pressed while the dialog shows.
    const Bytes before = MainSample();
    QObject::disconnect(&timer, nullptr, nullptr, nullptr);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                EXPECT_EQ(d->labelText(), "Converting " + path);
                d->cancel();
            }
    });
    dialogs.messages.clear();
    ASSERT_TRUE(Drop(main.get(), {path}));
    timer.stop();
    FileJobProgress::ShowAfterMs = showAfter;
    EXPECT_EQ(MainSample(), before);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Conversion aborted!\n" + path + ": Cancelled");
}
