// The main window's audio chain types, for the sources that build and destroy it.
#pragma once

#include "connector.h"
#include "drivers/virtual_wave_device.h"
#include "main_window.h"
#include "qt_connector_pump.h"
#include "qt_dispatcher.h"
#include "wave_player.h"

namespace vk350 {

// A wave system without an output device, for a window made without one: everything but
// playing works, and Play says that no device exists.
struct MainWindow::OwnAudio {
    ManualMicroClock clock;
    VirtualWaveDevice device{clock};
    QtDispatcher dispatcher;
    ConnectorHub hub{dispatcher};
    QtConnectorPump pump{hub};

    OwnAudio() { device.setDeviceCount(0); }
};

} // namespace vk350
