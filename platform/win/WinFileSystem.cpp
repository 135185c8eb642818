// Files through the wide Win32 calls. Only disk files are read: a folder, a
// pipe or a device named where a file should be is refused before reading.
// The settings file is replaced by writing a sibling and swapping it in, so a
// failed write leaves the old file whole.
#include "platform/FileSystem.h"

#include "platform/win/Utf16.h"
#include "platform/win/WinFileInfo.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

namespace slidora {

namespace {

class HandleCloser {
  public:
    explicit HandleCloser(HANDLE handle) : m_handle(handle) {}
    ~HandleCloser() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;

  private:
    HANDLE m_handle;
};

bool isFolderOrDevice(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0;
}

// The file that an existing name leads to, as a full path: through any
// links on the way (Wine shows a link to a file as the file itself, so every
// name is asked); `path` itself when that cannot be told.
std::wstring finalPathOf(const std::wstring& path) {
    const HANDLE handle = ::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return path;
    const HandleCloser closer(handle);
    const DWORD length = ::GetFinalPathNameByHandleW(handle, nullptr, 0, VOLUME_NAME_DOS);
    if (length == 0) return path;
    std::wstring final(length, L'\0');
    const DWORD written =
        ::GetFinalPathNameByHandleW(handle, final.data(), length, VOLUME_NAME_DOS);
    if (written == 0 || written >= length) return path;
    final.resize(written);
    return final;
}

HANDLE openForReading(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool writeAll(HANDLE file, const std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, contents.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

bool isRegularFile(const std::string& path) {
    win::FileInfo info;
    return win::targetInfoOf(win::toUtf16(path), info) && !isFolderOrDevice(info.attributes);
}

SmallFileRead readSmallRegularFile(const std::string& path, std::size_t maxBytes,
                                   std::string& contents) {
    contents.clear();
    const std::wstring wide = win::toUtf16(path);
    win::FileInfo named;
    if (!win::targetInfoOf(wide, named)) return SmallFileRead::Unreadable;
    if (isFolderOrDevice(named.attributes)) return SmallFileRead::NotAFile;
    const HANDLE file = openForReading(wide);
    if (file == INVALID_HANDLE_VALUE) return SmallFileRead::Unreadable;
    const HandleCloser closer(file);
    // What was opened is checked again: a pipe or a device may stand where
    // the name pointed a moment ago.
    if (::GetFileType(file) != FILE_TYPE_DISK) return SmallFileRead::NotAFile;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) return SmallFileRead::Unreadable;
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) return SmallFileRead::TooLarge;
    // One byte more than the size taken, so that a file which grew since is
    // noticed and still held to the bound.
    std::string all(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == all.size()) {
            if (all.size() > maxBytes) return SmallFileRead::TooLarge;
            all.resize(maxBytes + 1);
        }
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(all.size() - got, 1u << 30));
        if (!::ReadFile(file, all.data() + got, wanted, &read, nullptr))
            return SmallFileRead::Unreadable;
        if (read == 0) break;
        got += read;
    }
    all.resize(got);
    contents = std::move(all);
    return SmallFileRead::Read;
}

bool replaceFileAtomically(const std::string& path, const std::string& contents) {
    const std::wstring named = win::toUtf16(path);
    win::FileInfo existing;
    const bool exists = win::targetInfoOf(named, existing);
    // A read-only file stays as it is, even though its folder would allow
    // replacing it; neither is a folder or device replaced.
    if (exists && (existing.attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    if (exists && isFolderOrDevice(existing.attributes)) return false;
    // A link is written through: the file it leads to is replaced, and the
    // link stays.
    const std::wstring target = exists ? finalPathOf(named) : named;

    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(attempt) + L".tmp";
        file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = writeAll(file, contents) && ::FlushFileBuffers(file) != 0;
    if (::CloseHandle(file) == 0) ok = false;
    if (ok && exists) {
        // Keeps the old file's attributes and security; a file replaced by
        // another program in between makes it fail, and then the plain move
        // below takes its place.
        ok = ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                            nullptr, nullptr) != 0;
        if (!ok)
            ok = ::MoveFileExW(temp.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    } else if (ok) {
        ok = ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!ok) ::DeleteFileW(temp.c_str());
    return ok;
}

FileStamp fileStampOf(const std::string& path) {
    win::FileInfo info;
    if (!win::targetInfoOf(win::toUtf16(path), info)) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.sizeBytes = info.sizeBytes;
    // File times count 100-nanosecond intervals.
    const std::uint64_t ticks = (static_cast<std::uint64_t>(info.lastWrite.dwHighDateTime) << 32) |
                                info.lastWrite.dwLowDateTime;
    stamp.modifiedNs = static_cast<std::int64_t>(ticks) * 100;
    return stamp;
}

} // namespace slidora
