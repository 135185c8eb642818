#include "saver/picture/PictureFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slidora {

OpenedPicture openPictureFile(const std::string& path) {
    OpenedPicture opened;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused right after.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        opened.error = path + ": " + std::strerror(errno);
        return opened;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        opened.error = path + ": not a regular file";
        ::close(fd);
        return opened;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        opened.error = path + ": " + std::strerror(errno);
        ::close(fd);
        return opened;
    }
    opened.file.reset(file);
    opened.sizeBytes = static_cast<std::uint64_t>(info.st_size);
    return opened;
}

} // namespace slidora
