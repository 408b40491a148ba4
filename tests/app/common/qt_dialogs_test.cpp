// Qt's own file dialog behind the Dialogs interface: a folder pick answers with the folder and
// the preset name, and a cancelled dialog answers nothing whatever it had selected.
#include "qt_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace vk350;

namespace {

// Acts on the file dialog once it runs.
void WhenTheDialogRuns(std::function<void(QFileDialog*)> act) {
    QTimer::singleShot(50, [act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

} // namespace

TEST(QtDialogs, FolderPickAnswersWithTheFolderAndThePresetName) {
    QTemporaryDir folder;
    QtDialogs dialogs;
    FileDialogRequest request;
    request.title = QStringLiteral("Select Temp Folder");
    request.filter = QStringLiteral("Binary|*.bin|All Files|*.*");
    request.filterIndex = 2;
    request.fileName = QStringLiteral("*.*");
    request.acceptAnyName = true;
    request.chooseFolder = true;
    WhenTheDialogRuns([&](QFileDialog* d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(d->windowTitle(), request.title);
        d->setDirectory(folder.path());     // the folder the user went into
        static_cast<QDialog*>(d)->accept(); // as the Choose button does
    });
    const FileDialogAnswer answer = dialogs.OpenFile(nullptr, request);
    ASSERT_TRUE(answer.accepted);
    EXPECT_EQ(answer.fileName, folder.path() + QStringLiteral("/*.*"));

    // Cancelled in a folder: no answer.
    WhenTheDialogRuns([&](QFileDialog* d) {
        d->setDirectory(folder.path());
        d->reject();
    });
    EXPECT_FALSE(dialogs.OpenFile(nullptr, request).accepted);

    // Without either an open dialog asks for an existing file.
    request.acceptAnyName = false;
    request.chooseFolder = false;
    WhenTheDialogRuns([](QFileDialog* d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
        d->reject();
    });
    EXPECT_FALSE(dialogs.OpenFile(nullptr, request).accepted);
}

// An open dialog that takes any name shows the preset pattern in its name field and answers
// with what the user typed there, a pattern of names included, in the folder shown.
TEST(QtDialogs, AnyNameOpenTakesATypedPattern) {
    QTemporaryDir folder;
    QFile(folder.filePath("kit_1.bin")).open(QIODevice::WriteOnly);
    QtDialogs dialogs;
    dialogs.RememberFolderOf(folder.filePath("kit_1.bin"));
    FileDialogRequest request;
    request.title = QStringLiteral(" Load All Samples");
    request.filter = QStringLiteral("Binary file |*.bin;*.raw|All files (*.*)|*.*");
    request.filterIndex = 2;
    request.fileName = QStringLiteral("*.*");
    request.acceptAnyName = true;
    for (const char* typed : {"kit_*.bin", "missing.bin", ""}) {
        QString shown;
        WhenTheDialogRuns([&](QFileDialog* d) {
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            shown = name->text();
            // The name as typed (set whole: key by key, the name completer's list may take the Return).
            if (*typed)
                name->setText(QLatin1String(typed));
            // Still up a while after: the name was refused (perhaps with a message box over the dialog).
            QTimer::singleShot(2000, d, [d] {
                for (QWidget* top; (top = QApplication::activeModalWidget()) && top != d;)
                    top->close();
                d->reject();
            });
            QTest::keyClick(name, Qt::Key_Return);
        });
        const FileDialogAnswer answer = dialogs.OpenFile(nullptr, request);
        EXPECT_EQ(shown, QStringLiteral("*.*"));
        ASSERT_TRUE(answer.accepted) << typed;
        EXPECT_EQ(answer.fileName, folder.filePath(QLatin1String(*typed ? typed : "*.*")));
        EXPECT_EQ(answer.filterIndex, 2);
    }
}
