// MainWindow: the file commands. Raw files are the sample bytes alone; WAV files go through the wave
// file component (main_window_wave.cpp).
#include "main_window.h"

#include "dialogs.h"
#include "file_names.h"
#include "file_reasons.h"
#include "sample_view.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <algorithm>

namespace vk350 {

namespace {

const char* const kLoadFilter =
    "Binary Files (bin, raw, ovl) |*.bin;*.raw;*.ovl|Wave Files (wav)|*.wav|All Files ( *.*)|*.*";
const char* const kSaveFilter = "Binary Files (bin)|*.bin|Wave Files (wav) |*.wav|All Files (*.*)|*.*";
const char* const kWaveFilter = "Wave-Files(*.wav)|*.wav";
constexpr int kWaveFilterIndex = 2;

} // namespace

void MainWindow::LoadRawBin() {
    FileDialogRequest request;
    request.title = QStringLiteral(" Load Audio File");
    request.filter = QString::fromUtf8(kLoadFilter);
    request.filterIndex = loadFilterIndex_;
    request.wavePreview = true; // shown when a WAV file is selected
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted)
        return;
    if (LoadSample(answer.fileName))
        loadFilterIndex_ = answer.filterIndex;
}

// A WAV file takes the Load Wave road, any other file is read as raw bytes.
void MainWindow::OpenSampleFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    if (extensionOf(full).compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0)
        OpenWaveFile(full);
    else
        LoadSample(full);
}

// A ".wav" name in any letter case marks a WAV file (read as raw, sample.WAV would put its header
// into the sample); any other name is read as raw bytes. A load that fails, raw or WAV, is
// reported and changes nothing: showing its name over the old sample would make the next save
// write the old bytes under the new name.
bool MainWindow::LoadSample(const QString& path) {
    if (!MayReplaceSample(fileNameWithoutFolder(path)))
        return false;
    bool complete = true;
    SampleKind kind = SampleKind::Raw;
    if (extensionOf(path).compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0) {
        kind = SampleKind::Wave;
        // A failed conversion has shown its own box.
        if (!ConvertWaveFile(path, QStringLiteral("convert.wav")))
            return false;
    } else {
        // The work file must not land on the file being read.
        RememberUserFile(path);
        if (!document_->ReadRaw(QFile::encodeName(path).toStdString())) {
            ShowError(QStringLiteral("File Error"),
                      withReason(QStringLiteral("Read File Error - Nothing Loaded"), readReasonLine(path)));
            return false;
        }
        // A file longer than the sample's store keeps its start; the user hears how much of it,
        // and the cut copy is not the file, so it stays to be saved.
        const qint64 size = QFileInfo(path).size();
        if (size > sampleView->Max()) {
            complete = false;
            dialogs_.Message(this, MessageIcon::Warning, QStringLiteral("File Warning"),
                             withReason(QStringLiteral("Sample Too Long - Cut to %1 of %2 Bytes")
                                            .arg(sampleView->Max())
                                            .arg(size),
                                        path + QStringLiteral(": the rest of the file was not loaded")));
        }
        // The sample stands loaded even if its playable copy cannot be made; that is reported.
        RunCommand([this] { RefreshPlaybackWave(); });
    }
    EnablePlayback();
    ResetViewAfterLoad();
    SampleLoaded(path, kind, complete);
    RememberRecentFile(path);
    return true;
}

void MainWindow::EnablePlayback() {
    SetItemEnabled(saveAsWaveItem, true);
    SetItemEnabled(playButton, true);
    SetItemEnabled(stopButton, true);
}

void MainWindow::SaveRawBin() {
    SaveDocument(false);
}

void MainWindow::SaveDocument(bool asked) {
    if (!HasSampleToSave())
        return;
    const SampleIdentity& identity = document_->Identity();
    const bool known = identity.kind == SampleKind::Raw || identity.kind == SampleKind::Wave;
    FileDialogRequest request;
    request.title = QStringLiteral("Save 8 bits Audio File");
    request.filter = QString::fromUtf8(kSaveFilter);
    request.filterIndex = asked && identity.kind == SampleKind::Wave ? kWaveFilterIndex
                          : asked                                    ? 1
                                                                     : saveFilterIndex_;
    request.fileName = asked && known ? QFile::decodeName(identity.path.c_str()) : fileNameLabel->text();
    request.confirmOverwrite = true;
    // A failed save asks again in the same folder with the same name, so that another place is
    // one step away.
    FileDialogAnswer answer;
    QString name;
    for (;;) {
        answer = dialogs_.SaveFile(this, request);
        if (!answer.accepted)
            return;
        bool saved;
        if (answer.filterIndex == kWaveFilterIndex) {
            name = ForceExtension(answer.fileName, QStringLiteral(".wav"));
            saved = SaveWaveFile(name);
        } else {
            name = ForceExtension(answer.fileName, QStringLiteral(".bin"));
            saved = SaveRawFile(name);
        }
        if (saved)
            break;
        ShowSaveError(name);
        request.fileName = answer.fileName;
        request.filterIndex = answer.filterIndex;
    }
    RememberUserFile(name);
    RememberRecentFile(name);
    saveFilterIndex_ = answer.filterIndex;
    // A wave file holds the playable copy, made again from the sample as it stands.
    SampleSaved(name, answer.filterIndex == kWaveFilterIndex ? SampleKind::Wave : SampleKind::Raw);
}

void MainWindow::SaveAsWave() {
    if (!HasSampleToSave())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save Wave File");
    request.filter = QString::fromUtf8(kWaveFilter);
    // The sample's name with the extension the command writes (kick.bin offers kick.wav).
    request.fileName = fileNameLabel->text().isEmpty()
                           ? QString()
                           : ForceExtension(fileNameLabel->text(), QStringLiteral(".wav"));
    request.confirmOverwrite = true;
    QString name;
    for (;;) {
        const FileDialogAnswer answer = dialogs_.SaveFile(this, request);
        if (!answer.accepted)
            return;
        name = answer.fileName;
        if (extensionOf(name).isEmpty() && !name.endsWith(QLatin1Char('.')))
            name += QStringLiteral(".wav");
        if (SaveWaveFile(name))
            break;
        ShowSaveError(name);
        request.fileName = answer.fileName;
    }
    RememberUserFile(name);
    RememberRecentFile(name);
    SampleSaved(name, SampleKind::Wave);
}

void MainWindow::ShowSaveError(const QString& name) {
    ShowError(QStringLiteral("File Error"),
              withReason(QStringLiteral("Write File Error - Abort Saving"),
                         writeReasonLine(name, uint64_t(std::max(sampleView->GetSampleLen(), 0)) + 64)));
}

// The new file replaces the old one only once it is complete.
bool MainWindow::SaveRawFile(const QString& name) {
    return document_->WriteRaw(QFile::encodeName(name).toStdString());
}

// An empty sample has nothing to save. Saying so before any name is asked keeps the caption as it
// is: a new name over nothing saved would look like a save.
bool MainWindow::HasSampleToSave() {
    if (sampleView->GetSampleLen() > 0)
        return true;
    dialogs_.Message(this, MessageIcon::Warning, QStringLiteral("File Warning"),
                     QStringLiteral("Empty Sample - Nothing to Save"));
    return false;
}

} // namespace vk350
