// The main window's structure: menus, toolbar, knob strip and chooser as created, the keys of
// the hidden items, start-up placement, the resize rule, the about window and the error box.
#include "window_fixture.h"

#include "about_window.h"
#include "window_parts.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QToolBar>
#include <QWidgetAction>
#include <stdexcept>

using namespace vk350;

namespace {

struct Item {
    const char* caption;
    QKeySequence shortcut;
    bool visible;
    bool enabled;
    int check; // -1 not checkable, 0 unchecked, 1 checked
};

void ExpectMenu(QMenu* menu, const char* title, const std::vector<Item>& items) {
    SCOPED_TRACE(title);
    EXPECT_EQ(menu->title(), QString::fromUtf8(title));
    std::vector<QAction*> actions;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            actions.push_back(a);
    ASSERT_EQ(actions.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        QAction* a = actions[i];
        SCOPED_TRACE(it.caption);
        EXPECT_EQ(a->text(), QString::fromUtf8(it.caption)) << "blanks are part of the caption";
        EXPECT_EQ(a->shortcut(), it.shortcut) << a->shortcut().toString().toStdString();
        EXPECT_EQ(a->isVisible(), it.visible);
        EXPECT_EQ(MainWindow::ItemEnabled(a), it.enabled);
        EXPECT_EQ(a->isCheckable() ? int(a->isChecked()) : -1, it.check);
    }
}

QKeySequence Keys(QKeyCombination combined) {
    return QKeySequence(combined);
}

} // namespace

