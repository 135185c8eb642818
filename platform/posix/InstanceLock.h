#pragma once
// The single-instance lock: an advisory lock on a file that lives as long as
// the process holds it. The kernel drops the lock when the process dies, so a
// crashed saver never blocks the next start.
#include <memory>
#include <string>

namespace slidora {

class InstanceLock {
  public:
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock file at `lockPath`. Returns null when another process
    // holds it; also null when the file cannot be opened at all, in which case
    // `*unavailable` (when given) is set, so the caller can run unguarded
    // rather than refuse to start.
    static std::unique_ptr<InstanceLock> acquire(const std::string& lockPath,
                                                 bool* unavailable = nullptr);

    // "SlidoraSaver.lock" in $XDG_RUNTIME_DIR, else in the temp folder with
    // the user id in the name.
    static std::string defaultPath();

  private:
    explicit InstanceLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace slidora
