#include "app/HostWindow.h"

#include <QWidget>
#include <QWindow>

#include <X11/Xlib.h>

namespace slidora {

namespace {

// A missing window is an expected answer, not a fatal X error.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

bool windowAttributes(unsigned long xid, XWindowAttributes& attrs) {
    if (xid == 0) return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    auto previous = XSetErrorHandler(ignoreXError);
    const Status ok = XGetWindowAttributes(display, static_cast<Window>(xid), &attrs);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return ok != 0;
}

} // namespace

QSize hostWindowSize(unsigned long xid) {
    XWindowAttributes attrs{};
    if (!windowAttributes(xid, attrs)) return {};
    return QSize(attrs.width, attrs.height);
}

bool hostWindowExists(unsigned long xid) {
    XWindowAttributes attrs{};
    return windowAttributes(xid, attrs);
}

void embedIntoHost(QWidget& widget, unsigned long xid) {
    QWindow* host = QWindow::fromWinId(static_cast<WId>(xid));
    if (host == nullptr) return;
    widget.winId(); // makes the native window so it can be reparented
    if (QWindow* own = widget.windowHandle()) {
        own->setParent(host);
        own->setPosition(0, 0);
    }
}

HostWatch::HostWatch(unsigned long xid, std::function<void()> gone, QObject* parent)
    : QObject(parent), m_xid(xid), m_gone(std::move(gone)) {
    m_poll.setInterval(500);
    QObject::connect(&m_poll, &QTimer::timeout, this, [this] {
        if (hostWindowExists(m_xid)) return;
        m_poll.stop();
        if (m_gone) m_gone();
    });
    m_poll.start();
}

} // namespace slidora