TEST_F(WindowTest, MenuTableAsCreated) {
    MainWindow& w = Open();
    AboutWindow about(&w);
    w.SetAboutBox(&about);

    const QList<QAction*> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), 6);
    EXPECT_EQ(bar[2]->menu(), findMenu(w, "processMenu")) << "Process comes after Edition";

    const auto ctrl = Qt::CTRL;
    const auto alt = Qt::ALT;
    ExpectMenu(findMenu(w, "fileMenu"), "&File",
               {{"New", Keys(ctrl | Qt::Key_Delete), true, true, -1},
                {"Load Raw-Bin", Keys(ctrl | Qt::Key_L), true, true, -1},
                {"Save Raw-Bin", Keys(ctrl | Qt::Key_S), true, true, -1},
                {"Load Wave ", Keys(Qt::Key_F1), false, true, -1},
                {"Save as Wave", Keys(ctrl | Qt::Key_F1), false, false, -1},
                {"Recent Files", QKeySequence(), true, false, -1}, // empty until a file is opened
                {"Send to MIDI", Keys(Qt::Key_F9), true, true, -1},
                {"Receive from MIDI", QKeySequence(), false, false, -1},
                {"Exit", Keys(ctrl | Qt::Key_Q), true, true, -1}});
    ExpectMenu(findMenu(w, "editionMenu"), "&Edition",
               {{"Undo", Keys(ctrl | Qt::Key_Z), true, false, -1},
                {"Redo", Keys(ctrl | Qt::SHIFT | Qt::Key_Z), true, false, -1},
                {"Select All", Keys(ctrl | Qt::Key_A), true, true, -1},
                {"Cut", Keys(ctrl | Qt::Key_X), true, true, -1},
                {"Copy", Keys(ctrl | Qt::Key_C), true, true, -1},
                {"Paste To Locator", Keys(ctrl | Qt::Key_V), true, true, -1},
                {"Crop", Keys(ctrl | Qt::Key_W), true, true, -1},
                {"Mute", Keys(ctrl | Qt::Key_M), true, true, -1},
                {"Lin to µLaw -8bits", Keys(alt | Qt::Key_C), true, true, -1},
                {"µLaw to Lin -8bits", Keys(alt | Qt::Key_E), true, true, -1},
                {"Reverse", Keys(ctrl | Qt::Key_R), true, true, -1},
                {"Unsigned", Keys(ctrl | Qt::Key_U), true, true, -1}});
    ExpectMenu(findMenu(w, "processMenu"), "&Process",
               {{"Fade In", Keys(ctrl | Qt::SHIFT | Qt::Key_I), true, true, -1},
                {"Fade Out", Keys(ctrl | Qt::SHIFT | Qt::Key_O), true, true, -1},
                {"Gain...", Keys(ctrl | Qt::Key_G), true, true, -1},
                {"Normalise...", Keys(ctrl | Qt::SHIFT | Qt::Key_N), true, true, -1},
                {"Remove DC Offset", QKeySequence(), true, true, -1},
                {"Trim Silence", Keys(ctrl | Qt::Key_T), true, true, -1},
                {"Delete", Keys(Qt::Key_Delete), true, true, -1},
                {"Paste Insert", Keys(ctrl | Qt::SHIFT | Qt::Key_V), true, true, -1},
                {"Fit to Location", Keys(ctrl | Qt::Key_F9), true, true, -1}});
    ExpectMenu(findMenu(w, "audioMenu"), "Audio",
               {{"Loop            ", Keys(Qt::KeypadModifier | Qt::Key_Asterisk), true, true, 0},
                {"Go to Start", Keys(Qt::Key_Home), true, true, -1},
                {"Go to End", Keys(Qt::Key_End), true, true, -1},
                {"Fast Foward", Keys(ctrl | Qt::Key_Right), true, true, -1},
                {"Foward ", Keys(Qt::Key_Right), true, true, -1},
                {"Backward", Keys(Qt::Key_Left), true, true, -1},
                {"Fast Backward", Keys(ctrl | Qt::Key_Left), true, true, -1},
                {"Play        ", Keys(Qt::Key_Space), true, true, 0},
                {"Play from Locator", Keys(ctrl | Qt::Key_Space), true, true, -1},
                {"Play Selection", Keys(Qt::SHIFT | Qt::Key_Space), true, true, -1}});
    ExpectMenu(findMenu(w, "viewMenu"), "&View",
               {{"Zoom In                ", Keys(Qt::Key_F5), true, true, -1},
                {"Zoom Out            ", Keys(Qt::Key_F6), true, true, -1},
                {"Minimun               ", Keys(Qt::Key_F7), true, true, -1},
                {"Full Size            ", Keys(Qt::Key_F8), true, true, -1},
                {"Follow Locator", Keys(ctrl | Qt::Key_F8), true, true, 0},
                {"Show/Hide Points", Keys(ctrl | Qt::Key_F11), true, true, 1},
                {"Show/Hide Bars", Keys(ctrl | Qt::Key_F12), true, true, 0},
                {"Show Vu-meters", Keys(Qt::Key_F11), true, true, 0},
                {"Show RT Spectrum", Keys(Qt::Key_F12), true, true, 0},
                // The windows these show are not part of this build yet.
                {"Preferences", Keys(Qt::Key_F2), true, false, 0},
                {"VK350 Sample Bank", Keys(Qt::Key_F3), true, false, -1},
                {"VK350 Patterns", Keys(Qt::Key_F4), true, false, -1},
                {"Zoom In at Locator", Keys(ctrl | Qt::Key_Equal), true, true, -1},
                {"Zoom Out at Locator", Keys(ctrl | Qt::Key_Minus), true, true, -1},
                {"Min/Max Waveform", QKeySequence(), true, true, 1}});
    ExpectMenu(findMenu(w, "aboutMenu"), "&About....",
               {{"OVL VK350 Sample Editor ", QKeySequence(), true, true, -1}});

    // The separator before the wave items is hidden with them.
    const QList<QAction*> file = findMenu(w, "fileMenu")->actions();
    const qsizetype loadWave = file.indexOf(findAction(w, "loadWaveItem"));
    ASSERT_GT(loadWave, 0);
    EXPECT_TRUE(file[loadWave - 1]->isSeparator());
    EXPECT_FALSE(file[loadWave - 1]->isVisible());
}

