// MainWindow: the WAV road. A WAV file is converted by the wave file component into a work file in
// the editor's 8-bit mono at the chosen rate, and the sample is that file's audio; the other way
// the sample is written to a raw work file and imported as the playable wave, which is also what
// the WAV saves write.
#include "main_window.h"

#include "byte_order.h"
#include "dialogs.h"
#include "file_job_progress.h"
#include "file_names.h"
#include "file_reasons.h"
#include "options_window.h"
#include "pcm_support.h"
#include "safe_file.h"
#include "sample_view.h"
#include "wave_error.h"
#include "wave_file_io.h"
#include "work_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

namespace vk350 {

namespace {

constexpr uint32_t kDefaultRate = 22050;

// Two names of one file, whether or not it exists yet.
bool isSameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QFileInfo(fa.absoluteFilePath()).absoluteFilePath() ==
           QFileInfo(fb.absoluteFilePath()).absoluteFilePath();
}

// The audio of a converted file: exactly its data chunk's bytes, at most max of them; whole is
// the chunk's length. Anything after the chunk (pad byte, "fact", "LIST") is no sound.
std::vector<uint8_t> readDataChunk(const std::string& name, int32_t max, int64_t& whole) {
    PWAVEIOCB cb;
    if (wioReadFileInfo(cb, name, fourcc("WAVE"), RIFF_FILE) != WIOERR_NOERROR)
        throw WaveError("Unable to read the converted file");
    whole = cb->dwDataBytes;
    const auto n = static_cast<size_t>(std::min<int64_t>(cb->dwDataBytes, std::max(max, 0)));
    if (n == 0)
        throw WaveError("The converted file holds no sound");
    std::vector<uint8_t> bytes(n);
    std::ifstream in(name, std::ios::binary);
    in.seekg(cb->dwDataOffset);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(n));
    if (!in || size_t(in.gcount()) != n)
        throw WaveError("Unable to read the converted file");
    return bytes;
}

} // namespace

QString MainWindow::WorkFolder() const {
    return options_ ? options_->WorkFolder() : effectiveWorkFolder(QString());
}

uint32_t MainWindow::ChosenRate() const {
    return options_ ? options_->SampleRate() : kDefaultRate;
}

void MainWindow::RememberUserFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!userFiles_.contains(full))
        userFiles_.append(full);
}

// A work file goes to the work folder unless it would replace something of the user's: a file
// loaded or saved in this run, or anything but a plain writable file (a link is written through
// to what it names). Then it goes to the per-user cache folder, and the user hears of it once.
// A raw work file brings the ".WAV" file that importing it writes beside it.
QString MainWindow::WorkFile(const QString& leaf) {
    const auto mayWrite = [this](const QString& path) {
        const QFileInfo info(path);
        if (info.isSymLink() || (info.exists() && (!info.isFile() || !info.isWritable())))
            return false;
        return std::none_of(userFiles_.begin(), userFiles_.end(),
                            [&](const QString& user) { return isSameFile(path, user); });
    };
    const auto usable = [&](const QString& folder) {
        const QString path = folder + leaf;
        if (!mayWrite(path))
            return false;
        return !leaf.endsWith(QLatin1String(".raw")) ||
               mayWrite(ForceExtension(path, QStringLiteral(".WAV")));
    };
    const QString folder = WorkFolder();
    if (usable(folder))
        return folder + leaf;
    const QString fallback = effectiveWorkFolder(QString());
    if (fallback == folder || !usable(fallback))
        throw WaveError("No folder can take the work file " + encodedPath(leaf));
    if (!reportedWorkFolders_.contains(folder + leaf)) {
        reportedWorkFolders_.append(folder + leaf);
        dialogs_.Message(this, MessageIcon::Information, QStringLiteral("Work Files"),
                         folder + leaf +
                             QStringLiteral(" is not a work file of this editor; work files go to ") +
                             fallback);
    }
    return fallback + leaf;
}

void MainWindow::LoadWave() {
    FileDialogRequest request;
    request.title = QStringLiteral("Open Wave File");
    request.filter = QStringLiteral("Wave-Files(*.wav)|*.wav");
    request.fileName = QStringLiteral("*.wav");
    request.wavePreview = true;
    const FileDialogAnswer answer = dialogs_.OpenFile(this, request);
    if (!answer.accepted)
        return;
    // As with Load Raw-Bin, a file that does not convert leaves the sample, its name and the
    // enabling as they were.
    OpenWaveFile(answer.fileName);
}

