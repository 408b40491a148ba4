// BankWindow: the slots' undo and redo steps, and the slots kept between runs in the user's data
// folder.
#include "bank_window.h"

#include "kept_bank.h"
#include "safe_file.h"
#include "sample_view.h"

#include <QAction>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <algorithm>

namespace vk350 {

namespace {

constexpr size_t kMaxSlotSteps = 64;
// A change settles once nothing else changed for this long; a received kit arrives as ten
// dumps in a row and is written once.
constexpr int kKeepDelayMs = 1500;

void fitZoom(SampleView& e) {
    e.SetZoom(e.GetSampleLen() / std::max(1, e.width() - 1) + 1);
}

} // namespace

void BankWindow::CreateSlotHistory() {
    QMenu* edition = nullptr;
    for (QAction* a : menuBar()->actions())
        if (a->menu() && a->menu()->actions().contains(reverseItem))
            edition = a->menu();
    QAction* first = edition->actions().value(0);
    undoItem = new QAction(QStringLiteral("Undo"), this);
    undoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoItem = new QAction(QStringLiteral("Redo"), this);
    redoItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edition->insertAction(first, undoItem);
    edition->insertAction(first, redoItem);
    edition->insertSeparator(first);
    connect(undoItem, &QAction::triggered, this, [this] { RunCommand([this] { UndoSlots(); }); });
    connect(redoItem, &QAction::triggered, this, [this] { RunCommand([this] { RedoSlots(); }); });
    for (int s = 0; s < kSlotCount; ++s) {
        recordedNames_[size_t(s)] = slotNames[size_t(s)]->text();
        recordedSizes_[size_t(s)] = slotSizes[size_t(s)]->text();
    }
    keepTimer_ = new QTimer(this);
    keepTimer_->setSingleShot(true);
    keepTimer_->setInterval(kKeepDelayMs);
    connect(keepTimer_, &QTimer::timeout, this, [this] { SaveKept(); });
    UpdateSlotHistoryItems();
}

// Every slot whose bytes, length or captions changed since the last step goes into one step.
void BankWindow::RecordSlotSteps(const QString& name) {
    SlotStep step{name, {}};
    for (int s = 0; s < kSlotCount; ++s) {
        SlotChange c;
        c.slot = s;
        c.bytes = slotViews[size_t(s)]->Sample().RecordStep(name.toStdString());
        c.nameBefore = recordedNames_[size_t(s)];
        c.sizeBefore = recordedSizes_[size_t(s)];
        c.nameAfter = recordedNames_[size_t(s)] = slotNames[size_t(s)]->text();
        c.sizeAfter = recordedSizes_[size_t(s)] = slotSizes[size_t(s)]->text();
        // A save renames its slots; that alone is no step.
        const bool filed = filedSlots_ & (1u << s);
        if (c.bytes || (!filed && (c.nameBefore != c.nameAfter || c.sizeBefore != c.sizeAfter)))
            step.changes.push_back(c);
    }
    for (int s = 0; s < kSlotCount; ++s)
        if (filedSlots_ & (1u << s))
            slotViews[size_t(s)]->Document().MarkSaved();
    const bool filed = filedSlots_ != 0;
    filedSlots_ = 0;
    if (step.changes.empty()) {
        if (filed)
            UpdateSlotHistoryItems();
        return;
    }
    undoSteps_.push_back(std::move(step));
    if (undoSteps_.size() > kMaxSlotSteps)
        undoSteps_.erase(undoSteps_.begin());
    redoSteps_.clear();
    UpdateSlotHistoryItems();
    if (keepTimer_ && !keptFile_.isEmpty())
        keepTimer_->start();
}

// A fill from outside (a received dump, the main window's copy) sets the bytes and then each
// caption: the whole fill is one step, recorded once the window thread is back.
void BankWindow::RecordLater() {
    if (recordPending_)
        return;
    recordPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            recordPending_ = false;
            RecordSlotSteps(QStringLiteral("Slot Change"));
        },
        Qt::QueuedConnection);
}

void BankWindow::UndoSlots() {
    MoveSlotStep(undoSteps_, redoSteps_, true);
}

void BankWindow::RedoSlots() {
    MoveSlotStep(redoSteps_, undoSteps_, false);
}

// Changes not yet recorded become a step first, so that they are what an undo takes back.
void BankWindow::MoveSlotStep(std::vector<SlotStep>& from, std::vector<SlotStep>& to, bool undo) {
    RecordSlotSteps(QStringLiteral("Edit"));
    if (from.empty())
        return;
    SlotStep step = std::move(from.back());
    from.pop_back();
    ApplySlotStep(step, undo);
    to.push_back(std::move(step));
    UpdateSlotHistoryItems();
}

