#pragma once

#include <span>

namespace vk350::cli {

// vk350 render VIEW FILE OUT.png [--size WxH] [--at SECONDS] [--rate HZ]
int runRender(std::span<char*> args);

} // namespace vk350::cli
