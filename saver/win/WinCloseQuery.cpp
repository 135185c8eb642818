#include "saver/win/WinCloseQuery.h"

#include "platform/win/WinPlatformKind.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace slidora::win {

bool closeQueryAllows(const CloseQueryFacts& facts) {
    if (facts.preview || facts.platformKind != kPlatformWindows9x) return true;
    const std::optional<unsigned long> usePassword =
        facts.usePassword ? facts.usePassword() : std::nullopt;
    if (!usePassword || *usePassword == 0) return true;
    if (facts.showCursor) facts.showCursor(true);
    const std::optional<bool> verified =
        facts.verifyPassword ? facts.verifyPassword() : std::nullopt;
    if (!verified || *verified) return true;
    if (facts.showCursor) facts.showCursor(false);
    return false;
}

namespace {

std::optional<unsigned long> readUsePassword() {
    HKEY key = nullptr;
    // Read access is all the query needs; asking for more would fail for a
    // restricted user and let the show end without its password.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::optional<unsigned long> result;
    DWORD type = 0;
    BYTE data[64] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"ScreenSaveUsePassword", nullptr, &type, data, &size) ==
        ERROR_SUCCESS) {
        if ((type == REG_DWORD || type == REG_BINARY) && size == sizeof(DWORD)) {
            DWORD value = 0;
            std::memcpy(&value, data, sizeof value);
            result = value;
        } else if (type == REG_SZ) {
            // Some systems keep the switch as the text "0" or "1".
            const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
            wchar_t* end = nullptr;
            const unsigned long value = std::wcstoul(text, &end, 10);
            if (end != text) result = value;
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<bool> verifyWithPasswordModule(HWND owner) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    std::wstring path = length > 0 && length < MAX_PATH ? std::wstring(folder, length) : L"";
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += L"PASSWORD.CPL";
    HMODULE module = LoadLibraryW(path.c_str());
    if (module == nullptr) return std::nullopt;
    using VerifyFn = BOOL(WINAPI*)(HWND);
    const auto verify = reinterpret_cast<VerifyFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "VerifyScreenSavePwd")));
    std::optional<bool> answer;
    if (verify != nullptr) answer = (verify(owner) & 0xFF) != 0;
    FreeLibrary(module);
    return answer;
}

} // namespace

CloseQueryFacts systemCloseQueryFacts(HWND__* owner, bool preview, int platformKind) {
    CloseQueryFacts facts;
    facts.preview = preview;
    facts.platformKind = platformKind;
    facts.usePassword = readUsePassword;
    facts.verifyPassword = [owner] { return verifyWithPasswordModule(owner); };
    facts.showCursor = [](bool show) { ShowCursor(show ? TRUE : FALSE); };
    return facts;
}

} // namespace slidora::win
