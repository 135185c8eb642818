#pragma once
// The power-saving parameters of the X display.
#include "platform/PowerParams.h"

namespace slidora {

// Reads DPMS and the screen-saver timeout from the X display named by
// $DISPLAY. Everything is 0 when there is no display or no DPMS extension.
PowerParams readX11PowerParams();

} // namespace slidora
