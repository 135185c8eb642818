#pragma once
// Stands in for a full disk: while alive, no file of this process may grow
// beyond `maxBytes` (writes past it fail with EFBIG instead of raising
// SIGXFSZ). Works for root too, where permission bits do not stop a write.
#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace slidora::test {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t maxBytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = static_cast<rlim_t>(maxBytes);
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

} // namespace slidora::test
