// The few things the audio components show to the user themselves: a message box and the busy
// cursor while a large start fills its buffers. The editor installs handlers that use its
// windows; without them the box goes to standard error and the cursor is left alone.
#pragma once

#include <functional>
#include <string>

namespace vk350 {

using MessageBoxHandler = std::function<void(const std::string& title, const std::string& text)>;
using BusyCursorHandler = std::function<void(bool busy)>;

// Window thread: replace the handler; an empty one restores the default.
void setMessageBoxHandler(MessageBoxHandler handler);
void setBusyCursorHandler(BusyCursorHandler handler);

// Window thread.
void showMessageBox(const std::string& title, const std::string& text);

// Window thread: shows the busy cursor for its lifetime when active.
class BusyCursor {
public:
    explicit BusyCursor(bool active);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool active_;
};

} // namespace vk350
