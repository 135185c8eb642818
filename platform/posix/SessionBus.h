#pragma once
// The desktop session's message bus, which the toolkit's accessibility
// bridge asks for when the first label gets its text.
#include <string>

namespace slidora {

// Where a session keeps its bus: the socket "bus" in `runtimeDir` (the
// session's XDG_RUNTIME_DIR), or in the standard runtime folder of user
// `uid` when that is null or empty. As a D-Bus address, the path's bytes
// escaped as the address rules require.
std::string standardSessionBusAddress(const char* runtimeDir, unsigned long uid);

// With DBUS_SESSION_BUS_ADDRESS unset or empty, sets it to
// standardSessionBusAddress for this process, so that the D-Bus library
// looks for the session's bus only there and never launches one. Its own
// last resort otherwise, on a session without a bus, forks the program to
// run dbus-launch, which starts a bus daemon for the display that outlives
// the program; the fork alone cost a start about 8 ms, as every page the
// program wrote afterwards was copied. A session with a bus is unaffected:
// its address is in the environment or at that socket. Call before the
// toolkit starts.
void findSessionBusWithoutLaunching();

} // namespace slidora