TEST_F(WindowTest, ToolbarKnobStripAndChooserAsCreated) {
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), "VK350 Sample Editor v1.0");

    struct Button {
        QString hint;
        QString caption; // empty for icon buttons
        bool visible;
        bool enabled;
    };
    const std::vector<Button> expected = {
        {"Cleanup the place ...", "", true, true},
        {"Load BIN-RAW file", "", true, true},
        {"Save BIN-RAW to file", "", true, true},
        {"Load WAV file", "", false, true},
        {"Send to MIDI", "", true, true},
        {"VK350 Bank Location", "", true, true},
        {"Copy Sample to VK350 Bank location ", "", true, true},
        {"Full View", "", true, true},
        {"Zoom 1:1", "", true, true},
        {"Fix Zero", "Zero", true, true},
        {"Convert to Linear", "Linear", true, true},
        {"Convert to µLaw", "µLaw", true, true},
        {"Convert to Signed/Unsigned", "", true, true},
        {"Cut/Truncate Selection", "", true, true},
        {"Play", "", true, false},
        {"Loop /One shot play ", "", true, true},
        {"...", "", true, true}, // the file-name caption
        {"Stop", "", false, true},
    };
    std::vector<Button> actual;
    for (QAction* a : findPart<QToolBar>(w, "ToolBar1")->actions()) {
        if (a->isSeparator())
            continue;
        QWidget* widget = findPart<QToolBar>(w, "ToolBar1")->widgetForAction(a);
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            actual.push_back({combo->toolTip(), "", a->isVisible(), combo->isEnabled()});
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            actual.push_back({label->text(), "", a->isVisible(), label->isEnabled()});
        } else {
            const bool captioned = a->icon().isNull();
            actual.push_back({a->toolTip(), captioned ? a->text() : QString(), a->isVisible(),
                              MainWindow::ItemEnabled(a)});
            if (!captioned && a->isVisible()) {
                EXPECT_FALSE(a->icon().pixmap(22, 22).isNull()) << a->toolTip().toStdString();
            }
        }
    }
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].hint.toStdString());
        EXPECT_EQ(actual[i].hint, expected[i].hint);
        EXPECT_EQ(actual[i].caption, expected[i].caption);
        EXPECT_EQ(actual[i].visible, expected[i].visible);
        EXPECT_EQ(actual[i].enabled, expected[i].enabled);
    }
    EXPECT_TRUE(findAction(w, "loopButton")->isCheckable());

    const QStringList items = {"----------------",
                               "Bass  Drum     ",
                               "Snare Drum ",
                               "Rim Shot     ",
                               "HiHat              ",
                               "Percu3           ",
                               "Percu2",
                               "Tom",
                               "Cymbal",
                               "Clap",
                               "Percu1"};
    ASSERT_EQ(findPart<QComboBox>(w, "locationChooser")->count(), items.size());
    for (int i = 0; i < findPart<QComboBox>(w, "locationChooser")->count(); ++i)
        EXPECT_EQ(findPart<QComboBox>(w, "locationChooser")->itemText(i), items[i]);
    EXPECT_EQ(findPart<QComboBox>(w, "locationChooser")->currentIndex(), 0);
    EXPECT_EQ(findPart<QComboBox>(w, "locationChooser")->maxVisibleItems(), 12);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "...");

    // Knob strip: captions in order, each just left of its knob, and the knobs' settings.
    struct Knob {
        ValueField* knob;
        QString caption;
        int min, max, cursorRange, state;
        QString hint;
    };
    const std::vector<Knob> knobs = {
        {findValueField(w, "sizeField"), "Size", 1, 512, 256, 1, "Sample Size"},
        {findValueField(w, "zoomField"), "Zoom", 1, 1000, 256, 1, "Zoom Factor "},
        {findValueField(w, "originField"), "Orig", 0, 500000, 150, 0,
         "Orig — view origin, the first sample shown, in samples"},
        {findValueField(w, "locatorField"), "Loc  ", 0, 500000, 150, 0, "Loc — locator position, in samples"},
        {findValueField(w, "byteValueField"), "Val", 0, 255, 256, 0, "Val — byte at the locator, 0 to 255"},
        {findValueField(w, "selectionStartField"), "Pos", 0, 500000, 150, 0,
         "Pos — selection start, in samples"},
        {findValueField(w, "selectionLengthField"), "Len", 0, 500000, 150, 0,
         "Len — selection length, in samples"},
        {findValueField(w, "offsetField"), "Offset", -255, 255, 150, 0,
         "Offset — added to every byte of the selection, or of the whole sample"},
        {findValueField(w, "levelField"), "Level", 0, 200, 256, 0, ""},
        {findValueField(w, "maxField"), "Max", 0, 255, 150, 0, "Max — highest byte of the sample"},
        {findValueField(w, "minField"), "Min", 0, 255, 150, 0, "Min — lowest byte of the sample"},
    };
    int lastX = -1;
    for (const Knob& k : knobs) {
        SCOPED_TRACE(k.caption.toStdString());
        EXPECT_EQ(k.knob->Min(), k.min);
        EXPECT_EQ(k.knob->Max(), k.max);
        EXPECT_EQ(k.knob->CursorRange(), k.cursorRange);
        EXPECT_EQ(k.knob->State(), k.state);
        EXPECT_TRUE(k.knob->AlwayDetect());
        EXPECT_EQ(k.knob->toolTip(), k.hint);
        QLabel* caption = nullptr;
        for (QLabel* l : findPart<QWidget>(w, "fieldStrip")->findChildren<QLabel*>()) {
            if (l->text() == k.caption && !dynamic_cast<ValueField*>(l))
                caption = l;
        }
        ASSERT_NE(caption, nullptr);
        if (k.knob == findValueField(w, "levelField")) {
            EXPECT_FALSE(k.knob->isVisible());
            EXPECT_FALSE(k.knob->isEnabled());
            EXPECT_FALSE(caption->isVisible());
            continue;
        }
        EXPECT_TRUE(k.knob->isVisible());
        EXPECT_GT(k.knob->x(), caption->x());
        EXPECT_GT(caption->x(), lastX) << "left to right in the order of the strip";
        lastX = k.knob->x();
        EXPECT_EQ(caption->geometry().center().y(), k.knob->geometry().center().y())
            << "caption aligned with its knob";
        EXPECT_GE(caption->width(), caption->fontMetrics().horizontalAdvance(k.caption.trimmed()))
            << "caption not clipped";
    }

    // Hidden and disabled at creation: the analysis and meter panels; the editor fills its panel.
    EXPECT_FALSE(findPart<QWidget>(w, "analysisPanel")->isVisible());
    EXPECT_FALSE(findPart<QWidget>(w, "analysisPanel")->isEnabled());
    EXPECT_FALSE(findPart<QWidget>(w, "meterPanel")->isVisible());
    EXPECT_FALSE(findPart<QWidget>(w, "meterPanel")->isEnabled());
    const SampleView& e = *findEditor(w);
    const int taller = findPart<QWidget>(w, "fieldStrip")->height() - 16;
    EXPECT_GE(taller, 0);
    EXPECT_EQ(e.geometry(), QRect(1, 17 + taller, findPart<QWidget>(w, "editPanel")->width(),
                                  findPart<QWidget>(w, "editPanel")->height() - 32 - taller))
        << "at (1, 17), panel width by panel height - 32; a taller strip takes its extra from the height";
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->minimum(), 0);
    // The scroll bar counts samples: an empty sample has nothing to scroll, the page is the view.
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->maximum(), 0);
    EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->pageStep(), e.width() - 1);

    // The main window's own look of the waveform view.
    EXPECT_TRUE(e.GradientEnabled());
    EXPECT_EQ(e.GradientType(), grxBottomToTop);
    EXPECT_TRUE(e.Axes2Enabled());
    EXPECT_EQ(e.MarkerSize(), 0);
    EXPECT_EQ(e.LocatorSize(), 5);
    EXPECT_EQ(e.SelectionStyle(), 1);
    EXPECT_TRUE(e.SpectrumCenter());
}

