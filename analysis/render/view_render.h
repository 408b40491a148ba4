// Draws a sound file through one analysis view, offscreen, at the main window's settings: the
// renderer behind "vk350 render". Needs a QApplication (the offscreen platform will do).
#pragma once

#include "render_arguments.h"

#include <QImage>
#include <string>

namespace vk350 {

// The picture for request; 0 on success, else 1 (unreadable or unsuitable file) or 2 (an
// argument that does not fit the file) with error set to one line.
int RenderPicture(const RenderRequest& request, QImage& picture, std::string& error);

} // namespace vk350
