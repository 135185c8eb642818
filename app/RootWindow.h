#pragma once
// The window "-root" means when the host does not name one.

namespace slidora {

// The default screen's virtual root (a child of the root window carrying
// __SWM_VROOT, which some window managers and desktops put over the real
// root), else its root window; 0 without a display.
unsigned long rootOrVirtualRoot();

} // namespace slidora