// A font too tall for the 16-pixel strip grows the strip; the editor keeps its bottom edge and
// gives up only the difference.
TEST_F(WindowTest, ATallFontGrowsOnlyTheStrip) {
    struct FontGuard {
        QFont saved = QApplication::font();
        ~FontGuard() { QApplication::setFont(saved); }
    } guard;
    QFont big = guard.saved;
    big.setPixelSize(24);
    QApplication::setFont(big);
    MainWindow& w = Open();
    const int taller = findPart<QWidget>(w, "fieldStrip")->height() - 16;
    EXPECT_GT(taller, 0);
    EXPECT_EQ(findEditor(w)->geometry(), QRect(1, 17 + taller, findPart<QWidget>(w, "editPanel")->width(),
                                               findPart<QWidget>(w, "editPanel")->height() - 32 - taller));
}

TEST_F(WindowTest, HiddenWaveItemsKeepTheirKeys) {
    MainWindow& w = Open();
    ASSERT_FALSE(findAction(w, "loadWaveItem")->isVisible());
    Key(Qt::Key_F1);
    ASSERT_EQ(dialogs.openRequests.size(), 1u) << "F1 runs the hidden Load Wave item";
    EXPECT_EQ(dialogs.openRequests[0].title, "Open Wave File");
    EXPECT_EQ(dialogs.openRequests[0].filter, "Wave-Files(*.wav)|*.wav");
    EXPECT_EQ(dialogs.openRequests[0].fileName, "*.wav");
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "...") << "cancel changes nothing";

    Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.saveRequests.empty()) << "Save as Wave is disabled at start, so is its key";

    LoadThroughKeys(WriteFile("kick.bin", Ramp(500)));
    EXPECT_TRUE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));
    Key(Qt::Key_F1, Qt::ControlModifier);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].title, "Save Wave File");
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "kick.wav") << "the name with the extension written";
    EXPECT_TRUE(dialogs.saveRequests[0].confirmOverwrite);

    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "New");
    EXPECT_FALSE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));
    Key(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u) << "New disables Save as Wave again";
}

