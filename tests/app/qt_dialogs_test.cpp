// Qt's own file dialog behind the Dialogs interface: a folder pick answers with the folder and
// the preset name, and a cancelled dialog answers nothing whatever it had selected.
#include "qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
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

TEST(QtDialogs, AnyNameOpenPicksAFolderAndAnswersWithThePresetName) {
    QTemporaryDir folder;
    QtDialogs dialogs;
    FileDialogRequest request;
    request.title = QStringLiteral("Select Temp Folder");
    request.filter = QStringLiteral("Binary|*.bin|All Files|*.*");
    request.filterIndex = 2;
    request.fileName = QStringLiteral("*.*");
    request.acceptAnyName = true;
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

    // Without it an open dialog asks for an existing file.
    request.acceptAnyName = false;
    WhenTheDialogRuns([](QFileDialog* d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
        d->reject();
    });
    EXPECT_FALSE(dialogs.OpenFile(nullptr, request).accepted);
}
