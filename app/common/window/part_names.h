// A window names its parts in its object tree after the members that hold them, so that tests and
// tools find a part as they find any widget, by name, without reaching into the window's class.
// A part held in an array takes the member name and its index from 0: "slotViews3" is
// slotViews[3]. Window thread only.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstddef>
#include <initializer_list>

namespace vk350 {

struct PartName {
    QObject* part;
    const char* name;
};

// Names a part where it is created and hands it back.
template <class T> T* named(T* part, const char* name) {
    part->setObjectName(QLatin1String(name));
    return part;
}

inline void nameParts(std::initializer_list<PartName> parts) {
    for (const PartName& p : parts)
        p.part->setObjectName(QLatin1String(p.name));
}

template <class T, std::size_t N> void nameParts(const std::array<T*, N>& parts, const char* name) {
    for (std::size_t i = 0; i < N; ++i)
        parts[i]->setObjectName(QLatin1String(name) + QString::number(i));
}

} // namespace vk350
