// vk350-editor: creates the windows in their start-up order and runs the event loop.
// "vk350-editor FILE" opens FILE as the Load Raw-Bin command would.
#include "about_window.h"
#include "editor_application.h"
#include "main_window.h"
#include "qt_dialogs.h"

#include <QStringList>

int main(int argc, char** argv) {
    EditorApplication app(argc, argv);
    EditorApplication::setApplicationName(QStringLiteral("VK350 Sample Editor"));
    EditorApplication::setApplicationVersion(QStringLiteral("1.0"));

    QtDialogs dialogs;
    TForm1 form(dialogs);
    // The sample bank, options and patterns windows take their places here as they are built.
    TAboutBox about(&form);
    about.setAttribute(Qt::WA_QuitOnClose, false);
    form.SetAboutBox(&about);

    form.show();
    const QStringList args = EditorApplication::arguments();
    if (args.size() > 1) {
        form.RunCommand([&] { form.OpenSampleFile(args.at(1)); });
        dialogs.RememberFolderOf(args.at(1));
    }
    return EditorApplication::exec();
}
