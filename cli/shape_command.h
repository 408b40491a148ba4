// vk350 shape: trims, fades, levels and fits a sample through the editor's own shaping.
#pragma once

#include "commands.h"

namespace vk350::cli {

int runShape(std::span<char*> args);

} // namespace vk350::cli
