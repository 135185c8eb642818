#pragma once
// The settings dialog's own picture: a framed landscape, 32 by 32 pixels in
// the 16 standard colours.
#include <windows.h>

namespace slidora::win {

// A new icon; the caller destroys it. Null when the system refuses one.
HICON createFormIcon();

} // namespace slidora::win
