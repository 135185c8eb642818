#include "platform/InstanceLock.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace slidora {
namespace {

using test::ChildOutcome;
using test::TempTree;

// Sets or clears an environment variable for one test and puts it back.
class EnvOverride {
  public:
    EnvOverride(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvOverride() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(InstanceLock, SecondAcquireFailsWhileTheFirstIsHeld) {
    TempTree tree;
    const std::string lockPath = tree.path("SlidoraSaver.lock");

    bool unavailable = true;
    auto first = InstanceLock::acquire(lockPath, &unavailable);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(unavailable);

    // flock belongs to the open file description, so a second open in this
    // same process conflicts just as another process would.
    unavailable = true;
    auto second = InstanceLock::acquire(lockPath, &unavailable);
    EXPECT_EQ(second, nullptr);
    EXPECT_FALSE(unavailable) << "a held lock is not an unavailable lock";

    first.reset();
    auto third = InstanceLock::acquire(lockPath, &unavailable);
    EXPECT_NE(third, nullptr) << "destroying the holder must release the lock";
    EXPECT_FALSE(unavailable);
}

TEST(InstanceLock, AnotherProcessSeesTheLockHeldAndThenFree) {
    TempTree tree;
    const std::string lockPath = tree.path("SlidoraSaver.lock");
    auto tryInChild = [&] { return InstanceLock::acquire(lockPath) != nullptr; };
    {
        auto held = InstanceLock::acquire(lockPath);
        ASSERT_NE(held, nullptr);
        EXPECT_EQ(test::runInChild(tryInChild), ChildOutcome::False);
    }
    EXPECT_EQ(test::runInChild(tryInChild), ChildOutcome::True);
}

TEST(InstanceLock, UnopenableLockFileIsReportedUnavailable) {
    TempTree tree;
    bool unavailable = false;
    auto lock = InstanceLock::acquire(tree.path("missing-folder/SlidoraSaver.lock"), &unavailable);
    EXPECT_EQ(lock, nullptr);
    EXPECT_TRUE(unavailable);
    // Without the out-parameter the call still answers.
    EXPECT_EQ(InstanceLock::acquire(tree.path("missing-folder/SlidoraSaver.lock")), nullptr);
}

TEST(InstanceLock, DefaultPathPrefersTheRuntimeFolder) {
    {
        EnvOverride runtime("XDG_RUNTIME_DIR", "/run/user/4242");
        EXPECT_EQ(InstanceLock::defaultPath(), "/run/user/4242/SlidoraSaver.lock");
    }
    {
        EnvOverride runtime("XDG_RUNTIME_DIR", nullptr);
        EnvOverride tmp("TMPDIR", "/var/tmp");
        EXPECT_EQ(InstanceLock::defaultPath(),
                  "/var/tmp/SlidoraSaver-" + std::to_string(::getuid()) + ".lock");
    }
    {
        EnvOverride runtime("XDG_RUNTIME_DIR", "");
        EnvOverride tmp("TMPDIR", nullptr);
        EXPECT_EQ(InstanceLock::defaultPath(),
                  "/tmp/SlidoraSaver-" + std::to_string(::getuid()) + ".lock");
    }
}

} // namespace
} // namespace slidora
