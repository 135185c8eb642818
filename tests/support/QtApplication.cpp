#include "tests/support/QtApplication.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace slidora::test {
namespace {

std::unique_ptr<QApplication>& application() {
    static std::unique_ptr<QApplication> instance;
    return instance;
}

class ApplicationEnvironment : public ::testing::Environment {
  public:
    void TearDown() override { application().reset(); }
};

// Registered from this file, which every user of ensureApplication() links,
// so the environment exists before the first test runs; gtest owns it.
[[maybe_unused]] ::testing::Environment* const kApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

void ensureApplication() {
    static int argc = 1;
    static char name[] = "slidora-tests";
    static char* argv[] = {name, nullptr};
    if (!application()) application() = std::make_unique<QApplication>(argc, argv);
}

} // namespace slidora::test
