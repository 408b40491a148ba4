#include "editor_application.h"

#include <QMessageBox>
#include <exception>

namespace vk350 {

EditorApplication::EditorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool EditorApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QMessageBox::critical(activeWindow(), QStringLiteral("VK350 Sample Editor"),
                              QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), QStringLiteral("VK350 Sample Editor"),
                              QStringLiteral("Unexpected error"));
    }
    return false;
}

} // namespace vk350