TEST_F(WindowTest, EditorFollowsItsPanelWhenTheWindowIsResized) {
    MainWindow& w = Open();
    for (const QSize size : {QSize(900, 560), QSize(1200, 700)}) {
        w.resize(size);
        QApplication::processEvents();
        const QWidget* panel = findPart<QWidget>(w, "editPanel");
        const QRect editor = findEditor(w)->geometry();
        const int taller =
            std::max(0, findPart<QWidget>(w, "fieldStrip")->height() - 16); // a strip grown by a large font
        EXPECT_EQ(editor.topLeft(), QPoint(1, 17 + taller));
        EXPECT_EQ(editor.width(), panel->width());
        EXPECT_EQ(editor.height(), panel->height() - 32 - taller);
        EXPECT_EQ(findPart<QScrollBar>(w, "scrollBar")->geometry(),
                  QRect(0, panel->height() - 16, panel->width(), 16));
    }
}

// Made as small as it goes, the window keeps every toolbar button and the whole value strip.
TEST_F(WindowTest, TheSmallestWindowKeepsTheToolbarAndTheValueStripWhole) {
    MainWindow& w = Open();
    w.resize(1, 1); // below the least size: raised to it
    QApplication::processEvents();
    EXPECT_GE(findEditor(w)->height(), 40) << "a few rows of the waveform stay";
    w.resize(400, 250);
    QApplication::processEvents();
    const QWidget* extension =
        findPart<QToolBar>(w, "ToolBar1")->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"));
    ASSERT_NE(extension, nullptr);
    EXPECT_FALSE(extension->isVisible()) << "nothing went into the overflow menu";
    for (QAction* a : findPart<QToolBar>(w, "ToolBar1")->actions()) {
        const QWidget* item = findPart<QToolBar>(w, "ToolBar1")->widgetForAction(a);
        if (!a->isVisible() || !item)
            continue;
        EXPECT_TRUE(item->isVisible()) << a->toolTip().toStdString();
        EXPECT_TRUE(findPart<QToolBar>(w, "ToolBar1")->rect().contains(item->geometry()))
            << a->toolTip().toStdString();
    }
    for (const QWidget* part : findPart<QWidget>(w, "fieldStrip")->findChildren<QWidget*>()) {
        if (part->isHidden())
            continue;
        const QRect onPanel(part->mapTo(findPart<QWidget>(w, "editPanel"), QPoint(0, 0)), part->size());
        EXPECT_TRUE(findPart<QWidget>(w, "editPanel")->rect().contains(onPanel))
            << onPanel.x() << "+" << onPanel.width();
    }
    EXPECT_GT(findEditor(w)->height(), 16);
}

