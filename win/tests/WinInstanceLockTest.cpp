#include "platform/win/WinInstanceLock.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace slidora::win {
namespace {

// A name of this process's own, so that a saver running on the same machine
// does not take part.
std::string testMutexName() {
    return std::string(kInstanceMutexName) + "-test-" + std::to_string(GetCurrentProcessId());
}

TEST(WinInstanceLock, SecondCopyIsRefusedUntilTheFirstEnds) {
    bool unavailable = true;
    auto first = InstanceLock::acquire(testMutexName(), &unavailable);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(unavailable);

    unavailable = true;
    EXPECT_EQ(InstanceLock::acquire(testMutexName(), &unavailable), nullptr);
    EXPECT_FALSE(unavailable) << "another copy is not a failure";

    first.reset();
    EXPECT_NE(InstanceLock::acquire(testMutexName()), nullptr);
}

TEST(WinInstanceLock, NameThatCannotBeAMutexIsReportedUnavailable) {
    // A backslash is only allowed after a namespace prefix such as "Local\".
    bool unavailable = false;
    EXPECT_EQ(InstanceLock::acquire("No\\Such\\Namespace", &unavailable), nullptr);
    EXPECT_TRUE(unavailable);
}

} // namespace
} // namespace slidora::win
