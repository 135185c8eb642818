#pragma once
// How the Windows program reads the command line the system starts it with:
// "/s" (or "-s", any first character) full screen, "/c" or "/c:NNNN" the
// settings dialog, "/p HWND" a preview inside window HWND, "/a HWND" the
// password change; no argument at all opens the settings dialog.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace slidora::win {

enum class WinRunMode { Dialog, Password, Preview, Saver };

struct WinCommandLine {
    WinRunMode mode = WinRunMode::Dialog;
    // Argument 2 in the modes A and P; 0 when it is missing, not a number or
    // outside 32 bits.
    std::int32_t parentWnd = 0;
};

// The words of a whole command line, the program's path first. Characters up
// to and including the blank separate words; double quotes group what lies
// between them (blanks too) into the word and are dropped; empty quoted pairs
// before a word are skipped.
std::vector<std::wstring> commandLineWords(std::wstring_view commandLine);

// A window handle as the system prints it: decimal digits with an optional
// sign. Values from 2^31 up to 2^32 - 1 are taken as the same 32 bits (a
// handle printed unsigned). Anything else gives 0.
std::int32_t windowHandleValue(std::wstring_view text);

// The run mode of a whole command line (as GetCommandLineW gives it): the
// second character of argument 1, ASCII letters upper-cased, selects it; a
// one-character argument 1 selects the full-screen saver.
WinCommandLine readWinCommandLine(std::wstring_view commandLine);

} // namespace slidora::win
