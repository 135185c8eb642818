#include "platform/win/WinPlatformKind.h"

#include <windows.h>

namespace slidora::win {

int platformKind() {
    // Only the platform id is read: a program without a compatibility
    // manifest is told an older version number, never another family.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) return kPlatformNt;
    return static_cast<int>(info.dwPlatformId);
}

} // namespace slidora::win
