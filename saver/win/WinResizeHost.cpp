#include "saver/win/WinResizeHost.h"

#include "platform/win/Utf16.h"
#include "platform/win/WinErrorReport.h"

#include <windows.h>

namespace slidora::win {

WinResizeHost::WinResizeHost(const std::string& programDir)
    : m_modulePath(resizeModulePath(programDir)) {}

void WinResizeHost::showMessage(const std::string& text) {
    // Top-most, as the full-screen saver window is: a box behind it would
    // wait unseen for a key that the saver takes as its end.
    MessageBoxW(m_owner, toUtf16(text).c_str(), toUtf16(kApplicationTitle).c_str(),
                MB_OK | MB_TOPMOST);
}

} // namespace slidora::win
