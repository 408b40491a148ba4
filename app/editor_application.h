// The application object: shows any error that escapes an event handler in the standard error
// box instead of ending the program.
#pragma once

#include <QApplication>

namespace vk350 {

class EditorApplication : public QApplication {
public:
    EditorApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vk350
