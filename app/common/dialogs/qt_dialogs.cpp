#include "qt_dialogs.h"

#include "wave_preview.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

namespace vk350 {

QStringList QtDialogs::NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // "*.*" means every file; here it would leave out names without a dot.
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        // Qt reads the patterns from the last parentheses of a filter.
        result << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

QString QtDialogs::FilterDescription(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    return (open < 0 ? nameFilter : nameFilter.left(open)).simplified();
}

FileDialogAnswer QtDialogs::Run(QWidget* parent, const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent, request.title);
    // The list shows each filter's own description; the patterns stay out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!lastFolder_.isEmpty())
        dialog.setDirectory(lastFolder_);
    const QStringList filters = NameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A folder pick shows folders and answers with the chosen one followed by the preset name.
    const bool folderPick = !save && request.chooseFolder;
    const bool anyName = save || (!folderPick && request.acceptAnyName);
    dialog.setFileMode(folderPick ? QFileDialog::Directory
                       : anyName  ? QFileDialog::AnyFile
                                  : QFileDialog::ExistingFile);
    // A desktop's own open dialog insists on an existing file; Qt's takes a typed pattern.
    if (!save && anyName)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save && !request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.isEmpty() && (anyName || !request.fileName.contains(QLatin1Char('*'))))
        dialog.selectFile(request.fileName);
    // The preview sits beside Qt's own dialog, which keeps the desktop's folder navigation.
    if (!save && request.wavePreview) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            auto* preview = new WavePreview(previewPlayer_.get(), &dialog);
            grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
            QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                             [preview](const QString& path) { preview->Select(path); });
        }
    }
    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return answer;
    answer.accepted = true;
    answer.fileName = dialog.selectedFiles().first();
    if (folderPick)
        answer.fileName =
            QDir(answer.fileName)
                .filePath(request.fileName.isEmpty() ? QStringLiteral("*.*") : request.fileName);
    RememberFolderOf(answer.fileName);
    // With the details hidden, Qt may name the chosen filter by its description alone.
    const QString chosen = dialog.selectedNameFilter();
    qsizetype index = filters.indexOf(chosen);
    for (qsizetype i = 0; index < 0 && i < filters.size(); ++i) {
        if (FilterDescription(filters[i]) == chosen.simplified())
            index = i;
    }
    answer.filterIndex = index < 0 ? 1 : int(index) + 1;
    return answer;
}

QtDialogs::QtDialogs() = default;

QtDialogs::~QtDialogs() = default;

void QtDialogs::SetPreviewPlayer(std::unique_ptr<WavePreviewPlayer> player) {
    previewPlayer_ = std::move(player);
}

void QtDialogs::RememberFolderOf(const QString& fileName) {
    lastFolder_ = QFileInfo(fileName).absolutePath();
}

FileDialogAnswer QtDialogs::OpenFile(QWidget* parent, const FileDialogRequest& request) {
    return Run(parent, request, false);
}

FileDialogAnswer QtDialogs::SaveFile(QWidget* parent, const FileDialogRequest& request) {
    return Run(parent, request, true);
}

void QtDialogs::Message(QWidget* parent, MessageIcon icon, const QString& title, const QString& text) {
    const QMessageBox::Icon qtIcon = icon == MessageIcon::Error     ? QMessageBox::Critical
                                     : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                    : QMessageBox::Information;
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<uint32_t> QtDialogs::ChooseColor(QWidget* parent, uint32_t initial) {
    const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 | uint32_t(chosen.blue()) << 16;
}

// Escape and the title bar's close button answer Cancel.
std::optional<double> QtDialogs::AskNumber(QWidget* parent, const QString& title, const QString& label,
                                           double value, double min, double max, int decimals) {
    bool ok = false;
    const double number = QInputDialog::getDouble(parent, title, label, value, min, max, decimals, &ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

SaveChoice QtDialogs::AskToSave(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

} // namespace vk350
