// BankWindow: loading and saving slots as raw files, one file per slot.
#include "bank_window.h"

#include "dialogs.h"
#include "file_names.h"
#include "file_reasons.h"
#include "sample_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>

namespace vk350 {

namespace {

const char* const kLoadFilter = "Binary file |*.bin;*.raw|All files (*.*)|*.*";
const char* const kSaveFilter = "Binary file (bin)|*.bin|All files (*.*)|*.*";

int zoomFor(const SampleView& e) {
    return e.GetSampleLen() / std::max(1, e.width() - 1) + 1;
}

// The name without its last extension ("kit.bin" gives "kit").
QString withoutExtension(const QString& name) {
    const QString extension = extensionOf(name);
    return extension.isEmpty() ? name : name.left(name.size() - extension.size() - 1);
}

} // namespace

void BankWindow::ShowError(const QString& text) {
    dialogs_.Message(this, MessageIcon::Error, QStringLiteral("File Error"), text);
}

void BankWindow::ShowLoaded(int slot, const QString& name, const QString& size) {
    SampleView& e = *slotViews[size_t(slot)];
    slotNames[size_t(slot)]->setText(name);
    e.SetZoom(zoomFor(e));
    slotSizes[size_t(slot)]->setText(size);
    filedSlots_ |= 1u << slot;
}

void BankWindow::LoadOne(int slot) {
    FileDialogRequest request;
    request.title = QStringLiteral(" Load One Sample");
    request.filter = QString::fromUtf8(kLoadFilter);
    request.filterIndex = 1;
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted)
        return;
    SampleView& e = *slotViews[size_t(slot)];
    // A failed read leaves the slot and its captions as they were.
    if (QString reason; !LoadSlotFile(slot, answer.fileName, reason)) {
        ShowError(withReason(QStringLiteral("Read File Error - Abort Loading"), reason));
        return;
    }
    ShowLoaded(slot, fileNameWithoutFolder(answer.fileName),
               QString::number(e.GetSampleLen() / 1024) + QStringLiteral("K"));
}

// The chosen name is a pattern in its folder ("*.*" as typed by default). Plain files only,
// in name order as the desktop lists them, fill the slots from the first; the eleventh and later
// are left. A file that fails keeps its slot as it was and the next file goes to the next slot.
void BankWindow::LoadAll() {
    FileDialogRequest request;
    request.title = QStringLiteral(" Load All Samples");
    request.filter = QString::fromUtf8(kLoadFilter);
    request.filterIndex = 2;
    request.fileName = QStringLiteral("*.*");
    request.acceptAnyName = true;
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    const QFileInfo chosen(answer.fileName);
    QString pattern = chosen.fileName();
    // "*.*" stands for every file, with an extension or not.
    if (pattern.isEmpty() || pattern == QLatin1String("*.*"))
        pattern = QStringLiteral("*");
    const QDir folder(chosen.path());
    const QStringList files =
        folder.entryList(QStringList{pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    const int count = std::min<int>(int(files.size()), kSlotCount);
    for (int slot = 0; slot < count; ++slot) {
        const QString& name = files[slot];
        SampleView& e = *slotViews[size_t(slot)];
        if (QString reason; !LoadSlotFile(slot, folder.filePath(name), reason)) {
            ShowError(withReason(QStringLiteral("Read File Error - Abort Loading"), reason));
            continue;
        }
        ShowLoaded(slot, name, QString::number(e.GetSampleLen() / 1024 + 1) + QStringLiteral("K"));
    }
}

// An empty slot has nothing to save: no dialog, no file.
void BankWindow::SaveOne(int slot) {
    SampleView& e = *slotViews[size_t(slot)];
    if (e.GetSampleLen() <= 0)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save One Sample");
    request.filter = QString::fromUtf8(kSaveFilter);
    request.filterIndex = 1;
    request.fileName = slotNames[size_t(slot)]->text();
    request.confirmOverwrite = true;
    const FileDialogAnswer answer = dialogs_.SaveFile(this, request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    QString name = answer.fileName;
    if (extensionOf(name).isEmpty() && !name.endsWith(QLatin1Char('.')))
        name += QStringLiteral(".bin");
    if (!e.SaveToFile(encodedPath(name))) {
        ShowError(withReason(QStringLiteral("Write File Error - Abort Saving"),
                             writeReasonLine(name, uint64_t(e.GetSampleLen()))));
        return;
    }
    slotNames[size_t(slot)]->setText(fileNameWithoutFolder(name));
    filedSlots_ |= 1u << slot;
}

// Ten files base_0.bin .. base_9.bin beside the chosen name. Empty slots write no file; the first
// failure ends the saving.
void BankWindow::SaveAll() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save All Samples");
    request.filter = QString::fromUtf8(kSaveFilter);
    request.filterIndex = 1;
    const FileDialogAnswer answer = dialogs_.SaveFile(this, request);
    if (!answer.accepted || answer.fileName.isEmpty())
        return;
    const QFileInfo chosen(answer.fileName);
    const QDir folder(chosen.path());
    const QString base = withoutExtension(chosen.fileName());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        SampleView& e = *slotViews[size_t(slot)];
        if (e.GetSampleLen() <= 0)
            continue;
        const QString name = base + QStringLiteral("_%1.bin").arg(slot);
        if (!e.SaveToFile(encodedPath(folder.filePath(name)))) {
            ShowError(withReason(QStringLiteral("Write File Error - Abort Saving"),
                                 writeReasonLine(folder.filePath(name), uint64_t(e.GetSampleLen()))));
            return;
        }
        slotNames[size_t(slot)]->setText(name);
        filedSlots_ |= 1u << slot;
    }
}

} // namespace vk350
