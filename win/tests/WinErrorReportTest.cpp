// The error box as the user sees it: found through a CBT hook when the system
// activates it, read once its modal loop runs, dismissed with its OK button.
#include "platform/win/WinErrorReport.h"

#include "platform/win/Utf16.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace slidora::win {
namespace {

struct SeenBox {
    std::string caption;
    std::string text;
    HICON icon = nullptr;
    int boxes = 0;
};
SeenBox seen;
HHOOK hook = nullptr;
HWND box = nullptr;

std::string windowText(HWND window) {
    wchar_t buffer[512];
    const int length = GetWindowTextW(window, buffer, 512);
    return toUtf8(std::wstring_view(buffer, length > 0 ? length : 0));
}

// The box shows its icon and its message in static controls.
BOOL CALLBACK readStatics(HWND child, LPARAM) {
    wchar_t cls[32];
    GetClassNameW(child, cls, 32);
    if (std::wstring(cls) != L"Static") return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    else if (!windowText(child).empty())
        seen.text = windowText(child);
    return TRUE;
}

// Read once the box's modal loop runs, when its controls hold their text.
// MB_TOPMOST is not checked: Wine does not give the box WS_EX_TOPMOST.
void CALLBACK readAndDismiss(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    seen.caption = windowText(box);
    EnumChildWindows(box, readStatics, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t cls[32] = L"";
    if (code == HCBT_ACTIVATE) GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 32);
    // Message boxes are dialogs; Wine also activates windows of its own.
    if (std::wstring(cls) == L"#32770") {
        ++seen.boxes;
        box = reinterpret_cast<HWND>(wParam);
        SetTimer(nullptr, 0, 1, readAndDismiss);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

TEST(WinErrorReport, BoxIsCaptionedWithTheTitleAndEndsTheSentence) {
    hook = SetWindowsHookExW(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    showErrorReport("\xE8\xA8\xAD\xE5\xAE\x9A\xE3\x82\x92\xE4\xBF\x9D\xE5\xAD\x98\xE3\x81\xA7\xE3"
                    "\x81\x8D\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93");
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(seen.boxes, 1);
    EXPECT_EQ(seen.caption, "Slidora Saver");
    EXPECT_EQ(seen.text, "\xE8\xA8\xAD\xE5\xAE\x9A\xE3\x82\x92\xE4\xBF\x9D\xE5\xAD\x98\xE3\x81\xA7"
                         "\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93.");
    // The system's shared error icon, the one MB_ICONERROR names.
    EXPECT_EQ(seen.icon, LoadIconW(nullptr, IDI_ERROR));
}

} // namespace
} // namespace slidora::win