TEST_F(WindowTest, PlacementWrittenOnCloseAndReadAtNextStart) {
    {
        MainWindow& w = Open();
        EXPECT_EQ(findEditor(w)->GradientNbOfColors(), 254) << "the resize rule leaves 254 bands";
        w.move(40, 50);
        w.resize(900, 560);
        w.close();
    }
    QSettings settings(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
    EXPECT_EQ(settings.value("PX1").toInt(), 40);
    EXPECT_EQ(settings.value("PY1").toInt(), 50);
    EXPECT_EQ(settings.value("PW1").toInt(), 900);
    EXPECT_EQ(settings.value("PH1").toInt(), 560);
    settings.setValue("StepsGradient", 100);
    settings.sync();

    MainWindow next(dialogs);
    EXPECT_EQ(next.pos(), QPoint(40, 50));
    EXPECT_EQ(next.size(), QSize(900, 560));
    EXPECT_EQ(findEditor(next)->GradientNbOfColors(), 100) << "read before the first show";
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    EXPECT_EQ(findEditor(next)->GradientNbOfColors(), 254) << "showing runs the resize rule";
}

TEST_F(WindowTest, MissingPlacementValueEndsTheRead) {
    {
        QSettings settings(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
        settings.setValue("PX1", 11);
        settings.setValue("PW1", 700); // PY1 missing: neither this nor StepsGradient is read
        settings.setValue("PH1", 400);
        settings.setValue("StepsGradient", 100);
    }
    MainWindow w(dialogs);
    EXPECT_EQ(w.pos(), QPoint(11, 145));
    EXPECT_EQ(w.size(), QSize(1136, 651));
    EXPECT_EQ(findEditor(w)->GradientNbOfColors(), 64);

    // PH1 missing: the width is read, the height stays.
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).setValue("PY1", 30);
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).setValue("PW1", 1000);
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).remove("PH1");
    MainWindow wide(dialogs);
    EXPECT_EQ(wide.pos(), QPoint(11, 30));
    EXPECT_EQ(wide.size(), QSize(1000, 651));

    // A first run opens it at the top of the screen, leaving the room below to the other windows.
    QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear();
    MainWindow fresh(dialogs);
    EXPECT_EQ(fresh.pos(), QPoint(675, QGuiApplication::primaryScreen()->availableGeometry().top()));
    EXPECT_EQ(fresh.size(), QSize(1136, 651));
}

TEST_F(WindowTest, AboutWindowOpensFromItsItemAndClosesOnAClick) {
    MainWindow& w = Open();
    AboutWindow about(&w);
    w.SetAboutBox(&about);
    findAction(w, "aboutBoxItem")->trigger();
    ASSERT_TRUE(about.isVisible());
    EXPECT_EQ(findPart<QLabel>(about, "productName")->text(), "VK350 Sample Editor");
    EXPECT_EQ(findPart<QLabel>(about, "Version")->text(), "Rev 1.0");
    EXPECT_FALSE(findPart<QLabel>(about, "credits")->text().isEmpty());
    QTest::mouseClick(findPart<QLabel>(about, "credits"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible()) << "a click on the text closes it too";
    findAction(w, "aboutBoxItem")->trigger();
    QTest::mouseClick(&about, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(about.isVisible());
}

TEST_F(WindowTest, ErrorEscapingACommandIsShownInTheErrorBox) {
    MainWindow& w = Open();
    w.RunCommand([] { throw std::runtime_error("Out of sample memory"); });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[0].text, "Out of sample memory");
    EXPECT_TRUE(w.isVisible()) << "the program goes on";
}

// Tests and tools find the window's parts by name; a name that two objects hold would hand them
// whichever comes first. Qt's own children carry names that start with "qt_" or "_".
TEST_F(WindowTest, EveryPartHasANameOfItsOwn) {
    MainWindow& w = Open();
    QStringList names;
    for (const QObject* part : w.findChildren<QObject*>())
        if (!part->objectName().isEmpty() && !part->objectName().startsWith(QLatin1Char('_')) &&
            !part->objectName().startsWith(QLatin1String("qt_")))
            names.append(part->objectName());
    names.sort();
    const QStringList all = names;
    EXPECT_EQ(names.removeDuplicates(), 0) << all.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(all.size(), 106)
        << "the parts that are objects: editor, knobs, bars, panels, views, menus, items";
}
