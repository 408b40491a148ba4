// MainWindow: the undo and redo steps of the main sample, the title's unsaved mark, and the question
// asked before unsaved changes would be lost on closing.
#include "main_window.h"

#include "dialogs.h"
#include "file_names.h"
#include "part_names.h"
#include "sample_view.h"
#include "value_field.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <functional>
#include <utility>

namespace vk350 {

namespace {

const char* const kTitle = "VK350 Sample Editor v1.0";

// Runs its action once a mouse button is released over the watched widget, after the widget has
// handled the release: a drag on a knob or on the wave ends there, as one step.
class ReleaseWatcher : public QObject {
public:
    ReleaseWatcher(QObject* parent, std::function<void()> action)
        : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease || forwarding_)
            return QObject::eventFilter(watched, event);
        forwarding_ = true;
        QCoreApplication::sendEvent(watched, event);
        forwarding_ = false;
        action_();
        return true;
    }

private:
    std::function<void()> action_;
    bool forwarding_ = false;
};

} // namespace

void MainWindow::CreateHistory() {
    redoItem = named(new QAction(QStringLiteral("Redo"), this), "redoItem");
    redoItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    const QList<QAction*> items = editionMenu->actions();
    const qsizetype undo = items.indexOf(undoItem);
    editionMenu->insertAction(undo + 1 < items.size() ? items[undo + 1] : nullptr, redoItem);
    connect(redoItem, &QAction::triggered, this, [this] { RunCommand([this] { RedoEdit(); }); });

    const std::pair<QObject*, QString> watched[] = {{sampleView, QStringLiteral("Draw")},
                                                    {sizeField, QStringLiteral("Size")},
                                                    {byteValueField, QStringLiteral("Val")},
                                                    {offsetField, QStringLiteral("Offset")}};
    for (const auto& [widget, name] : watched) {
        const QString step = name;
        widget->installEventFilter(new ReleaseWatcher(this, [this, step] { RecordStep(step); }));
    }
    UpdateHistoryItems();
}

// The step each command that may change the sample's bytes or length records; empty for the
// others. Loads record their own step (SampleLoaded); a failed one that changed the sample
// still records here.
QString MainWindow::StepName(void (MainWindow::*command)()) {
    static const std::pair<void (MainWindow::*)(), const char*> kSteps[] = {
        {&MainWindow::NewSample, "New"},
        {&MainWindow::Cut, "Cut"},
        {&MainWindow::Paste, "Paste"},
        {&MainWindow::Crop, "Crop"},
        {&MainWindow::Mute, "Mute"},
        {&MainWindow::LinearToMuLaw, "Lin to µLaw"},
        {&MainWindow::MuLawToLinear, "µLaw to Lin"},
        {&MainWindow::Reverse, "Reverse"},
        {&MainWindow::ToggleSign, "Unsigned"},
        {&MainWindow::FixZero, "Fix Zero"},
        {&MainWindow::LoadRawBin, "Load"},
        {&MainWindow::LoadWave, "Load"},
        {&MainWindow::SendToMidi, "Send to MIDI"},
        {&MainWindow::CopyToBank, "Copy to Bank"},
        {&MainWindow::FadeIn, "Fade In"},
        {&MainWindow::FadeOut, "Fade Out"},
        {&MainWindow::Gain, "Gain"},
        {&MainWindow::Normalise, "Normalise"},
        {&MainWindow::RemoveDc, "Remove DC Offset"},
        {&MainWindow::TrimSilence, "Trim Silence"},
        {&MainWindow::Delete, "Delete"},
        {&MainWindow::PasteInsert, "Paste Insert"},
        {&MainWindow::FitToLocation, "Fit to Location"},
    };
    for (const auto& [c, name] : kSteps)
        if (c == command)
            return QString::fromUtf8(name);
    return {};
}

void MainWindow::AfterCommand(void (MainWindow::*command)()) {
    const QString name = StepName(command);
    if (!name.isEmpty()) {
        // A new sample over saved work is nothing to save; over unsaved work it stays marked,
        // so closing still offers to save what only Undo can bring back.
        const bool wasModified = document_->IsModified();
        RecordStep(name);
        if (command == &MainWindow::NewSample)
            document_->Loaded({{}, SampleKind::New, "New"}, !wasModified);
    }
    UpdateHistoryItems();
}

