#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace slidora {

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) ::close(m_fd); // closing the descriptor releases the flock
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& lockPath,
                                                    bool* unavailable) {
    if (unavailable != nullptr) *unavailable = false;
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (unavailable != nullptr) *unavailable = true;
        return nullptr;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (!held && unavailable != nullptr) *unavailable = true;
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

std::string InstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/SlidoraSaver.lock";
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    return dir + "/SlidoraSaver-" + std::to_string(::getuid()) + ".lock";
}

} // namespace slidora
