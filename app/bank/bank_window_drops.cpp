// BankWindow: filling slots from files: WAV files converted to the options' format, raw files taken
// as they are, and files dropped from the desktop on a slot's waveform.
#include "bank_window.h"

#include "dialogs.h"
#include "file_drop.h"
#include "file_names.h"
#include "file_reasons.h"
#include "options_window.h"
#include "pcm_support.h"
#include "sample_view.h"
#include "wave_document.h"
#include "wave_error.h"

#include <QFile>

#include <algorithm>

namespace vk350 {

namespace {

bool isWaveName(const QString& path) {
    return extensionOf(path).compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0;
}

} // namespace

void BankWindow::AcceptFileDrops() {
    for (int slot = 0; slot < kSlotCount; ++slot)
        new FileDrop(slotViews[size_t(slot)], [this, slot](const QStringList& paths) {
            RunCommand([this, slot, paths] { DropFiles(slot, paths); });
        });
}

void BankWindow::LoadFiles(QStringList paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        return fileNameWithoutFolder(a).compare(fileNameWithoutFolder(b), Qt::CaseInsensitive) < 0;
    });
    RunCommand([this, paths] { DropFiles(0, paths); });
}

// A WAV file is converted whole in memory and its start kept when it is longer than the slot; a
// failure leaves the slot as it was and gives the reason line.
bool BankWindow::LoadSlotFile(int slot, const QString& path, QString& reason) {
    SampleView& e = *slotViews[size_t(slot)];
    const std::string native = QFile::encodeName(path).toStdString();
    if (!isWaveName(path)) {
        if (e.Document().ReadRaw(native))
            return true;
        reason = readReasonLine(path);
        return false;
    }
    try {
        const auto [format, conversion] = waveTargetOf(options_);
        WaveDocument wave;
        wave.SetFileName(native);
        if (wave.Empty())
            throw WaveError("The file holds no sound");
        std::vector<uint8_t> bytes = wave.ConvertToBytes(&format, conversion);
        if (bytes.empty())
            throw WaveError("The file holds no sound");
        bytes.resize(std::min<size_t>(bytes.size(), size_t(std::max(e.Max(), 0))));
        e.Sample().Clear(false);
        e.Document().Assign(bytes, int32_t(bytes.size()));
        return true;
    } catch (const std::exception& error) {
        reason = waveReasonLine(path, error, QString());
        return false;
    }
}

// The files fill the slots from the one dropped on, in name order. Files that fail keep their
// slot as it was and the next file takes the next slot; what is left past the last slot is named.
void BankWindow::DropFiles(int slot, const QStringList& paths) {
    QStringList reasons;
    int next = slot;
    int index = 0;
    for (; index < paths.size() && next < kSlotCount; ++index, ++next) {
        QString reason;
        if (!LoadSlotFile(next, paths[index], reason)) {
            reasons.append(reason.isEmpty() ? paths[index] : reason);
            continue;
        }
        ShowLoaded(next, fileNameWithoutFolder(paths[index]),
                   QString::number(slotViews[size_t(next)]->GetSampleLen() / 1024) + QStringLiteral("K"));
    }
    if (!reasons.isEmpty())
        ShowError(
            withReason(QStringLiteral("Read File Error - Abort Loading"), reasons.join(QLatin1Char('\n'))));
    if (index < paths.size()) {
        QStringList left;
        for (; index < paths.size(); ++index)
            left.append(fileNameWithoutFolder(paths[index]));
        dialogs_.Message(this, MessageIcon::Warning, QStringLiteral("File Warning"),
                         QStringLiteral("Bank Full - Not Loaded:\n") + left.join(QStringLiteral(", ")));
    }
}

} // namespace vk350
