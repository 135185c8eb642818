#include "platform/win/WinErrorReport.h"

#include "platform/ErrorText.h"
#include "platform/win/Utf16.h"

#include <windows.h>

namespace slidora::win {

void showErrorReport(const std::string& message, void* owner) {
    // MB_TOPMOST: the full-screen saver window is top-most, and a box below
    // it would wait unseen for a key press the saver takes as its end.
    MessageBoxW(static_cast<HWND>(owner), toUtf16(withFullStop(message)).c_str(),
                toUtf16(kApplicationTitle).c_str(), MB_OK | MB_ICONERROR | MB_TOPMOST);
}

} // namespace slidora::win
