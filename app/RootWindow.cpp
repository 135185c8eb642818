#include "app/RootWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace slidora {

namespace {

// A child that goes away while it is looked at is an expected answer, not a
// fatal X error.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

Window virtualRootOf(Display* display, Window root) {
    const Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) == 0) return root;
    Window found = root;
    for (unsigned int i = 0; i < count && found == root; ++i) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], vroot, 0, 1, False, XA_WINDOW, &type, &format,
                               &items, &after, &data) == Success &&
            type == XA_WINDOW && format == 32 && items == 1 && data != nullptr)
            found = *reinterpret_cast<Window*>(data);
        if (data != nullptr) XFree(data);
    }
    if (children != nullptr) XFree(children);
    return found;
}

} // namespace

unsigned long rootOrVirtualRoot() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 0;
    auto previous = XSetErrorHandler(ignoreXError);
    const Window window = virtualRootOf(display, DefaultRootWindow(display));
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return static_cast<unsigned long>(window);
}

} // namespace slidora
