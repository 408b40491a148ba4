#include "wave_files.h"

#include "file_problem.h"
#include "safe_file.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_file_io.h"
#include "wave_problem.h"

#include <algorithm>
#include <cctype>

namespace vk350::cli {

std::optional<uint32_t> parseRate(std::string_view text) {
    const auto it =
        std::find_if(kRates.begin(), kRates.end(), [&](uint32_t r) { return std::to_string(r) == text; });
    return it == kRates.end() ? std::nullopt : std::optional<uint32_t>(*it);
}

bool endsWithWav(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".wav";
}

void writeWave(const std::string& target, std::span<const uint8_t> bytes, const WaveFormatEx& format,
               const WaveDocument* source) {
    vk350::SafeFile file;
    PWAVEIOCB out;
    if (!file.open(target) || wioCreateFileInfo(out, &format) != WIOERR_NOERROR ||
        wioWriteFileInfo(out.get(), file.tempPath()) != WIOERR_NOERROR)
        throw WaveError("Unable to create wave file");
    if (const WaveIoBlock* from = source ? source->GetWaveIOCB() : nullptr)
        out->pInfo.copyTextsFrom(from->pInfo);
    const bool written = bytes.empty() || wioWaveWriteData(out.get(), bytes.data(), uint32_t(bytes.size())) ==
                                              int64_t(bytes.size());
    if (wioWaveClose(out.get()) != WIOERR_NOERROR || !written || !file.commit())
        throw WaveError("Unable to create wave file");
}

std::string reasonLine(const std::string& in, const std::string& out) {
    std::string reason = waveReadProblem(in);
    const std::string& file = reason.empty() ? out : in;
    if (reason.empty() && !out.empty())
        reason = fileWriteProblem(out);
    return reason.empty() ? std::string() : "\nvk350: " + fileProblemLine(file, reason);
}

} // namespace vk350::cli
