// The names the options window's settings are written under, in their order, as the writer
// itself lays them down.
#pragma once

#include <QStringList>

namespace vk350 {

QStringList OptionsWriteOrder();

} // namespace vk350
