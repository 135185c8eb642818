#pragma once
// The running system's platform family, as its version record names it.
namespace slidora::win {

inline constexpr int kPlatformWindows9x = 1; // VER_PLATFORM_WIN32_WINDOWS
inline constexpr int kPlatformNt = 2;        // VER_PLATFORM_WIN32_NT

// The platform id of the running system (1 for the Windows 9x family, 2 for
// the NT family); 2 when the system will not say, since every system this
// program can start on belongs to the NT family.
int platformKind();

} // namespace slidora::win
