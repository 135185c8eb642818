#pragma once
// The window the settings dialog is opened from: the X11 foreground window
// (the root window's _NET_ACTIVE_WINDOW). The dialog becomes a modal
// transient of it, so it stays above that window and the window manager
// keeps input away from it while the dialog is open.
#include <cstdint>

namespace slidora {

// The foreground window of the X display named by $DISPLAY; 0 when there is
// none, when the window manager does not publish one, or without a display.
std::uint64_t foregroundWindowId();

} // namespace slidora
