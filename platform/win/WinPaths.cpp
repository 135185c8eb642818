#include "platform/win/WinPaths.h"

#include "platform/win/Utf16.h"

#include <windows.h>

#include <vector>

namespace slidora::win {

std::string programPath() {
    // GetModuleFileNameW truncates silently and returns the buffer size when
    // the path does not fit, so the buffer grows until it has room to spare.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return toUtf8(std::wstring_view(buffer.data(), length));
        if (buffer.size() >= 32768) return {}; // past the longest path Windows allows
        buffer.resize(buffer.size() * 2);
    }
}

std::string settingsPathFor(const std::string& programPath) {
    const std::size_t nameStart = programPath.find_last_of("\\/:") + 1; // npos + 1 == 0
    std::string name = programPath.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    name += ".ini";
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return programPath.substr(0, nameStart) + name;
}

std::string settingsPath() {
    const std::string path = programPath();
    return path.empty() ? std::string() : settingsPathFor(path);
}

} // namespace slidora::win
