// Opening a picture on Windows: the wide call, shared so that another program
// may go on writing or renaming the file, and only a disk file is taken.
#include "saver/picture/PictureFile.h"

#include "platform/win/Utf16.h"
#include "platform/win/WinErrorText.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace slidora {

OpenedPicture openPictureFile(const std::string& path) {
    OpenedPicture opened;
    const HANDLE handle =
        ::CreateFileW(win::toUtf16(path).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = path + ": " + win::lastErrorText();
        return opened;
    }
    LARGE_INTEGER size{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) {
        opened.error = path + ": not a regular file";
        ::CloseHandle(handle);
        return opened;
    }
    // From here the C runtime owns the handle: closing the stream closes it.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        opened.error = path + ": cannot be opened";
        ::CloseHandle(handle);
        return opened;
    }
    std::FILE* file = ::_fdopen(fd, "rb");
    if (file == nullptr) {
        opened.error = path + ": cannot be opened";
        ::_close(fd);
        return opened;
    }
    opened.file.reset(file);
    opened.sizeBytes = static_cast<std::uint64_t>(size.QuadPart);
    return opened;
}

} // namespace slidora
