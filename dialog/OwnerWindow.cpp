#include "dialog/OwnerWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace slidora {

std::uint64_t foregroundWindowId() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 0;
    std::uint64_t window = 0;
    const Atom activeWindow = XInternAtom(display, "_NET_ACTIVE_WINDOW", True);
    if (activeWindow != None) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long bytesAfter = 0;
        unsigned char* data = nullptr;
        // Only the root window is read here, which always exists, so no X
        // error can end the program.
        const int status =
            XGetWindowProperty(display, DefaultRootWindow(display), activeWindow, 0, 1, False,
                               XA_WINDOW, &type, &format, &items, &bytesAfter, &data);
        if (status == Success && type == XA_WINDOW && format == 32 && items == 1 && data != nullptr)
            window = *reinterpret_cast<unsigned long*>(data);
        if (data != nullptr) XFree(data);
    }
    XCloseDisplay(display);
    return window;
}

} // namespace slidora
