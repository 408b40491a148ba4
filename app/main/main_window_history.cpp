// TForm1: the undo and redo steps of the main sample, the title's unsaved mark, and the question
// asked before unsaved changes would be lost on closing.
#include "main_window.h"

#include "dialogs.h"
#include "knob_label.h"
#include "part_names.h"
#include "sample_edit.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
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

void TForm1::CreateHistory() {
    mnuRedo = named(new QAction(QStringLiteral("Redo"), this), "mnuRedo");
    mnuRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    const QList<QAction*> items = mnuEdition->actions();
    const qsizetype undo = items.indexOf(mnuUndo);
    mnuEdition->insertAction(undo + 1 < items.size() ? items[undo + 1] : nullptr, mnuRedo);
    connect(mnuRedo, &QAction::triggered, this, [this] { RunCommand([this] { RedoEdit(); }); });

    const std::pair<QObject*, QString> watched[] = {{sqSampleEdit1, QStringLiteral("Draw")},
                                                    {sqpotlab7, QStringLiteral("Size")},
                                                    {sqpotlab3, QStringLiteral("Val")},
                                                    {sqpotlab10, QStringLiteral("Offset")}};
    for (const auto& [widget, name] : watched) {
        const QString step = name;
        widget->installEventFilter(new ReleaseWatcher(this, [this, step] { RecordStep(step); }));
    }
    UpdateHistoryItems();
}

// The step each command that may change the sample's bytes or length records; empty for the
// others. Loads record their own step (SampleLoaded); a failed one that changed the sample
// still records here.
QString TForm1::StepName(void (TForm1::*command)()) {
    static const std::pair<void (TForm1::*)(), const char*> kSteps[] = {
        {&TForm1::NewSample, "New"},
        {&TForm1::Cut, "Cut"},
        {&TForm1::Paste, "Paste"},
        {&TForm1::Crop, "Crop"},
        {&TForm1::Mute, "Mute"},
        {&TForm1::LinearToMuLaw, "Lin to µLaw"},
        {&TForm1::MuLawToLinear, "µLaw to Lin"},
        {&TForm1::Reverse, "Reverse"},
        {&TForm1::ToggleSign, "Unsigned"},
        {&TForm1::FixZero, "Fix Zero"},
        {&TForm1::LoadRawBin, "Load"},
        {&TForm1::LoadWave, "Load"},
        {&TForm1::SendToMidi, "Send to MIDI"},
        {&TForm1::CopyToBank, "Copy to Bank"},
    };
    for (const auto& [c, name] : kSteps)
        if (c == command)
            return QString::fromUtf8(name);
    return {};
}

void TForm1::AfterCommand(void (TForm1::*command)()) {
    const QString name = StepName(command);
    if (!name.isEmpty()) {
        // A new sample over saved work is nothing to save; over unsaved work it stays marked,
        // so closing still offers to save what only Undo can bring back.
        const bool wasModified = sqSampleEdit1->Sample().History().IsModified();
        RecordStep(name);
        if (command == &TForm1::NewSample && !wasModified)
            sqSampleEdit1->Sample().History().MarkSaved();
    }
    UpdateHistoryItems();
}

void TForm1::RecordStep(const QString& name) {
    sqSampleEdit1->Sample().RecordStep(name.toStdString());
    UpdateHistoryItems();
}

// The loaded sample is the file's: one step, and nothing unsaved.
void TForm1::SampleLoaded() {
    RecordStep(QStringLiteral("Load"));
    sqSampleEdit1->Sample().History().MarkSaved();
    UpdateHistoryItems();
}

void TForm1::SampleSaved() {
    RecordStep(QStringLiteral("Edit"));
    sqSampleEdit1->Sample().History().MarkSaved();
    UpdateHistoryItems();
}

void TForm1::UndoEdit() {
    StopPlayback();
    if (sqSampleEdit1->Sample().UndoStep())
        ShowSteppedSample();
    UpdateHistoryItems();
}

void TForm1::RedoEdit() {
    StopPlayback();
    if (sqSampleEdit1->Sample().RedoStep())
        ShowSteppedSample();
    UpdateHistoryItems();
}

// The knobs that show the sample follow it back or forward; the view stays where it is.
void TForm1::ShowSteppedSample() {
    const int n = sqSampleEdit1->GetSampleLen();
    ShowSizeKnob(n / 1024, QStringLiteral("Ko"));
    SetPositionMaxima(n);
    ShowMinMax();
    sqpotlab3->SetState(ByteAt(sqpotlab4->State()));
    sqSampleEdit1->DrawWave();
}

// The items name their step; the title carries the file name and, with Qt's mark, whether the
// sample differs from it.
void TForm1::UpdateHistoryItems() {
    const EditHistory& h = sqSampleEdit1->Sample().History();
    const QString undo = QString::fromStdString(h.UndoName());
    const QString redo = QString::fromStdString(h.RedoName());
    mnuUndo->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undo);
    mnuRedo->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redo);
    SetItemEnabled(mnuUndo, h.CanUndo());
    SetItemEnabled(mnuRedo, h.CanRedo());

    const QString file = Label12->text();
    const bool named = !file.isEmpty() && file != QLatin1String("...");
    const bool modified = h.IsModified();
    // The program's own caption leads, so that the window is found by it whatever is loaded.
    if (named)
        setWindowTitle(QLatin1String(kTitle) + QStringLiteral(" — ") + file + QStringLiteral("[*]"));
    else
        setWindowTitle(QLatin1String(kTitle) + (modified ? QStringLiteral("[*]") : QString()));
    setWindowModified(modified);
}

// Save, Discard or Cancel over unsaved changes to the main sample; true when closing may go on.
// A save that is cancelled or fails keeps the window open.
bool TForm1::ConfirmUnsavedWork() {
    return ConfirmClose();
}

bool TForm1::ConfirmClose() {
    RecordStep(QStringLiteral("Edit"));
    if (!sqSampleEdit1->Sample().History().IsModified())
        return true;
    const QString file = Label12->text();
    const QString what = file.isEmpty() || file == QLatin1String("...") ? QStringLiteral("the sample") : file;
    switch (dialogs_.AskToSave(this, QLatin1String(kTitle),
                               QStringLiteral("Save the changes to %1 before closing?").arg(what))) {
    case SaveChoice::Discard:
        sqSampleEdit1->Sample().History().MarkSaved();
        UpdateHistoryItems();
        return true;
    case SaveChoice::Cancel:
        return false;
    case SaveChoice::Save:
        RunCommand([this] { SaveRawBin(); });
        return !sqSampleEdit1->Sample().History().IsModified();
    }
    return false;
}

} // namespace vk350
