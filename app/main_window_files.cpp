// TForm1: the file commands. Raw files are the sample bytes alone; WAV files go through the wave
// file component, which this build does not have yet, so the WAV roads end in their error boxes.
#include "main_window.h"

#include "dialogs.h"
#include "file_names.h"
#include "sample_edit.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace vk350 {

namespace {

const char* const kLoadFilter =
    "Binary Files (bin, raw, ovl) |*.bin;*.raw;*.ovl|Wave Files (wav)|*.wav|All Files ( *.*)|*.*";
const char* const kSaveFilter = "Binary Files (bin)|*.bin|Wave Files (wav) |*.wav|All Files (*.*)|*.*";
const char* const kWaveFilter = "Wave-Files(*.wav)|*.wav";
constexpr int kWaveFilterIndex = 2;

} // namespace

void TForm1::LoadRawBin() {
    FileDialogRequest request;
    request.title = QStringLiteral(" Load Audio File");
    request.filter = QString::fromUtf8(kLoadFilter);
    request.filterIndex = LoadFilterIndex;
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted)
        return;
    if (LoadSample(answer.fileName))
        LoadFilterIndex = answer.filterIndex;
}

void TForm1::OpenSampleFile(const QString& path) {
    LoadSample(QFileInfo(path).absoluteFilePath());
}

// "wav" in lower case marks a WAV file; any other name is read as raw bytes. A load that fails,
// raw or WAV, is reported and changes nothing: showing its name over the old sample would make
// the next save write the old bytes under the new name.
bool TForm1::LoadSample(const QString& path) {
    if (ExtensionOf(path) == QLatin1String("wav")) {
        // A failed conversion has shown its own box.
        if (!ConvertWaveFile(QStringLiteral("convert.wav")))
            return false;
    } else if (!sqSampleEdit1->LoadFromFile(QFile::encodeName(path).toStdString(), true, 0)) {
        ShowError(QStringLiteral("File Error"), QStringLiteral("Read File Error - Nothing Loaded"));
        return false;
    }
    // A raw load also rebuilds the playable wave once playback exists.
    SetItemEnabled(mnuSaveAsWave, true);
    SetItemEnabled(btnPlay, true);
    SetItemEnabled(btnStop, true);
    Label12->setText(FileNameWithoutFolder(path));
    ResetViewAfterLoad();
    return true;
}

void TForm1::LoadWave() {
    FileDialogRequest request;
    request.title = QStringLiteral("Open Wave File");
    request.filter = QString::fromUtf8(kWaveFilter);
    request.fileName = QStringLiteral("*.wav");
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted)
        return;
    // As with Load Raw-Bin, a file that does not convert leaves the sample, its name and the
    // enabling as they were.
    if (!ConvertWaveFile(QStringLiteral("convertspl.wav")))
        return;
    SetItemEnabled(mnuSaveAsWave, true);
    SetItemEnabled(btnPlay, true);
    SetItemEnabled(btnStop, true);
    Label12->setText(FileNameWithoutFolder(answer.fileName));
    ResetViewAfterLoad();
}

// Converting a WAV file to the editor's 8-bit mono needs the wave file component; without it the
// conversion fails the way a failed conversion does: the box, and the buffer left as it was.
bool TForm1::ConvertWaveFile(const QString& destination) {
    Q_UNUSED(destination);
    dialogs_.Message(this, MessageIcon::Error, QStringLiteral("Error PCM"),
                     QStringLiteral("Conversion aborted!"));
    return false;
}

void TForm1::SaveRawBin() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save 8 bits Audio File");
    request.filter = QString::fromUtf8(kSaveFilter);
    request.filterIndex = SaveFilterIndex;
    request.fileName = Label12->text();
    const FileDialogAnswer answer = dialogs_.SaveFile(this, request);
    if (!answer.accepted)
        return;
    QString name;
    bool saved;
    if (answer.filterIndex == kWaveFilterIndex) {
        name = ForceExtension(answer.fileName, QStringLiteral(".wav"));
        saved = SaveWaveFile(name);
    } else {
        name = ForceExtension(answer.fileName, QStringLiteral(".bin"));
        saved = SaveRawFile(name);
    }
    if (!saved) {
        ShowError(QStringLiteral("File Error"), QStringLiteral("Write File Error - Abort Saving"));
        return;
    }
    Label12->setText(FileNameWithoutFolder(name));
    SaveFilterIndex = answer.filterIndex;
}

void TForm1::SaveAsWave() {
    FileDialogRequest request;
    request.title = QStringLiteral("Save Wave File");
    request.filter = QString::fromUtf8(kWaveFilter);
    request.fileName = Label12->text();
    request.confirmOverwrite = true;
    const FileDialogAnswer answer = dialogs_.SaveFile(this, request);
    if (!answer.accepted)
        return;
    QString name = answer.fileName;
    if (ExtensionOf(name).isEmpty() && !name.endsWith(QLatin1Char('.')))
        name += QStringLiteral(".wav");
    if (!SaveWaveFile(name))
        ShowError(QStringLiteral("File Error"), QStringLiteral("Write File Error - Abort Saving"));
}

// The new file replaces the old one only once it is complete; an empty sample writes nothing.
bool TForm1::SaveRawFile(const QString& name) {
    if (sqSampleEdit1->GetSampleLen() <= 0)
        return true;
    return sqSampleEdit1->SaveToFile(QFile::encodeName(name).toStdString());
}

// Writing a WAV file needs the wave file component, which this build does not have yet.
bool TForm1::SaveWaveFile(const QString& name) {
    Q_UNUSED(name);
    return false;
}

} // namespace vk350
