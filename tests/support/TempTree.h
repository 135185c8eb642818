#pragma once
// A private folder tree for one test, made by code and removed afterwards,
// and the helpers the file tests share: whole-file read and write, the root
// check (root ignores permission bits, so permission tests skip there), and
// running a call in a child process with a deadline (for calls that would
// block forever if they opened a FIFO).
#include "tests/support/ChildOutcome.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace slidora::test {

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

inline void writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

class TempTree {
  public:
    TempTree() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/slidora-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
        m_root = pattern;
    }
    ~TempTree() {
        // Folders a test made unreadable must be opened up again before the
        // tree can be removed.
        for (const std::string& d : m_lockedDirs)
            ::chmod(d.c_str(), 0700);
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root folder, without a trailing slash.
    const std::string& root() const { return m_root; }
    std::string path(const std::string& rel) const { return m_root + "/" + rel; }

    std::string dir(const std::string& rel) {
        const std::string p = path(rel);
        std::filesystem::create_directories(p);
        return p;
    }
    // A file of `sizeBytes` bytes (a repeated letter); folders made as needed.
    std::string file(const std::string& rel, std::size_t sizeBytes) {
        return text(rel, std::string(sizeBytes, 'x'));
    }
    std::string text(const std::string& rel, const std::string& bytes) {
        const std::string p = path(rel);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        writeWholeFile(p, bytes);
        return p;
    }
    // A symbolic link at `rel` leading to `target` (taken as written).
    std::string link(const std::string& target, const std::string& rel) {
        const std::string p = path(rel);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        if (::symlink(target.c_str(), p.c_str()) != 0)
            ADD_FAILURE() << "symlink " << p << ": " << std::strerror(errno);
        return p;
    }
    std::string fifo(const std::string& rel) {
        const std::string p = path(rel);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        if (::mkfifo(p.c_str(), 0600) != 0)
            ADD_FAILURE() << "mkfifo " << p << ": " << std::strerror(errno);
        return p;
    }
    void remove(const std::string& rel) const { std::filesystem::remove(path(rel)); }
    // Removes every permission from a folder; opened again on destruction.
    void lock(const std::string& rel) {
        const std::string p = path(rel);
        ::chmod(p.c_str(), 0);
        m_lockedDirs.push_back(p);
    }

  private:
    std::string m_root;
    std::vector<std::string> m_lockedDirs;
};

// Runs `call` in a forked child and waits for its answer at most `deadline`.
// A child that does not answer in time is killed, so a call that blocks (for
// instance by opening a FIFO) fails the test instead of hanging it.
inline ChildOutcome runInChild(const std::function<bool()>& call,
                               std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    int fds[2];
    if (::pipe(fds) != 0) return ChildOutcome::Crashed;
    const pid_t pid = ::fork();
    if (pid < 0) return ChildOutcome::Crashed;
    if (pid == 0) {
        ::close(fds[0]);
        // An exception must not unwind into the test runner's copy in the
        // child, which would go on running tests there.
        char answer = 0;
        try {
            answer = call() ? '1' : '0';
        } catch (...) {
            ::_exit(1);
        }
        (void)!::write(fds[1], &answer, 1);
        ::_exit(0);
    }
    ::close(fds[1]);
    pollfd pfd{fds[0], POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&pfd, 1, static_cast<int>(deadline.count()));
    } while (ready < 0 && errno == EINTR);
    char answer = 0;
    const bool got = ready > 0 && ::read(fds[0], &answer, 1) == 1;
    ::close(fds[0]);
    if (!got) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (ready == 0) return ChildOutcome::TimedOut;
    if (!got) return ChildOutcome::Crashed;
    return answer == '1' ? ChildOutcome::True : ChildOutcome::False;
}

} // namespace slidora::test
#else
#include "tests/support/TempTreeWin.h"
#endif