void BankWindow::ApplySlotStep(const SlotStep& step, bool undo) {
    for (const SlotChange& c : step.changes) {
        SampleView& e = *slotViews[size_t(c.slot)];
        if (c.bytes) {
            if (undo)
                e.Sample().UndoStep();
            else
                e.Sample().RedoStep();
            fitZoom(e);
        }
        const QString& name = undo ? c.nameBefore : c.nameAfter;
        const QString& size = undo ? c.sizeBefore : c.sizeAfter;
        slotNames[size_t(c.slot)]->setText(name);
        slotSizes[size_t(c.slot)]->setText(size);
        recordedNames_[size_t(c.slot)] = name;
        recordedSizes_[size_t(c.slot)] = size;
        e.DrawWave();
    }
    if (keepTimer_ && !keptFile_.isEmpty())
        keepTimer_->start();
}

void BankWindow::UpdateSlotHistoryItems() {
    const QString undo = undoSteps_.empty() ? QString() : undoSteps_.back().name;
    const QString redo = redoSteps_.empty() ? QString() : redoSteps_.back().name;
    undoItem->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undo);
    redoItem->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redo);
    undoItem->setEnabled(!undoSteps_.empty());
    redoItem->setEnabled(!redoSteps_.empty());
    // The title is marked while a slot holds changes not saved to or loaded from a file.
    const bool modified = std::any_of(slotViews.begin(), slotViews.end(),
                                      [](const SampleView* e) { return e->Document().IsModified(); });
    setWindowTitle(modified ? QStringLiteral("VK350 Sample Bank[*]") : QStringLiteral("VK350 Sample Bank"));
    setWindowModified(modified);
}

void BankWindow::KeepIn(const QString& folder) {
    keptFile_ = QDir(folder).filePath(QStringLiteral("bank.kept"));
    RestoreKept();
}

// Slots the store does not hold keep what they have. The restored slots are where their
// histories start.
void BankWindow::RestoreKept() {
    QFile file(keptFile_);
    if (!file.exists())
        return;
    QByteArray stored;
    if (file.open(QIODevice::ReadOnly))
        stored = file.read(qint64(kSlotCount) * (SampleBuffer::Capacity + 16384) + 64);
    const KeptBankRead read = decodeKeptBank(stored);
    int restored = 0;
    for (int s = 0; s < kSlotCount; ++s) {
        const KeptSlot& k = read.kept[size_t(s)];
        if (!k.present)
            continue;
        SampleView& e = *slotViews[size_t(s)];
        const int n = std::min(int(k.bytes.size()), e.Max());
        e.Clear(false);
        e.Document().Assign(k.bytes, n);
        fitZoom(e);
        slotNames[size_t(s)]->setText(k.name);
        slotSizes[size_t(s)]->setText(k.size);
        recordedNames_[size_t(s)] = k.name;
        recordedSizes_[size_t(s)] = k.size;
        e.Document().Rebase();
        e.DrawWave();
        ++restored;
    }
    if (read.damaged || !file.isOpen())
        qWarning().noquote() << QStringLiteral("The kept bank %1 is damaged: %2 slots restored")
                                    .arg(QDir::toNativeSeparators(keptFile_))
                                    .arg(restored);
}

bool BankWindow::SaveKept() {
    if (keptFile_.isEmpty())
        return false;
    keepTimer_->stop();
    KeptSlots kept;
    for (int s = 0; s < kSlotCount; ++s) {
        const SampleView& e = *slotViews[size_t(s)];
        KeptSlot& k = kept[size_t(s)];
        k.present = true;
        k.name = slotNames[size_t(s)]->text();
        k.size = slotSizes[size_t(s)]->text();
        k.bytes.assign(e.Document().Bytes().begin(), e.Document().Bytes().end());
    }
    const QByteArray encoded = encodeKeptBank(kept);
    QDir().mkpath(QFileInfo(keptFile_).path());
    const bool saved =
        safeWriteBytes(QFile::encodeName(keptFile_).toStdString(),
                       {reinterpret_cast<const uint8_t*>(encoded.constData()), size_t(encoded.size())});
    if (!saved)
        qWarning().noquote()
            << QStringLiteral("The bank could not be kept in %1").arg(QDir::toNativeSeparators(keptFile_));
    return saved;
}

} // namespace vk350
