#include "dialog/win/WinDialogBoxes.h"

#include "dialog/DialogRules.h"
#include "platform/win/Utf16.h"

#include <commctrl.h>
#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace slidora::win {

namespace {

// The question box is made by the system in the caller's language; the
// thread's CBT hook renames its buttons before it is first shown. One box
// at a time per thread: the box is modal.
thread_local HHOOK t_confirmHook = nullptr;

LRESULT CALLBACK renameConfirmButtons(int code, WPARAM wParam, LPARAM lParam) {
    const HHOOK hook = t_confirmHook;
    if (code == HCBT_ACTIVATE) {
        const auto box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDOK, toUtf16(kConfirmYes).c_str());
        SetDlgItemTextW(box, IDCANCEL, toUtf16(kConfirmNo).c_str());
        UnhookWindowsHookEx(hook);
        t_confirmHook = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toUtf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = toUtf8(path);
    CoTaskMemFree(path);
    return result;
}

std::string trimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool faceInstalled(HDC dc, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, faceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// What the folder picker's callbacks share while it is open.
struct PickerState {
    const FolderPicker* picker = nullptr;
    std::string current; // the selected folder's path; empty without one
};

constexpr UINT_PTR kPickerSubclass = 1;
// Posted by the picker's set-up to itself: the picker finishes its own
// layout after its start callback, so the place and the start folder are
// set once it has.
constexpr UINT kPickerReady = WM_APP + 1;

BOOL CALLBACK setChildFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

void arrangePicker(HWND window, const PickerState& state) {
    const FolderPicker& p = *state.picker;
    if (p.font != nullptr) EnumChildWindows(window, setChildFont, reinterpret_cast<LPARAM>(p.font));
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - p.widthPx) / 2,
                 work.top + (work.bottom - work.top - p.heightPx) / 2, p.widthPx, p.heightPx,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PIDLIST_ABSOLUTE start = nullptr;
    if (!p.initialFolder.empty() && SUCCEEDED(SHParseDisplayName(toUtf16(p.initialFolder).c_str(),
                                                                 nullptr, &start, 0, nullptr))) {
        SendMessageW(window, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(start));
        CoTaskMemFree(start);
        // Not every picker scrolls its tree to the folder it selects.
        if (const HWND tree = FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr))
            TreeView_EnsureVisible(tree, TreeView_GetSelection(tree));
    }
}

LRESULT CALLBACK pickerHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) {
    auto* state = reinterpret_cast<PickerState*>(data);
    if (message == kPickerReady) {
        arrangePicker(window, *state);
        return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED &&
        state->picker->onOk)
        state->picker->onOk(state->current);
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, pickerHook, kPickerSubclass);
    return DefSubclassProc(window, message, wParam, lParam);
}

int CALLBACK pickerEvent(HWND window, UINT message, LPARAM lParam, LPARAM data) {
    auto* state = reinterpret_cast<PickerState*>(data);
    if (message == BFFM_INITIALIZED) {
        const FolderPicker& p = *state->picker;
        SetWindowTextW(window, toUtf16(p.caption).c_str());
        SetDlgItemTextW(window, IDOK, toUtf16(p.okCaption).c_str());
        SetDlgItemTextW(window, IDCANCEL, toUtf16(p.cancelCaption).c_str());
        SetWindowSubclass(window, pickerHook, kPickerSubclass, reinterpret_cast<DWORD_PTR>(state));
        PostMessageW(window, kPickerReady, 0, 0);
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        const auto item = reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam);
        state->current = item && SHGetPathFromIDListW(item, path) ? toUtf8(path) : std::string();
    }
    return 0;
}

} // namespace

