#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace slidora {

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

class FdCloser {
  public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

  private:
    int m_fd;
};

} // namespace

SmallFileRead readSmallRegularFile(const std::string& path, std::size_t maxBytes,
                                   std::string& contents) {
    contents.clear();
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) return SmallFileRead::Unreadable;
    if (!S_ISREG(named.st_mode)) return SmallFileRead::NotAFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return SmallFileRead::Unreadable;
    const FdCloser closer(fd);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) return SmallFileRead::Unreadable;
    if (!S_ISREG(opened.st_mode)) return SmallFileRead::NotAFile;
    if (static_cast<std::uint64_t>(opened.st_size) > maxBytes) return SmallFileRead::TooLarge;
    // One byte more than the size taken, so that a file which grew since is
    // noticed and still held to the bound.
    std::string all(static_cast<std::size_t>(opened.st_size) + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == all.size()) {
            if (all.size() > maxBytes) return SmallFileRead::TooLarge;
            all.resize(maxBytes + 1);
        }
        const ssize_t n = ::read(fd, all.data() + got, all.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return SmallFileRead::Unreadable;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    all.resize(got);
    contents = std::move(all);
    return SmallFileRead::Read;
}

bool replaceFileAtomically(const std::string& path, const std::string& contents) {
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // A file the user cannot write stays as it is, even though its folder
    // would allow replacing it.
    if (exists && ::access(target.c_str(), W_OK) != 0) return false;
    // What took the file's place since it was read (a FIFO, a device) is not
    // replaced.
    if (exists && !S_ISREG(st.st_mode)) return false;

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    if (ok && exists) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    if (ok && !exists) ok = ::fchmod(fd, 0644) == 0;
    if (ok) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

FileStamp fileStampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.sizeBytes = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                       static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

} // namespace slidora
