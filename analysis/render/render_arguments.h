// The command line of "vk350 render": which view, which file, where the picture goes, and the
// size and moment to show. The tool checks it before it starts the renderer, and the renderer
// reads it again, so both agree on every rule.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vk350 {

inline constexpr const char* kRenderUsage =
    "usage: vk350 render VIEW FILE OUT.png [--size WxH] [--at SECONDS] [--rate HZ]";

enum class RenderView { Spectrum, Spectrogram, Scope, Level };

struct RenderRequest {
    RenderView view = RenderView::Spectrum;
    std::string file;
    std::string out;
    // 0: the main window's size for the view.
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Where the block shown by the spectrum, scope and level starts.
    double at = 0;
    // Sample rate of a raw file (8-bit offset binary mono, as the editor saves it).
    std::uint32_t rawRate = 22050;
};

enum class RenderParse { Ok, Help, Error };

// args exclude the program and subcommand names. On Error, error holds one line without the
// usage.
RenderParse ParseRenderArguments(std::span<char* const> args, RenderRequest& request, std::string& error);

// The text of --help.
std::string RenderHelp();

} // namespace vk350
