#pragma once
// The display's power-saving parameters, as the display system reports them.
namespace slidora {

struct PowerParams {
    int lowPowerActive = 0; // DPMS enabled and its standby timeout > 0
    int powerOffActive = 0; // DPMS enabled and its off timeout > 0
    int screenSaveTimeoutSec = 0;
    int lowPowerTimeoutSec = 0; // DPMS standby
    int powerOffTimeoutSec = 0; // DPMS off
};

} // namespace slidora
