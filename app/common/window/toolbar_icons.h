// Toolbar icons: the desktop theme's icon when it has one, otherwise a cleanly drawn one.
#pragma once

#include <QIcon>

namespace vk350 {

enum class ToolIcon {
    New,
    Open,
    Save,
    OpenWave,
    SendMidi,
    CopyToBank,
    FullView,
    ZoomOneToOne,
    Sign,
    Cut,
    Play,
    Loop,
    Stop
};

QIcon toolbarIcon(ToolIcon which);

// The drawn icon alone (also used when the theme has none).
QIcon drawnToolbarIcon(ToolIcon which);

} // namespace vk350