// The Load Wave road for a chosen file: the converted sound becomes the sample.
bool MainWindow::OpenWaveFile(const QString& path) {
    if (!MayReplaceSample(fileNameWithoutFolder(path)))
        return false;
    if (!ConvertWaveFile(path, QStringLiteral("convertspl.wav")))
        return false;
    EnablePlayback();
    ResetViewAfterLoad();
    SampleLoaded(path, SampleKind::Wave);
    RememberRecentFile(path);
    return true;
}

// Binds the wave object to source, converts it into the work file and makes that file's audio
// the sample; the wave object then stands for the converted file. Any failure shows the
// conversion's box and changes nothing: the sample, the work files (written whole or not at all)
// and the playable wave stay as they were.
bool MainWindow::ConvertWaveFile(const QString& source, const QString& workFile) {
    StopPlayback();
    WaveDocument& wave = chainWave->Wave();
    const std::string previous = wave.FileName();
    QString destination;
    try {
        RememberUserFile(source);
        wave.SetFileName({});
        wave.SetFileName(encodedPath(source));
        // A data chunk that runs past the end of the file is taken as far as it goes, as the
        // command-line tool does; the user is told that the sound was cut.
        const bool cutShort = wioDataChunkCutShort(*wave.GetWaveIOCB());
        // Refused before converting, so that the work file keeps its sound.
        if (wave.Empty())
            throw WaveError("The file holds no sound");
        destination = WorkFile(workFile);
        const auto [format, conversion] = waveTargetOf(options_);
        wave.SetWorkFiles(true);
        {
            // The progress box lets the other windows paint and take clicks: nothing may reach
            // the sample or the wave object until the conversion is over.
            const SampleDocument::Hold hold(*document_,
                                            "converting " + encodedPath(fileNameWithoutFolder(source)));
            const FileJobProgress progress(wave, this, QStringLiteral("Converting ") + source);
            wave.ConvertFile(encodedPath(destination), &format, conversion);
        }
        int64_t whole = 0;
        const std::vector<uint8_t> bytes = readDataChunk(encodedPath(destination), sampleView->Max(), whole);
        wave.FreeWave();
        wave.SetFileName(encodedPath(destination));
        // Nothing below can fail: the sample changes only now.
        document_->Buffer().Clear(false);
        document_->Assign(bytes, int32_t(bytes.size()));
        if (whole > int64_t(bytes.size()))
            ShowCut(double(bytes.size()) / format.nAvgBytesPerSec, double(whole) / format.nAvgBytesPerSec);
        if (cutShort)
            dialogs_.Message(this, MessageIcon::Warning, QStringLiteral("File Warning"),
                             withReason(QStringLiteral("WAV File Cut Short - Converted What Is There"),
                                        source + QStringLiteral(": the file ends before its sound does")));
        return true;
    } catch (const std::exception& error) {
        try {
            wave.SetFileName(previous);
        } catch (const std::exception&) {
            wave.FreeWave();
        }
        dialogs_.Message(
            this, MessageIcon::Error, QStringLiteral("Error PCM"),
            withReason(QStringLiteral("Conversion aborted!"), waveReasonLine(source, error, destination)));
        return false;
    }
}

// A sound longer than the sample's store keeps its start; the user hears how much of it.
void MainWindow::ShowCut(double keptSeconds, double wholeSeconds) {
    dialogs_.Message(this, MessageIcon::Warning, QStringLiteral("File Warning"),
                     QStringLiteral("Sample Too Long - Cut to %1 s of %2 s")
                         .arg(keptSeconds, 0, 'f', 1)
                         .arg(wholeSeconds, 0, 'f', 1));
}

// The playable wave is the sample as it stands: written to the raw work file and imported.
// An empty sample leaves no playable wave (nothing stale is imported in its place).
void MainWindow::RefreshPlaybackWave() {
    StopPlayback();
    WaveDocument& wave = chainWave->Wave();
    wave.FreeWave();
    if (document_->Length() <= 0)
        return;
    const QString raw = WorkFile(QStringLiteral("convertspl.raw"));
    if (!scratchWriteBytes(encodedPath(raw), document_->Bytes()))
        throw WaveError("Unable to write the work file " + encodedPath(raw));
    wave.SetWorkFiles(true);
    wave.ImportFromRaw(encodedPath(raw), 8, 1, ChosenRate());
}

// The saved file holds the sample as the user sees it, edits included, so the playable wave is
// made again first.
bool MainWindow::SaveWaveFile(const QString& name) {
    try {
        RefreshPlaybackWave();
        const SampleDocument::Hold hold(*document_, "saving " + encodedPath(fileNameWithoutFolder(name)));
        const FileJobProgress progress(chainWave->Wave(), this, QStringLiteral("Saving ") + name);
        chainWave->Wave().SaveToFile(encodedPath(name));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace vk350
