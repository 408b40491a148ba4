// Finds a window's part the way a user does: by its name in the window's object tree, not by
// reaching into the window's class. A part that is missing is a fault of the test or the window.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace vk350 {

template <class T> T* findPart(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::logic_error(std::string("the window has no part named ") + name);
    return found;
}

// A part held in an array: the member name followed by the index from 0 ("SlotEdits3").
template <class T> T* findPart(const QObject& window, const char* name, int index) {
    return findPart<T>(window, (std::string(name) + std::to_string(index)).c_str());
}

} // namespace vk350
