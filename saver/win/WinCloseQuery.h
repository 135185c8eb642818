#pragma once
// The close query of the Windows saver: on the Windows 9x family, with the
// screen-saver password switched on, the system's password module asks for
// the password before the show may end. Everything else closes at once.
#include <functional>
#include <optional>

struct HWND__;

namespace slidora::win {

// What the query reads from the system, as seams for tests.
struct CloseQueryFacts {
    bool preview = false;
    int platformKind = 0;
    // "ScreenSaveUsePassword" under HKCU\Control Panel\desktop; empty when the
    // key or the value is missing or the value is not a number.
    std::function<std::optional<unsigned long>()> usePassword;
    // Loads "PASSWORD.CPL" from the system folder and calls its
    // "VerifyScreenSavePwd": its answer (true for a correct password); empty
    // when the module or its entry is missing.
    std::function<std::optional<bool>()> verifyPassword;
    // ShowCursor(TRUE) for true, ShowCursor(FALSE) for false.
    std::function<void(bool)> showCursor;
};

// True when the window may close. The pointer is shown while the password
// module runs and hidden again when it refuses; when the module is missing
// the show ends with the pointer already shown. A missing or unreadable
// password value means no password is switched on.
bool closeQueryAllows(const CloseQueryFacts& facts);

// The facts of the running system; `owner` owns the password dialog.
CloseQueryFacts systemCloseQueryFacts(HWND__* owner, bool preview, int platformKind);

} // namespace slidora::win
