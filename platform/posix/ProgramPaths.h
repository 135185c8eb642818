#pragma once
// Where the running program is, and so where its settings file lives.
#include <string>

namespace slidora {

// The running executable's full path (from /proc/self/exe); empty when it
// cannot be read.
std::string programPath();
// The folder of the running executable, without a trailing slash ("/" stays).
std::string programDir();

// settingsLocation for the running program, from the file system and the
// environment. When the per-user location is chosen, its folder is created
// (mode 0700) so that the settings dialog can write the file there.
std::string settingsLocation();

} // namespace slidora
