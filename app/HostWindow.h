#pragma once
// The preview's host window on the X server: its size, embedding the saver
// into it, and noticing when it goes away.
#include <QObject>
#include <QSize>
#include <QTimer>

#include <functional>

class QWidget;
struct _XDisplay;

namespace slidora {

// The size of X11 window `xid`; invalid when it does not exist or there is no
// display.
QSize hostWindowSize(unsigned long xid);
// Whether X11 window `xid` still exists.
bool hostWindowExists(unsigned long xid);
// Makes `widget`'s window a child of X11 window `xid` at (0, 0).
void embedIntoHost(QWidget& widget, unsigned long xid);

// Calls `gone` once the host window no longer exists (polled, since the
// preview has no say in the host's life).
class HostWatch : public QObject {
    Q_OBJECT
  public:
    HostWatch(unsigned long xid, std::function<void()> gone, QObject* parent = nullptr);
    ~HostWatch() override;

  private:
    unsigned long m_xid;
    std::function<void()> m_gone;
    // One connection of its own for the whole watch; polls are cheap round
    // trips on it. Null without a display: then the host counts as gone.
    _XDisplay* m_display;
    QTimer m_poll;
};

} // namespace slidora
