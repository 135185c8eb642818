// The power-saving values as the program reads them from the X display.
#include "platform/X11PowerParams.h"
#include "settings/FileRules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace slidora {
namespace {

TEST(PowerSaveInfo, WithoutADisplayEverythingIsZero) {
    std::optional<std::string> saved;
    if (const char* d = std::getenv("DISPLAY")) saved = d;
    ::unsetenv("DISPLAY");
    const PowerSaveState s = PowerSaveInfo(readX11PowerParams());
    if (saved) ::setenv("DISPLAY", saved->c_str(), 1);
    EXPECT_FALSE(s.active);
    EXPECT_EQ(s.screenSaveTimeoutSec, 0);
    EXPECT_EQ(s.powerTimeoutSec, 0);
    EXPECT_EQ(powerOverrideSeconds(s), 0);
}

} // namespace
} // namespace slidora
