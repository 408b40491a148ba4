// Dialogs shown with Qt's own file, message and colour dialogs.
#pragma once

#include "dialogs.h"

#include <QStringList>

#include <memory>

namespace vk350 {

class WavePreviewPlayer;

class QtDialogs : public Dialogs {
public:
    QtDialogs();
    ~QtDialogs() override;
    FileDialogAnswer OpenFile(QWidget* parent, const FileDialogRequest& request) override;
    FileDialogAnswer SaveFile(QWidget* parent, const FileDialogRequest& request) override;
    void Message(QWidget* parent, MessageIcon icon, const QString& title, const QString& text) override;
    std::optional<uint32_t> ChooseColor(QWidget* parent, uint32_t initial) override;
    SaveChoice AskToSave(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<double> AskNumber(QWidget* parent, const QString& title, const QString& label, double value,
                                    double min, double max, int decimals) override;

    // "Text|*.a;*.b|..." as Qt name filters ("Text (*.a *.b)"), one per pair, in order.
    static QStringList NameFilters(const QString& filter);
    // A Qt name filter without its pattern list, as the dialog shows it ("Text").
    static QString FilterDescription(const QString& nameFilter);

    // The next file dialog opens in this file's folder, as it does after a dialog has chosen one.
    void RememberFolderOf(const QString& fileName);
    // What plays the wave preview's selection; none keeps its Play disabled.
    void SetPreviewPlayer(std::unique_ptr<WavePreviewPlayer> player);

private:
    FileDialogAnswer Run(QWidget* parent, const FileDialogRequest& request, bool save);

    QString lastFolder_;
    std::unique_ptr<WavePreviewPlayer> previewPlayer_;
};

} // namespace vk350
