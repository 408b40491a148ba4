// vk350-render: the Qt half of "vk350 render". The tool checks the command line and runs this
// program with the same arguments; it draws offscreen and writes the PNG through the safe
// writer.
#include "render_arguments.h"
#include "safe_file.h"
#include "view_render.h"

#include <QApplication>
#include <QBuffer>
#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    vk350::RenderRequest request;
    std::string error;
    switch (vk350::ParseRenderArguments(std::span<char* const>(argv + 1, std::size_t(argc - 1)), request,
                                        error)) {
    case vk350::RenderParse::Help:
        std::fputs(vk350::RenderHelp().c_str(), stdout);
        return 0;
    case vk350::RenderParse::Error:
        std::fprintf(stderr, "vk350: %s; %s\n", error.c_str(), vk350::kRenderUsage);
        return 2;
    case vk350::RenderParse::Ok:
        break;
    }
    // Nothing is ever shown: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes about the session (no runtime folder, no fonts cache) are no concern of a
    // batch renderer: only its own errors reach standard error.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "vk350: render: %s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    QImage picture;
    try {
        if (const int status = vk350::RenderPicture(request, picture, error)) {
            std::fprintf(stderr, "vk350: %s\n", error.c_str());
            return status;
        }
    } catch (const std::exception& e) {
        // Whatever the input, a message and a status rather than an abort.
        std::fprintf(stderr, "vk350: render: '%s': %s\n", request.file.c_str(), e.what());
        return 1;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        std::fprintf(stderr, "vk350: render: cannot encode the picture\n");
        return 1;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(png.constData());
    if (!vk350::safeWriteBytes(request.out, std::span<const std::uint8_t>(data, std::size_t(png.size())),
                               &error)) {
        std::fprintf(stderr, "vk350: render: cannot write '%s': %s\n", request.out.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
