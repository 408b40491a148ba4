#include "render_arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vk350 {

namespace {

// Pictures smaller than this show nothing; larger ones are not a view any more.
constexpr std::int32_t kMinSide = 16;
constexpr std::int32_t kMaxSide = 8192;

bool ParseInt(std::string_view text, std::int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool EndsWithPng(const std::string& name) {
    if (name.size() < 5)
        return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".png";
}

} // namespace

RenderParse ParseRenderArguments(std::span<char* const> args, RenderRequest& request, std::string& error) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i];
        if (a == "--help" || a == "-h")
            return RenderParse::Help;
        const bool valued = a == "--size" || a == "--at" || a == "--rate";
        if (valued && i + 1 >= args.size()) {
            error = "render: " + a + " needs a value";
            return RenderParse::Error;
        }
        if (a == "--size") {
            const std::string v = args[++i];
            const std::size_t x = v.find_first_of("xX");
            std::int32_t w = 0;
            std::int32_t h = 0;
            if (x == std::string::npos || !ParseInt(std::string_view(v).substr(0, x), w) ||
                !ParseInt(std::string_view(v).substr(x + 1), h) || w < kMinSide || h < kMinSide ||
                w > kMaxSide || h > kMaxSide) {
                error = "render: bad size '" + v + "' (WxH, each 16 to 8192)";
                return RenderParse::Error;
            }
            request.width = w;
            request.height = h;
        } else if (a == "--at") {
            const std::string v = args[++i];
            double at = 0;
            const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), at);
            if (ec != std::errc() || ptr != v.data() + v.size() || v.empty() || !std::isfinite(at) ||
                at < 0) {
                error = "render: bad time '" + v + "' (seconds from the start, 0 or more)";
                return RenderParse::Error;
            }
            request.at = at;
        } else if (a == "--rate") {
            const std::string v = args[++i];
            std::int32_t rate = 0;
            if (!ParseInt(v, rate) || rate < 4000 || rate > 100000) {
                error = "render: bad rate '" + v + "' (4000 to 100000)";
                return RenderParse::Error;
            }
            request.rawRate = std::uint32_t(rate);
        } else if (a.size() > 1 && a[0] == '-') {
            error = "render: unknown option '" + a + "'";
            return RenderParse::Error;
        } else {
            names.push_back(a);
        }
    }
    if (names.size() != 3) {
        error = names.size() < 3 ? "render: missing arguments" : "render: too many arguments";
        return RenderParse::Error;
    }
    const std::string& view = names[0];
    if (view == "spectrum")
        request.view = RenderView::Spectrum;
    else if (view == "spectrogram")
        request.view = RenderView::Spectrogram;
    else if (view == "scope")
        request.view = RenderView::Scope;
    else if (view == "level")
        request.view = RenderView::Level;
    else {
        error = "render: unknown view '" + view + "' (spectrum, spectrogram, scope or level)";
        return RenderParse::Error;
    }
    if (!EndsWithPng(names[2])) {
        error = "render: the picture's name must end in .png";
        return RenderParse::Error;
    }
    request.file = names[1];
    request.out = names[2];
    return RenderParse::Ok;
}

std::string RenderHelp() {
    return std::string(kRenderUsage) +
           "\n\n"
           "Draws FILE through one of the editor's analysis views, at the editor's settings and\n"
           "size, and writes the picture as a PNG:\n"
           "  spectrum     the spectrum of the block at --at\n"
           "  spectrogram  the whole file, oldest at the left\n"
           "  scope        the waveform of the block at --at\n"
           "  level        the peak level of the block at --at, with its decibel scale\n"
           "FILE is a wave file (8 or 16 bits, mono or stereo) or raw 8-bit sample bytes at\n"
           "--rate (22050 by default). --size gives the view's width and height in pixels.\n";
}

} // namespace vk350
