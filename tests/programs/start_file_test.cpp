// The file named on the editor's command line: opened when it can be read; otherwise the editor
// stays empty and says why, on standard error and in the error box.
#include "start_file.h"
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace vk350;

namespace {

std::string readAll(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    return text;
}

} // namespace

TEST_F(WindowTest, StartFileProblemNamesTheReason) {
    const QString sample = WriteFile("kick.bin", Ramp(100));
    const QString empty = WriteFile("empty.bin", {});
    const QString fifo = dir.filePath("fifo.bin");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString locked = WriteFile("locked.bin", Ramp(10));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    const QString link = dir.filePath("link.bin");
    ASSERT_TRUE(QFile::link(sample, link));

    struct Case {
        QString path;
        std::string problem;
    };
    std::vector<Case> cases = {
        {sample, ""},
        {link, ""},
        {dir.filePath("nowhere.bin"), "No such file or directory"},
        {dir.filePath("kick.bin/x"), "Not a directory"},
        {dir.path(), "Is a directory"},
        {empty, "Empty file"},
        {fifo, "Not a regular file"}, // and the check does not block on it
        {QStringLiteral("/dev/null"), "Not a regular file"},
    };
    // The superuser reads every file.
    if (geteuid() != 0)
        cases.push_back({locked, "Permission denied"});
    for (const Case& c : cases)
        EXPECT_EQ(startFileProblem(QFile::encodeName(c.path).toStdString()), c.problem)
            << c.path.toStdString();
}

TEST_F(WindowTest, StartFileThatCannotBeReadLeavesTheEditorEmptyAndSaysWhy) {
    MainWindow& w = Open();
    const QString name = findPart<QLabel>(w, "fileNameLabel")->text();
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);

    const QString missing = dir.filePath("nowhere.bin");
    EXPECT_FALSE(openStartFile(w, dialogs, missing, errors));
    EXPECT_TRUE(Sample().empty());
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), name);
    EXPECT_FALSE(MainWindow::ItemEnabled(findAction(w, "saveAsWaveItem")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[0].title, "File Error");
    EXPECT_EQ(dialogs.messages[0].text,
              "Read File Error - Nothing Loaded\n" + missing + ": No such file or directory");
    EXPECT_EQ(readAll(errors), "vk350-editor: " + missing.toStdString() + ": No such file or directory\n");

    // A folder is refused the same way, with its own reason.
    EXPECT_FALSE(openStartFile(w, dialogs, dir.path(), errors));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.endsWith(": Is a directory"))
        << dialogs.messages[1].text.toStdString();
    EXPECT_TRUE(Sample().empty());
    std::fclose(errors);
}

TEST_F(WindowTest, StartFileThatReadsIsOpenedQuietly) {
    MainWindow& w = Open();
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    const std::vector<uint8_t> bytes = Ramp(3000);
    // Named relative to the working folder, as a shell passes it.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    WriteFile("snare.raw", bytes);
    const bool opened = openStartFile(w, dialogs, QStringLiteral("snare.raw"), errors);
    QDir::setCurrent(previous);
    EXPECT_TRUE(opened);
    EXPECT_EQ(Sample(), bytes);
    EXPECT_EQ(findPart<QLabel>(w, "fileNameLabel")->text(), "snare.raw");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(readAll(errors), "");
    std::fclose(errors);
}