bool askConfirmation(HWND owner, const std::string& message) {
    t_confirmHook = SetWindowsHookExW(WH_CBT, renameConfirmButtons, nullptr, GetCurrentThreadId());
    // OK and Cancel stand for はい and いいえ: unlike a Yes/No box, Esc and the
    // close box then answer いいえ.
    const int answer =
        MessageBoxW(owner, toUtf16(message).c_str(), toUtf16(kConfirmCaption).c_str(),
                    MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (t_confirmHook != nullptr) {
        UnhookWindowsHookEx(t_confirmHook);
        t_confirmHook = nullptr;
    }
    return answer == IDOK;
}

HFONT createFont(const FontSpec& wanted, int dpi) {
    LOGFONTW font{};
    font.lfHeight = wanted.pixelSize > 0
                        ? -wanted.pixelSize
                        : -MulDiv(wanted.pointSize > 0 ? wanted.pointSize : 9, dpi, 72);
    font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = wanted.italic;
    font.lfUnderline = wanted.underline;
    font.lfStrikeOut = wanted.strikeout;
    font.lfCharSet = static_cast<BYTE>(wanted.charset);
    font.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = toUtf16(wanted.family);
    wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

std::optional<FontSpec> chooseFont(HWND owner, const FontSpec& initial, int dpi) {
    LOGFONTW font{};
    if (const HFONT start = createFont(initial, dpi)) {
        GetObjectW(start, sizeof font, &font);
        // The picker selects a face only under a name it lists: a substitute
        // name (such as "MS Shell Dlg") starts it at the face drawn for it.
        const HDC screen = GetDC(nullptr);
        if (!faceInstalled(screen, font.lfFaceName)) {
            const HGDIOBJ old = SelectObject(screen, start);
            wchar_t drawn[LF_FACESIZE] = {};
            if (GetTextFaceW(screen, LF_FACESIZE, drawn) > 0)
                wcsncpy(font.lfFaceName, drawn, LF_FACESIZE - 1);
            SelectObject(screen, old);
        }
        ReleaseDC(nullptr, screen);
        DeleteObject(start);
    }
    CHOOSEFONTW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.lpLogFont = &font;
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_SCRIPTSONLY | CF_NOVERTFONTS;
    if (!ChooseFontW(&choice)) return std::nullopt;
    FontSpec chosen = initial;
    chosen.family = toUtf8(font.lfFaceName);
    chosen.pixelSize = 0;
    chosen.pointSize = choice.iPointSize > 0 ? (choice.iPointSize + 5) / 10
                                             : MulDiv(std::abs(font.lfHeight), 72, dpi);
    chosen.bold = font.lfWeight >= FW_SEMIBOLD;
    chosen.italic = font.lfItalic != 0;
    chosen.charset = font.lfCharSet;
    return chosen;
}

void browseForFolder(HWND owner, const FolderPicker& picker) {
    PickerState state;
    state.picker = &picker;
    state.current = picker.initialFolder;
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    info.lpfn = pickerEvent;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info)) CoTaskMemFree(chosen);
}

std::optional<std::string> fileVersionText(const std::string& modulePath) {
    const std::wstring path = toUtf16(modulePath);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> record(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, record.data())) return std::nullopt;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* found = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &found, &length) ||
        length < sizeof(Translation))
        return std::string();
    const Translation first = *static_cast<const Translation*>(found);
    wchar_t block[64];
    swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", first.language, first.codePage);
    if (!VerQueryValueW(record.data(), block, &found, &length) || length == 0) return std::string();
    const auto* text = static_cast<const wchar_t*>(found);
    return trimBlanks(toUtf8(std::wstring_view(text, wcsnlen(text, length))));
}

std::string defaultPictureFolder() {
    return defaultPictureFolderFrom(knownFolder(FOLDERID_Documents), knownFolder(FOLDERID_Pictures),
                                    isFolder);
}

std::wstring dialogFaceName() {
    const HDC screen = GetDC(nullptr);
    std::wstring face;
    // The last two are the free gothic faces that Wine finds on Linux.
    for (const wchar_t* candidate : {L"ＭＳ Ｐゴシック", L"MS UI Gothic", L"Meiryo UI", L"Meiryo",
                                     L"Yu Gothic UI", L"Yu Gothic", L"IPAPGothic", L"IPAGothic"})
        if (faceInstalled(screen, candidate)) {
            face = candidate;
            break;
        }
    ReleaseDC(nullptr, screen);
    if (!face.empty()) return face;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont.lfFaceName;
}

std::string iconFontName() {
    LOGFONTW font{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return {};
    return toUtf8(font.lfFaceName);
}

std::string decimalPoint() {
    wchar_t point[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, point, 8) <= 1) return ".";
    return toUtf8(point);
}

} // namespace slidora::win
