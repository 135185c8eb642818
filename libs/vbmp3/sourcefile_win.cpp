// The Windows side of SourceFile: the path is UTF-8 and opened with the wide
// call, so any name works whatever the system's code page. The handle is held
// as a C runtime descriptor, which is what the class keeps on every system.
#include "sourcefile.h"

#include <windows.h>

#include <io.h>

#include <fcntl.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace slidora::vbmp3 {
namespace {

// A path that is not UTF-8 names no file: it is refused rather than opened
// under a guessed name.
std::wstring widePath(const char* utf8) {
    const int length = static_cast<int>(std::strlen(utf8));
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, wide.data(), needed);
    return wide;
}

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

} // namespace

std::unique_ptr<SourceFile> SourceFile::open(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    const std::wstring wide = widePath(path);
    if (wide.empty()) return nullptr;
    // Others may keep writing, renaming or deleting the file while it plays,
    // as on Linux; it is only ever read.
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    // Only files on disk: a pipe or a device never blocks or feeds us forever.
    LARGE_INTEGER size{};
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !GetFileSizeEx(file, &size) ||
        size.QuadPart < 0) {
        CloseHandle(file);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<SourceFile>(
        new SourceFile(fd, static_cast<std::uint64_t>(size.QuadPart)));
}

SourceFile::~SourceFile() {
    _close(m_fd);
}

std::size_t SourceFile::readAt(std::uint64_t offset, void* out, std::size_t count) const {
    auto* bytes = static_cast<unsigned char*>(out);
    const HANDLE file = handleOf(m_fd);
    std::size_t done = 0;
    while (done < count) {
        const std::uint64_t position = offset + done;
        if (position < offset || position > static_cast<std::uint64_t>(INT64_MAX)) break;
        // A positioned read: the offset travels with the call, so no shared
        // file pointer is moved (the class promises a const, stateless read).
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1U << 30));
        DWORD got = 0;
        if (!ReadFile(file, bytes + done, want, &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

} // namespace slidora::vbmp3
