#include "user_notices.h"

#include <cstdio>

namespace vk350 {

namespace {

MessageBoxHandler& messageBox() {
    static MessageBoxHandler handler;
    return handler;
}

BusyCursorHandler& busyCursor() {
    static BusyCursorHandler handler;
    return handler;
}

} // namespace

void setMessageBoxHandler(MessageBoxHandler handler) {
    messageBox() = std::move(handler);
}

void setBusyCursorHandler(BusyCursorHandler handler) {
    busyCursor() = std::move(handler);
}

void showMessageBox(const std::string& title, const std::string& text) {
    if (messageBox())
        messageBox()(title, text);
    else
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

BusyCursor::BusyCursor(bool active) : active_(active && busyCursor()) {
    if (active_)
        busyCursor()(true);
}

BusyCursor::~BusyCursor() {
    if (active_ && busyCursor())
        busyCursor()(false);
}

} // namespace vk350
