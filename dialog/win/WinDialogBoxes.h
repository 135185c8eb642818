#pragma once
// The Windows services the settings dialog asks for: the "確認" question, the
// font picker, the folder picker, the program's version record, the default
// picture folder and the dialog's face. Text is UTF-8 on this side and wide
// at every Win32 call.
#include "platform/FontSpec.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace slidora::win {

inline constexpr const char* kConfirmCaption = "確認";
inline constexpr const char* kConfirmYes = "はい(&Y)";
inline constexpr const char* kConfirmNo = "いいえ(&N)";

// The question box over `owner`: question icon, "はい(&Y)" (the default,
// Return) and "いいえ(&N)" (also Esc and the close box) whatever the system's
// language. True for はい.
bool askConfirmation(HWND owner, const std::string& message);

// The system's font picker for screen fonts of ordinary scripts, starting at
// `initial`, without the effects box: the chosen font keeps the underline and
// strikeout it came with. Sizes are points at `dpi`. Nothing on cancel.
std::optional<FontSpec> chooseFont(HWND owner, const FontSpec& initial, int dpi);

// A font for `wanted` at `dpi` (its pixel size when set, else its points);
// the caller deletes it.
HFONT createFont(const FontSpec& wanted, int dpi);

// The folder picker as the dialog uses it.
struct FolderPicker {
    std::string caption = "画像フォルダの参照";
    std::string okCaption = "&OK";
    std::string cancelCaption = "キャンセル(&C)";
    int widthPx = 300;
    int heightPx = 400;
    std::string initialFolder;
    HFONT font = nullptr; // for the picker's controls; null keeps the system's
    // Runs while the picker is still open when the user presses OK, with the
    // chosen folder (empty for an item without a file-system path); the
    // picker closes after it, whatever it did.
    std::function<void(const std::string& folder)> onOk;
};

// Runs the picker modally over `owner`, centred on the screen.
void browseForFolder(HWND owner, const FolderPicker& picker);

// The FileVersion text of the first translation in the version record of
// the file at `modulePath`, blanks around it removed; empty when the record
// has no such text; nothing when the file has no version record at all.
std::optional<std::string> fileVersionText(const std::string& modulePath);

// The user's pictures folder when it exists, else the documents folder when
// it exists, else empty.
std::string defaultPictureFolder();

// The dialog's face: the first of the Japanese gothic faces installed, else
// the system's message font.
std::wstring dialogFaceName();

// The face of the icon titles' font.
std::string iconFontName();

// The user's decimal point.
std::string decimalPoint();

} // namespace slidora::win
