#include "app/HostWindow.h"

#include <QWidget>
#include <QWindow>

#include <X11/Xlib.h>

namespace slidora {

namespace {

// A missing window is an expected answer, not a fatal X error.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool windowAttributes(Display* display, unsigned long xid, XWindowAttributes& attrs) {
    if (display == nullptr || xid == 0) return false;
    auto previous = XSetErrorHandler(ignoreXError);
    const Status ok = XGetWindowAttributes(display, static_cast<Window>(xid), &attrs);
    XSync(display, False);
    XSetErrorHandler(previous);
    return ok != 0;
}

bool windowAttributes(unsigned long xid, XWindowAttributes& attrs) {
    Display* display = XOpenDisplay(nullptr);
    const bool ok = windowAttributes(display, xid, attrs);
    if (display != nullptr) XCloseDisplay(display);
    return ok;
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
    : QObject(parent), m_xid(xid), m_gone(std::move(gone)), m_display(XOpenDisplay(nullptr)) {
    m_poll.setInterval(500);
    QObject::connect(&m_poll, &QTimer::timeout, this, [this] {
        XWindowAttributes attrs{};
        if (windowAttributes(m_display, m_xid, attrs)) return;
        m_poll.stop();
        if (m_gone) m_gone();
    });
    m_poll.start();
}

HostWatch::~HostWatch() {
    if (m_display != nullptr) XCloseDisplay(m_display);
}

} // namespace slidora
