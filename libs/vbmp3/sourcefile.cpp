#include "sourcefile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slidora::vbmp3 {

std::unique_ptr<SourceFile> SourceFile::open(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    // O_NONBLOCK keeps the open itself from waiting on a FIFO; it is
    // rejected right after by the file-type check.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::unique_ptr<SourceFile>(new SourceFile(fd, static_cast<std::uint64_t>(st.st_size)));
}

SourceFile::~SourceFile() {
    ::close(m_fd);
}

std::size_t SourceFile::readAt(std::uint64_t offset, void* out, std::size_t count) const {
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < count) {
        const std::uint64_t position = offset + done;
        if (position < offset || position > static_cast<std::uint64_t>(INT64_MAX)) break;
        const ssize_t got = ::pread(m_fd, bytes + done, count - done, static_cast<off_t>(position));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace slidora::vbmp3
