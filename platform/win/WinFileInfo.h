#pragma once
// What a name leads to, for the file and folder services. GetFileAttributesExW
// and a folder listing describe a symbolic link or junction itself; the
// services count a link as what it leads to, so a link is opened (for its
// attributes only, nothing is read) and the target described. Other names
// are only looked at, never opened: opening alone may act on a device.
#include <windows.h>

#include <cstdint>
#include <string>

namespace slidora::win {

struct FileInfo {
    DWORD attributes = 0;
    std::uint64_t sizeBytes = 0;
    FILETIME lastWrite{};
};

// False when nothing is there, or when a link leads nowhere (GetLastError
// tells why).
inline bool targetInfoOf(const std::wstring& path, FileInfo& info) {
    WIN32_FILE_ATTRIBUTE_DATA named{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &named)) return false;
    info.attributes = named.dwFileAttributes;
    info.sizeBytes = (static_cast<std::uint64_t>(named.nFileSizeHigh) << 32) | named.nFileSizeLow;
    info.lastWrite = named.ftLastWriteTime;
    if ((named.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
    const HANDLE handle = ::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION target{};
    const bool ok = ::GetFileInformationByHandle(handle, &target) != 0;
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (!ok) {
        ::SetLastError(error);
        return false;
    }
    info.attributes = target.dwFileAttributes;
    info.sizeBytes = (static_cast<std::uint64_t>(target.nFileSizeHigh) << 32) | target.nFileSizeLow;
    info.lastWrite = target.ftLastWriteTime;
    return true;
}

} // namespace slidora::win
