#include "platform/win/WinPowerParams.h"

#include <windows.h>

namespace slidora::win {

namespace {

int systemValue(UINT action) {
    // Each of these writes one BOOL or one int of seconds.
    int value = 0;
    if (!SystemParametersInfoW(action, 0, &value, 0)) return 0;
    return value;
}

} // namespace

PowerParams readWinPowerParams() {
    PowerParams p;
    p.lowPowerActive = systemValue(SPI_GETLOWPOWERACTIVE);
    p.powerOffActive = systemValue(SPI_GETPOWEROFFACTIVE);
    p.screenSaveTimeoutSec = systemValue(SPI_GETSCREENSAVETIMEOUT);
    p.lowPowerTimeoutSec = systemValue(SPI_GETLOWPOWERTIMEOUT);
    p.powerOffTimeoutSec = systemValue(SPI_GETPOWEROFFTIMEOUT);
    return p;
}

} // namespace slidora::win
