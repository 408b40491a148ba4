// Finds a window's part the way a user does: by its name in the window's object tree, not by
// reaching into the window's class. A part that is missing is a fault of the test or the window.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace vk350 {

// The type is checked with dynamic_cast: the project's widget classes carry no meta-object of
// their own, so Qt's own lookup would accept any widget of the nearest Qt base class.
template <class T> T* findPart(const QObject& window, const char* name) {
    QObject* named = window.findChild<QObject*>(QString::fromLatin1(name));
    if (!named)
        throw std::logic_error(std::string("the window has no part named ") + name);
    T* found = dynamic_cast<T*>(named);
    if (!found)
        throw std::logic_error(std::string("the window's part ") + name + " is of another type");
    return found;
}

// A part held in an array: the member name followed by the index from 0 ("SlotEdits3").
template <class T> T* findPart(const QObject& window, const char* name, int index) {
    return findPart<T>(window, (std::string(name) + std::to_string(index)).c_str());
}

} // namespace vk350
