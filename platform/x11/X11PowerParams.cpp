#include "platform/X11PowerParams.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace slidora {

PowerParams readX11PowerParams() {
    PowerParams params;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return params;

    int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &preferBlanking, &allowExposures);
    params.screenSaveTimeoutSec = timeout;

    int eventBase = 0, errorBase = 0;
    if (DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display)) {
        CARD16 standby = 0, suspend = 0, off = 0;
        DPMSGetTimeouts(display, &standby, &suspend, &off);
        CARD16 level = 0;
        BOOL enabled = False;
        DPMSInfo(display, &level, &enabled);
        params.lowPowerTimeoutSec = standby;
        params.powerOffTimeoutSec = off;
        params.lowPowerActive = (enabled && standby > 0) ? 1 : 0;
        params.powerOffActive = (enabled && off > 0) ? 1 : 0;
    }
    XCloseDisplay(display);
    return params;
}

} // namespace slidora
