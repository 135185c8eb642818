#pragma once
// The display's power-saving parameters as SystemParametersInfo reports them.
#include "platform/PowerParams.h"

namespace slidora::win {

// SPI_GETLOWPOWERACTIVE, SPI_GETPOWEROFFACTIVE, SPI_GETSCREENSAVETIMEOUT,
// SPI_GETLOWPOWERTIMEOUT and SPI_GETPOWEROFFTIMEOUT; a value the system will
// not give stays 0.
PowerParams readWinPowerParams();

} // namespace slidora::win