void MainWindow::RecordStep(const QString& name) {
    document_->Record(name.toStdString());
}

// The loaded sample is the file's: one step, and nothing unsaved unless the file was cut.
void MainWindow::SampleLoaded(const QString& path, SampleKind kind, bool complete) {
    document_->Loaded({encodedPath(path), kind, fileNameWithoutFolder(path).toStdString()}, complete);
}

void MainWindow::SampleSaved(const QString& path, SampleKind kind) {
    document_->Saved({encodedPath(path), kind, fileNameWithoutFolder(path).toStdString()});
}

void MainWindow::UndoEdit() {
    StopPlayback();
    if (document_->Undo())
        ShowSteppedSample();
}

void MainWindow::RedoEdit() {
    StopPlayback();
    if (document_->Redo())
        ShowSteppedSample();
}

// The knobs that show the sample follow it back or forward; the view stays where it is.
void MainWindow::ShowSteppedSample() {
    const int n = sampleView->GetSampleLen();
    ShowSizeField(n / 1024, QStringLiteral("Ko"));
    SetPositionMaxima(n);
    ShowMinMax();
    byteValueField->SetState(ByteAt(locatorField->State()));
    sampleView->DrawWave();
}

// The items name their step; the title carries the file name and, with Qt's mark, whether the
// sample differs from it.
void MainWindow::UpdateHistoryItems() {
    const EditHistory& h = document_->Buffer().History();
    const std::string& name = document_->Identity().name;
    fileNameLabel->setText(name.empty() ? QStringLiteral("...") : QString::fromStdString(name));
    const QString undo = QString::fromStdString(h.UndoName());
    const QString redo = QString::fromStdString(h.RedoName());
    undoItem->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undo);
    redoItem->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redo);
    SetItemEnabled(undoItem, h.CanUndo());
    SetItemEnabled(redoItem, h.CanRedo());

    const QString file = fileNameLabel->text();
    const bool named = !file.isEmpty() && file != QLatin1String("...");
    const bool modified = document_->IsModified();
    // The program's own caption leads, so that the window is found by it whatever is loaded.
    if (named)
        setWindowTitle(QLatin1String(kTitle) + QStringLiteral(" — ") + file + QStringLiteral("[*]"));
    else
        setWindowTitle(QLatin1String(kTitle) + (modified ? QStringLiteral("[*]") : QString()));
    setWindowModified(modified);
    ShowLocationFit();
}

void MainWindow::ShowRefusal(const QString& text) {
    statusBar()->showMessage(text, 5000);
}

// Save, Discard or Cancel over unsaved changes to the main sample; true when closing may go on.
// A save that is cancelled or fails keeps the window open.
bool MainWindow::ConfirmUnsavedWork() {
    return ConfirmClose();
}

bool MainWindow::ConfirmClose() {
    return AskToSaveChanges(QStringLiteral("Save the changes to %1 before closing?"), true);
}

bool MainWindow::MayReplaceSample(const QString& incoming) {
    return AskToSaveChanges(
        QStringLiteral("Save the changes to %1 before opening ") + incoming + QLatin1Char('?'), false);
}

// A Save here proposes the sample's own kind, name and folder; a save that is cancelled or fails
// keeps the sample, and the caller stops.
// A discard on closing is remembered, so that closing does not ask again; before an open the
// discarded changes stay unsaved in the history, where Undo finds them.
bool MainWindow::AskToSaveChanges(const QString& question, bool closing) {
    RecordStep(QStringLiteral("Edit"));
    if (!document_->IsModified())
        return true;
    const QString file = fileNameLabel->text();
    const QString what = file.isEmpty() || file == QLatin1String("...") ? QStringLiteral("the sample") : file;
    switch (dialogs_.AskToSave(this, QLatin1String(kTitle), question.arg(what))) {
    case SaveChoice::Discard:
        if (closing)
            document_->MarkSaved();
        return true;
    case SaveChoice::Cancel:
        return false;
    case SaveChoice::Save:
        RunCommand([this] { SaveDocument(true); });
        return !document_->IsModified();
    }
    return false;
}

} // namespace vk350
