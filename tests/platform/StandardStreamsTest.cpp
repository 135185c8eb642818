#include "platform/StandardStreams.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace slidora {
namespace {

bool sameFile(int fd, const struct stat& expected) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_dev == expected.st_dev && st.st_ino == expected.st_ino &&
           st.st_rdev == expected.st_rdev;
}

// With descriptors 0 to 2 on a pipe, the ones closed by the case come back
// on /dev/null, the others stay on the pipe, and the next file opened gets a
// number above 2.
TEST(OpenClosedStandardStreams, ClosedOnesGetDevNull) {
    const char* const cases[] = {"", "0", "1", "2", "12", "012", "02"};
    for (const std::string closed : cases) {
        const test::ChildOutcome outcome = test::runInChild([&] {
            struct stat null {
            }, pipeEnd{};
            int fds[2];
            if (::stat("/dev/null", &null) != 0 || ::pipe(fds) != 0 ||
                ::fstat(fds[0], &pipeEnd) != 0)
                return false;
            for (int fd = 0; fd <= 2; ++fd)
                ::dup2(fds[0], fd);
            ::close(fds[0]);
            ::close(fds[1]);
            for (const char c : closed)
                ::close(c - '0');
            if (!openClosedStandardStreams()) return false;
            for (int fd = 0; fd <= 2; ++fd) {
                const bool wasClosed =
                    closed.find(static_cast<char>('0' + fd)) != std::string::npos;
                if (!sameFile(fd, wasClosed ? null : pipeEnd)) return false;
            }
            const int next = ::open("/dev/null", O_RDONLY);
            return next > 2;
        });
        EXPECT_EQ(outcome, test::ChildOutcome::True)
            << "closed [" << closed << "]: " << test::outcomeName(outcome);
    }
}

} // namespace
} // namespace slidora
